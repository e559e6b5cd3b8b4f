#include "checkout/Cart.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include "checkout/LinePanel.h"
#include "checkout/SaleGrid.h"
#include "common/Dialogs.h"
#include "common/KeyFilter.h"
#include "common/Sql.h"
#include "data/Numbers.h"
#include "data/dm.h"

bool IsValidQuantity(const QString& text) {
    if (text.isEmpty() || text.startsWith(u'.') || text.endsWith(u'.')) return false;
    int points = 0;
    for (const QChar c : text) {
        if (c == u'.')
            ++points;
        else if (c < u'0' || c > u'9')
            return false;
    }
    return points <= 1;
}

Cart::Cart(Tdmfm& dm, SaleContext& context, QLineEdit* entry, QLabel* total, QLabel* count, SaleGrid& grid,
           LinePanel& panel)
    : QObject(entry), m_dm(dm), m_context(context), m_entry(entry), m_total(total), m_count(count), m_grid(grid),
      m_panel(panel) {
    AcceptOnly(m_entry, KeySet::Code);
    m_entry->installEventFilter(this);
    connect(m_grid.ChangePriceAction(), &QAction::triggered, this, [this] { EditLine(true); });
    connect(m_grid.ChangeQuantityAction(), &QAction::triggered, this, [this] { EditLine(false); });
    connect(m_grid.DeleteLineAction(), &QAction::triggered, this, &Cart::DeleteLine);
    connect(m_grid.DeleteAllAction(), &QAction::triggered, this, &Cart::DeleteAll);
    connect(m_grid.PayAction(), &QAction::triggered, this, [this] { m_context.OpenPayment(); });
    connect(&m_grid, &DataGrid::RowDoubleClicked, this, [this](int row) {
        if (row >= 0) EditLine(false);
    });
    connect(&m_grid, &SaleGrid::SortStarted, this, [this] {
        m_context.HidePayment();
        m_panel.hide();
    });
    connect(&m_grid, &SaleGrid::LeftRow, this, [this] {
        m_context.HidePayment();
        m_panel.SetSaveEnabled(false);
    });
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
        m_context.OpenPayment();
        return;
    }
    m_entry->clear();
    ReloadSaleGrid();
    RefreshSaleTotals();
    m_entry->setFocus();
}

void Cart::AddProductByCode() {
    if (m_entry->text().isEmpty()) {
        m_context.OpenPayment();
        return;
    }
    const QString entryText = m_entry->text();
    Query& product = m_dm.ADOQuery6;
    RunQuery(product, QStringLiteral("select * from sp where 商品编码=?"), {entryText.trimmed()});
    if (product.IsEmpty()) {
        m_entry->clear();  // an unknown code is dropped without a message
        FinishEntry();
        return;
    }
    product.First();
    auto text = [&product](const char* field) { return product.FieldByName(QString::fromUtf8(field)).AsString(); };
    LinePanel::WorkingValues& line = m_panel.Working();
    line.name = text("商品名称");
    line.model = text("规格型号");
    line.code = text("商品编码");
    m_panel.SetMemberPrice(text("会员价"));
    line.category = text("商品类别");
    line.purchasePrice = text("进货单价");
    m_panel.SetPrice(text("销售单价"));
    line.unit = text("单位");
    line.supplier = text("供货商");
    AskQuantity();
    // A product without a usable sale or purchase price must not change the sale: the
    // conversion stops here with its message and the code stays in the entry field.
    StrToFloat(m_panel.Price());
    StrToFloat(line.purchasePrice);
    m_panel.ComputeLine();
    MergeOrAppend(entryText);
    m_entry->clear();
    FinishEntry();
}

