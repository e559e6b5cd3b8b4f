// The encrypted database, its schema and the data layer over it.

#include <QCryptographicHash>
#include <QFile>
#include <QtTest>

#include "data/Errors.h"
#include "data/Query.h"
#include "data/Schema.h"
#include "tests/support/TestDatabase.h"

namespace {

QByteArray FileHash(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

QStringList ColumnsOf(Connection& db, const QString& table) {
    QStringList names;
    for (const ColumnInfo& c : TableColumns(db, table)) names << c.name;
    return names;
}

QStringList Sequence(const QString& prefix, int from, int to) {
    QStringList names;
    for (int i = from; i <= to; ++i) names << prefix + QString::number(i);
    return names;
}

QStringList LettersList(char from, char to) {
    QStringList names;
    for (char c = from; c <= to; ++c) names << QString(QChar(c));
    return names;
}

void AddProduct(Connection& db, const QString& code, const QString& name, double price,
                const QString& category) {
    db.Exec(QStringLiteral("insert into sp (商品编码,商品名称,销售单价,商品类别) values (?,?,?,?)"),
            {code, name, price, category});
}

}  // namespace

class TestDatabaseLayer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fileIsEncryptedAndOpensOnlyWithTheKey();
    void refusedFilesAreNeverTouched_data();
    void refusedFilesAreNeverTouched();
    void schemaHasEveryColumnInOrder();
    void numberedAndChineseColumnsInStatements();
    void textComparisonIgnoresLatinCase();
    void datePartsAndLikeOnDates();
    void hostileTextRoundTrips();
    void tablePostConvertsOrWritesNothing();
    void inMemorySort();
    void editAndDeleteTheCurrentRow();
    void engineErrorsCarryTheEngineText();
    void transactionRollsBackOnFailure();
};

void TestDatabaseLayer::fileIsEncryptedAndOpensOnlyWithTheKey() {
    TestDatabase t;
    t.dm().Close();
    QFile file(t.Path());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(!file.read(16).startsWith("SQLite format 3"));
    file.close();

    Connection again;
    again.Open(t.Path());
    QCOMPARE(again
                 .Scalar(QStringLiteral("select count(*) from userdb where username=?"),
                         {QString::fromUtf8(kSuperAdmin)})
                 .toInt(),
             1);
    QCOMPARE(again.Scalar(QStringLiteral("pragma user_version")).toInt(), kSchemaVersion);
}

void TestDatabaseLayer::refusedFilesAreNeverTouched_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("wrong key") << "wrongkey";
    QTest::newRow("not a database") << "text";
    QTest::newRow("empty file") << "empty";
}

void TestDatabaseLayer::refusedFilesAreNeverTouched() {
    QFETCH(QString, kind);
    TestDatabase t;
    t.dm().Close();
    const QString path = t.Path();
    if (kind == QLatin1String("text")) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("店铺的账本，不是数据库。\n");
    } else if (kind == QLatin1String("empty")) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    }
    const QByteArray before = FileHash(path);
    Connection db;
    const QByteArray key =
        kind == QLatin1String("wrongkey") ? QByteArray("pelmok.zqb") : QByteArray(kDatabaseKey);
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, db.Open(path, Connection::Mode::OpenExisting, key));
    QVERIFY(!db.IsOpen());
    QCOMPARE(FileHash(path), before);
    QVERIFY(!QFile::exists(path + QStringLiteral("-wal")));

    // A missing file is refused, not created.
    const QString missing = t.Folder() + QStringLiteral("/none.mdb");
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, db.Open(missing));
    QVERIFY(!QFile::exists(missing));
}

