#pragma once
// The whole program in the current folder (the shop folder holding data.mdb): the windows in
// their fixed order and the message loop until the main window closes.

#include <functional>

class QDir;
class TApplication;
class Tdmfm;

// Opens data.mdb of the folder. A missing file is made anew only when the user says so; a file
// that cannot be opened is reported and left as it is. False when the program must end.
bool OpenDatabase(Tdmfm& dm, const QDir& folder);

// `loginShown` runs each time the login window has been shown (the benchmark's finish line).
int RunProgram(TApplication& app, const std::function<void()>& loginShown = {});
