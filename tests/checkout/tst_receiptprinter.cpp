// The direct receipt printer: ESC/POS bytes captured by a printer server inside the test on
// 127.0.0.1, the cash drawer pulse after settlements, printers that fail or do not answer, and
// the setting's window.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStringDecoder>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include "checkout/PaymentPanel.h"
#include "checkout/Receipt.h"
#include "checkout/ReceiptPrinter.h"
#include "checkout/ReceiptPrinterWindow.h"
#include "common/Application.h"
#include "common/Pinyin.h"
#include "data/Errors.h"
#include "tests/checkout/CheckoutFixture.h"
#include "tests/support/WidgetTest.h"

namespace {

const QByteArray kStart = QByteArrayLiteral("\x1b@\x1c&");
const QByteArray kFeedAndCut = QByteArrayLiteral(
    "\x1b"
    "d\x04\x1dV\x01");
const QByteArray kPulse = QByteArrayLiteral("\x1bp\x00\x19\xfa");
const QString kRule31 = QString(31, u'-');

// A network receipt printer: it takes every connection and keeps what each one sent.
struct PrinterServer {
    QTcpServer server;
    PrinterServer() { QVERIFY(server.listen(QHostAddress::LocalHost)); }
    QString Address() const { return QStringLiteral("127.0.0.1:%1").arg(server.serverPort()); }

    // What each of the next `count` connections sent, in order; the desk writes synchronously,
    // so every connection is already queued when this is called.
    QList<QByteArray> Take(int count) {
        QList<QByteArray> sent;
        for (int i = 0; i < count; ++i) {
            if (!server.hasPendingConnections()) server.waitForNewConnection(-1);
            QTcpSocket* socket = server.nextPendingConnection();
            while (socket->state() == QAbstractSocket::ConnectedState && socket->waitForReadyRead(-1)) {
            }
            sent << socket->readAll();
            delete socket;
        }
        return sent;
    }
    bool MoreConnections() { return server.hasPendingConnections() || server.waitForNewConnection(0); }
};

ReceiptData SampleReceipt() {
    ReceiptData data;
    data.saleNumber = QStringLiteral("CJG261211000007");
    data.cashier = QStringLiteral("收银员");
    data.saleDate = QDate(2026, 12, 11);
    data.printTime = QTime(10, 5, 9);
    data.items = {{QStringLiteral("可口可乐"), 2, 6},
                  {QStringLiteral("康师傅红烧牛肉面五连包超大"), 1, 12.5},
                  {QStringLiteral("Milk 1L"), 0.5, 4.25}};
    data.total = QStringLiteral("22.75");
    data.received = QStringLiteral("22.75");
    data.cash = QStringLiteral("50");
    data.change = QStringLiteral("27.25");
    return data;
}

// The receipt's lines from the bytes of one ESC/POS job; fails the test on any other framing.
QStringList DecodeReceipt(const QByteArray& job) {
    if (!job.startsWith(kStart) || !job.endsWith(kFeedAndCut)) {
        qWarning() << "not a receipt job:" << job.toHex(' ');
        return {QStringLiteral("<bad framing>")};
    }
    const QByteArray text = job.mid(kStart.size(), job.size() - kStart.size() - kFeedAndCut.size());
    QStringDecoder gbk("GBK");
    QStringList lines = QString(gbk.decode(text)).split(u'\n');
    if (lines.last().isEmpty()) lines.removeLast();
    return lines;
}

QStringList LayoutTexts(const ReceiptData& data, int columns) {
    QStringList texts;
    for (const ReceiptLine& line : ReceiptLayout(data))
        texts << (line.text == kRule31 ? QString(columns - 1, u'-') : line.text);
    return texts;
}

void WriteSetting(const QString& configPath, const QString& address, bool drawer, int columns = 32) {
    QString error;
    QVERIFY2(
        SaveReceiptPrinterSetting(
            configPath, {.direct = true, .address = address, .columns = columns, .drawer = drawer}, &error),
        qPrintable(error));
}

void RingUp(CheckoutFixture& f, ScriptedDialogs& dialogs) {
    f.Scan(dialogs, QStringLiteral("6901"), QStringLiteral("2"));
}

void Settle(CheckoutFixture& f, bool printReceipt) {
    f.form->OpenPayment();
    f.form->Payment()->PrintReceiptBox()->setChecked(printReceipt);
    f.form->Payment()->ConfirmPayment();
}

}  // namespace

