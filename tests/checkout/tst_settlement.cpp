// The rules of a sale line and the one transaction that settles a sale, without windows.

#include <QtTest>

#include "checkout/SaleLine.h"
#include "checkout/Settlement.h"
#include "data/Errors.h"
#include "tests/support/TestDatabase.h"

namespace {

void AddOpenLine(TestDatabase& t, const QString& name, double quantity, double price, double cost,
                 const QString& number) {
    t.db().Exec(QStringLiteral(
                    "insert into data(a,c,[1],[2],[4],[5],[6],[7],h,i,day1) values(?,?,?,?,?,0,?,?,?,?,?)"),
                {name, name, cost, quantity, price, quantity * price, quantity * (price - cost), number,
                 QStringLiteral("收银员"), QStringLiteral("2026-12-11")});
}

Payment PaymentFor(const QString& number, double total, double cash) {
    Payment p;
    p.saleNumber = number;
    p.operatorName = QStringLiteral("收银员 ");
    p.saleDate = QDate(2026, 12, 11);
    p.total = total;
    p.received = total;
    p.cash = cash;
    p.change = cash - total;
    return p;
}

enum class Outcome { Value, None, ConvertError, Refused };

}  // namespace

Q_DECLARE_METATYPE(Outcome)

class TestSettlement : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void lineArithmetic_data();
    void lineArithmetic();
    void textRules_data();
    void textRules();
    void quantityAnswers_data();
    void quantityAnswers();
    void settlesUnderTheSaleNumber_data();
    void settlesUnderTheSaleNumber();
    void failureStoresNothing_data();
    void failureStoresNothing();
    void commitsAreDurable();
};

void TestSettlement::lineArithmetic_data() {
    QTest::addColumn<double>("price");
    QTest::addColumn<double>("quantity");
    QTest::addColumn<double>("cost");
    QTest::addColumn<double>("amount");
    QTest::addColumn<double>("profit");
    QTest::newRow("two at 12.5") << 12.5 << 2.0 << 10.0 << 25.0 << 5.0;
    QTest::newRow("fraction") << 6.0 << 0.5 << 4.0 << 3.0 << 1.0;
    QTest::newRow("gift") << 0.0 << 2.0 << 1.5 << 0.0 << -3.0;
    QTest::newRow("sold below cost") << 1.0 << 3.0 << 2.0 << 3.0 << -3.0;
}

void TestSettlement::lineArithmetic() {
    QFETCH(double, price);
    QFETCH(double, quantity);
    QFETCH(double, cost);
    SaleLine line;
    line.price = price;
    line.quantity = quantity;
    line.purchasePrice = cost;
    QTEST(line.Amount(), "amount");
    QTEST(line.Profit(), "profit");
}

void TestSettlement::textRules_data() {
    QTest::addColumn<QString>("rule");
    QTest::addColumn<QString>("text");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<double>("value");
    QTest::newRow("price") << "price"
                           << "12.5" << Outcome::Value << 12.5;
    QTest::newRow("price 0 is a gift") << "price"
                                       << "0" << Outcome::Value << 0.0;
    QTest::newRow("price trailing point") << "price"
                                          << "5." << Outcome::Value << 5.0;
    QTest::newRow("price empty") << "price"
                                 << "" << Outcome::ConvertError << 0.0;
    QTest::newRow("price two points") << "price"
                                      << "1.2." << Outcome::ConvertError << 0.0;
    QTest::newRow("price negative") << "price"
                                    << "-5" << Outcome::Refused << 0.0;
    QTest::newRow("quantity") << "quantity"
                              << "2.5" << Outcome::Value << 2.5;
    QTest::newRow("quantity empty") << "quantity"
                                    << "" << Outcome::ConvertError << 0.0;
    QTest::newRow("quantity zero") << "quantity"
                                   << "0" << Outcome::Refused << 0.0;
    QTest::newRow("quantity lone point") << "quantity"
                                         << "." << Outcome::Refused << 0.0;
    QTest::newRow("quantity negative") << "quantity"
                                       << "-5" << Outcome::Refused << 0.0;
    QTest::newRow("quantity too big") << "quantity" << QString(400, u'9') << Outcome::ConvertError << 0.0;
    QTest::newRow("member price") << "member"
                                  << "12" << Outcome::Value << 12.0;
    QTest::newRow("member price empty") << "member"
                                        << "" << Outcome::None << 0.0;
    QTest::newRow("member price blank") << "member"
                                        << " " << Outcome::None << 0.0;
    QTest::newRow("member price text") << "member"
                                       << "x" << Outcome::ConvertError << 0.0;
    QTest::newRow("member price negative") << "member"
                                           << "-1" << Outcome::Refused << 0.0;
    QTest::newRow("purchase price empty") << "purchase"
                                          << "" << Outcome::ConvertError << 0.0;
}

void TestSettlement::textRules() {
    QFETCH(QString, rule);
    QFETCH(QString, text);
    QFETCH(Outcome, outcome);
    QFETCH(double, value);
    auto convert = [&]() -> std::optional<double> {
        if (rule == QLatin1String("price")) return PriceFromText(text);
        if (rule == QLatin1String("quantity")) return QuantityFromText(text);
        if (rule == QLatin1String("purchase")) return PurchasePriceFromText(text);
        return MemberPriceFromText(text);
    };
    switch (outcome) {
        case Outcome::Value: {
            const std::optional<double> number = convert();
            QVERIFY(number.has_value());
            QCOMPARE(*number, value);
            break;
        }
        case Outcome::None:
            QVERIFY(!convert().has_value());
            break;
        case Outcome::ConvertError:
            try {
                convert();
                QFAIL("no conversion error");
            } catch (const EConvertError& error) {
                QCOMPARE(error.Message(),
                         QStringLiteral("'%1' is not a valid floating point value").arg(text));
            }
            break;
        case Outcome::Refused:
            try {
                convert();
                QFAIL("not refused");
            } catch (const EConvertError&) {
                QFAIL("a number, refused as a conversion error");
            } catch (const EPosError& error) {
                QVERIFY(error.Message().contains(text));
            }
            break;
    }
}

