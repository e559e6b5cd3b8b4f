#pragma once
// The change-password window: sets a new password for a chosen operator. Modeless; it frees
// itself when closed.

#include <QWidget>

class PasswordBox;
class QCheckBox;
class QComboBox;
class QPushButton;
class Tdmfm;

class Tchangepassfm : public QWidget {
    Q_OBJECT
public:
    explicit Tchangepassfm(Tdmfm& dm, QWidget* parent = nullptr);

    QComboBox* OperatorBox() const { return m_operator; }
    PasswordBox* OldPasswordBox() const { return m_oldPassword; }
    PasswordBox* NewPasswordBox() const { return m_newPassword; }
    PasswordBox* RepeatBox() const { return m_repeat; }
    QCheckBox* CloseWhenDoneBox() const { return m_closeWhenDone; }
    QPushButton* ChangeButton() const { return m_changeButton; }
    QPushButton* ExitButton() const { return m_exitButton; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildLayout();
    void Wire();
    void ChangeClick();
    bool OldPasswordIsRight(const QString& name, const QString& password);

    Tdmfm& m_dm;
    QComboBox* m_operator = nullptr;
    PasswordBox* m_oldPassword = nullptr;
    PasswordBox* m_newPassword = nullptr;
    PasswordBox* m_repeat = nullptr;
    QCheckBox* m_closeWhenDone = nullptr;
    QPushButton* m_changeButton = nullptr;
    QPushButton* m_exitButton = nullptr;
};
