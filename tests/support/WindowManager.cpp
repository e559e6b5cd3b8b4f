#include "tests/support/WindowManager.h"

#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>

namespace WindowManager {

bool OnDesktop() { return QGuiApplication::platformName() == QLatin1String("xcb"); }

QString ShownTitle(unsigned long windowId) {
    for (const char* property : {"_NET_WM_VISIBLE_NAME", "_NET_WM_NAME"}) {
        QProcess xprop;
        xprop.start(QStringLiteral("xprop"),
                    {QStringLiteral("-id"), QString::number(windowId), QString::fromLatin1(property)});
        if (!xprop.waitForFinished(5000)) return {};
        const QString out = QString::fromUtf8(xprop.readAllStandardOutput()).trimmed();
        const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("= \"(.*)\"$")).match(out);
        if (m.hasMatch()) return m.captured(1);
    }
    return {};
}

}  // namespace WindowManager
