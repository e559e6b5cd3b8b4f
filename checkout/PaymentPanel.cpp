#include "checkout/PaymentPanel.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include "checkout/Cart.h"
#include "checkout/LinePanel.h"
#include "checkout/Receipt.h"
#include "checkout/SaleCounters.h"
#include "checkout/SaleGrid.h"
#include "common/Clock.h"
#include "common/Dialogs.h"
#include "common/KeyFilter.h"
#include "common/Sql.h"
#include "data/Errors.h"
#include "data/Numbers.h"
#include "data/dm.h"

namespace {

QLineEdit* AddRow(QWidget* panel, const QString& caption, int y, bool editable) {
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(48);
    auto* label = new QLabel(caption, panel);
    label->setFont(font);
    label->setGeometry(16, y, 200, 56);
    auto* box = new QLineEdit(QStringLiteral("0"), panel);
    box->setFont(font);
    box->setGeometry(216, y, 233, 54);
    box->setCursor(Qt::IBeamCursor);
    if (!editable) {
        box->setReadOnly(true);
        box->setFocusPolicy(Qt::NoFocus);
    }
    return box;
}

}  // namespace

PaymentPanel::PaymentPanel(QWidget* parent, Tdmfm& dm, SaleContext& context, SaleCounters& counters, Cart& cart,
                           SaleGrid& grid, LinePanel& linePanel, QLineEdit* entry)
    : FloatingPanel(parent), m_dm(dm), m_context(context), m_counters(counters), m_cart(cart), m_grid(grid),
      m_linePanel(linePanel), m_entry(entry), m_print(PrintReceipt) {
    setGeometry(262, 98, 491, 399);
    m_total = AddRow(this, QStringLiteral("共 计："), 30, false);
    m_received = AddRow(this, QStringLiteral("实 收："), 100, false);
    m_cash = AddRow(this, QStringLiteral("现 金："), 170, true);
    m_change = AddRow(this, QStringLiteral("找 零："), 240, false);
    m_change->setStyleSheet(QStringLiteral("color: red;"));
    AcceptOnly(m_cash, KeySet::Number);
    m_cash->installEventFilter(this);
    connect(m_cash, &QLineEdit::textChanged, this, &PaymentPanel::UpdateChange);

    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(16);
    m_printReceipt = new QCheckBox(QStringLiteral("打印POS小票"), this);
    m_printReceipt->setFont(font);
    m_printReceipt->setGeometry(30, 330, 140, 30);
    m_printReceipt->setCursor(Qt::ArrowCursor);
    m_confirm = new QPushButton(QStringLiteral("确 定[Enter]"), this);
    m_confirm->setFont(font);
    m_confirm->setGeometry(190, 328, 140, 36);
    m_confirm->setAutoDefault(true);
    m_confirm->setCursor(Qt::ArrowCursor);
    m_cancelButton = new QPushButton(QStringLiteral("取 消"), this);
    m_cancelButton->setFont(font);
    m_cancelButton->setGeometry(345, 328, 100, 36);
    m_cancelButton->setAutoDefault(true);
    m_cancelButton->setCursor(Qt::ArrowCursor);
    m_close = MakeCloseIcon(this, 491 - 17 - 10, 8);
    connect(m_confirm, &QPushButton::clicked, this, &PaymentPanel::ConfirmPayment);
    connect(m_cancelButton, &QPushButton::clicked, this, &PaymentPanel::Cancel);
    connect(m_close, &QToolButton::clicked, this, &PaymentPanel::CloseIcon);

    // The change is kept current even when something else changes the texts.
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &PaymentPanel::UpdateChange);
    timer->start(200);
    hide();
}

void PaymentPanel::OpenPayment() {
    show();
    raise();
    TakeTotals();
    m_cash->setFocus();
    m_cash->selectAll();
}

void PaymentPanel::TakeTotals() {
    const QString total = m_grid.FooterValue(QStringLiteral("6"));
    m_total->setText(total);
    m_received->setText(total);
    m_cash->setText(total);
    UpdateChange();
}

void PaymentPanel::UpdateChange() {
    if (m_cash->text().isEmpty()) return;
    double cash = 0, received = 0;
    // While the cash is no number (two points) there is no change to show, and no message.
    if (!TryStrToFloat(m_cash->text(), &cash) || !TryStrToFloat(m_received->text(), &received)) {
        m_change->clear();
        return;
    }
    const QString change = QString::asprintf("%.2f", cash - received);
    if (m_change->text() != change) m_change->setText(change == QLatin1String("-0.00") ? QStringLiteral("0.00") : change);
}

bool PaymentPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_cash && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            m_confirm->setFocus();
            return true;
        }
        if (key == Qt::Key_Escape) {
            Cancel();
            return true;
        }
    }
    return FloatingPanel::eventFilter(watched, event);
}

void PaymentPanel::Cancel() {
    hide();
    m_linePanel.SetSaveEnabled(false);
    m_entry->setFocus();
}

void PaymentPanel::CloseIcon() {
    hide();
    m_entry->setFocus();
}

