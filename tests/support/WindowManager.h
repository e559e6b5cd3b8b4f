#pragma once
// What the window manager of a real desktop shows (the tests run under tests/support/xvfb-openbox).

#include <QString>

namespace WindowManager {

// True when the test runs on an X display rather than the offscreen platform.
bool OnDesktop();

// A top-level window's title as the window manager shows it (_NET_WM_VISIBLE_NAME when the
// manager changed it, else _NET_WM_NAME), read with xprop; empty when it cannot be read.
QString ShownTitle(unsigned long windowId);

}  // namespace WindowManager
