// Payment and settlement at the desk: the change, the checks, a sale stored wholly or not at
// all, sale numbers that are never issued twice, and the receipt after the sale is settled.

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>

#include "checkout/PaymentPanel.h"
#include "checkout/Receipt.h"
#include "checkout/SaleCounters.h"
#include "checkout/SaleGrid.h"
#include "common/Application.h"
#include "common/IniFile.h"
#include "data/Errors.h"
#include "tests/checkout/CheckoutFixture.h"
#include "tests/support/WidgetTest.h"

namespace {

bool WriteCounters(const QString& path, const QString& number, const QString& counter) {
    IniFile ini(path);
    ini.SetValue(QStringLiteral("官网 www.chenlan-pos.example"), QStringLiteral("number"), number);
    ini.SetValue(QStringLiteral("永久免费"), QStringLiteral("number0"), counter);
    return ini.Save();
}

QString ConfigValue(const QString& path, const char* section, const char* key) {
    IniFile ini(path);
    ini.Load();
    return ini.Value(QString::fromUtf8(section), QString::fromUtf8(key));
}

// Rings up 2 × 12.75 (cost 10): a total of 25.50 and a profit of 5.5.
void RingUpSale(CheckoutFixture& f, ScriptedDialogs& dialogs) {
    f.AddProduct(QStringLiteral("6901"), 12.75, 10);
    f.Scan(dialogs, QStringLiteral("6901"), QStringLiteral("2"));
}

void TypeCash(CheckoutFixture& f, const QString& cash) {
    QLineEdit* box = f.form->Payment()->CashBox();
    box->selectAll();
    QTest::keyClicks(box, cash);
}

}  // namespace

class TestPayment : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void enterEnterSettlesTheSale();
    void refusedConfirmationsStoreNothing_data();
    void refusedConfirmationsStoreNothing();
    void emptySaleAndZeroTotal();
    void saleEmptiedBehindTheGridIsNotPaid();
    void cashBoxKeysAndCancel();
    void saleNumbersFollowInOrder();
    void failureHalfwayStoresNothingAndRetryStoresOnce_data();
    void failureHalfwayStoresNothingAndRetryStoresOnce();
    void negativeTotalIsNeverSettled();
    void usedNumbersAreNeverIssuedAgain();
    void staleConfigIsRepairedAtStart_data();
    void staleConfigIsRepairedAtStart();
    void receiptIsPrintedFromTheSettledSale();
    void printerFailureLeavesTheSaleSettled();
    void reprintAfterARestartPrintsTheSameLinesMarked();
};