class TestReceiptPrinter : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void jobDecodesToTheReceiptLines_data();
    void jobDecodesToTheReceiptLines();
    void settlementPrintsAndPulsesTheDrawer_data();
    void settlementPrintsAndPulsesTheDrawer();
    void unreachablePrinterLeavesTheSaleSettledOnce();
    void silentPrinterTimesOut();
    void drawerOnDemand();
    void settingWindowStoresTheSetting();
};

void TestReceiptPrinter::jobDecodesToTheReceiptLines_data() {
    QTest::addColumn<int>("columns");
    QTest::addColumn<bool>("reprint");
    QTest::newRow("58 mm") << 32 << false;
    QTest::newRow("80 mm") << 48 << false;
    QTest::newRow("58 mm reprint") << 32 << true;
}

void TestReceiptPrinter::jobDecodesToTheReceiptLines() {
    QFETCH(int, columns);
    QFETCH(bool, reprint);
    PrinterServer printer;
    ReceiptData data = SampleReceipt();
    data.reprint = reprint;
    PrintReceiptOn({.direct = true, .address = printer.Address(), .columns = columns}, data);
    const QStringList lines = DecodeReceipt(printer.Take(1).value(0));
    QCOMPARE(lines, LayoutTexts(data, columns));
    QCOMPARE(lines.contains(QStringLiteral("        （重打）")), reprint);
    for (const QString& line : lines) QVERIFY2(GbkBytes(line).size() <= columns, qPrintable(line));
    QVERIFY(!printer.MoreConnections());
}

void TestReceiptPrinter::settlementPrintsAndPulsesTheDrawer_data() {
    QTest::addColumn<bool>("printReceipt");
    QTest::addColumn<bool>("drawer");
    QTest::newRow("receipt and drawer") << true << true;
    QTest::newRow("receipt, drawer off") << true << false;
    QTest::newRow("drawer without a receipt") << false << true;
    QTest::newRow("neither") << false << false;
}

void TestReceiptPrinter::settlementPrintsAndPulsesTheDrawer() {
    QFETCH(bool, printReceipt);
    QFETCH(bool, drawer);
    CheckoutFixture f;
    ScriptedDialogs dialogs;
    PrinterServer printer;
    WriteSetting(f.t.Folder() + QStringLiteral("/config.ini"), printer.Address(), drawer, 48);
    f.AddProduct(QStringLiteral("6901"), 12.75, 10, QStringLiteral("可口可乐"));
    RingUp(f, dialogs);
    Settle(f, printReceipt);
    VERIFY_DIALOGS(dialogs);
    QCOMPARE(f.t.Count(QStringLiteral("data3")), 1);

    const QList<QByteArray> jobs = printer.Take(int(printReceipt) + int(drawer));
    QVERIFY(!printer.MoreConnections());
    if (printReceipt) {
        const QStringList lines = DecodeReceipt(jobs[0]);
        QVERIFY(lines.contains(QStringLiteral("收银员：超级管理员")));
        QVERIFY(lines.contains(QStringLiteral("现金:25.50元  找零:0.00元")));
        QCOMPARE(lines[1], QString(47, u'-'));
        QVERIFY(!jobs[0].contains(kPulse));
    }
    if (drawer) QCOMPARE(jobs.last(), kPulse);
}

void TestReceiptPrinter::unreachablePrinterLeavesTheSaleSettledOnce() {
    CheckoutFixture f;
    ScriptedDialogs dialogs;
    quint16 closedPort = 0;
    {
        QTcpServer gone;  // a port that was just free: nothing answers there
        QVERIFY(gone.listen(QHostAddress::LocalHost));
        closedPort = gone.serverPort();
    }
    WriteSetting(f.t.Folder() + QStringLiteral("/config.ini"), QStringLiteral("127.0.0.1:%1").arg(closedPort),
                 true);
    f.AddProduct(QStringLiteral("6901"), 12.75, 10);
    RingUp(f, dialogs);
    dialogs.ExpectError(QStringLiteral("小票打印失败：无法连接小票打印机 127.0.0.1:%1").arg(closedPort));
    dialogs.ExpectError(QStringLiteral("钱箱打开失败：无法连接小票打印机"));
    Settle(f, true);
    VERIFY_DIALOGS(dialogs);
    QCOMPARE(f.t.Count(QStringLiteral("data3")), 1);
    QCOMPARE(f.t.Count(QStringLiteral("data1")), 1);
    QCOMPARE(f.t.Count(QStringLiteral("data")), 0);
    QCOMPARE(f.form->SaleNumber(), QStringLiteral("CJG261211000002 "));
}

