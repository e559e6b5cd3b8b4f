// The sales window's statements without windows: month views that hold exactly their month,
// searches that keep lines whatever their member price, the exact pick, the capped lists, the
// deletion with its sale adjustment and record, the chart bars, the plans that use the indexes
// and the upgrade of an older database.

#include <QSet>
#include <QtTest>

#include "data/Errors.h"
#include "data/Schema.h"
#include "sales/SalesQueries.h"
#include "tests/sales/SalesFixture.h"

namespace {

struct Shop {
    TestDatabase t;
    Query list{t.db()};
    Shop() { FillFixtureShop(t.db()); }

    // Loads the filter; the value of `field` for every row.
    QStringList Load(const ListFilter& filter, const QString& field, bool* capped = nullptr) {
        const bool more = LoadList(list, filter);
        if (capped) *capped = more;
        QStringList values;
        const int column = list.FieldIndex(field);
        for (int row = 0; row < list.RecordCount(); ++row) values << ValueText(list.Value(row, column));
        return values;
    }
    qint64 Lines(const QString& where, const QVariantList& values = {}) {
        return t.Count(U("data1"), where, values);
    }
    QVariant Sale(const QString& column, const QString& number, const QString& day) {
        return t.db().Scalar(U("select \"%1\" from data3 where a=? and day1=?").arg(column), {number, day});
    }
    QString Plan(const QString& sql, const QVariantList& values) {
        QStringList steps;
        Query plan(t.db());
        plan.SetSQL(U("explain query plan ") + sql, values);
        plan.Open();
        for (int row = 0; row < plan.RecordCount(); ++row)
            steps << ValueText(plan.Value(row, plan.FieldCount() - 1));
        return steps.join(u" | ");
    }
};

using Bars = QList<QPair<int, double>>;

Bars Pairs(const std::vector<ChartBar>& bars) {
    Bars pairs;
    for (const ChartBar& bar : bars) pairs << qMakePair(bar.position, std::round(bar.value * 1e6) / 1e6);
    return pairs;
}

}  // namespace

class TestSalesQueries : public QObject {
    Q_OBJECT
    std::unique_ptr<Shop> m_shop;  // read, never changed, by the tests that only look

private Q_SLOTS:
    void initTestCase() { m_shop = std::make_unique<Shop>(); }
    void cleanupTestCase() { m_shop.reset(); }
    void everyMonthHoldsExactlyItsLinesAndSales();
    void decemberRollsOverIntoTheNextYear();
    void searchesKeepLinesOfAnyMemberPrice();
    void searchConditionsCombine();
    void pickMatchesTheNumberExactly();
    void listsLoadTheNewestRowsUpToTheCap();
    void deleteLowersItsSaleAndKeepsARecord();
    void deleteMatchesARepeatedNumberOnItsDate();
    void deleteWithoutASingleSaleDeletesOnlyTheLine();
    void chartBars_data();
    void chartBars();
    void chartsAfterADeletion();
    void boxesThatHoldNoWholeNumberAreRefused_data();
    void boxesThatHoldNoWholeNumberAreRefused();
    void barMarks_data();
    void barMarks();
    void categoriesAndYearsAreWalkedOverTheIndexes();
    void statementsUseTheirIndexes();
    void anOlderDatabaseIsUpgradedOnce();
};

