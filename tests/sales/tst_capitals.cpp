// Amounts in Chinese capitals: the edge cases, the error path through the dialogs, the unit table
// and its continuation, and a read-back of many amounts to the fen they must name.

#include <QRandomGenerator>
#include <QtTest>
#include <limits>
#include <optional>

#include "sales/Capitals.h"
#include "tests/support/ScriptedDialogs.h"

namespace {

const QString kReadError = QStringLiteral("读取错误，应为数字");

// Reads capitals back to whole fen, up to the group word 万亿; nullopt for a malformed text.
std::optional<quint64> FenOf(const QString& capitals) {
    static const QString kNumerals = QStringLiteral("零壹贰叁肆伍陆柒捌玖");
    quint64 yuan = 0, section = 0, fen = 0;
    int digit = -1;
    for (qsizetype i = 0; i < capitals.size(); ++i) {
        const QChar c = capitals[i];
        const qsizetype numeral = kNumerals.indexOf(c);
        if (numeral >= 0) {
            if (digit > 0) return std::nullopt;
            digit = int(numeral);
            continue;
        }
        const auto takeDigit = [&](quint64 scale) {
            if (digit > 0) section += quint64(digit) * scale;
            digit = -1;
        };
        if (c == u'拾' || c == u'佰' || c == u'仟') {
            if (digit <= 0) return std::nullopt;
            takeDigit(c == u'拾' ? 10 : c == u'佰' ? 100 : 1000);
        } else if (c == u'万' || c == u'亿') {
            quint64 scale = c == u'万' ? 10000 : 100000000;
            if (c == u'万' && i + 1 < capitals.size() && capitals[i + 1] == u'亿') {
                scale = 1000000000000;
                ++i;
            }
            takeDigit(1);
            yuan += section * scale;
            section = 0;
        } else if (c == u'元') {
            takeDigit(1);
            yuan += section;
            section = 0;
        } else if (c == u'角' || c == u'分') {
            if (digit <= 0) return std::nullopt;
            fen += quint64(digit) * (c == u'角' ? 10 : 1);
            digit = -1;
        } else if (c == u'整') {
            if (i + 1 != capitals.size()) return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    if (digit >= 0 || section != 0) return std::nullopt;
    return yuan * 100 + fen;
}

// The fen an amount text names, straight from its digits.
quint64 FenOfText(const QString& amount) {
    const qsizetype point = amount.indexOf(u'.');
    const QString integerPart = point < 0 ? amount : amount.left(point);
    const QString fraction = point < 0 ? QString() : amount.mid(point + 1);
    const QString digits = integerPart + (fraction + QStringLiteral("00")).left(2);
    quint64 fen = 0;
    for (const QChar c : digits) fen = fen * 10 + (c.unicode() - u'0');
    return fen;
}

QString FenAsText(quint64 fen) {
    return QStringLiteral("%1.%2").arg(fen / 100).arg(fen % 100, 2, 10, QLatin1Char('0'));
}

}  // namespace

class TestCapitals : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void edgeCases_data();
    void edgeCases();
    void errorPath_data();
    void errorPath();
    void moreThanOnePoint_data();
    void moreThanOnePoint();
    void digits();
    void unitTable();
    void unitsPastTheTable();
    void longAmounts();
    void everyCentUpToAHundredYuan();
    void randomAmountsReadBack();
    void fromDouble();
};

void TestCapitals::edgeCases_data() {
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("capitals");
    const auto row = [](const char* amount, const char* capitals) {
        QTest::newRow(amount) << QString::fromUtf8(amount) << QString::fromUtf8(capitals);
    };
    row("0.00", "");
    row("0.01", "壹分");
    row("0.05", "伍分");
    row("0.50", "伍角");
    row("0.53", "伍角叁分");
    row("1.00", "壹元整");
    row("1.05", "壹元零伍分");
    row("1.10", "壹元壹角");
    row("10.50", "壹拾元伍角");
    row("45.67", "肆拾伍元陆角柒分");
    row("56.789", "伍拾陆元柒角捌分");
    row("5", "伍元整");
    row(".5", "伍角");
    row("0045.00", "肆拾伍元整");
    row("99.99", "玖拾玖元玖角玖分");
    row("101.00", "壹佰零壹元整");
    row("100.05", "壹佰元零伍分");
    row("1010.00", "壹仟零壹拾元整");
    row("2345.60", "贰仟叁佰肆拾伍元陆角");
    row("100010.00", "壹拾万零壹拾元整");
    row("1010000.00", "壹佰零壹万元整");
    row("23456789.10", "贰仟叁佰肆拾伍万陆仟柒佰捌拾玖元壹角");
    row("100000000.00", "壹亿元整");
    row("100000001.00", "壹亿零壹元整");
    row("100100000.00", "壹亿零壹拾万元整");
    row("110000000.00", "壹亿壹仟万元整");
    row("1000050000.00", "壹拾亿零伍万元整");
    row("1000000000000.00", "壹万亿元整");
    row("1000000.07", "壹佰万元零柒分");
    row("empty text", "");
    row(".", "");
    row("100.50", "壹佰元伍角");
    row("10", "壹拾元整");
    row("0.5", "伍角");
    row("0.999", "玖角玖分");
}

void TestCapitals::edgeCases() {
    QFETCH(QString, amount);
    QFETCH(QString, capitals);
    if (amount == QLatin1String("empty text")) amount.clear();
    ScriptedDialogs dialogs;
    QCOMPARE(AmountInCapitals(amount), capitals);
    VERIFY_DIALOGS(dialogs);
}

void TestCapitals::errorPath_data() {
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("code");
    QTest::newRow("minus sign") << QStringLiteral("-3.00") << QStringLiteral("45");
    QTest::newRow("comma") << QStringLiteral("1,000.00") << QStringLiteral("44");
    QTest::newRow("blank") << QStringLiteral(" 5") << QStringLiteral("32");
    QTest::newRow("letter after digits") << QStringLiteral("12a") << QStringLiteral("97");
    QTest::newRow("first offender only") << QStringLiteral("5-,") << QStringLiteral("45");
    QTest::newRow("before a second point") << QStringLiteral("-1.2.3") << QStringLiteral("45");
    QTest::newRow("full-width digit A3B3") << QStringLiteral("３") << QStringLiteral("163");
    QTest::newRow("Chinese 元 D4AA") << QStringLiteral("5元") << QStringLiteral("212");
    QTest::newRow("no GBK form") << QString::fromUtf8("1😀") << QStringLiteral("163");
}

void TestCapitals::errorPath() {
    QFETCH(QString, amount);
    QFETCH(QString, code);
    ScriptedDialogs dialogs;
    dialogs.ExpectMessage(code).ExpectMessage(kReadError);
    QCOMPARE(AmountInCapitals(amount), QString());
    VERIFY_DIALOGS(dialogs);
    QCOMPARE(dialogs.Shown(), QStringList({code, kReadError}));
}

void TestCapitals::moreThanOnePoint_data() {
    QTest::addColumn<QString>("amount");
    QTest::newRow("short") << QStringLiteral("1.2.3");
    QTest::newRow("points only") << QStringLiteral("..");
    QTest::newRow("ten characters") << QStringLiteral("1234567.8.");
    QTest::newRow("long") << QStringLiteral("12345678901.2.3");
}

void TestCapitals::moreThanOnePoint() {
    QFETCH(QString, amount);
    ScriptedDialogs dialogs;
    QCOMPARE(AmountInCapitals(amount), QString());
    VERIFY_DIALOGS(dialogs);
}

void TestCapitals::digits() {
    const QString numerals = QStringLiteral("零壹贰叁肆伍陆柒捌玖");
    for (int d = 0; d < 10; ++d) QCOMPARE(CapitalDigit(QChar(u'0' + d)), numerals.mid(d, 1));
    QCOMPARE(CapitalDigit(u'a'), QString());
    QCOMPARE(CapitalDigit(u'.'), QString());
}

void TestCapitals::unitTable() {
    // Positions 1 to 30, "|" between them; position 3 has no word.
    const QStringList table = QStringLiteral(
                                  "分|角||拾|佰|仟|万|拾|佰|仟|亿|拾|佰|仟|万亿|拾|佰|仟|亿亿|拾|佰|仟|"
                                  "万亿亿|拾|佰|仟|亿亿亿|拾|佰|仟")
                                  .split(u'|');
    QCOMPARE(table.size(), 30);
    for (int p = 1; p <= 30; ++p) QCOMPARE(CapitalUnit(p), table[p - 1]);
    QCOMPARE(CapitalUnit(0), QString());
    QCOMPARE(CapitalUnit(-5), QString());
}

void TestCapitals::unitsPastTheTable() {
    QCOMPARE(CapitalUnit(31), QStringLiteral("万亿亿亿"));
    QCOMPARE(CapitalUnit(32), QStringLiteral("拾"));
    QCOMPARE(CapitalUnit(34), QStringLiteral("仟"));
    QCOMPARE(CapitalUnit(35), QStringLiteral("亿亿亿亿"));
    QCOMPARE(CapitalUnit(39), QStringLiteral("万亿亿亿亿"));
    // Position 311 is group 77: 万 and 38 times 亿.
    QCOMPARE(CapitalUnit(kMaxFenDigits), QStringLiteral("万") + QStringLiteral("亿").repeated(38));
    QCOMPARE(CapitalUnit(kMaxFenDigits + 1), QString());
    QCOMPARE(CapitalUnit(std::numeric_limits<int>::max()), QString());
}

void TestCapitals::longAmounts() {
    ScriptedDialogs dialogs;
    // 28 digits before the point fill the table; the 29th continues its pattern.
    QCOMPARE(AmountInCapitals(u'1' + QString(27, u'0')), QStringLiteral("壹仟亿亿亿元整"));
    QCOMPARE(AmountInCapitals(u'1' + QString(28, u'0') + QStringLiteral(".00")),
             QStringLiteral("壹万亿亿亿元整"));
    QCOMPARE(AmountInCapitals(QStringLiteral("12") + QString(28, u'0')),
             QStringLiteral("壹拾贰万亿亿亿元整"));
    // Leading zeros do not count towards the length.
    QCOMPARE(AmountInCapitals(QString(5000, u'0') + QStringLiteral("1.00")), QStringLiteral("壹元整"));
    // The longest accepted amount: every digit 9.
    const QString longest = AmountInCapitals(QString(kMaxFenDigits - 2, u'9') + QStringLiteral(".99"));
    QCOMPARE(longest.count(u'玖'), kMaxFenDigits);
    QVERIFY(longest.endsWith(QStringLiteral("玖元玖角玖分")));
    VERIFY_DIALOGS(dialogs);

    ScriptedDialogs refused;
    refused.ExpectMessage(QStringLiteral("50")).ExpectMessage(kReadError);
    QCOMPARE(AmountInCapitals(u'2' + QString(kMaxFenDigits - 2, u'0')), QString());
    VERIFY_DIALOGS(refused);
    QCOMPARE(refused.Shown(), QStringList({QStringLiteral("50"), kReadError}));
}

void TestCapitals::everyCentUpToAHundredYuan() {
    for (quint64 fen = 0; fen <= 10000; ++fen) {
        const QString amount = FenAsText(fen);
        const QString capitals = AmountInCapitals(amount);
        QVERIFY2(FenOf(capitals) == fen, qPrintable(amount + u' ' + capitals));
        QCOMPARE(capitals.isEmpty(), fen == 0);
    }
}

void TestCapitals::randomAmountsReadBack() {
    QRandomGenerator random(20240603);
    for (int n = 0; n < 20000; ++n) {
        // Up to 16 digits before the point (the 万亿 group), zeros weighted heavily for zero runs.
        QString amount;
        const int integerDigits = int(random.bounded(17));
        for (int i = 0; i < integerDigits; ++i)
            amount += QChar(u'0' + (random.bounded(10) < 6 ? 0 : 1 + int(random.bounded(9))));
        const int decimals = int(random.bounded(5)) - 1;  // -1: no point at all
        if (decimals >= 0) amount += u'.';
        for (int i = 0; i < decimals; ++i)
            amount += QChar(u'0' + (random.bounded(2) ? 0 : int(random.bounded(10))));

        const QString capitals = AmountInCapitals(amount);
        const quint64 fen = FenOfText(amount);
        const QString context = amount + u' ' + capitals;
        QVERIFY2(FenOf(capitals) == fen, qPrintable(context));
        QVERIFY2(!capitals.contains(QStringLiteral("零零")) && !capitals.startsWith(u'零') &&
                     !capitals.endsWith(u'零'),
                 qPrintable(context));
        for (const char* beforeWord : {"零元", "零万", "零亿"})
            QVERIFY2(!capitals.contains(QString::fromUtf8(beforeWord)), qPrintable(context));
        QVERIFY2(capitals.contains(u'元') == (fen >= 100), qPrintable(context));
        QVERIFY2(capitals.endsWith(u'整') == (fen >= 100 && fen % 100 == 0), qPrintable(context));
    }
}

void TestCapitals::fromDouble() {
    ScriptedDialogs dialogs;
    for (quint64 fen = 0; fen <= 100000; fen += 7)
        QCOMPARE(AmountInCapitals(double(fen) / 100), AmountInCapitals(FenAsText(fen)));
    QCOMPARE(AmountInCapitals(0.7 - 0.4), QStringLiteral("叁角"));
    QCOMPARE(AmountInCapitals(2345.6), QStringLiteral("贰仟叁佰肆拾伍元陆角"));
    QCOMPARE(AmountInCapitals(-0.0), QString());
    QCOMPARE(AmountInCapitals(1e12), QStringLiteral("壹万亿元整"));
    const QString largest = AmountInCapitals(std::numeric_limits<double>::max());
    QVERIFY(largest.startsWith(QStringLiteral("壹")) && largest.endsWith(QStringLiteral("元整")));
    VERIFY_DIALOGS(dialogs);

    ScriptedDialogs negative;
    negative.ExpectMessage(QStringLiteral("45")).ExpectMessage(kReadError);
    QCOMPARE(AmountInCapitals(-3.0), QString());
    VERIFY_DIALOGS(negative);
}

QTEST_APPLESS_MAIN(TestCapitals)
#include "tst_capitals.moc"
