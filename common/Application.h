#pragma once
// The application object. Its event dispatch is the last-resort error handler: an error that
// ends a handler (engine or conversion) is shown as a message box and the program goes on.

#include <QApplication>

class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