void TestSalesQueries::everyMonthHoldsExactlyItsLinesAndSales() {
    Shop& shop = *m_shop;
    for (int year : {2024, 2025, 2026}) {
        for (int month = 1; month <= 12; ++month) {
            const QString prefix = QStringLiteral("%1-%2").arg(year).arg(month, 2, 10, QChar(u'0'));
            const QStringList lineDays = shop.Load(LineRange(MonthRange(year, month)), U("day1"));
            QCOMPARE(lineDays.size(), shop.Lines(U("substr(day1,1,7)=?"), {prefix}));
            for (const QString& day : lineDays)
                QVERIFY2(day.startsWith(prefix), qPrintable(prefix + u' ' + day));
            const QStringList saleDays = shop.Load(SaleRange(MonthRange(year, month)), U("day1"));
            QCOMPARE(saleDays.size(), shop.t.Count(U("data3"), U("substr(day1,1,7)=?"), {prefix}));
            for (const QString& day : saleDays) QVERIFY(day.startsWith(prefix));
        }
    }
    // January is not November, June 2026 is not the whole of 2026.
    QCOMPARE(shop.Load(LineRange(MonthRange(2026, 1)), U("day1")).size(), 9);
    QCOMPARE(shop.Load(LineRange(MonthRange(2026, 6)), U("day1")), QStringList{U("2026-06-15")});
}

void TestSalesQueries::decemberRollsOverIntoTheNextYear() {
    const DateRange december = MonthRange(2025, 12);
    QCOMPARE(december.from, U("2025-12-01"));
    QCOMPARE(december.to, U("2026-01-01"));
    Shop& shop = *m_shop;
    QCOMPARE(shop.Load(LineRange(december), U("day1")), QStringList{U("2025-12-31")});
}

void TestSalesQueries::searchesKeepLinesOfAnyMemberPrice() {
    Shop& shop = *m_shop;
    SalesCriteria today;
    today.days = std::make_pair(QDate(2026, 1, 15), QDate(2026, 1, 15));
    // The two-line sale (one line with member price 0) and the one with an empty member price.
    QCOMPARE(shop.Load(SearchLines(today), U("a")), (QStringList{U("矿泉水"), U("饼干"), U("方便面")}));
    SalesCriteria byName;
    byName.name = U("饼");
    QCOMPARE(shop.Load(SearchLines(byName), U("day1")),
             (QStringList{U("2026-01-15"), U("2026-02-01"), U("2026-12-01"), U("2026-01-20")}));
    SalesCriteria everything;
    QCOMPARE(shop.Load(SearchLines(everything), U("a")).size(), shop.Lines(QString()));
}

void TestSalesQueries::searchConditionsCombine() {
    Shop& shop = *m_shop;
    SalesCriteria c;
    c.category = U("饮");
    c.operatorName = U("收银");
    c.code = U("690");
    c.model = U("500");
    c.days = std::make_pair(QDate(2026, 1, 1), QDate(2026, 1, 31));
    QCOMPARE(shop.Load(SearchLines(c), U("h")),
             (QStringList{U("CJG26115000004"), U("CJG26131000006"), U("XS1"), U("DUP1"), U("DUP1")}));
    // Typed text is only text: a quote or a % finds nothing rather than everything or an error.
    c.name = U("'%");
    QVERIFY(shop.Load(SearchLines(c), U("h")).isEmpty());
    // The sales follow the number box and the dates.
    SalesCriteria sales;
    sales.days = std::make_pair(QDate(2026, 1, 15), QDate(2026, 1, 20));
    QCOMPARE(shop.Load(SearchSaleHeaders(sales), U("a")),
             (QStringList{U("CJG26115000004"), U("CJG26115000005"), U("XS1"), U("XS12")}));
}

void TestSalesQueries::pickMatchesTheNumberExactly() {
    Shop& shop = *m_shop;
    SalesCriteria c;
    c.saleNumber = U("XS1");
    QCOMPARE(shop.Load(SearchLines(c), U("h")), (QStringList{U("XS1"), U("XS12")}));
    c.exactSaleNumber = true;
    QCOMPARE(shop.Load(SearchLines(c), U("h")), QStringList{U("XS1")});
    QCOMPARE(shop.Load(SearchSaleHeaders(c), U("a")), QStringList{U("XS1")});
}

