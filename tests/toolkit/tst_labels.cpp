// Barcode labels: the layout file's format, and label sheets printed to PDF, rendered with
// pdftoppm and decoded with zbarimg to exactly the codes of the list.

#include <QPdfWriter>
#include <QtTest>

#include "data/Dataset.h"
#include "tests/support/MemoryDataset.h"
#include "tests/support/Printouts.h"
#include "tests/support/WidgetTest.h"
#include "toolkit/LabelReport.h"

class TestLabels : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void layoutFiles_data();
    void layoutFiles();
    void loadingFromTheShopFolder();
    void sheetsDecodeToTheListsCodes();
};

void TestLabels::layoutFiles_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("error");  // empty: accepted
    const QString head = kLabelLayoutSignature + u'\n';
    QTest::newRow("built-in written out") << LabelLayoutText(LabelLayout()) << "";
    QTest::newRow("comments and defaults") << head + "# only three\ncolumns 3  # wider labels\nlabel 60 25\n"
                                           << "";
    QTest::newRow("another program's layout") << "<?xml version=\"1.0\"?>\n<TfrxReport>"
                                              << "第 1 行";
    QTest::newRow("unknown setting") << head + "page 210 150\ncolour red\n"
                                     << "第 3 行：不认识的设置“colour”";
    QTest::newRow("number missing") << head + "label 47.5\n"
                                    << "第 2 行：“label”的数值不对";
    QTest::newRow("not a number") << head + "margins 10 10 x 10\n"
                                  << "“margins”的数值不对";
    QTest::newRow("no columns") << head + "columns 0\n"
                                << "“columns”的数值不对";
    QTest::newRow("wider than the paper") << head + "columns 5\n"
                                          << "5 列标签比纸宽";
}

void TestLabels::layoutFiles() {
    QFETCH(QString, text);
    QFETCH(QString, error);
    const LabelLayoutResult result = ParseLabelLayout(text);
    QCOMPARE(result.layout.has_value(), error.isEmpty());
    QVERIFY2(result.error.contains(error), qPrintable(result.error));
    if (QTest::currentDataTag() == QLatin1String("built-in written out")) {
        const LabelLayout& l = *result.layout;
        QCOMPARE(l.pageWidth, 210.0);
        QCOMPARE(l.columns, 4);
        QCOMPARE(l.labelWidth, 47.5);
        QCOMPARE(l.barcodeWidth, 32.5);
        QCOMPARE(l.nameFont, QStringLiteral("宋体"));
        QCOMPARE(l.LabelsPerPage(), 20);
    }
}

void TestLabels::loadingFromTheShopFolder() {
    MemoryDataset rows;
    LabelReport report(rows);
    QTemporaryDir dir;
    QString error;
    QVERIFY(report.LoadFromFile(dir.filePath("2.fr3"), &error));  // none there: the built-in layout
    QCOMPARE(report.Layout().columns, 4);

    QFile bad(dir.filePath("2.fr3"));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("<?xml version=\"1.0\"?>");
    bad.close();
    QVERIFY(!report.LoadFromFile(bad.fileName(), &error));
    QVERIFY2(error.contains(bad.fileName()) && error.contains(QStringLiteral("不是标签版式文件")),
             qPrintable(error));

    QVERIFY(bad.open(QIODevice::WriteOnly | QIODevice::Truncate));
    bad.write((kLabelLayoutSignature + QStringLiteral("\ncolumns 2\nlabel 95 25\n")).toUtf8());
    bad.close();
    QVERIFY(report.LoadFromFile(bad.fileName(), &error));
    QCOMPARE(report.Layout().LabelsPerPage(), 10);

    // The demo shop's file holds the built-in layout.
    QVERIFY(report.LoadFromFile(QStringLiteral(POS_SOURCE_DIR "/scripts/demo/2.fr3"), &error));
    QCOMPARE(LabelLayoutText(report.Layout()), LabelLayoutText(LabelLayout()));
}

void TestLabels::sheetsDecodeToTheListsCodes() {
    MemoryDataset rows;
    std::vector<Dataset::Row> data;
    QStringList codes;  // the ones Code 128 can hold
    for (int i = 0; i < 23; ++i) {
        const QString code =
            i == 3 ? QStringLiteral("abc-12x") : QStringLiteral("69012345%1").arg(i, 5, 10, QLatin1Char('0'));
        codes << code;
        data.push_back({code, QStringLiteral("商品%1").arg(i)});
    }
    data.push_back({QStringLiteral("散装"), QStringLiteral("散装大米")});  // printed as text, no bars
    data.push_back({QString(), QStringLiteral("无码商品")});
    rows.Load({"商品编码", "商品名称"}, std::move(data));

    LabelReport report(rows);
    QCOMPARE(report.KnownPages(), 2);
    QTemporaryDir dir;
    const QString pdf = dir.filePath("labels.pdf");
    QPdfWriter writer(pdf);
    writer.setResolution(600);
    QVERIFY(PrintReport(report, &writer));

    const QString text = PdfText(pdf);
    QVERIFY(text.contains(QStringLiteral("商品0")) && text.contains(QStringLiteral("商品22")));
    QVERIFY2(text.contains(QStringLiteral("散装大米")) && text.contains(QStringLiteral("散装")),
             qPrintable(text));
    QStringList decoded;
    const QStringList pages = PdfPages(pdf, 300);
    QCOMPARE(pages.size(), 2);
    for (const QString& page : pages) decoded << DecodeBarcodes(page);
    QStringList expected;
    for (const QString& code : codes) expected << QStringLiteral("CODE-128:") + code;
    decoded.sort();
    expected.sort();
    QCOMPARE(decoded, expected);
}

POS_WIDGET_TEST_MAIN(TestLabels)
#include "tst_labels.moc"
