#pragma once
// Role names for the numbered and lettered columns. The same column name means different things
// in different tables ([2] is a quantity in data and data1, an amount received in data3), so code
// names the role through the table's namespace, never the bare numeral.

#include <QString>

namespace ProductCol {  // sp
inline const QString Code = QStringLiteral("商品编码");
inline const QString Category = QStringLiteral("商品类别");
inline const QString Name = QStringLiteral("商品名称");
inline const QString Model = QStringLiteral("规格型号");
inline const QString PurchasePrice = QStringLiteral("进货单价");
inline const QString SalePrice = QStringLiteral("销售单价");
inline const QString MemberPrice = QStringLiteral("会员价");
inline const QString Unit = QStringLiteral("单位");
inline const QString Supplier = QStringLiteral("供货商");
inline const QString SupplierPinyin = QStringLiteral("ghspy");
inline const QString NamePinyin = QStringLiteral("sppy");
inline const QString CategoryPinyin = QStringLiteral("lbpy");
}  // namespace ProductCol

// A line of a sale: the open sale (data, row id "id") and the sold lines (data1, row id "ID")
// share these columns.
namespace LineCol {
inline const QString OpenSaleId = QStringLiteral("id");  // data
inline const QString SoldLineId = QStringLiteral("ID");  // data1
inline const QString Name = QStringLiteral("a");
inline const QString Model = QStringLiteral("b");
inline const QString Code = QStringLiteral("c");
inline const QString Category = QStringLiteral("d");
inline const QString Supplier = QStringLiteral("g");
inline const QString SaleNumber = QStringLiteral("h");
inline const QString Operator = QStringLiteral("i");
inline const QString Remark = QStringLiteral("j");  // data1 only
inline const QString Unit = QStringLiteral("z");
inline const QString PurchasePrice = QStringLiteral("1");
inline const QString Quantity = QStringLiteral("2");
inline const QString MemberPrice = QStringLiteral("3");
inline const QString SalePrice = QStringLiteral("4");
inline const QString Zero = QStringLiteral("5");
inline const QString Amount = QStringLiteral("6");
inline const QString Profit = QStringLiteral("7");
inline const QString Date = QStringLiteral("day1");
}  // namespace LineCol

namespace PaymentCol {  // data3: one row per settled sale
inline const QString Id = QStringLiteral("ID");
inline const QString SaleNumber = QStringLiteral("a");
inline const QString Operator = QStringLiteral("b");
inline const QString Remark = QStringLiteral("z");
inline const QString AmountDue = QStringLiteral("1");
inline const QString AmountReceived = QStringLiteral("2");
inline const QString Cash = QStringLiteral("3");
inline const QString Change = QStringLiteral("4");
inline const QString Profit = QStringLiteral("5");
inline const QString Zero = QStringLiteral("6");
inline const QString Owing = QStringLiteral("7");
inline const QString Date = QStringLiteral("day1");
}  // namespace PaymentCol
