#include "toolkit/Desktop.h"

#include <QDesktopServices>
#include <QUrl>

#include "common/Dialogs.h"

bool OpenAddress(const QUrl& url, const QString& shown) {
    if (QDesktopServices::openUrl(url)) return true;
    Dialogs::ShowWarning(QStringLiteral("无法打开：") + shown);
    return false;
}