void TestSalesQueries::listsLoadTheNewestRowsUpToTheCap() {
    TestDatabase t;
    t.db().ExecScript(U("pragma synchronous=off;"));
    Query list(t.db());
    const auto fill = [&t](int count) {
        t.db().Exec(U("with recursive n(i) as (select 1 union all select i+1 from n limit ?) "
                      "insert into data1 (h,a,day1) select 'N'||i,'货',"
                      "case when i%2=0 then '2026-03-01' else '2026-03-02' end from n"),
                    {count});
    };
    fill(kSalesListCap);
    QVERIFY(!LoadList(list, AllLines()));
    QCOMPARE(list.RecordCount(), kSalesListCap);
    t.db().Exec(U("insert into data1 (h,a,day1) values ('N0','货','2026-03-01')"));
    // One more than the cap: the oldest stays out, the rest in stored order.
    QVERIFY(LoadList(list, AllLines()));
    QCOMPARE(list.RecordCount(), kSalesListCap);
    QCOMPARE(ValueText(list.Value(0, list.FieldIndex(U("h")))), U("N2"));
    QCOMPARE(ValueText(list.Value(kSalesListCap - 1, list.FieldIndex(U("h")))), U("N0"));
    // The same through the date index.
    QVERIFY(LoadList(list, LineRange(MonthRange(2026, 3))));
    QCOMPARE(ValueText(list.Value(0, list.FieldIndex(U("h")))), U("N2"));
    SalesCriteria oneDay;
    oneDay.days = std::make_pair(QDate(2026, 3, 2), QDate(2026, 3, 2));
    QVERIFY(!LoadList(list, SearchLines(oneDay)));
    QCOMPARE(list.RecordCount(), kSalesListCap / 2);
}

void TestSalesQueries::deleteLowersItsSaleAndKeepsARecord() {
    Shop shop;
    Connection& db = shop.t.db();
    const QString number = U("CJG26115000004");
    const QVariant biscuit = db.Scalar(U("select ID from data1 where h=? and a=?"), {number, U("饼干")});
    const QDateTime when(QDate(2026, 1, 16), QTime(9, 30, 5));
    QCOMPARE(DeleteSoldLine(db, biscuit.toLongLong(), U("超级管理员"), when), LineDeletion::SaleAdjusted);

    QCOMPARE(shop.Lines(U("h=?"), {number}), 1);
    // Amounts lowered by the line, cash and change as they were handed over.
    QCOMPARE(shop.Sale(U("1"), number, U("2026-01-15")).toDouble(), 6.0);
    QCOMPARE(shop.Sale(U("2"), number, U("2026-01-15")).toDouble(), 6.0);
    QCOMPARE(shop.Sale(U("5"), number, U("2026-01-15")).toDouble(), 1.5);
    QCOMPARE(shop.Sale(U("3"), number, U("2026-01-15")).toDouble(), 100.0);
    QCOMPARE(shop.Sale(U("4"), number, U("2026-01-15")).toDouble(), 89.0);

    Query record(db);
    record.SetSQL(U("select line_id,a,h,\"6\",\"7\",day1,deleted_by,deleted_at from deleted_lines"));
    record.Open();
    QCOMPARE(record.RecordCount(), 1);
    QCOMPARE(record.FieldByName(U("line_id")).AsInteger(), biscuit.toLongLong());
    QCOMPARE(record.FieldByName(U("a")).AsString(), U("饼干"));
    QCOMPARE(record.FieldByName(U("h")).AsString(), number);
    QCOMPARE(record.FieldByName(U("6")).AsFloat(), 5.0);
    QCOMPARE(record.FieldByName(U("day1")).AsString(), U("2026-01-15"));
    QCOMPARE(record.FieldByName(U("deleted_by")).AsString(), U("超级管理员"));
    QCOMPARE(record.FieldByName(U("deleted_at")).AsString(), U("2026-01-16 09:30:05"));

    // A second delete of the same line finds nothing and changes nothing.
    QCOMPARE(DeleteSoldLine(db, biscuit.toLongLong(), U("超级管理员"), when), LineDeletion::NotFound);
    QCOMPARE(shop.Sale(U("1"), number, U("2026-01-15")).toDouble(), 6.0);
    QCOMPARE(shop.t.Count(U("deleted_lines")), 1);
}

