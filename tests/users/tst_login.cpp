// The login window driven by keys and clicks over a real main window: refusals, the key rules
// of the password box, the session row, rights, closing without a login, the desktop entry.

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include "app/MAIN.h"
#include "app/Skins.h"
#include "common/Application.h"
#include "common/Clock.h"
#include "common/Password.h"
#include "data/Schema.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TestDatabase.h"
#include "users/PasswordBox.h"
#include "users/login.h"
#include "tests/support/WidgetTest.h"

namespace {

const QString kAdmin = QString::fromUtf8(kSuperAdmin);

// The main window and the login over it, as main() builds them.
struct Desk {
    explicit Desk(TestDatabase& t)
        : db(t),
          form(t.dm(), t.Folder() + QStringLiteral("/config.ini")),
          login(t.dm(), form, &form, desktop.path()) {}

    // Shows the login as the main window does, but without the modal loop, so the test drives it.
    void ShowLogin() {
        form.show();
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
    TMainForm form;
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
    void passwordBoxKeepsLettersAndDigits();
    void cashierLoginHidesAdminCommands();
    void plainTextPasswordIsRewrittenAsHash();
    void tamperedHashIsRefusedQuickly();
    void unrecordedSessionIsNoLogin();
    void closingWithoutLoginEndsTheProgram();
    void eachRunLogsItsOwnSession();
    void desktopEntryIsRefreshedAtEachShow();
};

void TestLogin::init() {
    ApplyDefaultSkin();
    Clock::SetFixed(QDateTime(QDate(2026, 12, 11), QTime(9, 30, 0)));
}

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
    const int id = desk.form.SessionId();
    QVERIFY(id > 0);
    QCOMPARE(
        t.Count(QStringLiteral("rz"), QStringLiteral("id=? and username=? and btime=? and jtime is null"),
                {id, kAdmin, QStringLiteral("2026-12-11 09:30:00")}),
        1);
    QCOMPARE(desk.form.StatusPanel(1)->text(), QStringLiteral("操作员：超级管理员"));
    QCOMPARE(desk.form.focusWidget(), desk.form.EntryField());
    // The administrator keeps every command.
    QVERIFY(!desk.form.ToolButton(QStringLiteral("商品管理"))->isHidden());
    QVERIFY(desk.form.SettingsMenu()->actions()[0]->isVisible());
    QVERIFY(desk.form.SettingsMenu()->actions()[1]->isVisible());
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
    QCOMPARE(desk.form.SessionId(), 0);
    QCOMPARE(t.Count(QStringLiteral("rz")), 0);
    QCOMPARE(desk.login.CurrentOperator(), name);  // never trimmed
    if (!warning) {
        QVERIFY(desk.login.PasswordField()->text().isEmpty());
        QCOMPARE(desk.Focused(), desk.login.PasswordField());
    }
    if (name.trimmed().isEmpty()) QCOMPARE(desk.Focused(), desk.login.UserNameBox());
    if (password.isEmpty()) QCOMPARE(desk.Focused(), desk.login.PasswordField());
}

void TestLogin::passwordBoxKeepsLettersAndDigits() {
    TestDatabase t;
    ApplySkin(1);  // the program applies the stored skin before the login shows
    Desk desk(t);
    desk.ShowLogin();
    PasswordBox* box = desk.login.PasswordField();
    box->setFocus();
    TypeText(box, QStringLiteral("a1 B-2.中_z"));
    QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QStringLiteral("\x01"), Qt::NoModifier);
    QCOMPARE(box->text(), QStringLiteral("a1B2z"));
    QTest::keyClick(box, Qt::Key_Backspace);
    QCOMPARE(box->text(), QStringLiteral("a1B2"));
    QTest::keyClick(box, Qt::Key_Escape);  // discarded, and the login stays open
    QVERIFY(desk.login.isVisible());
    TypeText(box, QStringLiteral("cdefghijk"));
    QCOMPARE(box->text(), QStringLiteral("a1B2cdefgh"));  // ten at most
    QCOMPARE(box->echoMode(), QLineEdit::Password);
    QCOMPARE(box->displayText(), QString(10, u'*'));

