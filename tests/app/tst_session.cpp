// The login over the real main window, as main() builds them: what a login shows on the checkout
// screen and which commands it leaves, the password box under a skin, closing without a login,
// one session row per run.

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
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
#include "data/Schema.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TestDatabase.h"
#include "tests/support/WidgetTest.h"
#include "users/PasswordBox.h"
#include "users/login.h"

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
    template <class T>
    T* Find(const char* name) const {
        return form.findChild<T*>(QLatin1String(name));
    }
    bool LogIn(const QString& password) {
        TypeText(login.PasswordField(), password);
        QTest::mouseClick(login.LoginButton(), Qt::LeftButton);
        return login.LoggedIn();
    }
    void ChooseUser(const QString& name) {
        QLineEdit* edit = login.UserNameBox()->lineEdit();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        TypeText(edit, name);
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

class TestSession : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void adminLoginShowsOnTheCheckoutAndKeepsEveryCommand();
    void cashierLoginHidesAdminCommands();
    void passwordBoxKeepsLettersAndDigits();
    void closingWithoutLoginEndsTheProgram();
    void eachRunLogsItsOwnSession();
};

void TestSession::init() {
    ApplyDefaultSkin();
    Clock::SetFixed(QDateTime(QDate(2026, 12, 11), QTime(9, 30, 0)));
}

void TestSession::adminLoginShowsOnTheCheckoutAndKeepsEveryCommand() {
    TestDatabase t;
    Desk desk(t);
    desk.ShowLogin();
    QVERIFY(desk.LogIn(QStringLiteral("847")));
    QVERIFY(desk.form.SessionId() > 0);
    QCOMPARE(desk.form.StatusPanel(1)->text(), QStringLiteral("操作员：超级管理员"));
    QCOMPARE(desk.form.focusWidget(), desk.form.EntryField());
    // The administrator keeps every command.
    QVERIFY(!desk.Find<QToolButton>("productsButton")->isHidden());
    QVERIFY(desk.Find<QAction>("changePasswordAction")->isVisible());
    QVERIFY(desk.Find<QAction>("userAdminAction")->isVisible());
    VERIFY_DIALOGS(desk.dialogs);
}

void TestSession::cashierLoginHidesAdminCommands() {
    TestDatabase t;
    AddUser(t, QStringLiteral("李四"), FixtureAdminPassword());
    Desk desk(t);
    desk.ShowLogin();
    desk.ChooseUser(QStringLiteral("李四"));
    QVERIFY(desk.LogIn(QStringLiteral("847")));
    QCOMPARE(desk.form.StatusPanel(1)->text(), QStringLiteral("操作员：李四"));
    QVERIFY(desk.Find<QToolButton>("productsButton")->isHidden());
    QVERIFY(!desk.Find<QAction>("changePasswordAction")->isVisible());
    QVERIFY(!desk.Find<QAction>("userAdminAction")->isVisible());
    QVERIFY(desk.Find<QAction>("skinAction4")->isVisible());  // the skins stay
    QCOMPARE(t.Count(QStringLiteral("rz"), QStringLiteral("id=? and username=?"),
                     {desk.form.SessionId(), QStringLiteral("李四")}),
             1);
    VERIFY_DIALOGS(desk.dialogs);
}

void TestSession::passwordBoxKeepsLettersAndDigits() {
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

void TestSession::closingWithoutLoginEndsTheProgram() {
    TestDatabase t;
    Desk desk(t);
    desk.form.SetLoginPrompt([&desk] { desk.login.exec(); });
    // The prompt runs its own modal loop: close the login from inside it, with its close box.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, &desk.login, [&desk] {
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

void TestSession::eachRunLogsItsOwnSession() {
    TestDatabase t;
    QList<int> sessions;
    for (int run = 0; run < 2; ++run) {
        Desk desk(t);
        desk.form.SetLoginPrompt([&desk] { desk.login.exec(); });
        QTimer typist;
        QObject::connect(&typist, &QTimer::timeout, &desk.login, [&desk] {
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

POS_WIDGET_TEST_MAIN(TestSession)
#include "tst_session.moc"
