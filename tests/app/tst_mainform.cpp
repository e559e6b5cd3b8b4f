// The main window's start, show and close: config.ini counters, skins, the session end; and a
// pick in the product lookup rung up on the real checkout.

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QSettings>
#include <QStringEncoder>
#include <QTableView>
#include <QToolButton>
#include <QtTest>

#include "app/MAIN.h"
#include "app/Skins.h"
#include "catalogue/ys.h"
#include "checkout/SaleGrid.h"
#include "common/Application.h"
#include "common/Clock.h"
#include "common/IniFile.h"
#include "common/UserSettings.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TestDatabase.h"
#include "tests/support/WidgetTest.h"
#include "toolkit/DataGrid.h"

namespace {

QString ConfigPath(const TestDatabase& t) { return t.Folder() + QStringLiteral("/config.ini"); }

QString ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

void ClearUserSettings() {
    QSettings settings(QStringLiteral("qelvarin"), QStringLiteral("raz"));
    settings.clear();
    settings.sync();
}

}  // namespace

class TestMainForm : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void firstStartUsesDefaultsAndWritesConfigAtClose();
    void writtenCountersAreReadBack();
    void configFromGbkFileIsRead();
    void storedSkinAppliesAtShow_data();
    void storedSkinAppliesAtShow();
    void choosingSkinStoresIt();
    void showStepsAndLayout();
    void openWindowOnceReusesTheWindow();
    void gridFollowsTheWindowHeight();
    void closeRecordsSessionEnd();
    void failedSessionEndKeepsWindowOpen();
    void lookupPickRingsUpOnTheCheckout();
};

void TestMainForm::init() {
    ClearUserSettings();
    ApplyDefaultSkin();
    Clock::SetFixed(QDateTime(QDate(2026, 12, 11), QTime(9, 30, 0)));
}

void TestMainForm::firstStartUsesDefaultsAndWritesConfigAtClose() {
    TestDatabase t;
    {
        TMainForm form(t.dm(), ConfigPath(t));
        QCOMPARE(form.SaleNumberLabel()->text(), QStringLiteral("CJG121122000002"));
        QCOMPARE(form.SaleCounter(), QStringLiteral("1"));
        form.show();
        QVERIFY(form.close());
    }
    const QString text = ReadFile(ConfigPath(t));
    QVERIFY2(text.contains(QStringLiteral("[官网 www.chenlan-pos.example]\nnumber=CJG121122000002\n")),
             qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("[永久免费]\nnumber0=1\n")), qPrintable(text));
    QCOMPARE(t.Count(QStringLiteral("rz")), 0);  // no session, no log row
}

void TestMainForm::writtenCountersAreReadBack() {
    TestDatabase t;
    IniFile ini(ConfigPath(t));
    ini.SetValue(QStringLiteral("其他"), QStringLiteral("keep"), QStringLiteral("yes"));
    ini.SetValue(QStringLiteral("官网 www.chenlan-pos.example"), QStringLiteral("number"),
                 QStringLiteral("SYY261211000042 "));
    ini.SetValue(QStringLiteral("永久免费"), QStringLiteral("number0"), QStringLiteral("42"));
    QVERIFY(ini.Save());
    {
        TMainForm form(t.dm(), ConfigPath(t));
        QCOMPARE(form.SaleNumber(), QStringLiteral("SYY261211000042"));  // an INI value loses its edge blanks
        QCOMPARE(form.SaleCounter(), QStringLiteral("42"));
        form.show();
        form.close();
    }
    IniFile after(ConfigPath(t));
    QVERIFY(after.Load());
    QCOMPARE(after.Value(QStringLiteral("其他"), QStringLiteral("keep")), QStringLiteral("yes"));
    QCOMPARE(after.Value(QStringLiteral("永久免费"), QStringLiteral("number0")), QStringLiteral("42"));
}

