#include "checkout/Settlement.h"

#include <cmath>

#include "data/ColumnNames.h"
#include "data/Connection.h"
#include "data/Errors.h"
#include "data/Query.h"

namespace {

std::vector<ReceiptItem> OpenSaleItems(Connection& db) {
    Query lines(db, QStringLiteral("select %1, [%2], [%3] from data order by %4")
                        .arg(LineCol::Name, LineCol::Quantity, LineCol::Amount, LineCol::OpenSaleId));
    lines.Open();
    std::vector<ReceiptItem> items;
    for (lines.First(); !lines.Eof(); lines.Next())
        items.push_back({lines.FieldByName(LineCol::Name).AsString(),
                         lines.FieldByName(LineCol::Quantity).AsFloat(),
                         lines.FieldByName(LineCol::Amount).AsFloat()});
    return items;
}

// The profit of the sale as the grid's footer shows it: the lines' sum, kept to four decimals.
double OpenSaleProfit(Connection& db) {
    const double sum =
        db.Scalar(QStringLiteral("select total([%1]) from data").arg(LineCol::Profit)).toDouble();
    return std::round(sum * 10000) / 10000;
}

void CommitSaleLines(Connection& db, const QString& saleNumber) {
    // Every line takes the number of the sale it is settled in, so lines and payment match
    // even when a line was rung up under an older number.
    db.Exec(QStringLiteral("insert into data1(a,b,c,d,h,i,z,[1],[2],[3],[4],[5],[6],[7],[8],day1) "
                           "select a,b,c,d,?,i,z,[1],[2],[3],[4],[5],[6],[7],[8],day1 from data order by id"),
            {saleNumber});
}

void RecordPayment(Connection& db, const Payment& p, const QString& saleNumber, double profit) {
    db.Exec(QStringLiteral(
                "insert into data3([%1],[%2],[%3],[%4],[%5],[%6],[%7],%8,%9,%10) values(?,?,?,?,?,0,0,?,?,?)")
                .arg(PaymentCol::AmountDue, PaymentCol::AmountReceived, PaymentCol::Cash, PaymentCol::Change,
                     PaymentCol::Profit, PaymentCol::Zero, PaymentCol::Owing, PaymentCol::Date,
                     PaymentCol::SaleNumber)
                .arg(PaymentCol::Operator),
            {p.total, p.received, p.cash, p.change, profit, p.saleDate.toString(QStringLiteral("yyyy-MM-dd")),
             saleNumber, p.operatorName.trimmed()});
}

}  // namespace

std::vector<ReceiptItem> SettleOpenSale(Connection& db, const Payment& payment) {
    if (payment.total < 0) throw EPosError(QStringLiteral("合计金额是负数，不能结账。"));
    const QString saleNumber = payment.saleNumber.trimmed();
    Transaction transaction(db);
    std::vector<ReceiptItem> items = OpenSaleItems(db);
    if (items.empty()) throw EPosError(QStringLiteral("没有要结账的商品"));
    CommitSaleLines(db, saleNumber);
    RecordPayment(db, payment, saleNumber, OpenSaleProfit(db));
    db.Exec(QStringLiteral("delete from data"));
    transaction.Commit();
    return items;
}

ReceiptData LastSaleReceipt(Connection& db, const QTime& printTime) {
    using namespace PaymentCol;
    Query sale(db,
               QStringLiteral("select %1,%2,%3,[%4],[%5],[%6],[%7] from data3 order by rowid desc limit 1")
                   .arg(SaleNumber, Operator, Date, AmountDue, AmountReceived, Cash, Change));
    sale.Open();
    if (sale.IsEmpty()) throw EPosError(QStringLiteral("还没有结账的销售，没有小票可以重打。"));
    const auto money = [&sale](const QString& column) {
        return QString::asprintf("%.2f", sale.FieldByName(column).AsFloat());
    };
    ReceiptData receipt;
    receipt.saleNumber = sale.FieldByName(SaleNumber).AsString();
    receipt.cashier = sale.FieldByName(Operator).AsString();
    receipt.saleDate = QDate::fromString(sale.FieldByName(Date).AsString(), QStringLiteral("yyyy-MM-dd"));
    receipt.printTime = printTime;
    receipt.total = money(AmountDue);
    receipt.received = money(AmountReceived);
    receipt.cash = money(Cash);
    receipt.change = money(Change);
    receipt.reprint = true;

    Query lines(db, {}, true);
    lines.SetSQL(
        QStringLiteral("select %1, [%2], [%3] from data1 where %4=? order by %5")
            .arg(LineCol::Name, LineCol::Quantity, LineCol::Amount, LineCol::SaleNumber, LineCol::SoldLineId),
        {receipt.saleNumber});
    lines.Open();
    for (lines.First(); !lines.Eof(); lines.Next())
        receipt.items.push_back({lines.FieldByName(LineCol::Name).AsString(),
                                 lines.FieldByName(LineCol::Quantity).AsFloat(),
                                 lines.FieldByName(LineCol::Amount).AsFloat()});
    return receipt;
}
