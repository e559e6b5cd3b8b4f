// The login window driven by keys and clicks: refusals, the session row, what it hands the main
// window (session, operator, rights), the desktop entry. tests/app/tst_session runs it over the
// real main window.

#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QtTest>

#include "common/Application.h"
#include "common/Clock.h"
#include "common/Password.h"
#include "data/Schema.h"
#include "tests/support/FakeMainForm.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TestDatabase.h"
#include "tests/support/WidgetTest.h"
#include "users/PasswordBox.h"
#include "users/login.h"

namespace {

const QString kAdmin = QString::fromUtf8(kSuperAdmin);

// The login over a stand-in for the main window.
struct Desk {
    explicit Desk(TestDatabase& t) : db(t), login(t.dm(), main, nullptr, desktop.path()) {}

    // Shows the login as the main window does, but without the modal loop, so the test drives it.
    void ShowLogin() {
        login.show();
        login.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&login));
    }
    // Types into whatever has the focus, as a user does.
    QWidget* Focused() const { return login.focusWidget(); }
    void ChooseUser(const QString& name) {
        QLineEdit* edit = login.UserNameBox()->lineEdit();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        TypeText(edit, name);
        QCOMPARE(login.CurrentOperator(), name);
    }
    QString StoredPassword(const QString& name) {
        return db.db()
            .Scalar(QStringLiteral("select passwd from userdb where username=?"), {name})
            .toString();
    }

    TestDatabase& db;
    ScriptedDialogs dialogs;  // first, so no prompt of any step can wait on a real box
    QTemporaryDir desktop;
    FakeMainForm main;
    Tloginfm login;
};

void AddUser(TestDatabase& t, const QString& name, const QString& stored) {
    t.db().Exec(QStringLiteral("insert into userdb (username,passwd) values (?,?)"), {name, stored});
}

}  // namespace

class TestLogin : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void showFillsUsersAndFocusesTheFirst();
    void enterMovesFocusAndSecondEnterLogsIn();
    void refusedLogins_data();
    void refusedLogins();
    void cashierLoginHidesAdminCommands();
    void plainTextPasswordIsRewrittenAsHash();
    void tamperedHashIsRefusedQuickly();
    void unrecordedSessionIsNoLogin();
    void desktopEntryIsRefreshedAtEachShow();
};

void TestLogin::init() { Clock::SetFixed(QDateTime(QDate(2026, 12, 11), QTime(9, 30, 0))); }

void TestLogin::showFillsUsersAndFocusesTheFirst() {
    TestDatabase t;
    AddUser(t, QStringLiteral("zhang"), FixtureAdminPassword());
    AddUser(t, QStringLiteral("李四"), FixtureAdminPassword());
    Desk desk(t);
    desk.ShowLogin();
    QComboBox* names = desk.login.UserNameBox();
    QStringList shown;
    for (int i = 0; i < names->count(); ++i) shown << names->itemText(i);
    QCOMPARE(shown, QStringList({QStringLiteral("zhang"), QStringLiteral("李四"), kAdmin}));  // ascending
    QCOMPARE(names->currentIndex(), 0);
    QCOMPARE(desk.Focused(), names);
    QCOMPARE(desk.login.size(), QSize(386, 162));
    QCOMPARE(desk.login.windowTitle(), QStringLiteral("用户登录"));
    VERIFY_DIALOGS(desk.dialogs);
}

