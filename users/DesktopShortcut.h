#pragma once
// The desktop entry that starts the program in the shop folder.

#include <QString>

// The current user's desktop folder; empty where the platform has none.
QString DesktopFolder();
// Writes or replaces "晨岚POS收银软件.desktop" in the folder: the running program, started in
// the current folder (where data.mdb lives). Gives false when it could not; callers stay
// silent about it, since the shortcut is a convenience and never stops the login.
bool RefreshDesktopShortcut(const QString& folder);
