#pragma once
// Per-user values ("skin", "save"), kept where the platform keeps a user's settings
// (~/.config/qelvarin/raz.conf here).

#include <QString>

namespace UserSettings {
// The empty text when the value (or the whole settings key) is missing.
QString Read(const QString& name);
// Creates the settings key when it is missing, then writes the value; false when it cannot.
bool Write(const QString& name, const QString& value);
}  // namespace UserSettings