void TestPayment::enterEnterSettlesTheSale() {
    CheckoutFixture f;
    ScriptedDialogs dialogs;
    RingUpSale(f, dialogs);
    PaymentPanel* panel = f.form->Payment();
    QTest::keyClick(f.form->EntryField(), Qt::Key_Return);  // Enter on the empty entry opens the payment
    QVERIFY(panel->isVisible());
    QCOMPARE(panel->TotalBox()->text(), QStringLiteral("25.50"));
    QCOMPARE(panel->ReceivedBox()->text(), QStringLiteral("25.50"));
    QCOMPARE(panel->ChangeBox()->text(), QStringLiteral("0.00"));
    QCOMPARE(QApplication::focusWidget(), panel->CashBox());
    TypeCash(f, QStringLiteral("30"));
    QCOMPARE(panel->ChangeBox()->text(), QStringLiteral("4.50"));
    QTest::keyClick(panel->CashBox(), Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), panel->ConfirmButton());
    QTest::keyClick(panel->ConfirmButton(), Qt::Key_Return);
    VERIFY_DIALOGS(dialogs);

    QCOMPARE(f.t.Count(QStringLiteral("data")), 0);
    QCOMPARE(f.t.Count(QStringLiteral("data1"),
                       QStringLiteral("h='CJG121122000002' and c='6901' and [2]=2 and [6]=25.5 "
                                      "and [7]=5.5 and [8] is null and day1='2026-12-11'")),
             1);
    QCOMPARE(f.t.Count(QStringLiteral("data3"),
                       QStringLiteral(
                           "a='CJG121122000002' and b='超级管理员' and [1]=25.5 and [2]=25.5 and [3]=30 and "
                           "[4]=4.5 and [5]=5.5 and [6]=0 and [7]=0 and day1='2026-12-11'")),
             1);
    QVERIFY(!panel->isVisible());
    QCOMPARE(f.Total(), QStringLiteral("共:0.00元"));
    QCOMPARE(f.Count(), QStringLiteral("商品数量：0"));
    QCOMPARE(f.form->SaleNumber(), QStringLiteral("CJG261211000002 "));
    QCOMPARE(f.form->SaleNumberLabel()->text(), QStringLiteral("CJG261211000002 "));
    QCOMPARE(QApplication::focusWidget(), f.form->EntryField());
    QVERIFY(panel->CashBox()->text().isEmpty());
    // Saved at once, not only at a normal close.
    const QString config = f.t.Folder() + QStringLiteral("/config.ini");
    QCOMPARE(ConfigValue(config, "永久免费", "number0"), QStringLiteral("2"));
    QCOMPARE(ConfigValue(config, "官网 www.chenlan-pos.example", "number"),
             QStringLiteral("CJG261211000002"));
}

void TestPayment::refusedConfirmationsStoreNothing_data() {
    QTest::addColumn<QString>("cash");
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("message");
    QTest::newRow("too little") << "20"
                                << "-5.50"
                                << "现金金额不足！";
    QTest::newRow("empty") << ""
                           << "0.00"
                           << "请输入现金金额！";
    QTest::newRow("two points") << "3.0."
                                << ""
                                << "'3.0.' is not a valid floating point value";
}

void TestPayment::refusedConfirmationsStoreNothing() {
    QFETCH(QString, cash);
    QFETCH(QString, change);
    QFETCH(QString, message);
    CheckoutFixture f;
    ScriptedDialogs dialogs;
    RingUpSale(f, dialogs);
    f.form->ToolButton(QStringLiteral("settleButton"))->click();
    PaymentPanel* panel = f.form->Payment();
    if (cash.isEmpty())
        panel->CashBox()->clear();
    else
        TypeCash(f, cash);
    QCOMPARE(panel->ChangeBox()->text(), change);
    if (message.startsWith(u'\''))
        dialogs.ExpectError(message);
    else
        dialogs.ExpectMessage(message);
    QTest::mouseClick(panel->ConfirmButton(), Qt::LeftButton);
    VERIFY_DIALOGS(dialogs);
    QCOMPARE(f.t.Count(QStringLiteral("data1")), 0);
    QCOMPARE(f.t.Count(QStringLiteral("data3")), 0);
    QCOMPARE(f.t.Count(QStringLiteral("data")), 1);
    QVERIFY(panel->isVisible());
    QCOMPARE(QApplication::focusWidget(), panel->CashBox());
}

void TestPayment::emptySaleAndZeroTotal() {
    CheckoutFixture f;
    ScriptedDialogs dialogs;
    PaymentPanel* panel = f.form->Payment();
    f.form->ToolButton(QStringLiteral("settleButton"))->click();
    QCOMPARE(panel->TotalBox()->text(), QStringLiteral("0.00"));
    dialogs.ExpectMessage(QStringLiteral("请先进行商品销售！"));
    panel->ConfirmPayment();
    QVERIFY(!panel->isVisible());
    VERIFY_DIALOGS(dialogs);

    f.AddProduct(QStringLiteral("1"), 0, 1);  // a gift
    f.Scan(dialogs, QStringLiteral("1"), QStringLiteral("1"));
    f.form->OpenPayment();
    panel->ConfirmPayment();  // total 0.00: closes without a word
    VERIFY_DIALOGS(dialogs);
    QVERIFY(!panel->isVisible());
    QCOMPARE(f.t.Count(QStringLiteral("data3")), 0);
    QCOMPARE(QApplication::focusWidget(), f.form->EntryField());
}

