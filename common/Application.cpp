#include "common/Application.h"

#include "common/Dialogs.h"
#include "data/Errors.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("chenlan-pos"));
    setApplicationDisplayName(QStringLiteral("晨岚POS收银软件"));
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const EPosError& error) {
        Dialogs::ShowError(error.Message());
    } catch (const std::exception& error) {
        Dialogs::ShowError(QString::fromLocal8Bit(error.what()));
    }
    return true;
}
