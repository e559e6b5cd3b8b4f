#pragma once
// The whole program in the current folder (the shop folder holding data.mdb): the windows in
// their fixed order and the message loop until the main window closes.

#include <functional>

class TApplication;

// `loginShown` runs each time the login window has been shown (the benchmark's finish line).
int RunProgram(TApplication& app, const std::function<void()>& loginShown = {});
