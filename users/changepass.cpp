#include "users/changepass.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

#include "common/Dialogs.h"
#include "common/Sql.h"
#include "data/dm.h"
#include "toolkit/Forms.h"
#include "users/PasswordBox.h"
#include "users/UserStore.h"

Tchangepassfm::Tchangepassfm(Tdmfm& dm, QWidget* parent)
    : QWidget(parent, Forms::ToolWindowFlags()), m_dm(dm) {
    Forms::SetUpToolWindow(this, QStringLiteral("更改密码"), QSize(296, 160));
    BuildLayout();
    Wire();
}

void Tchangepassfm::BuildLayout() {
    const QString captions[] = {QStringLiteral("选择操作员"), QStringLiteral("输入旧密码"),
                                QStringLiteral("输入新密码"), QStringLiteral("新密码重复")};
    for (int row = 0; row < 4; ++row)
        (new QLabel(captions[row], this))->setGeometry(10, 12 + row * 30, 64, 22);

    m_operator = new QComboBox(this);
    m_operator->setGeometry(78, 12, 110, 22);
    m_oldPassword = new PasswordBox(this);
    m_oldPassword->setGeometry(78, 42, 110, 22);
    m_newPassword = new PasswordBox(this);
    m_newPassword->setGeometry(78, 72, 110, 22);
    m_repeat = new PasswordBox(this);
    m_repeat->setGeometry(78, 102, 110, 22);

    m_closeWhenDone = new QCheckBox(QStringLiteral("更改完毕退出"), this);
    m_closeWhenDone->setGeometry(196, 12, 96, 22);
    m_closeWhenDone->setChecked(true);
    // Enter on a focused button presses it, as everywhere in the program.
    m_changeButton = Forms::Button(QStringLiteral("更改密码"), this, QRect(200, 40, 84, 26));
    m_exitButton = Forms::Button(QStringLiteral("退出"), this, QRect(200, 70, 84, 26));

    (new QLabel(QStringLiteral("提示：密码只能输入字母和数字，最长10个字符！"), this))
        ->setGeometry(10, 132, 280, 20);

    Forms::SetTabOrder(
        {m_operator, m_oldPassword, m_newPassword, m_repeat, m_changeButton, m_exitButton, m_closeWhenDone});
}

void Tchangepassfm::Wire() {
    connect(m_operator, &QComboBox::activated, this,
            [this] { m_oldPassword->setFocus(Qt::OtherFocusReason); });
    connect(m_oldPassword, &QLineEdit::returnPressed, this,
            [this] { m_newPassword->setFocus(Qt::OtherFocusReason); });
    connect(m_newPassword, &QLineEdit::returnPressed, this,
            [this] { m_repeat->setFocus(Qt::OtherFocusReason); });
    connect(m_repeat, &QLineEdit::returnPressed, this,
            [this] { m_changeButton->setFocus(Qt::OtherFocusReason); });
    connect(m_changeButton, &QPushButton::clicked, this, &Tchangepassfm::ChangeClick);
    connect(m_exitButton, &QPushButton::clicked, this, &QWidget::close);
}

void Tchangepassfm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous()) return;
    Query users(m_dm.ADOConnection1);
    FillDistinctChoices(users, QStringLiteral("username"), QStringLiteral("userdb"), m_operator);
    m_operator->setCurrentIndex(-1);
    m_operator->setFocus(Qt::OtherFocusReason);
}

bool Tchangepassfm::OldPasswordIsRight(const QString& name, const QString& password) {
    if (!UserExists(m_dm.ADOConnection1, name)) {
        // Deleted in the user window since this list was filled.
        Dialogs::ShowMessage(QStringLiteral("该用户不存在！"));
        return false;
    }
    if (MatchingUsers(m_dm.ADOConnection1, name, password) > 0) return true;
    Dialogs::ShowMessage(QStringLiteral("旧密码不正确！"));
    m_oldPassword->clear();
    m_oldPassword->setFocus(Qt::OtherFocusReason);
    return false;
}

void Tchangepassfm::ChangeClick() {
    const QString name = m_operator->currentText().trimmed();
    const QString oldPassword = m_oldPassword->text().trimmed();
    const QString newPassword = m_newPassword->text().trimmed();
    const QString repeat = m_repeat->text().trimmed();
    if (!RequireChoice(m_operator, QStringLiteral("必须选择操作员！"))) return;
    if (!RequireText(m_oldPassword, QStringLiteral("必须输入旧口令！"))) return;
    if (!RequireText(m_newPassword, QStringLiteral("新口令长度不能为空！"))) return;
    if (newPassword != repeat) {
        Dialogs::ShowMessage(QStringLiteral("两次输入的密码不一致！请重新输入！"));
        m_repeat->clear();
        m_repeat->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (!OldPasswordIsRight(name, oldPassword)) return;
    SetPassword(m_dm.ADOConnection1, name, newPassword);
    Dialogs::ShowMessage(QStringLiteral("你已经成功修改了密码！下次运行程序时生效！"));
    if (m_closeWhenDone->isChecked()) close();
    m_repeat->clear();
    m_newPassword->clear();
    m_oldPassword->clear();
}