void TestPayment::saleEmptiedBehindTheGridIsNotPaid() {
    CheckoutFixture f;
    ScriptedDialogs dialogs;
    RingUpSale(f, dialogs);
    f.form->OpenPayment();
    f.t.db().Exec(QStringLiteral("delete from data"));  // the grid still shows the line
    dialogs.ExpectMessage(QStringLiteral("请先进行商品销售！"));
    f.form->Payment()->ConfirmPayment();
    VERIFY_DIALOGS(dialogs);
    QCOMPARE(f.t.Count(QStringLiteral("data3")), 0);
    QCOMPARE(f.form->Grid()->RowCount(), 0);
}

void TestPayment::cashBoxKeysAndCancel() {
    CheckoutFixture f;
    ScriptedDialogs dialogs;
    RingUpSale(f, dialogs);
    f.form->OpenPayment();
    PaymentPanel* panel = f.form->Payment();
    TypeCash(f, QStringLiteral("5a0- "));
    QTest::sendKeyEvent(QTest::Click, panel->CashBox(), Qt::Key_unknown, QStringLiteral("元"),
                        Qt::NoModifier);
    QCOMPARE(panel->CashBox()->text(), QStringLiteral("50"));
    QCOMPARE(panel->ChangeBox()->text(), QStringLiteral("24.50"));
    // The change follows a cash text set from elsewhere at once.
    panel->CashBox()->setText(QStringLiteral("100"));
    QCOMPARE(panel->ChangeBox()->text(), QStringLiteral("74.50"));
    QTest::keyClick(panel->CashBox(), Qt::Key_Escape);
    QVERIFY(!panel->isVisible());
    QCOMPARE(QApplication::focusWidget(), f.form->EntryField());
    QCOMPARE(f.t.Count(QStringLiteral("data3")), 0);
    // Reopening takes the total over again.
    f.form->OpenPayment();
    QCOMPARE(panel->CashBox()->text(), QStringLiteral("25.50"));
    VERIFY_DIALOGS(dialogs);
}

void TestPayment::saleNumbersFollowInOrder() {
    CheckoutFixture f;
    f.Stop();
    QVERIFY(WriteCounters(f.t.Folder() + QStringLiteral("/config.ini"), QStringLiteral("CJG2439000014 "),
                          QStringLiteral("14")));
    Clock::SetFixed(QDateTime(QDate(2024, 3, 9), QTime(9, 0)));
    f.Start();
    ScriptedDialogs dialogs;
    QStringList numbers;
    for (int sale = 0; sale < 2; ++sale) {
        RingUpSale(f, dialogs);
        // The second sale's line was rung up under an older number: it is settled under this one.
        if (sale == 1) f.t.db().Exec(QStringLiteral("update data set h='CJG2438000003'"));
        f.form->OpenPayment();
        f.form->Payment()->ConfirmPayment();
        numbers << f.form->SaleNumber();
    }
    VERIFY_DIALOGS(dialogs);
    QCOMPARE(numbers, QStringList({"CJG2439000015 ", "CJG2439000016 "}));
    // Each sale is stored under the number shown while it was rung up, trimmed, on its payment
    // and on its line alike.
    for (const char* stored : {"CJG2439000014", "CJG2439000015"}) {
        QCOMPARE(f.t.Count(QStringLiteral("data3"), QStringLiteral("a=?"), {QString::fromLatin1(stored)}), 1);
        QCOMPARE(f.t.Count(QStringLiteral("data1"), QStringLiteral("h=?"), {QString::fromLatin1(stored)}), 1);
    }
}

