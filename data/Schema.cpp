#include "data/Schema.h"

#include <QStringList>

#include "data/Connection.h"
#include "data/Errors.h"

namespace {

const char* const kTables[] = {"sp", "data", "data1", "data3", "userdb", "rz", nullptr};

QString TextColumn(const QString& name) { return QStringLiteral("\"%1\" TEXT COLLATE NOCASE").arg(name); }
QString RealColumn(const QString& name) { return QStringLiteral("\"%1\" REAL").arg(name); }
// The type name holds TEXT, so the engine stores the yyyy-mm-dd text as text; the DATE in it
// tells the data layer to convert what it writes there into that form.
QString DateColumn(const QString& name) { return QStringLiteral("\"%1\" DATETEXT").arg(name); }
QString IdColumn(const QString& name) {
    return QStringLiteral("\"%1\" INTEGER PRIMARY KEY AUTOINCREMENT").arg(name);
}

QStringList Letters(QChar from, QChar to) {
    QStringList columns;
    for (char16_t c = from.unicode(); c <= to.unicode(); ++c) columns << TextColumn(QString(QChar(c)));
    return columns;
}

QStringList Numerals() {
    QStringList columns;
    for (int i = 1; i <= 9; ++i) columns << RealColumn(QString::number(i));
    return columns;
}

QStringList Days(int last) {
    QStringList columns;
    for (int i = 1; i <= last; ++i) columns << DateColumn(QStringLiteral("day%1").arg(i));
    return columns;
}

QString CreateTable(const QString& table, const QStringList& columns) {
    return QStringLiteral("create table \"%1\" (%2);\n").arg(table, columns.join(QStringLiteral(", ")));
}

// Version 2: the category index (the sales window lists the sold categories) and the record
// of sold lines deleted from the history.
QString Version2Steps() {
    return CreateTable(QStringLiteral("deleted_lines"),
                       QStringList{IdColumn(QStringLiteral("id")), QStringLiteral("\"line_id\" INTEGER")} +
                           Letters(u'a', u'd') +
                           QStringList{TextColumn(QStringLiteral("g")), TextColumn(QStringLiteral("h")),
                                       TextColumn(QStringLiteral("i")), TextColumn(QStringLiteral("j")),
                                       TextColumn(QStringLiteral("z"))} +
                           QStringList{RealColumn(QStringLiteral("1")), RealColumn(QStringLiteral("2")),
                                       RealColumn(QStringLiteral("3")), RealColumn(QStringLiteral("4")),
                                       RealColumn(QStringLiteral("5")), RealColumn(QStringLiteral("6")),
                                       RealColumn(QStringLiteral("7")), DateColumn(QStringLiteral("day1")),
                                       TextColumn(QStringLiteral("deleted_by")),
                                       DateColumn(QStringLiteral("deleted_at"))})
               .replace(QStringLiteral("create table"), QStringLiteral("create table if not exists")) +
           QStringLiteral("create index if not exists data1_category on data1(d);\n");
}

}  // namespace

const char* const* TableNames() { return kTables; }

void CreateSchema(Connection& connection) {
    QString sql;
    sql += CreateTable(QStringLiteral("sp"),
                       {TextColumn(QStringLiteral("商品编码")), TextColumn(QStringLiteral("商品类别")),
                        TextColumn(QStringLiteral("商品名称")), TextColumn(QStringLiteral("规格型号")),
                        RealColumn(QStringLiteral("进货单价")), RealColumn(QStringLiteral("销售单价")),
                        RealColumn(QStringLiteral("会员价")), TextColumn(QStringLiteral("单位")),
                        TextColumn(QStringLiteral("供货商")), TextColumn(QStringLiteral("ghspy")),
                        TextColumn(QStringLiteral("sppy")), TextColumn(QStringLiteral("lbpy"))});
    sql +=
        CreateTable(QStringLiteral("data"),
                    QStringList{IdColumn(QStringLiteral("id"))} + Letters(u'a', u'i') +
                        QStringList{TextColumn(QStringLiteral("z"))} + Numerals() +
                        QStringList{DateColumn(QStringLiteral("day1")), DateColumn(QStringLiteral("day6"))});
    sql += CreateTable(QStringLiteral("data1"), QStringList{IdColumn(QStringLiteral("ID"))} +
                                                    Letters(u'a', u'z') + Numerals() + Days(6) +
                                                    QStringList{QStringLiteral("\"a5\" INTEGER")});
    sql += CreateTable(QStringLiteral("data3"), QStringList{IdColumn(QStringLiteral("ID"))} +
                                                    Letters(u'a', u'z') + Numerals() + Days(6));
    sql += CreateTable(QStringLiteral("userdb"),
                       {TextColumn(QStringLiteral("username")), TextColumn(QStringLiteral("passwd"))});
    sql += CreateTable(QStringLiteral("rz"),
                       {IdColumn(QStringLiteral("id")), TextColumn(QStringLiteral("username")),
                        DateColumn(QStringLiteral("btime")), DateColumn(QStringLiteral("jtime"))});
    // The checkout looks products up by code, the history by sale number and date.
    sql += QStringLiteral(
        "create index sp_code on sp(\"商品编码\");\n"
        "create index data_code on data(c);\n"
        "create index data1_sale on data1(h);\n"
        "create index data1_day on data1(day1);\n"
        "create index data3_sale on data3(a);\n"
        "create index data3_day on data3(day1);\n"
        "create index userdb_name on userdb(username);\n");
    sql += Version2Steps();
    sql += QStringLiteral("pragma user_version=%1;\n").arg(kSchemaVersion);
    Transaction transaction(connection);
    connection.ExecScript(sql);
    transaction.Commit();
}

bool SchemaNeedsUpgrade(Connection& connection) {
    return connection.Scalar(QStringLiteral("pragma user_version")).toInt() < kSchemaVersion;
}

void UpgradeSchema(Connection& connection) {
    Transaction transaction(connection);
    const int version = connection.Scalar(QStringLiteral("pragma user_version")).toInt();
    if (version < 2) connection.ExecScript(Version2Steps());
    connection.ExecScript(QStringLiteral("pragma user_version=%1;").arg(kSchemaVersion));
    transaction.Commit();
}

void CreateDatabase(const QString& path, const QString& adminStoredPassword) {
    Connection connection;
    connection.Open(path, Connection::Mode::CreateNew);
    CreateSchema(connection);
    connection.Exec(QStringLiteral("insert into userdb values (?, ?)"),
                    {QString::fromUtf8(kSuperAdmin), adminStoredPassword});
}