void TestSettlement::quantityAnswers_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("accepted");
    for (const char* good : {"3", "2.5", "100.5", "0.5", "1000"})
        QTest::newRow(good) << QString::fromLatin1(good) << true;
    for (const char* bad : {"", "0", "00", "0.0", "-5", ".", ".5", "5.", "1e308", "1,5", "1.2.3", " 2"})
        QTest::newRow(*bad ? bad : "empty") << QString::fromLatin1(bad) << false;
}

void TestSettlement::quantityAnswers() {
    QFETCH(QString, answer);
    QFETCH(bool, accepted);
    QCOMPARE(QuantityAnswerProblem(answer).isEmpty(), accepted);
}

void TestSettlement::settlesUnderTheSaleNumber_data() {
    QTest::addColumn<QString>("lineNumber");  // the number the lines were rung up under
    QTest::addColumn<QString>("saleNumber");  // the number the sale is settled under
    QTest::addColumn<QString>("stored");
    QTest::newRow("same number") << "SYY261211000002"
                                 << "SYY261211000002 "
                                 << "SYY261211000002";
    QTest::newRow("lines under an older number") << "SYY261210000001"
                                                 << "SYY261211000002 "
                                                 << "SYY261211000002";
}

void TestSettlement::settlesUnderTheSaleNumber() {
    QFETCH(QString, lineNumber);
    QFETCH(QString, saleNumber);
    QFETCH(QString, stored);
    TestDatabase t;
    AddOpenLine(t, QStringLiteral("可乐"), 2, 12.75, 10, lineNumber);
    AddOpenLine(t, QStringLiteral("矿泉水"), 1, 2.5, 1, lineNumber);
    const auto items = SettleOpenSale(t.db(), PaymentFor(saleNumber, 28, 30));
    QCOMPARE(items.size(), size_t(2));
    QCOMPARE(items[0].name, QStringLiteral("可乐"));
    QCOMPARE(items[0].quantity, 2.0);
    QCOMPARE(items[1].amount, 2.5);
    QCOMPARE(t.Count(QStringLiteral("data")), 0);
    QCOMPARE(t.Count(QStringLiteral("data1"), QStringLiteral("h=?"), {stored}), 2);
    QCOMPARE(t.Count(QStringLiteral("data3"),
                     QStringLiteral("a=? and b='收银员' and [1]=28 and [2]=28 and [3]=30 and [4]=2 "
                                    "and [5]=7 and [6]=0 and [7]=0 and day1='2026-12-11'"),
                     {stored}),
             1);
    // The payment and its lines carry one number, byte for byte.
    QCOMPARE(
        t.db().Scalar(QStringLiteral("select count(*) from data1 join data3 on data1.h = data3.a")).toInt(),
        2);
}

void TestSettlement::failureStoresNothing_data() {
    QTest::addColumn<QString>("trap");
    QTest::addColumn<double>("total");
    QTest::addColumn<QString>("message");
    const QString refuse =
        QStringLiteral("create trigger refuse before %1 begin select raise(abort, '磁盘已满'); end");
    QTest::newRow("lines refused") << refuse.arg(QStringLiteral("insert on data1")) << 28.0 << "磁盘已满";
    QTest::newRow("payment refused") << refuse.arg(QStringLiteral("insert on data3")) << 28.0 << "磁盘已满";
    QTest::newRow("emptying the open sale refused")
        << refuse.arg(QStringLiteral("delete on data")) << 28.0 << "磁盘已满";
    QTest::newRow("negative total") << QString() << -1.0 << "负数";
    QTest::newRow("no open sale") << QStringLiteral("delete from data") << 28.0 << "没有要结账的商品";
}

void TestSettlement::failureStoresNothing() {
    QFETCH(QString, trap);
    QFETCH(double, total);
    QFETCH(QString, message);
    TestDatabase t;
    AddOpenLine(t, QStringLiteral("可乐"), 2, 12.75, 10, QStringLiteral("SYY261211000002"));
    AddOpenLine(t, QStringLiteral("矿泉水"), 1, 2.5, 1, QStringLiteral("SYY261211000002"));
    const qint64 open = trap.startsWith(QLatin1String("delete")) ? 0 : 2;
    if (!trap.isEmpty()) t.db().Exec(trap);
    try {
        SettleOpenSale(t.db(), PaymentFor(QStringLiteral("SYY261211000002 "), total, 30));
        QFAIL("settled");
    } catch (const EPosError& error) {
        QVERIFY2(error.Message().contains(message), qPrintable(error.Message()));
    }
    QCOMPARE(t.Count(QStringLiteral("data1")), 0);
    QCOMPARE(t.Count(QStringLiteral("data3")), 0);
    QCOMPARE(t.Count(QStringLiteral("data")), open);
}

void TestSettlement::commitsAreDurable() {
    // A sale the screen shows as settled must survive a power cut.
    TestDatabase t;
    QCOMPARE(t.db().Scalar(QStringLiteral("pragma journal_mode")).toString(), QStringLiteral("wal"));
    QCOMPARE(t.db().Scalar(QStringLiteral("pragma synchronous")).toInt(), 2);  // FULL
}

QTEST_GUILESS_MAIN(TestSettlement)
#include "tst_settlement.moc"
