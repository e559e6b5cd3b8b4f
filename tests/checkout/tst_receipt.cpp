// The POS receipt: the name field in GBK bytes, the lines and their heights, and the page as
// a printer gets it (rendered to PDF and read back).

#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "checkout/Receipt.h"
#include "common/Pinyin.h"
#include "data/Errors.h"
#include "tests/support/PdfInk.h"
#include "tests/support/PrintQueue.h"

namespace {

ReceiptData Sample(int items) {
    ReceiptData d;
    d.saleNumber = QStringLiteral("CJG261211000002 ");
    d.cashier = QStringLiteral("超级管理员");
    d.saleDate = QDate(2026, 12, 11);
    d.printTime = QTime(9, 5, 7);
    for (int i = 0; i < items; ++i) d.items.push_back({QStringLiteral("可口可乐"), 2, 5});
    d.total = QStringLiteral("25.50");
    d.received = QStringLiteral("25.50");
    d.cash = QStringLiteral("30");
    d.change = QStringLiteral("4.5");
    return d;
}

QString TextAt(const std::vector<ReceiptLine>& lines, int y) {
    for (const ReceiptLine& line : lines)
        if (line.y == y) return line.text;
    return QStringLiteral("(none at %1)").arg(y);
}

// The page as a picture: one band of ink per receipt line, each starting within its own
// 30-dot slot of the layout, so no line overprints another and the receipt has its real length.
void CheckInkMatchesLayout(const QString& pdf, const std::vector<ReceiptLine>& lines,
                           const QString& pictureName) {
    constexpr int dpi = 203;
    QString error;
    const QImage page = RenderPdfPage(pdf, 1, dpi, &error);
    QVERIFY2(!page.isNull(), qPrintable(error));
    page.save(QDir::temp().filePath(pictureName));  // to look at
    const std::vector<InkBand> bands = InkBands(page);
    QCOMPARE(bands.size(), lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        const int slotEnd = i + 1 < lines.size() ? lines[i + 1].y : lines[i].y + 30;
        QVERIFY2(bands[i].top >= lines[i].y - 2 && bands[i].bottom < slotEnd + 2,
                 qPrintable(QStringLiteral("line %1 (\"%2\") inked rows %3-%4")
                                .arg(i)
                                .arg(lines[i].text)
                                .arg(bands[i].top)
                                .arg(bands[i].bottom)));
    }
    const double lengthMm = PixelsToMm(bands.back().bottom - bands.front().top, dpi);
    QVERIFY2(lengthMm > 65 && lengthMm < 75, qPrintable(QString::number(lengthMm)));
}

}  // namespace

class TestReceipt : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void nameField_data();
    void nameField();
    void layout();
    void printsToAPage();
    void keepsItsLengthAtAnyResolution();
    void printsThroughARealQueue();
};

void TestReceipt::nameField_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("field");
    QTest::newRow("four characters") << "可口可乐"
                                     << "可口可乐          ";
    QTest::newRow("17 bytes") << "ABCDEFGHIJKLMNOPQ"
                              << "ABCDEFGHIJKLMNOPQ ";
    QTest::newRow("18 bytes") << "康师傅红烧牛肉面A1"
                              << "康师傅红烧牛肉面A1 ";
    QTest::newRow("longer") << "ABCDEFGHIJKLMNOPQRSTUVW"
                            << "ABCDEFGHIJKLMNOPQR ";
    QTest::newRow("cut inside a character") << "A康师傅红烧牛肉面条"
                                            << "A康师傅红烧牛肉面  ";
    QTest::newRow("empty") << ""
                           << "                  ";
}

void TestReceipt::nameField() {
    QFETCH(QString, name);
    QFETCH(QString, field);
    QCOMPARE(ReceiptNameField(name), field);
    QVERIFY(GbkBytes(ReceiptNameField(name)).size() >= 19 || name.isEmpty() || GbkBytes(name).size() < 18);
}

