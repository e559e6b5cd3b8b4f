#include "common/Dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

#include "common/Application.h"

namespace Dialogs {
namespace {

Responder* g_responder = nullptr;

QWidget* Owner() { return QApplication::activeWindow(); }

QString Title() { return ProgramName(); }

Answer Real(const Request& r) {
    Answer answer;
    switch (r.kind) {
        case Kind::Message:
        case Kind::Warning:
        case Kind::Error:
        case Kind::Confirm:
        case Kind::YesNo: {
            const std::unique_ptr<QMessageBox> box = MakeMessageBox(r, Owner());
            const int pressed = box->exec();
            answer.accepted = pressed == QMessageBox::Ok || pressed == QMessageBox::Yes;
            break;
        }
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

std::unique_ptr<QMessageBox> MakeMessageBox(const Request& r, QWidget* owner) {
    auto box = std::make_unique<QMessageBox>(owner);
    box->setWindowTitle(r.caption);
    box->setText(r.text);
    switch (r.kind) {
        case Kind::Confirm:
            box->setIcon(QMessageBox::Warning);
            box->setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            box->setDefaultButton(QMessageBox::Cancel);
            break;
        case Kind::YesNo:
            box->setIcon(QMessageBox::Question);
            box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box->setDefaultButton(QMessageBox::No);
            // The questions name the buttons ("选“是”新建"): the buttons read exactly that.
            box->button(QMessageBox::Yes)->setText(QStringLiteral("是"));
            box->button(QMessageBox::No)->setText(QStringLiteral("否"));
            break;
        case Kind::Warning:
            box->setIcon(QMessageBox::Warning);
            box->setStandardButtons(QMessageBox::Ok);
            break;
        case Kind::Error:
            box->setIcon(QMessageBox::Critical);
            box->setStandardButtons(QMessageBox::Ok);
            break;
        default:  // notices and results: a plain box without an icon
            box->setIcon(QMessageBox::NoIcon);
            box->setStandardButtons(QMessageBox::Ok);
            break;
    }
    return box;
}

Responder* SetResponder(Responder* responder) {
    Responder* previous = g_responder;
    g_responder = responder;
    return previous;
}

void ShowMessage(const QString& text) { Ask({Kind::Message, Title(), text, {}, {}}); }
void ShowWarning(const QString& text) { Ask({Kind::Warning, Title(), text, {}, {}}); }
void ShowError(const QString& text) { Ask({Kind::Error, Title(), text, {}, {}}); }
void ShowWarningTitled(const QString& caption, const QString& text) {
    Ask({Kind::Warning, caption, text, {}, {}});
}

bool Confirm(const QString& text) {
    return Ask({Kind::Confirm, QStringLiteral("警告！"), text, {}, {}}).accepted;
}

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
