#include "sales/SalesQueries.h"

#include <QLocale>
#include <algorithm>

#include "common/Sql.h"
#include "data/Connection.h"
#include "data/Errors.h"
#include "data/Numbers.h"
#include "data/Query.h"

namespace {

const QString kDateFormat = QStringLiteral("yyyy-MM-dd");

// The shown columns and the row id, which the delete and the cap need.
const QString kLineColumns = QStringLiteral("ID,h,i,a,b,c,d,\"4\",\"2\",z,\"6\",day1,\"7\",j");
const QString kSaleColumns = QStringLiteral("ID,a,b,\"1\",\"2\",\"3\",\"4\",\"5\",\"7\",day1,z");

QString DayText(const QDate& day) { return day.toString(kDateFormat); }

void AddRange(ListFilter& filter, const DateRange& range) {
    filter.conditions << QStringLiteral("day1>=?") << QStringLiteral("day1<?");
    filter.values << range.from << range.to;
}

void AddContains(ListFilter& filter, const QString& column, const QString& text) {
    if (text.isEmpty()) return;
    filter.conditions << column + QStringLiteral(" like ?") + QLatin1String(kLikeEscape);
    filter.values << LikeContains(text);
}

void AddSaleNumber(ListFilter& filter, const QString& column, const SalesCriteria& c) {
    if (c.saleNumber.isEmpty()) return;
    if (!c.exactSaleNumber) return AddContains(filter, column, c.saleNumber);
    filter.conditions << column + QStringLiteral("=?");
    filter.values << c.saleNumber;
}

QString Where(const ListFilter& filter) {
    return filter.conditions.isEmpty() ? QString()
                                       : QStringLiteral(" where ") + filter.conditions.join(u" and ");
}

bool HasDateRange(const ListFilter& filter) {
    return std::any_of(filter.conditions.begin(), filter.conditions.end(),
                       [](const QString& c) { return c.startsWith(QLatin1String("day1")); });
}

QString YearText(int year) { return QStringLiteral("%1").arg(year, 4, 10, QChar(u'0')); }

}  // namespace

DateRange MonthRange(int year, int month) {
    const QDate first(year, month, 1);
    return {DayText(first), DayText(first.addMonths(1))};
}

DateRange YearRange(int year) {
    return {YearText(year) + QStringLiteral("-01-01"), YearText(year + 1) + QStringLiteral("-01-01")};
}

DateRange DaysRange(const QDate& first, const QDate& last) {
    return {DayText(first), DayText(last.addDays(1))};
}

ListFilter LineRange(const DateRange& range) {
    ListFilter filter{QStringLiteral("data1"), {}, {}};
    AddRange(filter, range);
    return filter;
}

ListFilter SaleRange(const DateRange& range) {
    ListFilter filter{QStringLiteral("data3"), {}, {}};
    AddRange(filter, range);
    return filter;
}

ListFilter AllLines() { return {QStringLiteral("data1"), {}, {}}; }
ListFilter AllSaleHeaders() { return {QStringLiteral("data3"), {}, {}}; }

ListFilter SearchLines(const SalesCriteria& c) {
    ListFilter filter = AllLines();
    AddContains(filter, QStringLiteral("d"), c.category);
    AddContains(filter, QStringLiteral("a"), c.name);
    AddSaleNumber(filter, QStringLiteral("h"), c);
    AddContains(filter, QStringLiteral("c"), c.code);
    AddContains(filter, QStringLiteral("b"), c.model);
    AddContains(filter, QStringLiteral("i"), c.operatorName);
    if (c.days) AddRange(filter, DaysRange(c.days->first, c.days->second));
    return filter;
}

ListFilter SearchSaleHeaders(const SalesCriteria& c) {
    ListFilter filter = AllSaleHeaders();
    AddSaleNumber(filter, QStringLiteral("a"), c);
    if (c.days) AddRange(filter, DaysRange(c.days->first, c.days->second));
    return filter;
}

QString ListStatement(const ListFilter& filter) {
    const QString& columns = filter.table == QLatin1String("data1") ? kLineColumns : kSaleColumns;
    // With a date range the date index must find the rows; "+ID" keeps the engine from walking
    // the whole table backwards in row-id order to spare the sort instead.
    const QString newest = HasDateRange(filter) ? QStringLiteral("+ID desc") : QStringLiteral("ID desc");
    return QStringLiteral("select * from (select %1 from %2%3 order by %4 limit %5) order by ID")
        .arg(columns, filter.table, Where(filter), newest)
        .arg(kSalesListCap);
}

bool LoadList(Query& query, const ListFilter& filter) {
    RunQuery(query, ListStatement(filter), filter.values);
    if (query.RecordCount() < kSalesListCap) return false;
    ListFilter older = filter;
    older.conditions << QStringLiteral("ID<?");
    older.values << query.Value(0, query.FieldIndex(QStringLiteral("ID")));
    return query.Db()
        .Scalar(QStringLiteral("select 1 from %1%2 limit 1").arg(filter.table, Where(older)), older.values)
        .isValid();
}

QStringList SoldCategories(Connection& db) {
    // A walk from one category to the next over the category index: a handful of seeks
    // instead of reading ten years of lines.
    QStringList categories;
    if (db.Scalar(QStringLiteral("select 1 from data1 where d is null limit 1")).isValid())
        categories << QString();
    QVariant next = db.Scalar(QStringLiteral("select min(d) from data1"));
    while (!next.isNull()) {
        const QString category = next.toString();
        if (!(category.isEmpty() && categories.contains(QString()))) categories << category;
        next = db.Scalar(QStringLiteral("select min(d) from data1 where d>?"), {category});
    }
    return categories;
}

