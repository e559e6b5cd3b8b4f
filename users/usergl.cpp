#include "users/usergl.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>

#include "common/Dialogs.h"
#include "common/Password.h"
#include "common/Sql.h"
#include "data/Schema.h"
#include "data/dm.h"
#include "toolkit/Forms.h"
#include "users/PasswordBox.h"
#include "users/UserStore.h"

namespace {

QString SuperAdmin() { return QString::fromUtf8(kSuperAdmin); }
QString DefaultPassword() { return QLatin1String(kDefaultPassword); }

QLineEdit* ReadOnlyBox(QWidget* parent, const QRect& geometry) {
    auto* box = new QLineEdit(parent);
    box->setReadOnly(true);
    box->setGeometry(geometry);
    return box;
}

}  // namespace

Tuserglfm::Tuserglfm(Tdmfm& dm, QWidget* parent) : QWidget(parent, Forms::ToolWindowFlags()), m_dm(dm) {
    Forms::SetUpToolWindow(this, QStringLiteral("用户管理—(管理员专用)"), QSize(393, 152));
    BuildLayout();
    Wire();
}

void Tuserglfm::BuildLayout() {
    (new QLabel(QStringLiteral("管理员密码："), this))->setGeometry(6, 10, 80, 20);
    m_adminPassword = new PasswordBox(this);
    m_adminPassword->setGeometry(6, 32, 76, 22);
    m_adminLogin = Forms::Button(QStringLiteral("登录"), this, QRect(6, 70, 76, 26));
    m_exit = Forms::Button(QStringLiteral("退出"), this, QRect(6, 106, 76, 26));

    (new QLabel(QStringLiteral("用户列表"), this))->setGeometry(88, 10, 78, 20);
    m_users = new QListWidget(this);
    m_users->setGeometry(88, 32, 78, 112);
    m_users->setEnabled(false);

    m_pages = new QTabWidget(this);
    m_pages->setGeometry(172, 8, 215, 136);
    // A size smaller for the captions, so the three pages' tabs fit side by side.
    m_pages->tabBar()->setFont(Forms::SongFont(11));
    m_pages->addTab(BuildResetPage(), QStringLiteral("初始化密码"));
    m_pages->addTab(BuildAddPage(), QStringLiteral("增加用户"));
    m_pages->addTab(BuildDeletePage(), QStringLiteral("删除用户"));
    m_pages->setEnabled(false);

    Forms::SetTabOrder({m_adminPassword, m_adminLogin, m_exit, m_users, m_pages});
}

void Tuserglfm::Wire() {
    connect(m_adminPassword, &QLineEdit::returnPressed, this,
            [this] { m_adminLogin->setFocus(Qt::OtherFocusReason); });
    connect(m_adminLogin, &QPushButton::clicked, this, &Tuserglfm::AdminLoginClick);
    connect(m_exit, &QPushButton::clicked, this, &QWidget::close);
    connect(m_users, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (!item) return;
        m_resetName->setText(item->text());
        m_deleteName->setText(item->text());
    });
    connect(m_reset, &QPushButton::clicked, this, &Tuserglfm::ResetClick);
    connect(m_hint, &QPushButton::clicked, this,
            [] { Dialogs::ShowMessage(QStringLiteral("初始化口令用于忘记密码的用户，将口令更改为:847")); });
    connect(m_add, &QPushButton::clicked, this, &Tuserglfm::AddClick);
    connect(m_delete, &QPushButton::clicked, this, &Tuserglfm::DeleteClick);
}

QWidget* Tuserglfm::BuildResetPage() {
    auto* page = new QWidget;
    (new QLabel(QStringLiteral("请在左边列表中选择用户"), page))->setGeometry(6, 6, 198, 18);
    (new QLabel(QStringLiteral("你选择的用户名："), page))->setGeometry(6, 26, 198, 18);
    m_resetName = ReadOnlyBox(page, QRect(6, 46, 196, 22));
    m_reset = Forms::Button(QStringLiteral("初始化密码"), page, QRect(6, 76, 96, 26));
    m_hint = Forms::Button(QStringLiteral("提示"), page, QRect(110, 76, 64, 26));
    return page;
}

