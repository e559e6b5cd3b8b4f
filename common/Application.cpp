#include "common/Application.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "common/Dialogs.h"
#include "data/Errors.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // No display name: window managers would show it after every caption ("用户登录 — …").
    setApplicationName(QStringLiteral("chenlan-pos"));
    InstallChineseTranslations(*this);
}

bool InstallChineseTranslations(QCoreApplication& app) {
    auto* translator = new QTranslator(&app);
    if (!translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                          QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
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
