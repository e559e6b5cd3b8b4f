#pragma once
// Every message box, confirmation, input box and file dialog of the program. Tests install a
// Responder that answers instead of a person, so no test ever waits on a modal box.

#include <QString>
#include <memory>

class QMessageBox;
class QWidget;

namespace Dialogs {

enum class Kind { Message, Warning, Error, Confirm, YesNo, Input, OpenFile, SaveFile };

struct Request {
    Kind kind;
    QString caption;
    QString text;
    QString value;   // the input box's preset text, or the file dialog's folder
    QString filter;  // file dialogs
};

struct Answer {
    bool accepted = false;  // OK, Yes, or a file chosen
    QString value;          // the text typed or the file chosen
};

class Responder {
public:
    virtual ~Responder() = default;
    virtual Answer Respond(const Request& request) = 0;
};

// The real box shown for a message, warning, error, confirmation or yes/no question.
std::unique_ptr<QMessageBox> MakeMessageBox(const Request& request, QWidget* owner);

// nullptr restores the real dialogs. Returns the responder that was installed before.
Responder* SetResponder(Responder* responder);

void ShowMessage(const QString& text);                                // plain box, OK
void ShowWarning(const QString& text);                                // warning icon, OK
void ShowError(const QString& text);                                  // error icon, OK
void ShowWarningTitled(const QString& caption, const QString& text);  // warning icon, OK, own caption
bool Confirm(const QString& text);                           // "警告！", OK/Cancel, Cancel default
bool AskYesNo(const QString& caption, const QString& text);  // Yes/No
bool InputBox(const QString& caption, const QString& prompt, QString* value);
QString OpenFileName(const QString& caption, const QString& folder, const QString& filter);
QString SaveFileName(const QString& caption, const QString& path, const QString& filter);

}  // namespace Dialogs