void TestPayment::failureHalfwayStoresNothingAndRetryStoresOnce_data() {
    QTest::addColumn<QString>("refused");
    // The lines are copied first: what follows failing must take them back.
    QTest::newRow("payment record") << "insert on data3";
    QTest::newRow("emptying the open sale") << "delete on data";
}

void TestPayment::failureHalfwayStoresNothingAndRetryStoresOnce() {
    QFETCH(QString, refused);
    CheckoutFixture f;
    ScriptedDialogs dialogs;
    RingUpSale(f, dialogs);
    f.t.db().Exec(QStringLiteral("create trigger refuse before %1 begin select raise(abort, '磁盘已满'); end")
                      .arg(refused));
    f.form->OpenPayment();
    dialogs.ExpectError(QStringLiteral("磁盘已满"));
    QTest::mouseClick(f.form->Payment()->ConfirmButton(), Qt::LeftButton);
    VERIFY_DIALOGS(dialogs);
    QCOMPARE(f.t.Count(QStringLiteral("data1")), 0);
    QCOMPARE(f.t.Count(QStringLiteral("data3")), 0);
    QCOMPARE(f.t.Count(QStringLiteral("data")), 1);
    QCOMPARE(f.form->SaleNumber(), QStringLiteral("CJG121122000002"));

    f.t.db().Exec(QStringLiteral("drop trigger refuse"));
    f.form->OpenPayment();
    QTest::mouseClick(f.form->Payment()->ConfirmButton(), Qt::LeftButton);
    VERIFY_DIALOGS(dialogs);
    QCOMPARE(f.t.Count(QStringLiteral("data1")), 1);
    QCOMPARE(f.t.Count(QStringLiteral("data3")), 1);
    QCOMPARE(f.t.Count(QStringLiteral("data")), 0);
}

void TestPayment::negativeTotalIsNeverSettled() {
    CheckoutFixture f;
    ScriptedDialogs dialogs;
    RingUpSale(f, dialogs);
    // A line from before negative prices were refused.
    f.t.db().Exec(QStringLiteral("update data set [4]=-12.75, [6]=-25.5, [7]=-45.5"));
    f.form->ReloadSaleGrid();
    f.form->OpenPayment();
    PaymentPanel* panel = f.form->Payment();
    QCOMPARE(panel->TotalBox()->text(), QStringLiteral("-25.50"));
    TypeCash(f, QStringLiteral("0"));
    dialogs.ExpectMessage(QStringLiteral("负数"));
    QTest::mouseClick(panel->ConfirmButton(), Qt::LeftButton);
    VERIFY_DIALOGS(dialogs);
    QCOMPARE(f.t.Count(QStringLiteral("data3")), 0);
    QCOMPARE(f.t.Count(QStringLiteral("data1")), 0);
    QCOMPARE(f.t.Count(QStringLiteral("data")), 1);
}

void TestPayment::usedNumbersAreNeverIssuedAgain() {
    CheckoutFixture f;
    ScriptedDialogs dialogs;
    // Sales settled after the config.ini we start from was written (a forced end).
    for (const char* number : {"CJG261211000002", "CJG261211000003"})
        f.t.db().Exec(QStringLiteral("insert into data3 (a, day1) values (?, '2026-12-11')"),
                      {QString::fromLatin1(number)});
    RingUpSale(f, dialogs);
    f.form->OpenPayment();
    f.form->Payment()->ConfirmPayment();
    VERIFY_DIALOGS(dialogs);
    QCOMPARE(f.form->SaleNumber(), QStringLiteral("CJG261211000004 "));
    QCOMPARE(f.form->SaleCounter(), QStringLiteral("4"));
}