void TestMainForm::configFromGbkFileIsRead() {
    TestDatabase t;
    QStringEncoder gbk("GBK");
    QVERIFY(gbk.isValid());
    const QByteArray bytes = gbk(QStringLiteral(
        "[官网 www.chenlan-pos.example]\r\nnumber=CJG2439000015\r\n[永久免费]\r\nnumber0=15\r\n"));
    WriteFile(ConfigPath(t), bytes);
    TMainForm form(t.dm(), ConfigPath(t));
    QCOMPARE(form.SaleNumber(), QStringLiteral("CJG2439000015"));
    QCOMPARE(form.SaleCounter(), QStringLiteral("15"));
}

void TestMainForm::storedSkinAppliesAtShow_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("skin");
    QTest::newRow("4") << "4" << 4;
    QTest::newRow("0") << "0" << 0;
    QTest::newRow("5 does not exist") << "5" << -1;
    QTest::newRow("letter") << "x" << -1;
    QTest::newRow("empty") << "" << -1;
    QTest::newRow("missing") << "(none)" << -1;
}

void TestMainForm::storedSkinAppliesAtShow() {
    QFETCH(QString, stored);
    QFETCH(int, skin);
    if (stored != QLatin1String("(none)")) UserSettings::Write(QStringLiteral("skin"), stored);
    TestDatabase t;
    ApplyDefaultSkin();  // a fresh start
    TMainForm form(t.dm(), ConfigPath(t));
    form.show();
    QCOMPARE(CurrentSkin(), skin);
    QCOMPARE(qApp->styleSheet().isEmpty(), skin == -1);
}

void TestMainForm::choosingSkinStoresIt() {
    TestDatabase t;
    TMainForm form(t.dm(), ConfigPath(t));
    const QList<QAction*> entries = form.SettingsMenu()->actions();
    QStringList captions;
    for (QAction* a : entries) captions << a->text();
    QCOMPARE(captions, QStringList({"修改密码", "用户管理", "小票打印机设置", "开钱箱", "", "黑色经典(皮肤)",
                                    "蓝色幻想(皮肤)", "梦幻天空(皮肤)", "黑色遐想(皮肤)", "梦想成真(皮肤)"}));
    form.findChild<QAction*>(QStringLiteral("skinAction4"))->trigger();
    QCOMPARE(UserSettings::Read(QStringLiteral("skin")), QStringLiteral("4"));
    QCOMPARE(CurrentSkin(), 4);
    const QString sheet = qApp->styleSheet();
    form.findChild<QAction*>(QStringLiteral("skinAction0"))->trigger();
    QCOMPARE(UserSettings::Read(QStringLiteral("skin")), QStringLiteral("0"));
    QVERIFY(qApp->styleSheet() != sheet);
}

void TestMainForm::showStepsAndLayout() {
    TestDatabase t;
    TMainForm form(t.dm(), ConfigPath(t));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.StatusPanel(2)->text(), QStringLiteral("今天：2026-12-11"));
    QCOMPARE(form.StatusPanel(1)->text(), QStringLiteral("操作员："));
    QCOMPARE(form.StatusPanel(3)->text(), QStringLiteral("www.chenlan-pos.example"));
    QCOMPARE(form.SaleDate(), QDate(2026, 12, 11));
    QCOMPARE(form.TotalLabel()->text(), QStringLiteral("共:0.00元"));
    QCOMPARE(form.CountLabel()->text(), QStringLiteral("商品数量：0"));
    QVERIFY(t.dm().ADOTable5.Active() && t.dm().ADOTable6.Active() && t.dm().ADOTable2.Active());

    form.HideAdminCommands();
    QVERIFY(!form.findChild<QToolButton*>(QStringLiteral("productsButton"))->isVisible());
    QVERIFY(!form.findChild<QAction*>(QStringLiteral("changePasswordAction"))->isVisible());
    QVERIFY(!form.findChild<QAction*>(QStringLiteral("userAdminAction"))->isVisible());
    QVERIFY(form.findChild<QAction*>(QStringLiteral("skinAction0"))->isVisible());
    form.close();
}

