#pragma once
// The statements of the sales detail window and its charts, without widgets: month and day
// ranges on the yyyy-mm-dd text (so they use the date indexes), the quick search, the pick of
// one sale, the deletion of a sold line with its sale's adjustment and the deletion record,
// and the bars of the monthly and daily charts.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <optional>
#include <vector>

class Connection;
class Query;

// A list loads at most this many rows, the newest; more would cost memory without helping.
inline constexpr int kSalesListCap = 100000;
inline constexpr const char* kTooManyRows = "记录太多，只显示最近的 100000 条，请缩小查询范围";

// The table that keeps every sold line taken out of the history.
inline constexpr const char* kDeletedLinesTable = "deleted_lines";

// Dates as stored: from inclusive, to exclusive.
struct DateRange {
    QString from;
    QString to;
};
DateRange MonthRange(int year, int month);  // December rolls over into the next year
DateRange YearRange(int year);
DateRange DaysRange(const QDate& first, const QDate& last);  // both days included

// The rows one list shows: a table, its conditions joined with "and", their values.
struct ListFilter {
    QString table;  // data1 (lines) or data3 (sales)
    QStringList conditions;
    QVariantList values;
};

// Lines and sales of a date range, or everything.
ListFilter LineRange(const DateRange& range);
ListFilter SaleRange(const DateRange& range);
ListFilter AllLines();
ListFilter AllSaleHeaders();

// The quick search. Texts are taken as typed; an exact sale number (a picked sale) matches
// only that number, a typed one matches any number containing it.
struct SalesCriteria {
    QString category;
    QString name;
    QString saleNumber;
    bool exactSaleNumber = false;
    QString code;
    QString model;
    QString operatorName;
    std::optional<std::pair<QDate, QDate>> days;  // the ticked sale-date range
};
ListFilter SearchLines(const SalesCriteria& criteria);
// The sales follow the sale-number box and, when ticked, the date range.
ListFilter SearchSaleHeaders(const SalesCriteria& criteria);

// The statement that loads a list: the shown columns and the row id, the newest kSalesListCap
// rows, in the order they were stored.
QString ListStatement(const ListFilter& filter);
// Runs the list statement on the query; true when rows older than the loaded ones were left out.
bool LoadList(Query& query, const ListFilter& filter);

// The distinct categories of the sold lines, ascending; one index seek per category.
QStringList SoldCategories(Connection& db);
// The years that have sales, newest first, always with the current year.
QList<int> SaleYears(Connection& db, int currentYear);

// The whole number a year or month box holds; EConvertError "'<text>' is not a valid integer
// value" otherwise.
int WholeNumber(const QString& text);

enum class ChartMeasure { Profit, Sales };
struct ChartBar {
    int position;  // month 1..12 or day 1..31
    double value;
};
struct ChartStatement {
    QString sql;
    QVariantList values;
};
// Profit per month from the sales, sales per month from the amounts received.
ChartStatement MonthlyChartStatement(ChartMeasure measure, int year);
// Profit per day from the sales, sales per day from the line amounts.
ChartStatement DailyChartStatement(ChartMeasure measure, int year, int month);
// Runs the statement on the chart's query; the bars in ascending position.
std::vector<ChartBar> ChartBars(Query& query, const ChartStatement& statement);
std::vector<ChartBar> MonthlyBars(Query& query, ChartMeasure measure, const QString& yearText);
std::vector<ChartBar> DailyBars(Query& query, ChartMeasure measure, const QString& yearText,
                                const QString& monthText);
// A bar's value mark: two decimals at most, no trailing zeros.
QString BarMark(double value);

// Deletes a sold line by its row id, in one transaction: keeps a copy in the deletion record
// (with the operator and the time) and lowers its sale's amount due, amount received and
// profit by the line's amount and profit. The sale is the one row of data3 with the line's
// sale number, or with the number and the date when the number alone is not unique.
enum class LineDeletion {
    SaleAdjusted,  // line deleted, its sale lowered
    LineOnly,      // line deleted; no single sale to adjust
    NotFound,      // the line was gone already
};
LineDeletion DeleteSoldLine(Connection& db, qint64 lineId, const QString& operatorName,
                            const QDateTime& when);