void TestSalesQueries::deleteMatchesARepeatedNumberOnItsDate() {
    Shop shop;
    Connection& db = shop.t.db();
    const QVariant noodles = db.Scalar(U("select ID from data1 where h='DUP1' and a=?"), {U("方便面")});
    QCOMPARE(DeleteSoldLine(db, noodles.toLongLong(), U("收银员"), QDateTime(QDate(2026, 1, 7), QTime(8, 0))),
             LineDeletion::SaleAdjusted);
    QCOMPARE(shop.Sale(U("1"), U("DUP1"), U("2026-01-06")).toDouble(), 2.0);  // 7 - 5
    QCOMPARE(shop.Sale(U("1"), U("DUP1"), U("2026-01-05")).toDouble(), 2.0);  // untouched
}

void TestSalesQueries::deleteWithoutASingleSaleDeletesOnlyTheLine() {
    Shop shop;
    Connection& db = shop.t.db();
    // The same number twice on the same day, and a line whose sale is gone.
    AddSale(db, {U("TWICE"), U("2026-03-03"), {kWater}});
    AddSale(db, {U("TWICE"), U("2026-03-03"), {kWater}});
    db.Exec(U("insert into data1 (a,h,\"6\",\"7\",day1) values ('孤行','GONE',9,3,'2026-03-04')"));
    const qint64 sum = db.Scalar(U("select sum(\"1\") from data3")).toLongLong();
    for (const char* number : {"TWICE", "GONE"}) {
        const QVariant id = db.Scalar(U("select max(ID) from data1 where h=?"), {U(number)});
        QCOMPARE(DeleteSoldLine(db, id.toLongLong(), U("收银员"), QDateTime(QDate(2026, 3, 5), QTime(8, 0))),
                 LineDeletion::LineOnly);
    }
    QCOMPARE(db.Scalar(U("select sum(\"1\") from data3")).toLongLong(), sum);
    QCOMPARE(shop.t.Count(U("deleted_lines")), 2);
}

void TestSalesQueries::chartBars_data() {
    QTest::addColumn<bool>("daily");
    QTest::addColumn<int>("measure");
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("month");
    QTest::addColumn<Bars>("bars");
    using B = Bars;
    const int profit = int(ChartMeasure::Profit), sales = int(ChartMeasure::Sales);
    QTest::newRow("monthly profit")
        << false << profit << U("2026") << QString()
        << B{{1, 2.5 + 1.2 + 0.5 + 0.5 + 1 + 0.5 + 1.7}, {2, 1}, {6, 0.5}, {11, 1.7}, {12, 1}};
    QTest::newRow("monthly sales") << false << sales << U("2026") << QString()
                                   << B{{1, 11 + 7 + 2 + 2 + 5 + 2 + 9}, {2, 5}, {6, 2}, {11, 9}, {12, 5}};
    QTest::newRow("monthly, year around a number")
        << false << profit << U(" 2025 ") << QString() << B{{11, 0.5}, {12, 1.2}};
    QTest::newRow("daily profit") << true << profit << U("2026") << U("1")
                                  << B{{5, 0.5}, {6, 1.7}, {15, 3.7}, {20, 1.5}, {31, 0.5}};
    // Line amounts: 3 pieces at 2 count 6, not the unit price 2.
    QTest::newRow("daily sales") << true << sales << U("2026") << U("1")
                                 << B{{5, 2}, {6, 9}, {15, 18}, {20, 7}, {31, 2}};
    QTest::newRow("daily December") << true << sales << U("2025") << U("12") << B{{31, 7}};
    QTest::newRow("month without sales") << true << profit << U("2026") << U("3") << B{};
    QTest::newRow("year without sales") << false << sales << U("2019") << QString() << B{};
    QTest::newRow("no such month") << true << sales << U("2026") << U("13") << B{};
}