void Cart::MergeOrAppend(const QString& entryText) {
    const LinePanel::WorkingValues& line = m_panel.Working();
    RunQuery(m_dm.ADOQuery7, QStringLiteral("select * from data where c=?"), {entryText});
    if (!m_dm.ADOQuery7.IsEmpty()) {
        RunCommand(m_dm.ADOQuery2, QStringLiteral("update data set [2]=[2]+?,[6]=[6]+?,[7]=[7]+? where c=?"),
                   {StrToFloat(m_panel.Quantity()), StrToFloat(m_panel.Amount()), StrToFloat(line.profit), entryText});
        return;
    }
    Table& lines = m_dm.ADOTable5;
    lines.Append();
    lines.Set(QStringLiteral("a"), line.name.trimmed());
    lines.Set(QStringLiteral("b"), line.model.trimmed());
    lines.Set(QStringLiteral("c"), line.code.trimmed());
    lines.Set(QStringLiteral("d"), line.category.trimmed());
    lines.Set(QStringLiteral("4"), m_panel.Price());
    lines.Set(QStringLiteral("2"), m_panel.Quantity());
    lines.Set(QStringLiteral("1"), line.purchasePrice);
    lines.Set(QStringLiteral("3"), m_panel.MemberPrice());
    lines.Set(QStringLiteral("5"), line.zero);
    lines.Set(QStringLiteral("6"), m_panel.Amount());
    lines.Set(QStringLiteral("7"), line.profit);
    lines.Set(QStringLiteral("z"), line.unit.trimmed());
    lines.Set(QStringLiteral("h"), m_context.SaleNumber().trimmed());
    lines.Set(QStringLiteral("i"), m_context.CurrentOperator().trimmed());
    lines.Set(QStringLiteral("day1"), m_context.SaleDate());
    lines.Set(QStringLiteral("g"), line.supplier.trimmed());
    lines.Post();
}

void Cart::FinishEntry() {
    ReloadSaleGrid();
    RefreshSaleTotals();
    m_entry->setFocus();
}

void Cart::AskQuantity() {
    QString quantity;
    const bool given = Dialogs::InputBox(QStringLiteral("商品数量"), QStringLiteral("请输入数量"), &quantity);
    m_panel.SetQuantity(given && IsValidQuantity(quantity) ? quantity : QStringLiteral("0"));
}

void Cart::RefreshSaleTotals() {
    m_total->setText(QStringLiteral("共:") + m_grid.FooterValue(QStringLiteral("6")) + QStringLiteral("元"));
    m_count->setText(QStringLiteral("商品数量：") + m_grid.FooterValue(QStringLiteral("2")));
}

void Cart::ClearOpenSale() {
    RunCommand(m_dm.ADOQuery7, QStringLiteral("delete from data"));
    m_total->setText(QStringLiteral("共:0.00元"));
    m_count->setText(QStringLiteral("商品数量：0"));
    m_entry->setFocus();
    ReloadSaleGrid();
}

void Cart::ReloadSaleGrid() {
    m_context.HidePayment();
    m_grid.ReloadSaleGrid();
}

void Cart::EditLine(bool focusPrice) {
    Query& rows = m_dm.ADOQuery15;
    if (rows.IsEmpty() || rows.RecNo() < 0) return;
    m_panel.SetSaveEnabled(true);
    m_panel.show();
    m_panel.raise();
    auto text = [&rows](const char* field) { return rows.FieldByName(QString::fromLatin1(field)).AsString(); };
    m_panel.SetPrice(text("4"));
    m_panel.SetMemberPrice(text("3"));
    m_panel.SetQuantity(text("2"));
    m_panel.SetAmount(text("6"));
    m_panel.Working().purchasePrice = text("1");
    if (focusPrice)
        m_panel.FocusPrice();
    else
        m_panel.FocusQuantity();
}

void Cart::DeleteLine() {
    Query& rows = m_dm.ADOQuery15;
    if (rows.IsEmpty() || rows.RecNo() < 0) return;
    m_context.HidePayment();
    rows.DeleteCurrent(QStringLiteral("data"));
    RefreshSaleTotals();
    m_entry->setFocus();
}
