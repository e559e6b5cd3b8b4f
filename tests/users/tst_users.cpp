// The change-password and user-management windows, driven by keys and clicks: every refusal,
// the changes they store, and that no password is ever stored as plain text.

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QtTest>

#include "common/Application.h"
#include "common/Password.h"
#include "data/Schema.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TestDatabase.h"
#include "tests/support/WidgetTest.h"
#include "users/PasswordBox.h"
#include "users/changepass.h"
#include "users/usergl.h"

namespace {

const QString kAdmin = QString::fromUtf8(kSuperAdmin);

QString S(const char* text) { return QString::fromUtf8(text); }

void Click(QWidget* button) { QTest::mouseClick(button, Qt::LeftButton); }

void AddUser(TestDatabase& t, const QString& name, const QString& stored) {
    t.db().Exec(QStringLiteral("insert into userdb (username,passwd) values (?,?)"), {name, stored});
}

// What a user's stored password verifies against.
PasswordCheck Check(TestDatabase& t, const QString& name, const QString& password) {
    return VerifyPassword(
        t.db().Scalar(QStringLiteral("select passwd from userdb where username=?"), {name}).toString(),
        password);
}

qint64 PlainTextRows(TestDatabase& t) {
    return t.Count(QStringLiteral("userdb"), QStringLiteral("passwd not like '$argon2id$%'"));
}

QStringList ListedUsers(const Tuserglfm& window) {
    QStringList names;
    for (int i = 0; i < window.UserList()->count(); ++i) names << window.UserList()->item(i)->text();
    return names;
}

void ChooseInList(Tuserglfm& window, const QString& name) {
    const QList<QListWidgetItem*> items = window.UserList()->findItems(name, Qt::MatchExactly);
    QVERIFY(!items.isEmpty());
    const QRect place = window.UserList()->visualItemRect(items.first());
    QTest::mouseClick(window.UserList()->viewport(), Qt::LeftButton, {}, place.center());
}

// A user-management window already unlocked with the administrator's password.
void Unlock(Tuserglfm& window, ScriptedDialogs& dialogs) {
    dialogs.ExpectMessage(QStringLiteral("超级管理员登录成功！"));
    TypeText(window.AdminPasswordBox(), QStringLiteral("847"));
    Click(window.AdminLoginButton());
    VERIFY_DIALOGS(dialogs);
}

}  // namespace

class TestUsers : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void changeRefusals_data();
    void changeRefusals();
    void changeByKeysStoresHashAndCloses();
    void changeWithoutClosingEmptiesTheBoxes();
    void adminPasswordUnlocksTheWindow();
    void addUser_data();
    void addUser();
    void chooseResetAndDelete();
    void declinedDeleteKeepsUser();
    void escClosesUserWindow();
};

void TestUsers::changeRefusals_data() {
    QTest::addColumn<bool>("choose");
    QTest::addColumn<QString>("oldPassword");
    QTest::addColumn<QString>("newPassword");
    QTest::addColumn<QString>("repeat");
    QTest::addColumn<bool>("warning");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("emptied");  // the box that is emptied and focused, if any
    QTest::newRow("no operator") << false << S("847") << S("abc") << S("abc") << true << S("必须选择操作员！")
                                 << QString();
    QTest::newRow("no old password") << true << QString() << S("abc") << S("abc") << true
                                     << S("必须输入旧口令！") << QString();
    QTest::newRow("no new password") << true << S("847") << QString() << S("") << true
                                     << S("新口令长度不能为空！") << QString();
    QTest::newRow("repeat differs in case") << true << S("847") << S("abc") << S("abC") << false
                                            << S("两次输入的密码不一致！请重新输入！") << S("repeat");
    QTest::newRow("wrong old password")
        << true << S("848") << S("abc") << S("abc") << false << S("旧密码不正确！") << S("old");
}

