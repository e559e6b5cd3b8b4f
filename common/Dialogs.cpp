#include "common/Dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace Dialogs {
namespace {

Responder* g_responder = nullptr;

QWidget* Owner() { return QApplication::activeWindow(); }

QString Title() { return QApplication::applicationDisplayName(); }

Answer Real(const Request& r) {
    Answer answer;
    switch (r.kind) {
    case Kind::Message:
        QMessageBox::information(Owner(), r.caption, r.text);
        answer.accepted = true;
        break;
    case Kind::Warning:
        QMessageBox::warning(Owner(), r.caption, r.text);
        answer.accepted = true;
        break;
    case Kind::Error:
        QMessageBox::critical(Owner(), r.caption, r.text);
        answer.accepted = true;
        break;
    case Kind::Confirm: {
        QMessageBox box(QMessageBox::Warning, r.caption, r.text, QMessageBox::Ok | QMessageBox::Cancel, Owner());
        box.setDefaultButton(QMessageBox::Cancel);
        answer.accepted = box.exec() == QMessageBox::Ok;
        break;
    }
    case Kind::YesNo:
        answer.accepted = QMessageBox::question(Owner(), r.caption, r.text, QMessageBox::Yes | QMessageBox::No,
                                                QMessageBox::No) == QMessageBox::Yes;
        break;
    case Kind::Input: {
        bool ok = false;
        answer.value = QInputDialog::getText(Owner(), r.caption, r.text, QLineEdit::Normal, r.value, &ok);
        answer.accepted = ok;
        break;
    }
    case Kind::OpenFile:
        answer.value = QFileDialog::getOpenFileName(Owner(), r.caption, r.value, r.filter);
        answer.accepted = !answer.value.isEmpty();
        break;
    case Kind::SaveFile:
        answer.value = QFileDialog::getSaveFileName(Owner(), r.caption, r.value, r.filter);
        answer.accepted = !answer.value.isEmpty();
        break;
    }
    return answer;
}

Answer Ask(const Request& request) { return g_responder ? g_responder->Respond(request) : Real(request); }

}  // namespace

Responder* SetResponder(Responder* responder) {
    Responder* previous = g_responder;
    g_responder = responder;
    return previous;
}

void ShowMessage(const QString& text) { Ask({Kind::Message, Title(), text, {}, {}}); }
void ShowWarning(const QString& text) { Ask({Kind::Warning, Title(), text, {}, {}}); }
void ShowError(const QString& text) { Ask({Kind::Error, Title(), text, {}, {}}); }
void ShowWarningTitled(const QString& caption, const QString& text) { Ask({Kind::Warning, caption, text, {}, {}}); }

bool Confirm(const QString& text) { return Ask({Kind::Confirm, QStringLiteral("警告！"), text, {}, {}}).accepted; }

bool AskYesNo(const QString& caption, const QString& text) {
    return Ask({Kind::YesNo, caption, text, {}, {}}).accepted;
}

bool InputBox(const QString& caption, const QString& prompt, QString* value) {
    const Answer answer = Ask({Kind::Input, caption, prompt, *value, {}});
    if (answer.accepted) *value = answer.value;
    return answer.accepted;
}

QString OpenFileName(const QString& caption, const QString& folder, const QString& filter) {
    const Answer answer = Ask({Kind::OpenFile, caption, {}, folder, filter});
    return answer.accepted ? answer.value : QString();
}

QString SaveFileName(const QString& caption, const QString& path, const QString& filter) {
    const Answer answer = Ask({Kind::SaveFile, caption, {}, path, filter});
    return answer.accepted ? answer.value : QString();
}

}  // namespace Dialogs
