// Number texts: the general and money formats, and the text-to-number conversion.

#include <QtTest>

#include "data/Errors.h"
#include "data/Numbers.h"

class TestNumbers : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void general_data();
    void general();
    void money_data();
    void money();
    void conversion_data();
    void conversion();
};

void TestNumbers::general_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole") << 25.0 << "25";
    QTest::newRow("half") << 12.5 << "12.5";
    QTest::newRow("tenth") << 0.1 << "0.1";
    QTest::newRow("float noise hidden") << 0.1 + 0.2 << "0.3";
    QTest::newRow("negative") << -5.25 << "-5.25";
    QTest::newRow("minus zero") << -0.0 << "0";
    QTest::newRow("15 digits") << 123456789012345.0 << "123456789012345";
    QTest::newRow("large") << 1e20 << "1E20";
    QTest::newRow("small") << 1.5e-7 << "1.5E-7";
}

void TestNumbers::general() {
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(FormatGeneral(value), text);
}

void TestNumbers::money_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << 0.0 << "0.00";
    QTest::newRow("sum") << 25.3 << "25.30";
    QTest::newRow("rounding") << 16.025000001 << "16.03";
    QTest::newRow("negative change") << -5.0 << "-5.00";
    QTest::newRow("minus zero") << -0.001 << "0.00";
    QTest::newRow("1.005 half up") << 1.005 << "1.01";
    QTest::newRow("0.5 x 2.01") << 0.5 * 2.01 << "1.01";
    QTest::newRow("2.675 half up") << 2.675 << "2.68";
    QTest::newRow("0.125 half up") << 0.125 << "0.13";
    QTest::newRow("below half") << 0.124999 << "0.12";
    QTest::newRow("tiny") << 1e-9 << "0.00";
    QTest::newRow("carry into whole") << 9.995 << "10.00";
    QTest::newRow("carry into new digit") << 99.999 << "100.00";
    QTest::newRow("large total") << 123456789.125 << "123456789.13";
    QTest::newRow("very large") << 1e20 << "100000000000000000000.00";
    QTest::newRow("negative half away") << -1.005 << "-1.01";
    QTest::newRow("negative 2.675") << -2.675 << "-2.68";
    QTest::newRow("negative tiny") << -1e-9 << "0.00";
}

void TestNumbers::money() {
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(FormatMoney(value), text);
}

void TestNumbers::conversion_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<double>("value");
    QTest::newRow("plain") << "12.5" << true << 12.5;
    QTest::newRow("blanks around") << "  3 " << true << 3.0;
    QTest::newRow("lone point") << "." << true << 0.0;
    QTest::newRow("trailing point") << "5." << true << 5.0;
    QTest::newRow("leading point") << ".5" << true << 0.5;
    QTest::newRow("negative") << "-2" << true << -2.0;
    QTest::newRow("exponent") << "1e3" << true << 1000.0;
    QTest::newRow("two points") << "1.2." << false << 0.0;
    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("blank") << "   " << false << 0.0;
    QTest::newRow("letters") << "abc" << false << 0.0;
    QTest::newRow("inner blank") << "1 2" << false << 0.0;
    QTest::newRow("comma") << "1,5" << false << 0.0;
    QTest::newRow("Chinese digits") << "五" << false << 0.0;
    QTest::newRow("bare exponent") << "e5" << false << 0.0;
    QTest::newRow("inf") << "inf" << false << 0.0;
}

void TestNumbers::conversion() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(double, value);
    if (valid) {
        QCOMPARE(StrToFloat(text), value);
        return;
    }
    try {
        StrToFloat(text);
        QFAIL("accepted");
    } catch (const EConvertError& error) {
        QCOMPARE(error.Message(), QStringLiteral("'%1' is not a valid floating point value").arg(text));
    }
}

QTEST_APPLESS_MAIN(TestNumbers)
#include "tst_numbers.moc"