void TestMainForm::openWindowOnceReusesTheWindow() {
    TestDatabase t;
    TMainForm form(t.dm(), ConfigPath(t));
    form.show();
    QPointer<QWidget> window;
    int made = 0;
    const auto make = [&]() -> QWidget* {
        ++made;
        auto* w = new QWidget(&form, Qt::Window);
        w->setAttribute(Qt::WA_DeleteOnClose);
        w->show();
        return w;
    };
    form.OpenWindowOnce(window, make);
    QWidget* first = window;
    first->showMinimized();
    form.OpenWindowOnce(window, make);
    QCOMPARE(made, 1);
    QCOMPARE(window.data(), first);
    QVERIFY(window->isVisible());
    QVERIFY(!window->isMinimized());
    window->close();  // frees itself
    QTRY_VERIFY(window.isNull());
    form.OpenWindowOnce(window, make);
    QCOMPARE(made, 2);
}

void TestMainForm::gridFollowsTheWindowHeight() {
    TestDatabase t;
    TMainForm form(t.dm(), ConfigPath(t));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.resize(1200, 800);
    QTRY_COMPARE(form.Grid()->parentWidget()->height(), 800 + 22 - 320);
}

void TestMainForm::closeRecordsSessionEnd() {
    TestDatabase t;
    t.db().Exec(QStringLiteral("insert into rz (username, btime) values (?, ?)"),
                {QStringLiteral("超级管理员"), QStringLiteral("2026-12-11 08:00:00")});
    const int id = int(t.db().LastInsertId());
    t.db().Exec(QStringLiteral("insert into rz (username, btime) values ('其他', '2026-12-10 08:00:00')"));
    TMainForm form(t.dm(), ConfigPath(t));
    form.show();
    form.SetSessionId(id);
    QVERIFY(form.close());
    QCOMPARE(t.Count(QStringLiteral("rz"), QStringLiteral("id=? and jtime=?"),
                     {id, QStringLiteral("2026-12-11 09:30:00")}),
             1);
    QCOMPARE(t.Count(QStringLiteral("rz"), QStringLiteral("jtime is null")), 1);
    QVERIFY(QFile::exists(ConfigPath(t)));
}

void TestMainForm::failedSessionEndKeepsWindowOpen() {
    TestDatabase t;
    TMainForm form(t.dm(), ConfigPath(t));
    form.show();
    form.SetSessionId(7);
    t.db().Exec(QStringLiteral("drop table rz"));
    ScriptedDialogs dialogs;
    dialogs.ExpectError(QStringLiteral("no such table: rz"));
    QVERIFY(!form.close());
    QVERIFY(form.isVisible());
    QVERIFY(!QFile::exists(ConfigPath(t)));  // the counters are saved only after the session end
    VERIFY_DIALOGS(dialogs);
    form.SetSessionId(0);
}

void TestMainForm::lookupPickRingsUpOnTheCheckout() {
    TestDatabase t;
    for (const auto& [code, price] : {std::pair{"A1", 3}, {"B2", 2}, {"C3", 0}, {"D4", 8}})
        t.db().Exec(
            QStringLiteral("insert into sp (商品编码,商品名称,销售单价,进货单价) values (?,'商品',?,1)"),
            {QLatin1String(code), price});
    TMainForm main(t.dm(), ConfigPath(t));
    main.SetOperatorSource([] { return QStringLiteral("超级管理员"); });
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    Tysfm lookup(t.dm(), main, &main);
    lookup.show();
    QVERIFY(QTest::qWaitForWindowExposed(&lookup));
    ScriptedDialogs dialogs;
    dialogs.Expect(Dialogs::Kind::Input, QStringLiteral("请输入数量"), true, QStringLiteral("2"));
    QTableView* view = lookup.Grid()->View();
    const QPoint at = view->visualRect(view->model()->index(3, 1)).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    VERIFY_DIALOGS(dialogs);
    QVERIFY(!lookup.isVisible());
    QCOMPARE(t.Count(QStringLiteral("data"), QStringLiteral("c='D4' and [2]=2 and [6]=16")), 1);
    QVERIFY(main.EntryField()->text().isEmpty());
}

POS_WIDGET_TEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