void TestUsers::changeRefusals() {
    QFETCH(bool, choose);
    QFETCH(QString, oldPassword);
    QFETCH(QString, newPassword);
    QFETCH(QString, repeat);
    QFETCH(bool, warning);
    QFETCH(QString, message);
    QFETCH(QString, emptied);
    TestDatabase t;
    ScriptedDialogs dialogs;
    Tchangepassfm window(t.dm());
    window.show();
    QCOMPARE(window.OperatorBox()->currentIndex(), -1);
    if (choose) window.OperatorBox()->setCurrentIndex(window.OperatorBox()->findText(kAdmin));
    TypeText(window.OldPasswordBox(), oldPassword);
    TypeText(window.NewPasswordBox(), newPassword);
    TypeText(window.RepeatBox(), repeat);
    dialogs.Expect(warning ? Dialogs::Kind::Warning : Dialogs::Kind::Message, message);
    Click(window.ChangeButton());
    VERIFY_DIALOGS(dialogs);
    QVERIFY(window.isVisible());
    QCOMPARE(Check(t, kAdmin, QStringLiteral("847")), PasswordCheck::Right);
    QCOMPARE(Check(t, kAdmin, QStringLiteral("abc")), PasswordCheck::Wrong);
    PasswordBox* box = emptied == QLatin1String("repeat") ? window.RepeatBox()
                       : emptied == QLatin1String("old")  ? window.OldPasswordBox()
                                                          : nullptr;
    if (box) {
        QVERIFY(box->text().isEmpty());
        QCOMPARE(window.focusWidget(), box);
    }
}

void TestUsers::changeByKeysStoresHashAndCloses() {
    TestDatabase t;
    ScriptedDialogs dialogs;
    AddUser(t, QStringLiteral("zhang"), FixtureAdminPassword());
    QPointer<Tchangepassfm> window = new Tchangepassfm(t.dm());
    window->show();
    QCOMPARE(window->size(), QSize(296, 160));
    QCOMPARE(window->focusWidget(), window->OperatorBox());
    QVERIFY(window->CloseWhenDoneBox()->isChecked());
    // Arrow keys choose the operator; the focus then goes on to the old password.
    QTest::keyClick(window->OperatorBox(), Qt::Key_Down);
    QCOMPARE(window->OperatorBox()->currentText(), QStringLiteral("zhang"));
    QCOMPARE(window->focusWidget(), window->OldPasswordBox());
    TypeText(window->focusWidget(), QStringLiteral("847"));
    QTest::keyClick(window->focusWidget(), Qt::Key_Return);
    QCOMPARE(window->focusWidget(), window->NewPasswordBox());
    TypeText(window->focusWidget(), QStringLiteral("New9"));
    QTest::keyClick(window->focusWidget(), Qt::Key_Return);
    QCOMPARE(window->focusWidget(), window->RepeatBox());
    TypeText(window->focusWidget(), QStringLiteral("New9"));
    QTest::keyClick(window->focusWidget(), Qt::Key_Return);
    QCOMPARE(window->focusWidget(), window->ChangeButton());

    dialogs.ExpectMessage(QStringLiteral("你已经成功修改了密码！下次运行程序时生效！"));
    QTest::keyClick(window->focusWidget(), Qt::Key_Return);
    VERIFY_DIALOGS(dialogs);
    QCOMPARE(Check(t, QStringLiteral("zhang"), QStringLiteral("New9")), PasswordCheck::Right);
    QCOMPARE(Check(t, QStringLiteral("zhang"), QStringLiteral("847")), PasswordCheck::Wrong);
    QCOMPARE(Check(t, kAdmin, QStringLiteral("847")), PasswordCheck::Right);  // only the chosen operator
    QCOMPARE(PlainTextRows(t), 0);
    QTRY_VERIFY(window.isNull());  // closed and freed
}

void TestUsers::changeWithoutClosingEmptiesTheBoxes() {
    TestDatabase t;
    ScriptedDialogs dialogs;
    t.db().Exec(QStringLiteral("update userdb set passwd='847'"));  // from before hashing
    Tchangepassfm window(t.dm());
    window.show();
    window.CloseWhenDoneBox()->setChecked(false);
    window.OperatorBox()->setCurrentIndex(0);
    TypeText(window.OldPasswordBox(), QStringLiteral("847"));
    TypeText(window.NewPasswordBox(), QStringLiteral("x1"));
    TypeText(window.RepeatBox(), QStringLiteral("x1"));
    dialogs.ExpectMessage(QStringLiteral("你已经成功修改了密码！"));
    Click(window.ChangeButton());
    VERIFY_DIALOGS(dialogs);
    QVERIFY(window.isVisible());
    QVERIFY(window.OldPasswordBox()->text().isEmpty());
    QVERIFY(window.NewPasswordBox()->text().isEmpty());
    QVERIFY(window.RepeatBox()->text().isEmpty());
    QCOMPARE(Check(t, kAdmin, QStringLiteral("x1")), PasswordCheck::Right);
    QCOMPARE(PlainTextRows(t), 0);
}

