// The shared helpers: statements on named queries, like patterns, required input, dialogs,
// the last-resort error handler and password hashes.

#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QtTest>

#include "common/Application.h"
#include "common/Password.h"
#include "common/Sql.h"
#include "data/Errors.h"
#include "data/Numbers.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TestDatabase.h"
#include "tests/support/WidgetTest.h"

class TestHelpers : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void runQueryAndDistinctChoices();
    void likeTakesWildcardsLiterally_data();
    void likeTakesWildcardsLiterally();
    void requireTextAndChoice();
    void errorHandlerShowsTheMessage();
    void passwords();
    void tamperedHashIsRefusedQuickly();
};

void TestHelpers::runQueryAndDistinctChoices() {
    TestDatabase t;
    Query& q = t.dm().ADOQuery1;
    QCOMPARE(RunCommand(q, QStringLiteral("insert into userdb values (?, ?)"),
                        {QStringLiteral("收银员"), QStringLiteral("1")}),
             1);
    RunCommand(q, QStringLiteral("insert into userdb values (?, ?)"),
               {QStringLiteral("收银员"), QStringLiteral("2")});
    RunCommand(q, QStringLiteral("insert into userdb values (?, ?)"), {QVariant(), QStringLiteral("3")});
    RunQuery(q, QStringLiteral("select count(*) as n from userdb where username=?"),
             {QStringLiteral("收银员")});
    QCOMPARE(q.FieldByName(QStringLiteral("n")).AsInteger(), 2);

    QComboBox box;
    box.addItem(QStringLiteral("旧的"));
    FillDistinctChoices(q, QStringLiteral("username"), QStringLiteral("userdb"), &box);
    QCOMPARE(box.count(), 3);
    QCOMPARE(box.itemText(0), QString());
    QCOMPARE(box.itemText(1), QStringLiteral("收银员"));
    QCOMPARE(box.itemText(2), QStringLiteral("超级管理员"));
}

void TestHelpers::likeTakesWildcardsLiterally_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("matches");
    QTest::newRow("percent") << "%" << 1;
    QTest::newRow("underscore") << "_" << 1;
    QTest::newRow("backslash") << "\\" << 1;
    QTest::newRow("quote") << "'" << 1;
    QTest::newRow("fragment") << "牛奶" << 2;
    QTest::newRow("case") << "COLA" << 1;
}

void TestHelpers::likeTakesWildcardsLiterally() {
    QFETCH(QString, typed);
    QFETCH(int, matches);
    TestDatabase t;
    for (const char* name : {"纯牛奶", "100%牛奶", "a_b", "c\\d", "it's", "cola"})
        t.db().Exec(QStringLiteral("insert into sp (商品名称) values (?)"), {QString::fromUtf8(name)});
    QCOMPARE(t.Count(QStringLiteral("sp"), QStringLiteral("商品名称 like ?") + QLatin1String(kLikeEscape),
                     {LikeContains(typed)}),
             matches);
}

void TestHelpers::requireTextAndChoice() {
    ScriptedDialogs dialogs;
    dialogs.ExpectWarning(QStringLiteral("请输入商品名称")).ExpectWarning(QStringLiteral("请选择操作员"));
    QWidget window;
    auto* edit = new QLineEdit(&window);
    auto* other = new QLineEdit(&window);
    auto* box = new QComboBox(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    other->setFocus();
    edit->setText(QStringLiteral("  "));
    QVERIFY(!RequireText(edit, QStringLiteral("请输入商品名称")));
    QCOMPARE(QApplication::focusWidget(), edit);
    edit->setText(QStringLiteral(" 可乐 "));
    QVERIFY(RequireText(edit, QStringLiteral("请输入商品名称")));
    QVERIFY(!RequireChoice(box, QStringLiteral("请选择操作员")));
    box->addItem(QStringLiteral("收银员"));
    QVERIFY(RequireChoice(box, QStringLiteral("请选择操作员")));
    VERIFY_DIALOGS(dialogs);
}

void TestHelpers::errorHandlerShowsTheMessage() {
    ScriptedDialogs dialogs;
    dialogs.ExpectError(QStringLiteral("'x' is not a valid floating point value"));
    QObject target;
    bool ran = false;
    QMetaObject::invokeMethod(
        &target,
        [&ran] {
            ran = true;
            StrToFloat(QStringLiteral("x"));
        },
        Qt::QueuedConnection);
    QTRY_VERIFY(ran);
    QTRY_VERIFY(dialogs.Shown().size() == 1);
    VERIFY_DIALOGS(dialogs);
}

void TestHelpers::passwords() {
    const QString hash = HashPassword(QStringLiteral("847"));
    QVERIFY(IsPasswordHash(hash));
    QVERIFY(!hash.contains(QLatin1String("847")));
    QCOMPARE(VerifyPassword(hash, QStringLiteral("847")), PasswordCheck::Right);
    QCOMPARE(VerifyPassword(hash, QStringLiteral("848")), PasswordCheck::Wrong);
    QCOMPARE(VerifyPassword(hash, QString()), PasswordCheck::Wrong);
    QVERIFY(HashPassword(QStringLiteral("847")) != hash);  // salted
    // A row written before hashing keeps its plain text until its next login.
    QCOMPARE(VerifyPassword(QStringLiteral("847"), QStringLiteral("847")), PasswordCheck::RightButPlainText);
    QCOMPARE(VerifyPassword(QStringLiteral("847"), QStringLiteral("84")), PasswordCheck::Wrong);
    QCOMPARE(VerifyPassword(QString(), QString()), PasswordCheck::RightButPlainText);
}

void TestHelpers::tamperedHashIsRefusedQuickly() {
    QString hash = HashPassword(QStringLiteral("847"));
    QVERIFY(hash.contains(QLatin1String("$m=65536,t=2,p=1$")));
    for (const char* cost : {"$m=4194304,t=2,p=1$", "$m=65536,t=4000,p=1$", "$m=65536,t=2,p=64$"}) {
        QString tampered = hash;
        tampered.replace(QLatin1String("$m=65536,t=2,p=1$"), QLatin1String(cost));
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(VerifyPassword(tampered, QStringLiteral("847")), PasswordCheck::Wrong);
        QVERIFY(timer.elapsed() < 50);
    }
    QCOMPARE(VerifyPassword(QStringLiteral("$argon2id$garbage"), QStringLiteral("847")),
             PasswordCheck::Wrong);
}

POS_WIDGET_TEST_MAIN(TestHelpers)
#include "tst_helpers.moc"
