#pragma once
// A private X server (Xvfb) with a window manager (openbox), for the tests where window titles,
// focus and decorations matter: the offscreen platform has no window manager to show them.
// Start it before the application object exists; it sets DISPLAY and QT_QPA_PLATFORM=xcb.

#include <QString>
#include <sys/types.h>

class DesktopSession {
public:
    DesktopSession() = default;
    DesktopSession(const DesktopSession&) = delete;
    DesktopSession& operator=(const DesktopSession&) = delete;
    ~DesktopSession();

    // False with the reason when Xvfb or openbox is missing or does not start.
    bool Start(QString* why);
    QString Display() const { return m_display; }

    // A top-level window's title as the window manager shows it (_NET_WM_VISIBLE_NAME when the
    // manager changed it, else _NET_WM_NAME), read with xprop; empty when it cannot be read.
    static QString ShownTitle(unsigned long windowId);

private:
    pid_t m_server = -1;
    pid_t m_manager = -1;
    QString m_display;
};