    box->clear();
    QGuiApplication::clipboard()->setText(QStringLiteral("ab cd"));
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    box->paste();  // the context menu's way in
    QCOMPARE(box->text(), QString());
    VERIFY_DIALOGS(desk.dialogs);
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
    QCOMPARE(desk.form.StatusPanel(1)->text(), QStringLiteral("操作员：李四"));
    QVERIFY(desk.form.ToolButton(QStringLiteral("商品管理"))->isHidden());
    const QList<QAction*> settings = desk.form.SettingsMenu()->actions();
    QVERIFY(!settings[0]->isVisible());
    QVERIFY(!settings[1]->isVisible());
    QVERIFY(settings.last()->isVisible());  // the skins stay
    QCOMPARE(t.Count(QStringLiteral("rz"), QStringLiteral("id=? and username=?"),
                     {desk.form.SessionId(), QStringLiteral("李四")}),
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
    QCOMPARE(desk.form.SessionId(), 0);
    QCOMPARE(desk.form.StatusPanel(1)->text(), QStringLiteral("操作员："));
}

void TestLogin::closingWithoutLoginEndsTheProgram() {
    TestDatabase t;
    Desk desk(t);
    desk.form.SetLoginPrompt([&desk] { desk.login.exec(); });
    // The prompt runs its own modal loop: close the login from inside it, with its close box.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&desk] {
        if (desk.login.isVisible()) desk.login.close();
    });
    closer.start(20);
    desk.form.show();
    desk.form.activateWindow();
    QTRY_VERIFY(!desk.form.isVisible());
    QVERIFY(!desk.login.LoggedIn());
    QCOMPARE(desk.form.SessionId(), 0);
    QCOMPARE(t.Count(QStringLiteral("rz")), 0);
    VERIFY_DIALOGS(desk.dialogs);
}

void TestLogin::eachRunLogsItsOwnSession() {
    TestDatabase t;
    QList<int> sessions;
    for (int run = 0; run < 2; ++run) {
        Desk desk(t);
        desk.form.SetLoginPrompt([&desk] { desk.login.exec(); });
        QTimer typist;
        QObject::connect(&typist, &QTimer::timeout, [&desk] {
            if (!desk.login.isVisible() || !desk.login.PasswordField()->text().isEmpty()) return;
            TypeText(desk.login.PasswordField(), QStringLiteral("847"));
            QTest::mouseClick(desk.login.LoginButton(), Qt::LeftButton);
        });
        typist.start(20);
        desk.form.show();
        desk.form.activateWindow();
        QTRY_VERIFY(desk.form.SessionId() != 0);
        QVERIFY(desk.form.isVisible());
        sessions << desk.form.SessionId();
        QCOMPARE(t.Count(QStringLiteral("rz"), QStringLiteral("id=?"), {sessions.last()}), 1);
        QVERIFY(desk.form.close());
        VERIFY_DIALOGS(desk.dialogs);
    }
    QVERIFY(sessions[1] > sessions[0]);
    QCOMPARE(t.Count(QStringLiteral("rz")), 2);
    QCOMPARE(t.Count(QStringLiteral("rz"), QStringLiteral("jtime is null")), 0);
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
    Tloginfm elsewhere(t.dm(), desk.form, &desk.form, desk.desktop.filePath(QStringLiteral("missing")));
    elsewhere.show();
    QVERIFY(elsewhere.isVisible());
    QVERIFY(!QFileInfo::exists(desk.desktop.filePath(QStringLiteral("missing"))));
    VERIFY_DIALOGS(desk.dialogs);
}

POS_WIDGET_TEST_MAIN(TestLogin)
#include "tst_login.moc"
