// The sale number's text and config.ini, the file that keeps the number between runs.

#include <QTemporaryDir>
#include <QtTest>

#include "common/IniFile.h"
#include "common/SaleNumber.h"

class TestSaleConfig : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void saleNumberText_data();
    void saleNumberText();
    void iniKeepsSectionsAndKeys();
    void iniWithManyKeys();
};

void TestSaleConfig::saleNumberText_data() {
    QTest::addColumn<QString>("user");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<qint64>("counter");
    QTest::addColumn<QString>("number");
    QTest::newRow("super administrator")
        << "超级管理员" << QDate(2012, 11, 22) << qint64(2) << "CJG121122000002 ";
    QTest::newRow("month and day unpadded")
        << "超级管理员" << QDate(2024, 3, 9) << qint64(15) << "CJG2439000015 ";
    QTest::newRow("seven-digit counter")
        << "收银员" << QDate(2026, 1, 5) << qint64(1234567) << "SYY26151234567 ";
    QTest::newRow("Latin name in upper case")
        << "li" << QDate(2026, 10, 31) << qint64(7) << "LI261031000007 ";
}

void TestSaleConfig::saleNumberText() {
    QFETCH(QString, user);
    QFETCH(QDate, date);
    QFETCH(qint64, counter);
    QTEST(SaleNumberText(user, date, counter), "number");
}

void TestSaleConfig::iniKeepsSectionsAndKeys() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("config.ini"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(
            "[官网 www.chenlan-pos.example]\nnumber=CJG1 \n[永久免费]\nnumber0=1\n; note\nNumber0 = 7\n"
            "[a/b.c]\nx=1\n[永久免费]\nother=2\n");
    }
    IniFile ini(path);
    QVERIFY(ini.Load());
    QCOMPARE(ini.Value(QStringLiteral("官网 www.chenlan-pos.example"), QStringLiteral("NUMBER")),
             QStringLiteral("CJG1"));
    QCOMPARE(ini.Value(QStringLiteral("永久免费"), QStringLiteral("number0")),
             QStringLiteral("7"));  // the last one
    QCOMPARE(ini.Value(QStringLiteral("永久免费"), QStringLiteral("other")), QStringLiteral("2"));
    QCOMPARE(ini.Value(QStringLiteral("A/B.C"), QStringLiteral("x")), QStringLiteral("1"));
    QCOMPARE(ini.Value(QStringLiteral("none"), QStringLiteral("x"), QStringLiteral("-")),
             QStringLiteral("-"));
    ini.SetValue(QStringLiteral("永久免费"), QStringLiteral("NUMBER0"), QStringLiteral("8"));
    ini.SetValue(QStringLiteral("new"), QStringLiteral("k"), QStringLiteral("v"));
    QVERIFY(ini.Save());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(
        QString::fromUtf8(file.readAll()),
        QStringLiteral("[官网 www.chenlan-pos.example]\nnumber=CJG1\n\n[永久免费]\nnumber0=8\nother=2\n\n"
                       "[a/b.c]\nx=1\n\n[new]\nk=v\n\n"));
}

void TestSaleConfig::iniWithManyKeys() {
    // A file grown by other tools: every key kept, in order, and the desk's values found.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("config.ini"));
    constexpr int keys = 60000;
    {
        IniFile ini(path);
        for (int i = 0; i < keys; ++i)
            ini.SetValue(QStringLiteral("extra"), QStringLiteral("k%1").arg(i), QString::number(i));
        ini.SetValue(QStringLiteral("永久免费"), QStringLiteral("number0"), QStringLiteral("41"));
        QVERIFY(ini.Save());
    }
    IniFile ini(path);
    QVERIFY(ini.Load());
    QCOMPARE(ini.Value(QStringLiteral("永久免费"), QStringLiteral("number0")), QStringLiteral("41"));
    QCOMPARE(ini.Value(QStringLiteral("extra"), QStringLiteral("K59999")), QStringLiteral("59999"));
    ini.SetValue(QStringLiteral("永久免费"), QStringLiteral("number0"), QStringLiteral("42"));
    QVERIFY(ini.Save());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.size(), keys + 6);
    QCOMPARE(lines[1], QByteArray("k0=0"));
    QCOMPARE(lines[keys], QByteArray("k59999=59999"));
    QCOMPARE(lines[keys + 3], QByteArray("number0=42"));
}

QTEST_APPLESS_MAIN(TestSaleConfig)
#include "tst_saleconfig.moc"