void TestDatabaseLayer::schemaHasEveryColumnInOrder() {
    TestDatabase t;
    QCOMPARE(ColumnsOf(t.db(), QStringLiteral("sp")),
             QStringList({"商品编码", "商品类别", "商品名称", "规格型号", "进货单价", "销售单价", "会员价",
                          "单位", "供货商", "ghspy", "sppy", "lbpy"}));
    const QStringList data = QStringList{"id"} + LettersList('a', 'i') + QStringList{"z"} +
                             Sequence({}, 1, 9) + QStringList{"day1", "day6"};
    QCOMPARE(ColumnsOf(t.db(), QStringLiteral("data")), data);
    const QStringList data1 = QStringList{"ID"} + LettersList('a', 'z') + Sequence({}, 1, 9) +
                              Sequence("day", 1, 6) + QStringList{"a5"};
    QCOMPARE(ColumnsOf(t.db(), QStringLiteral("data1")), data1);
    const QStringList data3 =
        QStringList{"ID"} + LettersList('a', 'z') + Sequence({}, 1, 9) + Sequence("day", 1, 6);
    QCOMPARE(ColumnsOf(t.db(), QStringLiteral("data3")), data3);
    QCOMPARE(ColumnsOf(t.db(), QStringLiteral("userdb")), QStringList({"username", "passwd"}));
    QCOMPARE(ColumnsOf(t.db(), QStringLiteral("rz")), QStringList({"id", "username", "btime", "jtime"}));

    const auto types = TableColumns(t.db(), QStringLiteral("data1"));
    QCOMPARE(types[1].type, ColumnType::Text);
    QCOMPARE(types[27].type, ColumnType::Real);     // [1]
    QCOMPARE(types[36].type, ColumnType::Date);     // day1
    QCOMPARE(types[42].type, ColumnType::Integer);  // a5
    // The product code lookup uses an index.
    Query plan(t.db(), QStringLiteral("explain query plan select * from sp where 商品编码=?"));
    plan.SetSQL(plan.SQL(), {QStringLiteral("x")});
    plan.Open();
    const QString detail = plan.FieldByName(QStringLiteral("detail")).AsString();
    QVERIFY2(detail.contains(QLatin1String("sp_code")), qPrintable(detail));
}

void TestDatabaseLayer::numberedAndChineseColumnsInStatements() {
    TestDatabase t;
    Table& lines = t.dm().ADOTable5;
    lines.Open();
    for (auto [code, qty, amount] : {std::tuple{"A", "2", "5"}, {"B", "1", "2.5"}, {"A", "3", "7.5"}}) {
        lines.Append();
        lines.Set(QStringLiteral("c"), QString::fromLatin1(code));
        lines.Set(QStringLiteral("2"), QString::fromLatin1(qty));
        lines.Set(QStringLiteral("6"), QString::fromLatin1(amount));
        lines.Post();
    }
    Query& q = t.dm().ADOQuery7;
    q.SetSQL(QStringLiteral(
                 "select c, sum([2]) as 总量, sum([6]) as 金额 from data where [2]>=? group by c order by "
                 "sum([6]) desc"),
             {1});
    q.Open();
    QCOMPARE(q.RecordCount(), 2);
    QCOMPARE(q.FieldByName(QStringLiteral("c")).AsString(), QStringLiteral("A"));
    QCOMPARE(q.FieldByName(QStringLiteral("总量")).AsString(), QStringLiteral("5"));
    QCOMPARE(q.FieldByName(QStringLiteral("金额")).AsString(), QStringLiteral("12.5"));

    AddProduct(t.db(), QStringLiteral("690"), QStringLiteral("矿泉水"), 2, QStringLiteral("饮料"));
    AddProduct(t.db(), QStringLiteral("691"), QStringLiteral("可乐"), 3, QStringLiteral("饮料"));
    AddProduct(t.db(), QStringLiteral("692"), QStringLiteral("牙膏"), 9.9, QStringLiteral("日用品"));
    q.SetSQL(
        QStringLiteral(
            "select 商品类别, count(*) as 数量 from sp where 销售单价>? group by 商品类别 order by 商品类别"),
        {0});
    q.Open();
    QCOMPARE(q.RecordCount(), 2);
    q.Last();
    QCOMPARE(q.FieldByName(QStringLiteral("数量")).AsInteger(), 2);
}

void TestDatabaseLayer::textComparisonIgnoresLatinCase() {
    TestDatabase t;
    AddProduct(t.db(), QStringLiteral("abc123"), QStringLiteral("Cola 可乐"), 3, QStringLiteral("饮料"));
    QCOMPARE(t.Count(QStringLiteral("sp"), QStringLiteral("商品编码=?"), {QStringLiteral("ABC123")}), 1);
    QCOMPARE(t.Count(QStringLiteral("sp"), QStringLiteral("商品名称 like ?"), {QStringLiteral("%COLA%")}), 1);
    QCOMPARE(t.Count(QStringLiteral("sp"), QStringLiteral("商品编码=?"), {QStringLiteral("ABC1234")}), 0);
}