void TestLogin::enterMovesFocusAndSecondEnterLogsIn() {
    TestDatabase t;
    Desk desk(t);
    desk.ShowLogin();
    QTest::keyClick(desk.Focused(), Qt::Key_Return);
    QCOMPARE(desk.Focused(), desk.login.PasswordField());
    TypeText(desk.Focused(), QStringLiteral("847"));
    QTest::keyClick(desk.Focused(), Qt::Key_Return);
    QCOMPARE(desk.Focused(), desk.login.LoginButton());
    QVERIFY(desk.login.isVisible());
    QCOMPARE(t.Count(QStringLiteral("rz")), 0);

    QTest::keyClick(desk.Focused(), Qt::Key_Return);
    QVERIFY(!desk.login.isVisible());
    QVERIFY(desk.login.LoggedIn());
    QCOMPARE(desk.login.CurrentOperator(), kAdmin);
    QCOMPARE(t.Count(QStringLiteral("rz")), 1);
    const int id = desk.main.sessionId;
    QVERIFY(id > 0);
    QCOMPARE(
        t.Count(QStringLiteral("rz"), QStringLiteral("id=? and username=? and btime=? and jtime is null"),
                {id, kAdmin, QStringLiteral("2026-12-11 09:30:00")}),
        1);
    QCOMPARE(desk.main.shownOperator, kAdmin);
    QVERIFY(!desk.main.adminHidden);  // the administrator keeps every command
    QCOMPARE(desk.main.reloads, 1);
    QCOMPARE(desk.main.refreshes, 1);
    VERIFY_DIALOGS(desk.dialogs);
}

void TestLogin::refusedLogins_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("warning");  // a missing input, else a refused password
    QTest::addColumn<QString>("message");
    const QString wrong = QStringLiteral("密码不正确！请重新输入！");
    QTest::newRow("wrong password") << kAdmin << QStringLiteral("123") << false << wrong;
    QTest::newRow("trailing blank") << kAdmin + u' ' << QStringLiteral("847") << false << wrong;
    QTest::newRow("unknown user") << QStringLiteral("nobody") << QStringLiteral("847") << false << wrong;
    QTest::newRow("same name twice") << QStringLiteral("twin") << QStringLiteral("847") << false << wrong;
    QTest::newRow("no user") << QString() << QStringLiteral("847") << true
                             << QStringLiteral("必须选择用户！");
    QTest::newRow("blank user") << QStringLiteral("  ") << QStringLiteral("847") << true
                                << QStringLiteral("必须选择用户！");
    QTest::newRow("no password") << kAdmin << QString() << true << QStringLiteral("必须输入密码！");
}

void TestLogin::refusedLogins() {
    QFETCH(QString, name);
    QFETCH(QString, password);
    QFETCH(bool, warning);
    QFETCH(QString, message);
    TestDatabase t;
    // An older database may hold a name twice; the login needs exactly one matching row.
    AddUser(t, QStringLiteral("twin"), FixtureAdminPassword());
    AddUser(t, QStringLiteral("twin"), QStringLiteral("847"));
    Desk desk(t);
    desk.ShowLogin();
    desk.ChooseUser(name);
    TypeText(desk.login.PasswordField(), password);
    desk.dialogs.Expect(warning ? Dialogs::Kind::Warning : Dialogs::Kind::Message, message);
    QTest::mouseClick(desk.login.LoginButton(), Qt::LeftButton);
    VERIFY_DIALOGS(desk.dialogs);
    QVERIFY(desk.login.isVisible());
    QVERIFY(!desk.login.LoggedIn());
    QCOMPARE(desk.main.sessionId, 0);
    QCOMPARE(t.Count(QStringLiteral("rz")), 0);
    QCOMPARE(desk.login.CurrentOperator(), name);  // never trimmed
    if (!warning) {
        QVERIFY(desk.login.PasswordField()->text().isEmpty());
        QCOMPARE(desk.Focused(), desk.login.PasswordField());
    }
    if (name.trimmed().isEmpty()) QCOMPARE(desk.Focused(), desk.login.UserNameBox());
    if (password.isEmpty()) QCOMPARE(desk.Focused(), desk.login.PasswordField());
}

void TestLogin::cashierLoginHidesAdminCommands() {
    TestDatabase t;
    AddUser(t, QStringLiteral("李四"), FixtureAdminPassword());
    Desk desk(t);
    desk.ShowLogin();
    desk.ChooseUser(QStringLiteral("李四"));
    QTest::keyClick(desk.Focused(), Qt::Key_Return);
    TypeText(desk.Focused(), QStringLiteral("847"));
    QTest::mouseClick(desk.login.LoginButton(), Qt::LeftButton);
    QVERIFY(desk.login.LoggedIn());
    QCOMPARE(desk.main.shownOperator, QStringLiteral("李四"));
    QVERIFY(desk.main.adminHidden);
    QCOMPARE(t.Count(QStringLiteral("rz"), QStringLiteral("id=? and username=?"),
                     {desk.main.sessionId, QStringLiteral("李四")}),
             1);
    VERIFY_DIALOGS(desk.dialogs);
}

