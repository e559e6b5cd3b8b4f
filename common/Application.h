#pragma once
// The application object. Its event dispatch is the last-resort error handler: an error that
// ends a handler (engine or conversion) is shown as a message box and the program goes on.

#include <QApplication>

// The program's name: the title of its notices and of the main window's banner.
inline QString ProgramName() { return QStringLiteral("晨岚POS收银软件"); }

// Loads Qt's own Chinese texts, so standard buttons read 确定, 取消, 是, 否. False when the
// translation files are missing (the buttons then stay in English).
bool InstallChineseTranslations(QCoreApplication& app);

class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