void TestDatabaseLayer::datePartsAndLikeOnDates() {
    TestDatabase t;
    Table& sales = t.dm().ADOTable6;
    sales.Open();
    for (const QVariant& day : {QVariant(QDate(2026, 3, 9)), QVariant(QStringLiteral("2026-12-01")),
                                QVariant(QStringLiteral("2025-12-31"))}) {
        sales.Append();
        sales.Set(QStringLiteral("day1"), day);
        sales.Set(QStringLiteral("1"), 10);
        sales.Post();
    }
    Query& q = t.dm().ADOQuery9;
    q.SetSQL(
        QStringLiteral("select year(day1) as y, month(day1) as m, day(day1) as d from data3 order by ID"));
    q.Open();
    QCOMPARE(q.FieldByName(QStringLiteral("y")).AsInteger(), 2026);
    QCOMPARE(q.FieldByName(QStringLiteral("m")).AsInteger(), 3);
    QCOMPARE(q.FieldByName(QStringLiteral("d")).AsInteger(), 9);
    QCOMPARE(t.Count(QStringLiteral("data3"), QStringLiteral("day1 like ?"), {QStringLiteral("2026-12%")}),
             1);
    QCOMPARE(t.Count(QStringLiteral("data3"), QStringLiteral("day1>=? and day1<=?"),
                     {QStringLiteral("2025-12-01"), QStringLiteral("2026-03-31")}),
             2);
    QCOMPARE(t.Count(QStringLiteral("data3"), QStringLiteral("year(day1)=? and month(day1)=?"), {2025, 12}),
             1);
    QVERIFY(t.db().Scalar(QStringLiteral("select year(?)"), {QStringLiteral("不是日期")}).isNull());

    sales.Append();
    sales.Set(QStringLiteral("day1"), QStringLiteral("2026-13-01"));
    QVERIFY_THROWS_EXCEPTION(EConvertError, sales.Post());
    QCOMPARE(t.Count(QStringLiteral("data3")), 3);
}

void TestDatabaseLayer::hostileTextRoundTrips() {
    TestDatabase t;
    const QString nul = QStringLiteral("a") + QChar(u'\0') + QStringLiteral("b");
    const QStringList texts = {QStringLiteral("it's"),        QStringLiteral("'; delete from sp; --"),
                               QStringLiteral("back\\slash"), QStringLiteral("100%"),
                               QStringLiteral("a_b"),         nul,
                               QString(10000, QChar(u'字')),  QStringLiteral("\"双引号\"")};
    Table& products = t.dm().ADOTable4;
    for (const QString& text : texts) {
        products.Append();
        products.Set(QStringLiteral("商品编码"), text);
        products.Set(QStringLiteral("商品名称"), text);
        products.Post();
    }
    QCOMPARE(t.Count(QStringLiteral("sp")), texts.size());
    Query& q = t.dm().ADOQuery2;
    for (const QString& text : texts) {
        q.SetSQL(QStringLiteral("select 商品名称 from sp where 商品编码=?"), {text});
        q.Open();
        QCOMPARE(q.RecordCount(), 1);
        QCOMPARE(q.FieldByName(QStringLiteral("商品名称")).AsString(), text);
    }
}

void TestDatabaseLayer::tablePostConvertsOrWritesNothing() {
    TestDatabase t;
    Table& lines = t.dm().ADOTable5;
    lines.Append();
    lines.Set(QStringLiteral("a"), QStringLiteral("矿泉水"));
    lines.Set(QStringLiteral("4"), QStringLiteral(" 2.5 "));
    lines.Set(QStringLiteral("2"), QStringLiteral("."));
    lines.Set(QStringLiteral("1"), QStringLiteral(""));
    const qint64 id = lines.Post();
    QCOMPARE(
        t.Count(QStringLiteral("data"), QStringLiteral("id=? and [4]=2.5 and [2]=0 and [1] is null"), {id}),
        1);

    lines.Append();
    lines.Set(QStringLiteral("a"), QStringLiteral("可乐"));
    lines.Set(QStringLiteral("4"), QStringLiteral("3"));
    lines.Set(QStringLiteral("1"), QStringLiteral("1.2."));
    try {
        lines.Post();
        QFAIL("a price of 1.2. was accepted");
    } catch (const EConvertError& error) {
        QCOMPARE(error.Message(), QStringLiteral("'1.2.' is not a valid floating point value"));
    }
    QCOMPARE(t.Count(QStringLiteral("data")), 1);
    QVERIFY_THROWS_EXCEPTION(EDatabaseError,
                             lines.Set(QStringLiteral("a"), QStringLiteral("x")));  // not appending
    lines.Append();
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, lines.Set(QStringLiteral("没有的字段"), 1));
}

