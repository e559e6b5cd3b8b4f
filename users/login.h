#pragma once
// The login window: the operator picks a user name and types the password. It lives for the
// whole run; its user-name box is the current operator.

#include <QDialog>
#include <QPixmap>

#include "users/DesktopShortcut.h"

class MainFormOps;
class PasswordBox;
class QComboBox;
class QPushButton;
class Tdmfm;

class Tloginfm : public QDialog {
    Q_OBJECT
public:
    // The shortcut goes into desktopFolder (tests give their own).
    Tloginfm(Tdmfm& dm, MainFormOps& mainForm, QWidget* parent = nullptr,
             QString desktopFolder = DesktopFolder());

    // The text of the user-name box, never trimmed: the name sales are recorded under.
    QString CurrentOperator() const;
    bool LoggedIn() const { return m_loggedIn; }

    QComboBox* UserNameBox() const { return m_userName; }
    PasswordBox* PasswordField() const { return m_password; }
    QPushButton* LoginButton() const { return m_loginButton; }

    // Closes the window; after a successful login it prepares the main window.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void LoginClick();
    void RecordSession();

    Tdmfm& m_dm;
    MainFormOps& m_mainForm;
    QString m_desktopFolder;
    bool m_loggedIn = false;
    QPixmap m_picture;  // the background, painted once
    QComboBox* m_userName = nullptr;
    PasswordBox* m_password = nullptr;
    QPushButton* m_loginButton = nullptr;
};
