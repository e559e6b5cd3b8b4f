#pragma once
// The user-management window, for the super administrator: add and delete users and reset a
// password to the default, once the administrator's password has been entered again.
// Modeless; it frees itself when closed.

#include <QWidget>

class PasswordBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class Tdmfm;

class Tuserglfm : public QWidget {
    Q_OBJECT
public:
    explicit Tuserglfm(Tdmfm& dm, QWidget* parent = nullptr);

    PasswordBox* AdminPasswordBox() const { return m_adminPassword; }
    QPushButton* AdminLoginButton() const { return m_adminLogin; }
    QPushButton* ExitButton() const { return m_exit; }
    QListWidget* UserList() const { return m_users; }
    QTabWidget* Pages() const { return m_pages; }
    QLineEdit* ResetNameBox() const { return m_resetName; }
    QPushButton* ResetButton() const { return m_reset; }
    QPushButton* HintButton() const { return m_hint; }
    QLineEdit* NewNameBox() const { return m_newName; }
    QPushButton* AddButton() const { return m_add; }
    QLineEdit* DeleteNameBox() const { return m_deleteName; }
    QPushButton* DeleteButton() const { return m_delete; }

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildLayout();
    void Wire();
    QWidget* BuildResetPage();
    QWidget* BuildAddPage();
    QWidget* BuildDeletePage();
    void LoadUsers();
    void AdminLoginClick();
    void ResetClick();
    void AddClick();
    void DeleteClick();

    Tdmfm& m_dm;
    PasswordBox* m_adminPassword = nullptr;
    QPushButton* m_adminLogin = nullptr;
    QPushButton* m_exit = nullptr;
    QListWidget* m_users = nullptr;
    QTabWidget* m_pages = nullptr;
    QLineEdit* m_resetName = nullptr;
    QPushButton* m_reset = nullptr;
    QPushButton* m_hint = nullptr;
    QLineEdit* m_newName = nullptr;
    QPushButton* m_add = nullptr;
    QLineEdit* m_deleteName = nullptr;
    QPushButton* m_delete = nullptr;
};