void TestPayment::staleConfigIsRepairedAtStart_data() {
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("counter");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("settledAs");  // by 超级管理员, who logs in after the repair
    QTest::newRow("number already settled") << "SYY26121000041 "
                                            << "41"
                                            << "已经用于一笔结账的销售"
                                            << "SYY261211000043 "
                                            << "CJG261211000043";
    QTest::newRow("counter no whole number") << "SYY261211000099 "
                                             << "四十二"
                                             << "不是整数"
                                             << "SYY261211000043 "
                                             << "CJG261211000043";
    QTest::newRow("number without initials") << "261211000777 "
                                             << "x"
                                             << "不是整数"
                                             << "261211000043 "
                                             << "CJG261211000043";
    QTest::newRow("all well") << "SYY261211000050 "
                              << "49"
                              << ""
                              << "SYY261211000050"
                              << "SYY261211000050";
}

void TestPayment::staleConfigIsRepairedAtStart() {
    QFETCH(QString, number);
    QFETCH(QString, counter);
    QFETCH(QString, message);
    QFETCH(QString, expected);
    CheckoutFixture f;
    f.t.db().Exec(QStringLiteral("insert into data3 (a, day1) values ('SYY26121000041', '2026-12-10')"));
    f.t.db().Exec(QStringLiteral("insert into data3 (a, day1) values ('SYY26121000042', '2026-12-10')"));
    const QString config = f.t.Folder() + QStringLiteral("/config.ini");
    f.Stop();
    QVERIFY(WriteCounters(config, number, counter));
    ScriptedDialogs dialogs;
    if (!message.isEmpty()) dialogs.ExpectWarning(message);
    f.Start();
    VERIFY_DIALOGS(dialogs);
    QCOMPARE(f.form->SaleNumber(), expected);
    if (!message.isEmpty()) QCOMPARE(ConfigValue(config, "永久免费", "number0"), QStringLiteral("43"));
    QFETCH(QString, settledAs);
    RingUpSale(f, dialogs);
    f.form->OpenPayment();
    f.form->Payment()->ConfirmPayment();
    VERIFY_DIALOGS(dialogs);
    QCOMPARE(f.t.Count(QStringLiteral("data3"), QStringLiteral("a=?"), {settledAs}), 1);
    QCOMPARE(f.t.Count(QStringLiteral("data1"), QStringLiteral("h=?"), {settledAs}), 1);
}

void TestPayment::receiptIsPrintedFromTheSettledSale() {
    CheckoutFixture f;
    ScriptedDialogs dialogs;
    RingUpSale(f, dialogs);
    f.AddProduct(QStringLiteral("6902"), 2.5, 1, QStringLiteral("矿泉水"));
    f.Scan(dialogs, QStringLiteral("6902"), QStringLiteral("1"));
    std::vector<ReceiptData> printed;
    qint64 settledWhenPrinting = -1;
    f.form->Payment()->SetReceiptPrinter([&](const ReceiptData& data) {
        printed.push_back(data);
        settledWhenPrinting = f.t.Count(QStringLiteral("data3"));
    });
    f.form->OpenPayment();
    f.form->Payment()->PrintReceiptBox()->setChecked(true);
    TypeCash(f, QStringLiteral("30"));
    f.form->Payment()->ConfirmPayment();
    VERIFY_DIALOGS(dialogs);
    QCOMPARE(printed.size(), size_t(1));
    QCOMPARE(settledWhenPrinting, 1);
    const ReceiptData& r = printed[0];
    QCOMPARE(r.saleNumber, QStringLiteral("CJG121122000002"));
    QCOMPARE(r.cashier, QStringLiteral("超级管理员"));
    QCOMPARE(r.total, QStringLiteral("28.00"));
    QCOMPARE(r.cash, QStringLiteral("30"));
    QCOMPARE(r.change, QStringLiteral("2.00"));
    QCOMPARE(r.items.size(), size_t(2));
    QCOMPARE(r.items[1].name, QStringLiteral("矿泉水"));
    QCOMPARE(r.items[0].amount, 25.5);
    // Unticked, nothing is printed.
    f.form->Payment()->PrintReceiptBox()->setChecked(false);
    RingUpSale(f, dialogs);
    f.form->OpenPayment();
    f.form->Payment()->ConfirmPayment();
    QCOMPARE(printed.size(), size_t(1));
}