// A printer that takes the connection but reads nothing, and a device nobody reads: the job
// cannot be written and gives up at the time-out (shortened here) with the message.
void TestReceiptPrinter::silentPrinterTimesOut() {
    const QByteArray big(32 * 1024 * 1024, 'x');
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    const QString address = QStringLiteral("127.0.0.1:%1").arg(silent.serverPort());
    try {
        SendToReceiptPrinter(address, big, 300);
        QFAIL("the job was written to a printer that reads nothing");
    } catch (const EPosError& error) {
        QCOMPARE(error.Message(), QStringLiteral("小票打印机 %1 在0.3秒内没有应答").arg(address));
    }

    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("lp0"));
    QCOMPARE(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    const int reader = ::open(fifo.toLocal8Bit().constData(), O_RDONLY | O_NONBLOCK);
    QVERIFY(reader >= 0);
    try {
        SendToReceiptPrinter(fifo, big, 300);
        QFAIL("the job was written to a device that reads nothing");
    } catch (const EPosError& error) {
        QCOMPARE(error.Message(), QStringLiteral("小票打印机 %1 在0.3秒内没有应答").arg(fifo));
    }
    ::close(reader);
    try {
        SendToReceiptPrinter(dir.filePath(QStringLiteral("none")), kPulse);
        QFAIL("a missing device was written");
    } catch (const EPosError& error) {
        QVERIFY2(error.Message().startsWith(QStringLiteral("无法打开小票打印机")),
                 qPrintable(error.Message()));
    }
}

void TestReceiptPrinter::drawerOnDemand() {
    CheckoutFixture f;
    ScriptedDialogs dialogs;
    QAction* open = f.form->findChild<QMenu*>(QStringLiteral("settingsMenu"))
                        ->findChild<QAction*>(QStringLiteral("drawerAction"));
    QCOMPARE(open->text(), QStringLiteral("开钱箱"));
    dialogs.ExpectError(QStringLiteral("钱箱打开失败：钱箱接在直连的小票打印机上"));
    open->trigger();  // the system printer has no drawer port
    VERIFY_DIALOGS(dialogs);

    PrinterServer printer;
    WriteSetting(f.t.Folder() + QStringLiteral("/config.ini"), printer.Address(), false);
    open->trigger();  // on demand even when the drawer does not open after sales
    QCOMPARE(printer.Take(1), QList<QByteArray>({kPulse}));
    VERIFY_DIALOGS(dialogs);

    f.form->HideAdminCommands();  // a cashier signed in
    QVERIFY(!open->isVisible());
    QVERIFY(!f.form->findChild<QAction*>(QStringLiteral("receiptPrinterAction"))->isVisible());
}

void TestReceiptPrinter::settingWindowStoresTheSetting() {
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("config.ini"));
    {
        ScriptedDialogs dialogs;
        ReceiptPrinterWindow window(config);
        QCOMPARE(window.windowTitle(), QStringLiteral("小票打印机设置"));
        QVERIFY(window.SystemChoice()->isChecked());
        QVERIFY(!window.DrawerBox()->isEnabled());
        window.DirectChoice()->setChecked(true);
        window.DrawerBox()->setChecked(true);
        window.PaperBox()->setCurrentIndex(1);
        dialogs.ExpectMessage(QStringLiteral("请输入小票打印机的设备文件或网络地址！"));
        QVERIFY(!window.Save());
        window.AddressBox()->setText(QStringLiteral(" 192.168.1.100:9100 "));
        QVERIFY(window.Save());
        VERIFY_DIALOGS(dialogs);
    }
    const ReceiptPrinterSetting stored = LoadReceiptPrinterSetting(config);
    QVERIFY(stored.direct);
    QCOMPARE(stored.address, QStringLiteral("192.168.1.100:9100"));
    QCOMPARE(stored.columns, 48);
    QVERIFY(stored.drawer);
    ReceiptPrinterWindow again(config);  // opens on what was stored
    QVERIFY(again.DirectChoice()->isChecked());
    QCOMPARE(again.PaperBox()->currentIndex(), 1);
    QVERIFY(again.DrawerBox()->isChecked());
}

POS_WIDGET_TEST_MAIN(TestReceiptPrinter)
#include "tst_receiptprinter.moc"
