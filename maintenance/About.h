#pragma once
// The about box: the program's name and the maker's e-mail and web addresses, which open the
// mail program and the browser. It lives for the whole run and keeps no state between openings.
// Beside it, what the support menu's "软件升级" checks against: this build and the maker's key.

#include <QDialog>
#include <QPixmap>

#include "toolkit/Upgrader.h"

class QLabel;
class QMenu;
class QPushButton;

// The version date of this build, month/day/year.
inline constexpr const char* kVersionDate = "12/14/2013";

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    QLabel* EmailLink() const { return m_email; }
    QLabel* WebLink() const { return m_web; }
    QPushButton* OkButton() const { return m_ok; }

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* AddLink(const QString& caption, const QString& address, int y);

    QPixmap m_picture;
    QLabel* m_email = nullptr;
    QLabel* m_web = nullptr;
    QPushButton* m_ok = nullptr;
};

// The maker's information file, this executable, this build's date and the maker's public key.
UpgradeSettings ProgramUpgradeSettings();

// "关于..." shows the box modally; "软件升级" starts a check, and is unavailable while one runs.
void ConnectSupportMenu(QMenu* supportMenu, TAboutBox* about, Upgrader* upgrader);
