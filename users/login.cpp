#include "users/login.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

#include "common/Clock.h"
#include "common/Dialogs.h"
#include "common/MainFormOps.h"
#include "common/Sql.h"
#include "data/Schema.h"
#include "data/dm.h"
#include "toolkit/Forms.h"
#include "toolkit/Pictures.h"
#include "users/PasswordBox.h"
#include "users/UserStore.h"

namespace {

using Forms::SongFont;

// Sky blue with a lighter field behind the controls and the program's name on the left.
QPixmap LoginPicture(QSize size) {
    QPixmap picture = SkyBackdrop(size);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 150));
    painter.drawRoundedRect(QRectF(176, 12, size.width() - 188, size.height() - 24), 8, 8);

    painter.setPen(QColor(255, 255, 255, 235));
    painter.setFont(SongFont(34, true));
    painter.drawText(QRectF(8, 30, 160, 44), Qt::AlignCenter, QStringLiteral("晨岚"));
    painter.setFont(SongFont(16, true));
    painter.drawText(QRectF(8, 78, 160, 24), Qt::AlignCenter, QStringLiteral("POS收银软件"));
    painter.setPen(QPen(QColor(255, 255, 255, 200), 1.5));
    painter.drawLine(QPointF(34, 108), QPointF(142, 108));
    painter.setFont(SongFont(12));
    painter.drawText(QRectF(8, 112, 160, 20), Qt::AlignCenter, QStringLiteral("用户登录"));
    return picture;
}

}  // namespace

Tloginfm::Tloginfm(Tdmfm& dm, MainFormOps& mainForm, QWidget* parent, QString desktopFolder)
    : QDialog(parent, Forms::ToolWindowFlags(Qt::Dialog)),
      m_dm(dm),
      m_mainForm(mainForm),
      m_desktopFolder(std::move(desktopFolder)) {
    setWindowTitle(QStringLiteral("用户登录"));
    setFixedSize(386, 162);
    setFont(SongFont(14));
    // The picture stays readable under every skin.
    setStyleSheet(
        QStringLiteral("QLabel { color: #000000; background: transparent; }"
                       "QLabel#hint { color: #ff0000; }"));
    m_picture = LoginPicture(size());

    auto* nameLabel = new QLabel(QStringLiteral("用户名称："), this);
    nameLabel->setGeometry(186, 26, 72, 24);
    m_userName = new QComboBox(this);
    m_userName->setEditable(true);
    m_userName->setInsertPolicy(QComboBox::NoInsert);
    m_userName->setGeometry(258, 26, 114, 24);

    auto* passwordLabel = new QLabel(QStringLiteral("输入密码："), this);
    passwordLabel->setGeometry(186, 58, 72, 24);
    m_password = new PasswordBox(this);
    m_password->setGeometry(258, 58, 114, 24);

    auto* hint = new QLabel(QStringLiteral("初始登陆密码：847"), this);
    hint->setObjectName(QStringLiteral("hint"));
    hint->setGeometry(186, 88, 186, 22);

    m_loginButton = new QPushButton(QStringLiteral("登录"), this);
    m_loginButton->setGeometry(258, 114, 80, 28);

    nameLabel->setBuddy(m_userName);
    passwordLabel->setBuddy(m_password);
    Forms::SetTabOrder({m_userName, m_password, m_loginButton});

    const auto toPassword = [this] { m_password->setFocus(Qt::OtherFocusReason); };
    connect(m_userName->lineEdit(), &QLineEdit::returnPressed, this, toPassword);
    connect(m_userName, &QComboBox::activated, this, toPassword);
    connect(m_password, &QLineEdit::returnPressed, this,
            [this] { m_loginButton->setFocus(Qt::OtherFocusReason); });
    connect(m_loginButton, &QPushButton::clicked, this, &Tloginfm::LoginClick);
}

QString Tloginfm::CurrentOperator() const { return m_userName->currentText(); }

void Tloginfm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    // The shortcut is a convenience: whatever happens to it is not the operator's concern.
    RefreshDesktopShortcut(m_desktopFolder);
    Query users(m_dm.ADOConnection1);
    FillDistinctChoices(users, QStringLiteral("username"), QStringLiteral("userdb"), m_userName);
    m_userName->setFocus(Qt::OtherFocusReason);
    if (m_userName->count() > 0) m_userName->setCurrentIndex(0);
    m_userName->lineEdit()->selectAll();
}

void Tloginfm::keyPressEvent(QKeyEvent* event) {
    // Enter only moves along the boxes (a focused button takes it itself), and Esc must not
    // close the window: closing without a login ends the program.
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            event->accept();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

void Tloginfm::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_picture);
}

void Tloginfm::LoginClick() {
    const QString name = m_userName->currentText();
    const QString password = m_password->text().trimmed();
    if (!RequireChoice(m_userName, QStringLiteral("必须选择用户！"))) return;
    if (!RequireText(m_password, QStringLiteral("必须输入密码！"))) return;
    if (MatchingUsers(m_dm.ADOConnection1, name, password) == 1) {
        // A session that cannot be recorded is no login: the error shows and the window stays.
        RecordSession();
        m_loggedIn = true;
        accept();
        return;
    }
    Dialogs::ShowMessage(QStringLiteral("密码不正确！请重新输入！"));
    m_password->clear();
    m_password->setFocus(Qt::OtherFocusReason);
}

void Tloginfm::RecordSession() {
    const QString now = Clock::Now().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    m_dm.ADOConnection1.Exec(QStringLiteral("insert into rz (username,btime) values (?,?)"),
                             {CurrentOperator(), now});
    m_mainForm.SetSessionId(int(m_dm.ADOConnection1.LastInsertId()));
}

void Tloginfm::done(int result) {
    QDialog::done(result);
    // Without a session the main window closes itself, which ends the program.
    if (m_loggedIn) {
        // Rights first: a failing reload below must not leave a cashier the administrator's commands.
        if (CurrentOperator() != QString::fromUtf8(kSuperAdmin)) m_mainForm.HideAdminCommands();
        m_mainForm.ShowOperator(CurrentOperator());
        m_mainForm.EntryField()->setFocus(Qt::OtherFocusReason);
    }
    m_mainForm.ReloadSaleGrid();
    if (m_loggedIn) m_mainForm.RefreshSaleTotals();
}