void TestPayment::printerFailureLeavesTheSaleSettled() {
    CheckoutFixture f;
    ScriptedDialogs dialogs;
    RingUpSale(f, dialogs);
    f.form->Payment()->SetReceiptPrinter(
        [](const ReceiptData&) { throw EPosError(QStringLiteral("没有设置默认打印机")); });
    f.form->OpenPayment();
    f.form->Payment()->PrintReceiptBox()->setChecked(true);
    dialogs.ExpectError(QStringLiteral("小票打印失败：没有设置默认打印机"));
    QTest::mouseClick(f.form->Payment()->ConfirmButton(), Qt::LeftButton);
    VERIFY_DIALOGS(dialogs);
    QCOMPARE(f.t.Count(QStringLiteral("data3")), 1);
    QCOMPARE(f.t.Count(QStringLiteral("data")), 0);
    QCOMPARE(f.form->SaleNumber(), QStringLiteral("CJG261211000002 "));
    // Confirming again finds an empty sale: nothing is stored twice.
    f.form->OpenPayment();
    dialogs.ExpectMessage(QStringLiteral("请先进行商品销售！"));
    f.form->Payment()->ConfirmPayment();
    VERIFY_DIALOGS(dialogs);
    QCOMPARE(f.t.Count(QStringLiteral("data3")), 1);
}

void TestPayment::reprintAfterARestartPrintsTheSameLinesMarked() {
    CheckoutFixture f;
    ScriptedDialogs dialogs;
    std::vector<ReceiptData> printed;
    const auto capture = [&f, &printed] {
        f.form->Payment()->SetReceiptPrinter(
            [&printed](const ReceiptData& data) { printed.push_back(data); });
    };
    capture();
    dialogs.ExpectError(QStringLiteral("小票打印失败：还没有结账的销售，没有小票可以重打。"));
    QTest::keyClick(f.form.get(), Qt::Key_F9);
    VERIFY_DIALOGS(dialogs);
    QVERIFY(printed.empty());

    RingUpSale(f, dialogs);
    f.AddProduct(QStringLiteral("6902"), 2.5, 1, QStringLiteral("矿泉水"));
    f.Scan(dialogs, QStringLiteral("6902"), QStringLiteral("3"));
    f.form->OpenPayment();
    f.form->Payment()->PrintReceiptBox()->setChecked(true);
    TypeCash(f, QStringLiteral("50"));
    f.form->Payment()->ConfirmPayment();
    RingUpSale(f, dialogs);  // left open: a reprint is of the last settled sale only
    QCOMPARE(printed.size(), size_t(1));

    f.Restart();
    capture();
    QTest::keyClick(f.form.get(), Qt::Key_F9);
    f.form->findChild<QMenu*>(QStringLiteral("settleMenu"))
        ->findChild<QAction*>(QStringLiteral("reprintAction"))
        ->trigger();
    VERIFY_DIALOGS(dialogs);
    QCOMPARE(printed.size(), size_t(3));
    QStringList original, expected;
    for (const ReceiptLine& line : ReceiptLayout(printed[0])) original << line.text;
    expected = original;
    expected.insert(1, QStringLiteral("        （重打）"));
    for (size_t i = 1; i < printed.size(); ++i) {
        QStringList reprinted;
        for (const ReceiptLine& line : ReceiptLayout(printed[i])) reprinted << line.text;
        QCOMPARE(reprinted, expected);
    }
    QCOMPARE(f.t.Count(QStringLiteral("data3")), 1);
    QCOMPARE(f.t.Count(QStringLiteral("data")), 1);
}

POS_WIDGET_TEST_MAIN(TestPayment)
#include "tst_payment.moc"