void TestLogin::plainTextPasswordIsRewrittenAsHash() {
    TestDatabase t;
    t.db().Exec(QStringLiteral("update userdb set passwd='847'"));
    Desk desk(t);
    desk.ShowLogin();
    TypeText(desk.login.PasswordField(), QStringLiteral("847"));
    QTest::mouseClick(desk.login.LoginButton(), Qt::LeftButton);
    QVERIFY(desk.login.LoggedIn());
    const QString stored = desk.StoredPassword(kAdmin);
    QVERIFY2(IsPasswordHash(stored), qPrintable(stored));
    QCOMPARE(VerifyPassword(stored, QStringLiteral("847")), PasswordCheck::Right);
    VERIFY_DIALOGS(desk.dialogs);
}

void TestLogin::tamperedHashIsRefusedQuickly() {
    TestDatabase t;
    t.db().Exec(QStringLiteral("update userdb set passwd=?"),
                {QStringLiteral("$argon2id$v=19$m=4194304,t=4000,p=1$c2FsdHNhbHRzYWx0c2FsdA$"
                                "aGFzaGhhc2hoYXNoaGFzaGhhc2hoYXNoaGFzaGhhc2g")});
    Desk desk(t);
    desk.ShowLogin();
    TypeText(desk.login.PasswordField(), QStringLiteral("847"));
    desk.dialogs.ExpectMessage(QStringLiteral("密码不正确！请重新输入！"));
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(desk.login.LoginButton(), Qt::LeftButton);
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    VERIFY_DIALOGS(desk.dialogs);
    QVERIFY(!desk.login.LoggedIn());
}

void TestLogin::unrecordedSessionIsNoLogin() {
    TestDatabase t;
    Desk desk(t);
    desk.ShowLogin();
    t.db().Exec(QStringLiteral("drop table rz"));
    TypeText(desk.login.PasswordField(), QStringLiteral("847"));
    desk.dialogs.ExpectError(QStringLiteral("no such table: rz"));
    QTest::mouseClick(desk.login.LoginButton(), Qt::LeftButton);
    VERIFY_DIALOGS(desk.dialogs);
    QVERIFY(desk.login.isVisible());
    QVERIFY(!desk.login.LoggedIn());
    QCOMPARE(desk.main.sessionId, 0);
    QVERIFY(desk.main.shownOperator.isEmpty());
}

void TestLogin::desktopEntryIsRefreshedAtEachShow() {
    TestDatabase t;
    Desk desk(t);
    const QString entry = desk.desktop.filePath(QStringLiteral("晨岚POS收银软件.desktop"));
    QFile file(entry);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("stale");
    file.close();
    desk.ShowLogin();
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    file.close();
    QVERIFY2(text.startsWith(QStringLiteral("[Desktop Entry]\nType=Application\nName=晨岚POS收银软件\n")),
             qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("\nExec=\"") + QCoreApplication::applicationFilePath() +
                           QStringLiteral("\"\n")),
             qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("\nPath=") + QDir::currentPath() + u'\n'), qPrintable(text));
    QVERIFY(QFileInfo(entry).isExecutable());

    // Without a desktop folder the login goes on, silently.
    Tloginfm elsewhere(t.dm(), desk.main, nullptr, desk.desktop.filePath(QStringLiteral("missing")));
    elsewhere.show();
    QVERIFY(elsewhere.isVisible());
    QVERIFY(!QFileInfo::exists(desk.desktop.filePath(QStringLiteral("missing"))));
    VERIFY_DIALOGS(desk.dialogs);
}

POS_WIDGET_TEST_MAIN(TestLogin)
#include "tst_login.moc"