QList<int> SaleYears(Connection& db, int currentYear) {
    QList<int> years{currentYear};
    QVariant first = db.Scalar(QStringLiteral("select min(day1) from data3 where day1>='0'"));
    while (!first.isNull()) {
        bool ok = false;
        const int year = first.toString().left(4).toInt(&ok);
        if (!ok || year >= 9999) break;
        if (!years.contains(year)) years << year;
        first = db.Scalar(QStringLiteral("select min(day1) from data3 where day1>=?"), {YearRange(year).to});
    }
    std::sort(years.begin(), years.end(), std::greater<int>());
    return years;
}

int WholeNumber(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok) throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return value;
}

ChartStatement MonthlyChartStatement(ChartMeasure measure, int year) {
    const QString sum = measure == ChartMeasure::Profit ? QStringLiteral("\"5\"") : QStringLiteral("\"2\"");
    const DateRange range = YearRange(year);
    return {QStringLiteral("select cast(substr(day1,6,2) as integer) as 月份,sum(%1) as 总量 from data3 "
                           "where day1>=? and day1<? group by 月份 order by 月份")
                .arg(sum),
            {range.from, range.to}};
}

ChartStatement DailyChartStatement(ChartMeasure measure, int year, int month) {
    // Sales per day add the line amounts, as the payments of the day do.
    const QString source = measure == ChartMeasure::Profit ? QStringLiteral("sum(\"5\") as 总量 from data3")
                                                           : QStringLiteral("sum(\"6\") as 总量 from data1");
    const DateRange range = MonthRange(year, month);
    return {QStringLiteral("select cast(substr(day1,9,2) as integer) as 日期,%1 "
                           "where day1>=? and day1<? group by day1 order by day1")
                .arg(source),
            {range.from, range.to}};
}

std::vector<ChartBar> ChartBars(Query& query, const ChartStatement& statement) {
    RunQuery(query, statement.sql, statement.values);
    std::vector<ChartBar> bars;
    bars.reserve(size_t(query.RecordCount()));
    for (int row = 0; row < query.RecordCount(); ++row)
        bars.push_back({int(query.Value(row, 0).toLongLong()), query.Value(row, 1).toDouble()});
    return bars;
}

std::vector<ChartBar> MonthlyBars(Query& query, ChartMeasure measure, const QString& yearText) {
    query.Close();
    const int year = WholeNumber(yearText);
    if (year < 1 || year > 9998) return {};
    return ChartBars(query, MonthlyChartStatement(measure, year));
}

std::vector<ChartBar> DailyBars(Query& query, ChartMeasure measure, const QString& yearText,
                                const QString& monthText) {
    query.Close();
    const int year = WholeNumber(yearText);
    const int month = WholeNumber(monthText);
    if (year < 1 || year > 9998 || month < 1 || month > 12) return {};
    return ChartBars(query, DailyChartStatement(measure, year, month));
}

QString BarMark(double value) {
    QString text = FormatFixed(value, 2);
    if (text.contains(u'.')) {
        while (text.endsWith(u'0')) text.chop(1);
        if (text.endsWith(u'.')) text.chop(1);
    }
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

LineDeletion DeleteSoldLine(Connection& db, qint64 lineId, const QString& operatorName,
                            const QDateTime& when) {
    Transaction transaction(db);
    sqlite3_stmt* line = db.Prepare(
        QStringLiteral("select h,day1,coalesce(\"6\",0),coalesce(\"7\",0) from data1 where ID=?"), {lineId});
    if (!db.Step(line)) return LineDeletion::NotFound;
    QVariantList found;
    for (int i = 0; i < 4; ++i) found << Connection::ColumnValue(line, i);
    while (db.Step(line)) {
    }
    const QVariant number = found[0], day = found[1], amount = found[2], profit = found[3];

    db.Exec(QStringLiteral(
                "insert into %1 (line_id,a,b,c,d,g,h,i,j,z,\"1\",\"2\",\"3\",\"4\",\"5\",\"6\",\"7\",day1,"
                "deleted_by,deleted_at) select ID,a,b,c,d,g,h,i,j,z,\"1\",\"2\",\"3\",\"4\",\"5\",\"6\","
                "\"7\",day1,?,? from data1 where ID=?")
                .arg(QLatin1String(kDeletedLinesTable)),
            {operatorName, when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), lineId});
    db.Exec(QStringLiteral("delete from data1 where ID=?"), {lineId});

    // The sale: by its number, or by number and date when the number was issued twice.
    QVariant sale;
    if (!number.isNull()) {
        auto single = [&db](const QString& where, const QVariantList& values) -> QVariant {
            const QString sql = QStringLiteral("select ID from data3 where %1 limit 2").arg(where);
            sqlite3_stmt* rows = db.Prepare(sql, values);
            QVariantList ids;
            while (db.Step(rows)) ids << Connection::ColumnValue(rows, 0);
            return ids.size() == 1 ? ids[0] : QVariant();
        };
        sale = single(QStringLiteral("a=?"), {number});
        if (sale.isNull()) sale = single(QStringLiteral("a=? and day1=?"), {number, day});
    }
    LineDeletion result = LineDeletion::LineOnly;
    if (!sale.isNull()) {
        // Cash and change stay: they record what was handed over.
        db.Exec(QStringLiteral(
                    "update data3 set \"1\"=round(coalesce(\"1\",0)-?,6),\"2\"=round(coalesce(\"2\",0)-?,6),"
                    "\"5\"=round(coalesce(\"5\",0)-?,6) where ID=?"),
                {amount, amount, profit, sale});
        result = LineDeletion::SaleAdjusted;
    }
    transaction.Commit();
    return result;
}