void TestReceipt::layout() {
    const auto lines = ReceiptLayout(Sample(3));
    const QString rule(31, u'-');
    QCOMPARE(TextAt(lines, 0), QStringLiteral("      POS小票销售凭证"));
    QVERIFY(lines[0].heading);
    QCOMPARE(TextAt(lines, 40), rule);
    QCOMPARE(TextAt(lines, 60), QStringLiteral("销售单号：CJG261211000002 "));
    QCOMPARE(TextAt(lines, 90), QStringLiteral("收银员：超级管理员"));
    QCOMPARE(TextAt(lines, 120), QStringLiteral("打印时间：2026-12-11 09:05:07 "));
    QCOMPARE(TextAt(lines, 180), QStringLiteral("商品名称         数量     金额 "));
    QCOMPARE(GbkBytes(TextAt(lines, 180)).size(), 31);
    QCOMPARE(TextAt(lines, 210), QStringLiteral("可口可乐           2      5"));
    QCOMPARE(TextAt(lines, 270), QStringLiteral("可口可乐           2      5"));
    QCOMPARE(TextAt(lines, 300), rule);
    QCOMPARE(TextAt(lines, 330), QStringLiteral("总计:25.50元  实收:25.50元"));
    QCOMPARE(TextAt(lines, 360), QStringLiteral("现金:30.00元  找零:4.50元"));
    QCOMPARE(TextAt(lines, 420), QStringLiteral("晨岚POS收银软件提供打印技术支持"));
    QCOMPARE(TextAt(lines, 450), QStringLiteral("官网：www.chenlan-pos.example"));
    QCOMPARE(TextAt(lines, 510), QStringLiteral("         欢迎下次惠顾        "));
    QCOMPARE(lines.back().y, 540);
    QCOMPARE(lines.back().text, rule);
    QCOMPARE(ReceiptLayout(Sample(0)).back().y, 450);

    ReceiptData bad = Sample(1);
    bad.change = QStringLiteral("4.5.");
    QVERIFY_THROWS_EXCEPTION(EConvertError, ReceiptLayout(bad));
}

void TestReceipt::printsToAPage() {
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("receipt.pdf"));
    {
        QPdfWriter writer(pdf);
        writer.setResolution(203);  // a roll printer's dots
        writer.setPageSize(QPageSize(QSizeF(80, 250), QPageSize::Millimeter));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        PaintReceipt(writer, ReceiptLayout(Sample(2)));
    }
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    QVERIFY(text.waitForFinished(20000));
    // The font's glyphs for 小, 口, 金 ... read back as Kangxi radicals; NFKC folds them.
    const QString out =
        QString::fromUtf8(text.readAllStandardOutput()).normalized(QString::NormalizationForm_KC);
    for (const char* expected : {"POS小票销售凭证", "销售单号：CJG261211000002", "可口可乐", "总计:25.50元",
                                 "现金:30.00元", "欢迎下次惠顾"})
        QVERIFY2(out.contains(QString::fromUtf8(expected).normalized(QString::NormalizationForm_KC)),
                 qPrintable(out));
    QCOMPARE(out.count(QStringLiteral("可口可乐")), 2);
    // The lines come in the order of their heights.
    QVERIFY(out.indexOf(QStringLiteral("收银员")) < out.indexOf(QStringLiteral("可口可乐")));
    QVERIFY(out.indexOf(QStringLiteral("可口可乐")) < out.indexOf(QStringLiteral("总计")));
}

void TestReceipt::keepsItsLengthAtAnyResolution() {
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("receipt.pdf"));
    const auto lines = ReceiptLayout(Sample(3));
    {
        QPdfWriter writer(pdf);
        writer.setResolution(1200);  // what a CUPS printer reports in high-resolution mode
        writer.setPageSize(QPageSize(QSizeF(80, 250), QPageSize::Millimeter));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        PaintReceipt(writer, lines);
    }
    CheckInkMatchesLayout(pdf, lines, QStringLiteral("receipt-1200dpi.png"));
}

void TestReceipt::printsThroughARealQueue() {
    PrintQueue queue;
    if (!queue.Start()) QSKIP(qPrintable(queue.ErrorString()));
    const ReceiptData sale = Sample(3);
    PrintReceipt(sale);  // the desk's own call, on the default printer
    const QString pdf = queue.WaitForPdf();
    QVERIFY2(!pdf.isEmpty(), qPrintable(queue.ErrorString()));
    CheckInkMatchesLayout(pdf, ReceiptLayout(sale), QStringLiteral("receipt-cups.png"));
}

QTEST_MAIN(TestReceipt)
#include "tst_receipt.moc"
