// The grid's number rules, shared by the screen, the printer and the exporter.

#include <QtTest>
#include <stdexcept>

#include "data/Dataset.h"
#include "tests/support/MemoryDataset.h"
#include "toolkit/GridFormat.h"

class TestGridFormat : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void formats_data();
    void formats();
    void cellTexts_data();
    void cellTexts();
    void footerSums();
};

void TestGridFormat::formats_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<int>("decimals");  // -2: refused
    QTest::newRow("general") << "" << -1;
    QTest::newRow("whole") << "0" << 0;
    QTest::newRow("two places") << "0.00" << 2;
    QTest::newRow("four places") << "0.0000" << 4;
    QTest::newRow("no places after the point") << "0." << -2;
    QTest::newRow("thousands") << "#,##0.00" << -2;
    QTest::newRow("other digit") << "0.01" << -2;
}

void TestGridFormat::formats() {
    QFETCH(QString, format);
    QFETCH(int, decimals);
    if (decimals == -2)
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, ParseGridFormat(format));
    else
        QCOMPARE(ParseGridFormat(format), decimals);
}

void TestGridFormat::cellTexts_data() {
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("text");
    QTest::newRow("general keeps no trailing zeros") << QVariant(12.5) << -1 << "12.5";
    QTest::newRow("fixed places") << QVariant(12.5) << 2 << "12.50";
    QTest::newRow("whole rounds") << QVariant(2.5) << 0 << "3";
    QTest::newRow("tiny negative is no debt") << QVariant(-0.001) << 2 << "0.00";
    QTest::newRow("money half away from zero") << QVariant(0.5 * 2.01) << 2 << "1.01";
    QTest::newRow("2.675 is not 2.67") << QVariant(2.675) << 2 << "2.68";
    QTest::newRow("negative half away") << QVariant(-2.675) << 2 << "-2.68";
    QTest::newRow("integer") << QVariant(qlonglong(7)) << 2 << "7.00";
    QTest::newRow("text untouched by a format") << QVariant(QStringLiteral("6901")) << 2 << "6901";
    QTest::newRow("null is empty") << QVariant() << 2 << "";
}

void TestGridFormat::cellTexts() {
    QFETCH(QVariant, value);
    QFETCH(int, decimals);
    QFETCH(QString, text);
    QCOMPARE(GridCellText(value, decimals), text);
}

void TestGridFormat::footerSums() {
    MemoryDataset dataset;
    dataset.Load({"a", "n"}, {{QStringLiteral("x"), 0.1},
                              {QStringLiteral("2.5"), 0.2},
                              {QVariant(), QVariant()},
                              {QStringLiteral("y"), QStringLiteral("1.5")}});
    QCOMPARE(FooterSum(dataset, 1), 1.8);  // number texts count, binary noise is rounded away
    QCOMPARE(FooterSum(dataset, 0), 2.5);  // only the number text of a text column adds
    QCOMPARE(FooterSum(dataset, -1), 0.0);
}

QTEST_APPLESS_MAIN(TestGridFormat)
#include "tst_gridformat.moc"
