#pragma once
// A password box: masked with "*", at most 10 characters, ASCII letters and digits only.
// Every other typed character, control characters included, is discarded.

#include <QLineEdit>

class PasswordBox : public QLineEdit {
    Q_OBJECT
public:
    explicit PasswordBox(QWidget* parent = nullptr);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};
