// Program entry.

#include "app/Program.h"
#include "common/Application.h"

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    // config.ini sits beside the executable.
    return RunProgram(app, QCoreApplication::applicationDirPath());
}