QWidget* Tuserglfm::BuildAddPage() {
    auto* page = new QWidget;
    (new QLabel(QStringLiteral("新增用户名："), page))->setGeometry(6, 12, 198, 18);
    m_newName = new QLineEdit(page);
    m_newName->setGeometry(6, 34, 196, 22);
    m_add = Forms::Button(QStringLiteral("增加用户"), page, QRect(6, 70, 96, 26));
    return page;
}

QWidget* Tuserglfm::BuildDeletePage() {
    auto* page = new QWidget;
    (new QLabel(QStringLiteral("请在左边列表中选择用户"), page))->setGeometry(6, 6, 198, 18);
    (new QLabel(QStringLiteral("你选择的用户名："), page))->setGeometry(6, 26, 198, 18);
    m_deleteName = ReadOnlyBox(page, QRect(6, 46, 196, 22));
    m_delete = Forms::Button(QStringLiteral("删除用户"), page, QRect(6, 76, 96, 26));
    return page;
}

void Tuserglfm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous()) return;
    LoadUsers();
    m_adminPassword->setFocus(Qt::OtherFocusReason);
}

void Tuserglfm::keyPressEvent(QKeyEvent* event) {
    // "退出" is the window's cancel button.
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void Tuserglfm::LoadUsers() {
    // The chosen names stay in the two boxes while the list is refilled (a focused list would
    // otherwise make its first row current).
    const QSignalBlocker blocker(m_users);
    m_users->clear();
    Query query(m_dm.ADOConnection1);
    RunQuery(query, QStringLiteral("select username from userdb order by rowid"));
    for (query.First(); !query.Eof(); query.Next())
        m_users->addItem(query.FieldByName(QStringLiteral("username")).AsString());
}

void Tuserglfm::AdminLoginClick() {
    const QString password = m_adminPassword->text().trimmed();
    if (MatchingUsers(m_dm.ADOConnection1, SuperAdmin(), password) != 1) {
        Dialogs::ShowMessage(QStringLiteral("密码不对！"));
        return;
    }
    Dialogs::ShowMessage(QStringLiteral("超级管理员登录成功！"));
    m_users->setEnabled(true);
    m_pages->setEnabled(true);
    m_adminPassword->clear();
}

void Tuserglfm::ResetClick() {
    const QString name = m_resetName->text().trimmed();
    if (name.isEmpty()) {
        Dialogs::ShowMessage(QStringLiteral("请选择用户名！"));
        return;
    }
    if (SetPassword(m_dm.ADOConnection1, name, DefaultPassword()) == 0) {
        Dialogs::ShowMessage(QStringLiteral("该用户不存在！"));
        return;
    }
    Dialogs::ShowMessage(QStringLiteral("已经成功将密码初始化为：847"));
}

void Tuserglfm::AddClick() {
    const QString name = m_newName->text().trimmed();
    if (name == SuperAdmin()) {
        Dialogs::ShowMessage(QStringLiteral("超级管理员只能有一个，不能增加"));
        return;
    }
    if (name.isEmpty()) {
        Dialogs::ShowMessage(QStringLiteral("请选择用户名！"));
    } else if (UserExists(m_dm.ADOConnection1, name)) {
        // A second row with the same name and password would lock that user out of the login.
        Dialogs::ShowMessage(QStringLiteral("该用户已经存在！"));
    } else {
        m_dm.ADOConnection1.Exec(QStringLiteral("insert into userdb (username,passwd) values (?,?)"),
                                 {name, HashPassword(DefaultPassword())});
        Dialogs::ShowMessage(
            QStringLiteral("成功添加新用户！缺省口令是：847,请此用户下次登录时及时修改口令！"));
    }
    LoadUsers();
}

void Tuserglfm::DeleteClick() {
    const QString name = m_deleteName->text().trimmed();
    if (name == SuperAdmin()) {
        Dialogs::ShowMessage(QStringLiteral("超级管理员不能删除！"));
        return;
    }
    if (name.isEmpty()) {
        Dialogs::ShowMessage(QStringLiteral("请选择用户"));
        return;
    }
    if (Dialogs::AskYesNo(QStringLiteral("警告！"),
                          QStringLiteral("你真的要删除用户：") + name + QStringLiteral("吗?"))) {
        const int deleted =
            m_dm.ADOConnection1.Exec(QStringLiteral("delete from userdb where username=?"), {name});
        Dialogs::ShowMessage(deleted > 0 ? QStringLiteral("成功删除！") : QStringLiteral("该用户不存在！"));
        m_deleteName->clear();
    }
    LoadUsers();
}