void TestUsers::adminPasswordUnlocksTheWindow() {
    TestDatabase t;
    ScriptedDialogs dialogs;
    AddUser(t, QStringLiteral("zhang"), FixtureAdminPassword());  // same password, not the administrator
    Tuserglfm window(t.dm());
    window.show();
    QCOMPARE(window.size(), QSize(393, 152));
    QCOMPARE(window.windowTitle(), QStringLiteral("用户管理—(管理员专用)"));
    QCOMPARE(ListedUsers(window), QStringList({kAdmin, QStringLiteral("zhang")}));  // the table's order
    QVERIFY(!window.UserList()->isEnabled());
    QVERIFY(!window.Pages()->isEnabled());
    QCOMPARE(window.focusWidget(), window.AdminPasswordBox());

    dialogs.ExpectMessage(QStringLiteral("密码不对！")).ExpectMessage(QStringLiteral("密码不对！"));
    Click(window.AdminLoginButton());  // empty: simply no match
    TypeText(window.AdminPasswordBox(), QStringLiteral("846"));
    Click(window.AdminLoginButton());
    VERIFY_DIALOGS(dialogs);
    QCOMPARE(window.AdminPasswordBox()->text(), QStringLiteral("846"));
    QVERIFY(!window.Pages()->isEnabled());

    window.AdminPasswordBox()->clear();
    TypeText(window.AdminPasswordBox(), QStringLiteral("847"));
    QTest::keyClick(window.AdminPasswordBox(), Qt::Key_Return);
    QCOMPARE(window.focusWidget(), window.AdminLoginButton());
    dialogs.ExpectMessage(QStringLiteral("超级管理员登录成功！"));
    QTest::keyClick(window.AdminLoginButton(), Qt::Key_Return);
    VERIFY_DIALOGS(dialogs);
    QVERIFY(window.UserList()->isEnabled());
    QVERIFY(window.Pages()->isEnabled());
    QVERIFY(window.AdminPasswordBox()->text().isEmpty());
}

void TestUsers::addUser_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("added");
    QTest::newRow("new name, trimmed")
        << QStringLiteral("  王五 ")
        << QStringLiteral("成功添加新用户！缺省口令是：847,请此用户下次登录时及时修改口令！") << true;
    QTest::newRow("administrator") << kAdmin << QStringLiteral("超级管理员只能有一个，不能增加") << false;
    QTest::newRow("empty") << QStringLiteral("   ") << QStringLiteral("请选择用户名！") << false;
    QTest::newRow("existing") << QStringLiteral("zhang") << QStringLiteral("该用户已经存在！") << false;
    QTest::newRow("existing, other case")
        << QStringLiteral("ZHANG") << QStringLiteral("该用户已经存在！") << false;
}

void TestUsers::addUser() {
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QFETCH(bool, added);
    TestDatabase t;
    ScriptedDialogs dialogs;
    AddUser(t, QStringLiteral("zhang"), FixtureAdminPassword());
    Tuserglfm window(t.dm());
    window.show();
    Unlock(window, dialogs);
    window.Pages()->setCurrentIndex(1);
    TypeText(window.NewNameBox(), typed);
    dialogs.ExpectMessage(message);
    Click(window.AddButton());
    VERIFY_DIALOGS(dialogs);
    QCOMPARE(window.NewNameBox()->text(), typed);  // kept for the next try
    const QString name = typed.trimmed();
    QCOMPARE(t.Count(QStringLiteral("userdb")), added ? 3 : 2);
    QCOMPARE(t.Count(QStringLiteral("userdb"), QStringLiteral("username=?"), {kAdmin}), 1);
    QCOMPARE(t.Count(QStringLiteral("userdb"), QStringLiteral("username=?"), {QStringLiteral("zhang")}), 1);
    QStringList expected{kAdmin, QStringLiteral("zhang")};
    if (added) {
        expected << name;
        QCOMPARE(Check(t, name, QStringLiteral("847")), PasswordCheck::Right);
    }
    QCOMPARE(ListedUsers(window), expected);
    QCOMPARE(PlainTextRows(t), 0);
}

