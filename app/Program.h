#pragma once
// The whole program in the current folder (the shop folder holding data.mdb): the windows in
// their fixed order and the message loop until the main window closes.

#include <QString>
#include <functional>

class QDir;
class TApplication;
class Tdmfm;

// Opens data.mdb of the folder. A missing file is made anew only when the user says so; a file
// that cannot be opened is reported and left as it is. False when the program must end.
bool OpenDatabase(Tdmfm& dm, const QDir& folder);

// config.ini lives in `configFolder`, the program's own folder unless the benchmark says
// otherwise; `loginShown` runs each time the login window has been shown (its finish line).
int RunProgram(TApplication& app, const QString& configFolder, const std::function<void()>& loginShown = {});