void TestSalesQueries::chartBars() {
    QFETCH(bool, daily);
    QFETCH(int, measure);
    QFETCH(QString, year);
    QFETCH(QString, month);
    QFETCH(Bars, bars);
    Shop& shop = *m_shop;
    Query chart(shop.t.db(), QString(), true);
    const auto m = ChartMeasure(measure);
    const auto got = daily ? DailyBars(chart, m, year, month) : MonthlyBars(chart, m, year);
    QCOMPARE(Pairs(got), bars);
}

void TestSalesQueries::chartsAfterADeletion() {
    Shop shop;
    Query chart(shop.t.db(), QString(), true);
    const QVariant biscuit =
        shop.t.db().Scalar(U("select ID from data1 where h='CJG26115000004' and a=?"), {U("饼干")});
    DeleteSoldLine(shop.t.db(), biscuit.toLongLong(), U("超级管理员"),
                   QDateTime(QDate(2026, 1, 16), QTime(9, 0)));
    // Every chart that reads January loses the line: its profit 1 and its amount 5.
    QCOMPARE(Pairs(MonthlyBars(chart, ChartMeasure::Profit, U("2026"))).first(), qMakePair(1, 6.9));
    QCOMPARE(Pairs(MonthlyBars(chart, ChartMeasure::Sales, U("2026"))).first(), qMakePair(1, 33.0));
    QCOMPARE(Pairs(DailyBars(chart, ChartMeasure::Profit, U("2026"), U("1")))[2], qMakePair(15, 2.7));
    QCOMPARE(Pairs(DailyBars(chart, ChartMeasure::Sales, U("2026"), U("1")))[2], qMakePair(15, 13.0));
}

void TestSalesQueries::boxesThatHoldNoWholeNumberAreRefused_data() {
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("message");
    QTest::newRow("letters") << U("abc") << U("1") << U("'abc' is not a valid integer value");
    QTest::newRow("empty") << QString() << U("1") << U("'' is not a valid integer value");
    QTest::newRow("fraction") << U("2026.5") << U("1") << U("'2026.5' is not a valid integer value");
    QTest::newRow("month") << U("2026") << U("一月") << U("'一月' is not a valid integer value");
}

void TestSalesQueries::boxesThatHoldNoWholeNumberAreRefused() {
    QFETCH(QString, year);
    QFETCH(QString, month);
    QFETCH(QString, message);
    Shop& shop = *m_shop;
    Query chart(shop.t.db(), QString(), true);
    MonthlyBars(chart, ChartMeasure::Profit, U("2026"));
    try {
        DailyBars(chart, ChartMeasure::Profit, year, month);
        QFAIL("no error");
    } catch (const EConvertError& error) {
        QCOMPARE(error.Message(), message);
    }
    QVERIFY(!chart.Active());  // the chart keeps no bars of before
}

void TestSalesQueries::barMarks_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("mark");
    QTest::newRow("whole") << 3.0 << U("3");
    QTest::newRow("one decimal") << 12.5 << U("12.5");
    QTest::newRow("rounded up") << 12.499 << U("12.5");
    QTest::newRow("float noise") << 0.1 + 0.2 << U("0.3");
    QTest::newRow("two decimals") << 1234567.891 << U("1234567.89");
    QTest::newRow("negative") << -3.10 << U("-3.1");
    QTest::newRow("tiny negative") << -0.001 << U("0");
    QTest::newRow("zero") << 0.0 << U("0");
}

void TestSalesQueries::barMarks() {
    QFETCH(double, value);
    QFETCH(QString, mark);
    QCOMPARE(BarMark(value), mark);
}