void TestUsers::chooseResetAndDelete() {
    TestDatabase t;
    ScriptedDialogs dialogs;
    AddUser(t, QStringLiteral("zhang"), HashPassword(QStringLiteral("forgot1")));
    Tuserglfm window(t.dm());
    window.show();
    Unlock(window, dialogs);

    dialogs.ExpectMessage(QStringLiteral("请选择用户名！"))
        .ExpectMessage(QStringLiteral("初始化口令用于忘记密码的用户，将口令更改为:847"));
    Click(window.ResetButton());
    Click(window.HintButton());
    VERIFY_DIALOGS(dialogs);

    ChooseInList(window, QStringLiteral("zhang"));
    QCOMPARE(window.ResetNameBox()->text(), QStringLiteral("zhang"));
    QCOMPARE(window.DeleteNameBox()->text(), QStringLiteral("zhang"));
    dialogs.ExpectMessage(QStringLiteral("已经成功将密码初始化为：847"));
    Click(window.ResetButton());
    VERIFY_DIALOGS(dialogs);
    QCOMPARE(Check(t, QStringLiteral("zhang"), QStringLiteral("847")), PasswordCheck::Right);

    window.Pages()->setCurrentIndex(2);
    dialogs.Expect(Dialogs::Kind::YesNo, QStringLiteral("你真的要删除用户：zhang吗?"), true)
        .ExpectMessage(QStringLiteral("成功删除！"));
    Click(window.DeleteButton());
    VERIFY_DIALOGS(dialogs);
    QCOMPARE(t.Count(QStringLiteral("userdb"), QStringLiteral("username='zhang'")), 0);
    QVERIFY(window.DeleteNameBox()->text().isEmpty());
    QCOMPARE(window.ResetNameBox()->text(), QStringLiteral("zhang"));  // a reload leaves the boxes alone
    QCOMPARE(ListedUsers(window), QStringList{kAdmin});

    // Resetting the name left in the box finds no user, and says so.
    window.Pages()->setCurrentIndex(0);
    dialogs.ExpectMessage(QStringLiteral("该用户不存在！")).ExpectMessage(QStringLiteral("请选择用户"));
    Click(window.ResetButton());
    Click(window.DeleteButton());
    VERIFY_DIALOGS(dialogs);

    // The administrator: a reset is allowed, a delete is not.
    t.db().Exec(QStringLiteral("update userdb set passwd=?"), {HashPassword(QStringLiteral("other2"))});
    ChooseInList(window, kAdmin);
    dialogs.ExpectMessage(QStringLiteral("已经成功将密码初始化为：847"))
        .ExpectMessage(QStringLiteral("超级管理员不能删除！"));
    Click(window.ResetButton());
    Click(window.DeleteButton());
    VERIFY_DIALOGS(dialogs);
    QCOMPARE(Check(t, kAdmin, QStringLiteral("847")), PasswordCheck::Right);
    QCOMPARE(t.Count(QStringLiteral("userdb"), QStringLiteral("username=?"), {kAdmin}), 1);
    QCOMPARE(PlainTextRows(t), 0);
}

void TestUsers::declinedDeleteKeepsUser() {
    TestDatabase t;
    ScriptedDialogs dialogs;
    AddUser(t, QStringLiteral("zhang"), FixtureAdminPassword());
    Tuserglfm window(t.dm());
    window.show();
    Unlock(window, dialogs);
    ChooseInList(window, QStringLiteral("zhang"));
    t.db().Exec(QStringLiteral("insert into userdb (username,passwd) values ('li','x')"));  // added elsewhere
    dialogs.Expect(Dialogs::Kind::YesNo, QStringLiteral("你真的要删除用户：zhang吗?"), false);
    Click(window.DeleteButton());
    VERIFY_DIALOGS(dialogs);
    QCOMPARE(t.Count(QStringLiteral("userdb"), QStringLiteral("username='zhang'")), 1);
    QCOMPARE(window.DeleteNameBox()->text(), QStringLiteral("zhang"));
    QCOMPARE(ListedUsers(window),
             QStringList({kAdmin, QStringLiteral("zhang"), QStringLiteral("li")}));  // reloaded
}

void TestUsers::escClosesUserWindow() {
    TestDatabase t;
    ScriptedDialogs dialogs;
    QPointer<Tuserglfm> window = new Tuserglfm(t.dm());
    window->show();
    TypeText(window->AdminPasswordBox(), QStringLiteral("84"));
    QTest::keyClick(window->AdminPasswordBox(), Qt::Key_Escape);
    QTRY_VERIFY(window.isNull());
    VERIFY_DIALOGS(dialogs);
}

POS_WIDGET_TEST_MAIN(TestUsers)
#include "tst_users.moc"
