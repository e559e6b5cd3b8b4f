#include "users/PasswordBox.h"

#include <QKeyEvent>
#include <QRegularExpressionValidator>

namespace {

bool IsAsciiLetterOrDigit(QChar c) {
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

}  // namespace

PasswordBox::PasswordBox(QWidget* parent) : QLineEdit(parent) {
    setEchoMode(QLineEdit::Password);
    setMaxLength(10);
    // The key filter sees typed characters only; the validator also holds back pasted text.
    setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[A-Za-z0-9]{0,10}")), this));
    setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    setContextMenuPolicy(Qt::NoContextMenu);
}

bool PasswordBox::event(QEvent* event) {
    const bool handled = QLineEdit::event(event);
    // The box reads its mask character only when its style changes, which may come before
    // its own sheet is in force; read it again once the sheet applies.
    if (event->type() == QEvent::Polish) {
        QEvent styleChange(QEvent::StyleChange);
        changeEvent(&styleChange);
    }
    return handled;
}

void PasswordBox::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Escape) {
        event->ignore();  // the window decides what Esc does
        return;
    }
    const QString text = event->text();
    const bool control = event->modifiers() & Qt::ControlModifier;
    const bool kept = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Backspace ||
                      // keys without a character (arrows, Home, Delete) keep their meaning
                      (text.isEmpty() && !control) ||
                      (text.size() == 1 && IsAsciiLetterOrDigit(text[0]) && !control);
    if (kept)
        QLineEdit::keyPressEvent(event);
    else
        event->accept();
}