void TestSalesQueries::categoriesAndYearsAreWalkedOverTheIndexes() {
    Shop shop;
    QCOMPARE(SoldCategories(shop.t.db()), (QStringList{U("休闲零食"), U("方便食品"), U("饮料")}));
    shop.t.db().Exec(U("insert into data1 (a,d,day1) values ('无类别',null,'2026-01-02')"));
    shop.t.db().Exec(U("insert into data1 (a,d,day1) values ('空类别','','2026-01-02')"));
    shop.t.db().Exec(U("insert into data1 (a,d,day1) values ('大小写','Snack','2026-01-02')"));
    shop.t.db().Exec(U("insert into data1 (a,d,day1) values ('大小写','snack','2026-01-02')"));
    QCOMPARE(SoldCategories(shop.t.db()),
             (QStringList{QString(), U("Snack"), U("休闲零食"), U("方便食品"), U("饮料")}));
    QCOMPARE(SaleYears(shop.t.db(), 2027), (QList<int>{2027, 2026, 2025, 2024}));
    QCOMPARE(SaleYears(shop.t.db(), 2025), (QList<int>{2026, 2025, 2024}));
    TestDatabase empty;
    QCOMPARE(SaleYears(empty.db(), 2026), QList<int>{2026});
    QVERIFY(SoldCategories(empty.db()).isEmpty());
}

void TestSalesQueries::statementsUseTheirIndexes() {
    Shop& shop = *m_shop;
    SalesCriteria pick;
    pick.saleNumber = U("XS1");
    pick.exactSaleNumber = true;
    SalesCriteria today;
    today.days = std::make_pair(QDate(2026, 1, 15), QDate(2026, 1, 15));
    today.name = U("水");
    const auto list = [](const ListFilter& f) { return qMakePair(ListStatement(f), f.values); };
    const auto chart = [](const ChartStatement& s) { return qMakePair(s.sql, s.values); };
    const QList<std::tuple<const char*, QPair<QString, QVariantList>, const char*>> cases = {
        {"month lines", list(LineRange(MonthRange(2026, 1))), "data1_day"},
        {"month sales", list(SaleRange(MonthRange(2026, 1))), "data3_day"},
        {"today", list(SearchLines(today)), "data1_day"},
        {"pick lines", list(SearchLines(pick)), "data1_sale"},
        {"pick sales", list(SearchSaleHeaders(pick)), "data3_sale"},
        {"monthly chart", chart(MonthlyChartStatement(ChartMeasure::Profit, 2026)), "data3_day"},
        {"daily profit", chart(DailyChartStatement(ChartMeasure::Profit, 2026, 1)), "data3_day"},
        {"daily sales", chart(DailyChartStatement(ChartMeasure::Sales, 2026, 1)), "data1_day"},
        {"next category", {U("select min(d) from data1 where d>?"), {U("a")}}, "data1_category"},
    };
    for (const auto& [name, statement, index] : cases) {
        const QString plan = shop.Plan(statement.first, statement.second);
        QVERIFY2(plan.contains(QLatin1String(index)), qPrintable(U(name) + U(": ") + plan));
    }
}

void TestSalesQueries::anOlderDatabaseIsUpgradedOnce() {
    QString path;
    {
        TestDatabase t;
        FillFixtureShop(t.db());
        t.db().ExecScript(U("drop index data1_category; drop table deleted_lines; pragma user_version=1;"));
        path = t.Path();
        t.dm().Close();
        QFile::copy(path, path + U(".old"));
        path += U(".old");
        QVERIFY(QFile::exists(path));
        int told = 0;
        Tdmfm dm;
        dm.Open(path, [&told] { ++told; });
        QCOMPARE(told, 1);
        Connection& db = dm.ADOConnection1;
        QCOMPARE(db.Scalar(U("pragma user_version")).toInt(), kSchemaVersion);
        QVERIFY(db.Scalar(U("select 1 from sqlite_master where name='data1_category'")).isValid());
        QCOMPARE(db.Scalar(U("select count(*) from deleted_lines")).toInt(), 0);
        QCOMPARE(db.Scalar(U("select count(*) from data1")).toInt(), 17);
        dm.Close();
        told = 0;
        dm.Open(path, [&told] { ++told; });
        QCOMPARE(told, 0);
    }
}

QTEST_GUILESS_MAIN(TestSalesQueries)
#include "tst_salesqueries.moc"
