#include "common/UserSettings.h"

#include <QSettings>

namespace UserSettings {

QString Read(const QString& name) {
    const QSettings settings(QStringLiteral("qelvarin"), QStringLiteral("raz"));
    return settings.value(name).toString();
}

bool Write(const QString& name, const QString& value) {
    QSettings settings(QStringLiteral("qelvarin"), QStringLiteral("raz"));
    settings.setValue(name, value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

}  // namespace UserSettings
