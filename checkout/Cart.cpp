#include "checkout/Cart.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include "checkout/SaleGrid.h"
#include "checkout/SaleLine.h"
#include "common/Dialogs.h"
#include "common/KeyFilter.h"
#include "data/ColumnNames.h"
#include "data/Numbers.h"
#include "data/Query.h"
#include "data/dm.h"

namespace {

QVariant Nullable(const std::optional<double>& value) { return value ? QVariant(*value) : QVariant(); }

}  // namespace

Cart::Cart(Tdmfm& dm, const SaleContext& context, QLineEdit* entry, QLabel* total, QLabel* count,
           SaleGrid& grid)
    : QObject(entry),
      m_dm(dm),
      m_context(context),
      m_entry(entry),
      m_total(total),
      m_count(count),
      m_grid(grid) {
    AcceptOnly(m_entry, KeySet::Code);
    m_entry->installEventFilter(this);
    connect(m_grid.DeleteLineAction(), &QAction::triggered, this, &Cart::DeleteLine);
    connect(m_grid.DeleteAllAction(), &QAction::triggered, this, &Cart::DeleteAll);
    connect(m_grid.PayAction(), &QAction::triggered, this, &Cart::PaymentAsked);
}

bool Cart::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_entry && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            EnterPressed();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void Cart::EnterPressed() {
    if (!m_entry->text().isEmpty()) {
        AddProductByCode();
        return;
    }
    ReloadSaleGrid();
    if (m_dm.ADOQuery15.RecordCount() > 0) {
        Q_EMIT PaymentAsked();
        return;
    }
    m_entry->clear();
    ReloadSaleGrid();
    RefreshSaleTotals();
    m_entry->setFocus();
}

void Cart::AddProductByCode() {
    if (m_entry->text().isEmpty()) {
        Q_EMIT PaymentAsked();
        return;
    }
    const QString entryText = m_entry->text();
    Query product(m_dm.ADOConnection1, {}, true);
    product.SetSQL(QStringLiteral("select * from sp where %1=?").arg(ProductCol::Code),
                   {entryText.trimmed()});
    product.Open();
    if (product.IsEmpty()) {
        m_entry->clear();  // an unknown code is dropped without a message
        FinishEntry();
        return;
    }
    product.First();
    auto text = [&product](const QString& field) { return product.FieldByName(field).AsString(); };
    // A sale price that is no number stops before the prompt, the other prices after it; either
    // way the conversion's message is shown, the sale stays as it was and the code stays in
    // the entry field.
    const QString priceText = text(ProductCol::SalePrice);
    if (!priceText.isEmpty()) StrToFloat(priceText);
    const std::optional<double> quantity = AskQuantity();
    if (!quantity) {
        m_entry->clear();
        FinishEntry();
        return;
    }
    SaleLine line;
    line.quantity = *quantity;
    line.price = PriceFromText(priceText);
    line.purchasePrice = PurchasePriceFromText(text(ProductCol::PurchasePrice));
    line.memberPrice = MemberPriceFromText(text(ProductCol::MemberPrice));
    MergeOrAppend(entryText, line, product);
    m_entry->clear();
    FinishEntry();
}

void Cart::MergeOrAppend(const QString& entryText, const SaleLine& line, const Query& product) {
    Connection& db = m_dm.ADOConnection1;
    const qint64 existing =
        db.Scalar(QStringLiteral("select count(*) from data where %1=?").arg(LineCol::Code), {entryText})
            .toLongLong();
    if (existing > 0) {
        // The line keeps its price; the quantity, amount and profit grow.
        db.Exec(QStringLiteral("update data set [%1]=[%1]+?,[%2]=[%2]+?,[%3]=[%3]+? where %4=?")
                    .arg(LineCol::Quantity, LineCol::Amount, LineCol::Profit, LineCol::Code),
                {line.quantity, line.Amount(), line.Profit(), entryText});
        return;
    }
    auto text = [&product](const QString& field) { return product.FieldByName(field).AsString().trimmed(); };
    const QStringList columns = {
        LineCol::Name,       LineCol::Model,    LineCol::Code,          LineCol::Category,
        LineCol::SalePrice,  LineCol::Quantity, LineCol::PurchasePrice, LineCol::MemberPrice,
        LineCol::Zero,       LineCol::Amount,   LineCol::Profit,        LineCol::Unit,
        LineCol::SaleNumber, LineCol::Operator, LineCol::Date,          LineCol::Supplier};
    const QVariantList values = {text(ProductCol::Name),
                                 text(ProductCol::Model),
                                 text(ProductCol::Code),
                                 text(ProductCol::Category),
                                 line.price,
                                 line.quantity,
                                 line.purchasePrice,
                                 Nullable(line.memberPrice),
                                 0,
                                 line.Amount(),
                                 line.Profit(),
                                 text(ProductCol::Unit),
                                 m_context.SaleNumber().trimmed(),
                                 m_context.CurrentOperator().trimmed(),
                                 m_context.SaleDate().toString(QStringLiteral("yyyy-MM-dd")),
                                 text(ProductCol::Supplier)};
    QStringList quoted;
    for (const QString& column : columns) quoted << u'[' + column + u']';
    db.Exec(QStringLiteral("insert into data(%1) values(%2)")
                .arg(quoted.join(u','), QStringList(columns.size(), QStringLiteral("?")).join(u',')),
            values);
}

void Cart::FinishEntry() {
    ReloadSaleGrid();
    RefreshSaleTotals();
    m_entry->setFocus();
}

std::optional<double> Cart::AskQuantity() {
    for (;;) {
        QString answer;
        if (!Dialogs::InputBox(QStringLiteral("商品数量"), QStringLiteral("请输入数量"), &answer))
            return std::nullopt;
        const QString problem = QuantityAnswerProblem(answer);
        if (problem.isEmpty()) return StrToFloat(answer);
        Dialogs::ShowWarning(problem);
    }
}

void Cart::RefreshSaleTotals() {
    m_total->setText(QStringLiteral("共:") + m_grid.FooterValue(LineCol::Amount) + QStringLiteral("元"));
    m_count->setText(QStringLiteral("商品数量：") + m_grid.FooterValue(LineCol::Quantity));
}

void Cart::ClearOpenSale() {
    m_dm.ADOConnection1.Exec(QStringLiteral("delete from data"));
    m_total->setText(QStringLiteral("共:0.00元"));
    m_count->setText(QStringLiteral("商品数量：0"));
    m_entry->setFocus();
    ReloadSaleGrid();
}

void Cart::ReloadSaleGrid() {
    m_grid.ReloadSaleGrid();
    Q_EMIT SaleReloaded();
}

void Cart::DeleteLine() {
    Query& rows = m_dm.ADOQuery15;
    if (rows.IsEmpty() || rows.RecNo() < 0) return;
    Q_EMIT LineDeleted();
    rows.DeleteCurrent(QStringLiteral("data"));
    RefreshSaleTotals();
    m_entry->setFocus();
}