void TestDatabaseLayer::inMemorySort() {
    TestDatabase t;
    AddProduct(t.db(), QStringLiteral("10"), QStringLiteral("b"), 10, {});
    AddProduct(t.db(), QStringLiteral("9"), QStringLiteral("a"), 9, {});
    AddProduct(t.db(), QStringLiteral("100"), QStringLiteral("c"), 100, {});
    t.db().Exec(QStringLiteral("insert into sp (商品编码, 商品名称) values ('x', null)"));
    Query& q = t.dm().ADOQuery12;
    q.SetSQL(QStringLiteral("select 商品编码, 商品名称, 销售单价 from sp"));
    q.Open();
    auto column = [&q](const QString& name) {
        QStringList values;
        for (int r = 0; r < q.RecordCount(); ++r) values << ValueText(q.Value(r, q.FieldIndex(name)));
        return values;
    };
    q.Sort(q.FieldIndex(QStringLiteral("销售单价")), true);
    QCOMPARE(column(QStringLiteral("销售单价")), QStringList({"100", "10", "9", ""}));
    q.Sort(q.FieldIndex(QStringLiteral("商品编码")), false);
    QCOMPARE(column(QStringLiteral("商品编码")), QStringList({"10", "100", "9", "x"}));
    q.Sort(q.FieldIndex(QStringLiteral("商品名称")), false);
    QCOMPARE(column(QStringLiteral("商品名称")), QStringList({"", "a", "b", "c"}));
    QCOMPARE(q.RecNo(), 0);
}

void TestDatabaseLayer::editAndDeleteTheCurrentRow() {
    TestDatabase t;
    Table& lines = t.dm().ADOTable5;
    for (const char* name : {"一", "二", "三"}) {
        lines.Append();
        lines.Set(QStringLiteral("a"), QString::fromUtf8(name));
        lines.Set(QStringLiteral("2"), 1);
        lines.Post();
    }
    Query& q = t.dm().ADOQuery15;
    q.SetSQL(QStringLiteral("select * from data order by id"));
    q.Open();
    q.SetRecNo(1);
    q.UpdateCurrent(QStringLiteral("data"), {{QStringLiteral("2"), QStringLiteral("4")}});
    QCOMPARE(q.FieldByName(QStringLiteral("2")).AsFloat(), 4.0);
    QCOMPARE(t.Count(QStringLiteral("data"), QStringLiteral("a=? and [2]=4"), {QStringLiteral("二")}), 1);
    QVERIFY_THROWS_EXCEPTION(
        EConvertError, q.UpdateCurrent(QStringLiteral("data"), {{QStringLiteral("2"), QStringLiteral("x")}}));
    QCOMPARE(t.Count(QStringLiteral("data"), QStringLiteral("[2]=4")), 1);

    q.DeleteCurrent(QStringLiteral("data"));
    QCOMPARE(q.RecordCount(), 2);
    QCOMPARE(q.FieldByName(QStringLiteral("a")).AsString(), QStringLiteral("三"));
    QCOMPARE(t.Count(QStringLiteral("data")), 2);
    QCOMPARE(t.Count(QStringLiteral("data"), QStringLiteral("a=?"), {QStringLiteral("二")}), 0);

    Query& readOnly = t.dm().ADOQuery6;
    readOnly.SetSQL(QStringLiteral("delete from data"));
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, readOnly.Open());
    QCOMPARE(t.Count(QStringLiteral("data")), 2);
}

void TestDatabaseLayer::engineErrorsCarryTheEngineText() {
    TestDatabase t;
    Query& q = t.dm().ADOQuery1;
    q.SetSQL(QStringLiteral("select nosuchcolumn from sp"));
    try {
        q.Open();
        QFAIL("no error");
    } catch (const EDatabaseError& error) {
        QVERIFY2(error.Message().contains(QLatin1String("no such column: nosuchcolumn")),
                 qPrintable(error.Message()));
    }
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, t.dm().ADOQuery1.FieldByName(QStringLiteral("x")));
}

void TestDatabaseLayer::transactionRollsBackOnFailure() {
    TestDatabase t;
    try {
        Transaction transaction(t.db());
        t.db().Exec(QStringLiteral("insert into data (a) values ('x')"));
        t.db().Exec(QStringLiteral("insert into nosuchtable values (1)"));
        transaction.Commit();
    } catch (const EDatabaseError&) {
        QVERIFY(!t.db().InTransaction());
    }
    QCOMPARE(t.Count(QStringLiteral("data")), 0);
}

QTEST_GUILESS_MAIN(TestDatabaseLayer)
#include "tst_database.moc"