bool PaymentPanel::ChecksPass() {
    // The table, not the grid, says whether there is a sale: a grid left stale by an error
    // must not let a settled sale be paid a second time.
    if (m_dm.ADOConnection1.Scalar(QStringLiteral("select count(*) from data")).toLongLong() == 0) {
        m_cart.ReloadSaleGrid();
        hide();
        Dialogs::ShowMessage(QStringLiteral("请先进行商品销售！"));
        m_entry->setFocus();
        return false;
    }
    if (m_total->text() == QLatin1String("0.00")) {
        hide();
        m_entry->setFocus();
        return false;
    }
    if (m_cash->text().isEmpty()) {
        Dialogs::ShowMessage(QStringLiteral("请输入现金金额！"));
        m_cash->setFocus();
        return false;
    }
    UpdateChange();
    double change = 0;
    if (!TryStrToFloat(m_cash->text(), &change)) {
        // A cash text that is no number reports the conversion and stores nothing.
        m_cash->setFocus();
        StrToFloat(m_cash->text());
    }
    if (!TryStrToFloat(m_change->text(), &change) || change < 0) {
        Dialogs::ShowMessage(QStringLiteral("现金金额不足！"));
        m_cash->setFocus();
        return false;
    }
    return true;
}

void PaymentPanel::ConfirmPayment() {
    if (!ChecksPass()) return;
    const ReceiptData receipt = SettleSale();
    // The sale is stored: the screen shows it gone before anything else can fail.
    m_cart.ClearOpenSale();
    m_entry->setFocus();
    m_cash->clear();
    m_counters.Advance(m_dm.ADOConnection1, m_context.CurrentOperator(), Clock::Today());
    m_context.ShowSaleNumber(m_counters.Number());
    const bool saved = m_counters.Save();
    if (!saved)
        Dialogs::ShowWarning(QStringLiteral("销售已结账，但销售流水号无法保存到配置文件：%1").arg(m_counters.ErrorString()));
    if (!m_printReceipt->isChecked()) return;
    try {
        m_print(receipt);
    } catch (const EPosError& error) {
        // The sale is settled; only the paper is missing.
        Dialogs::ShowError(QStringLiteral("小票打印失败：") + error.Message());
    }
}

ReceiptData PaymentPanel::SettleSale() {
    ReceiptData receipt;
    receipt.saleNumber = m_counters.Number();
    receipt.cashier = m_context.CurrentOperator();
    receipt.saleDate = m_context.SaleDate();
    receipt.printTime = Clock::Now().time();
    receipt.total = m_total->text();
    receipt.received = m_received->text();
    receipt.cash = m_cash->text();
    receipt.change = m_change->text();
    const QString saleNumber = m_counters.Number().trimmed();
    // The lines, the payment and the emptying of the open sale: all of it, or none.
    Transaction transaction(m_dm.ADOConnection1);
    RunQuery(m_dm.ADOQuery8, QStringLiteral("select a, [2], [6] from data order by id"));
    if (m_dm.ADOQuery8.IsEmpty()) throw EDatabaseError(QStringLiteral("没有要结账的商品"));
    for (m_dm.ADOQuery8.First(); !m_dm.ADOQuery8.Eof(); m_dm.ADOQuery8.Next())
        receipt.items.push_back({m_dm.ADOQuery8.FieldByName(QStringLiteral("a")).AsString(),
                                 m_dm.ADOQuery8.FieldByName(QStringLiteral("2")).AsFloat(),
                                 m_dm.ADOQuery8.FieldByName(QStringLiteral("6")).AsFloat()});
    CommitSaleLines(saleNumber);
    RecordPayment(saleNumber);
    RunCommand(m_dm.ADOQuery7, QStringLiteral("delete from data"));
    transaction.Commit();
    return receipt;
}

void PaymentPanel::CommitSaleLines(const QString& saleNumber) {
    // Every line takes the number of the sale it is settled in, so lines and payment match
    // even when a line was rung up under an older number.
    RunCommand(m_dm.ADOQuery8,
               QStringLiteral("insert into data1(a,b,c,d,h,i,z,[1],[2],[3],[4],[5],[6],[7],[8],day1) "
                              "select a,b,c,d,?,i,z,[1],[2],[3],[4],[5],[6],[7],[8],day1 from data order by id"),
               {saleNumber});
}

void PaymentPanel::RecordPayment(const QString& saleNumber) {
    Table& sales = m_dm.ADOTable6;
    sales.Append();
    sales.Set(QStringLiteral("1"), m_total->text().trimmed());
    sales.Set(QStringLiteral("2"), m_received->text().trimmed());
    sales.Set(QStringLiteral("3"), m_cash->text().trimmed());
    sales.Set(QStringLiteral("4"), m_change->text().trimmed());
    sales.Set(QStringLiteral("5"), m_grid.FooterNumber(QStringLiteral("7")));
    sales.Set(QStringLiteral("6"), 0);
    sales.Set(QStringLiteral("7"), 0);
    sales.Set(QStringLiteral("day1"), m_context.SaleDate());
    sales.Set(QStringLiteral("a"), saleNumber);
    sales.Set(QStringLiteral("b"), m_context.CurrentOperator().trimmed());
    sales.Post();
}
