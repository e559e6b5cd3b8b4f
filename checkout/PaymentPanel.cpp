#include "checkout/PaymentPanel.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include "checkout/Receipt.h"
#include "checkout/SaleContext.h"
#include "checkout/SaleCounters.h"
#include "checkout/SaleGrid.h"
#include "checkout/Settlement.h"
#include "common/Clock.h"
#include "common/Dialogs.h"
#include "common/KeyFilter.h"
#include "data/ColumnNames.h"
#include "data/Connection.h"
#include "data/Errors.h"
#include "data/Numbers.h"

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

PaymentPanel::PaymentPanel(QWidget* parent, Connection& db, const SaleContext& context,
                           SaleCounters& counters, const SaleGrid& grid, QLineEdit* entry)
    : FloatingPanel(parent),
      m_db(db),
      m_context(context),
      m_counters(counters),
      m_grid(grid),
      m_entry(entry),
      m_print(PrintReceipt) {
    setGeometry(262, 98, 491, 399);
    m_total = AddRow(this, QStringLiteral("共 计："), 30, false);
    m_received = AddRow(this, QStringLiteral("实 收："), 100, false);
    m_cash = AddRow(this, QStringLiteral("现 金："), 170, true);
    m_change = AddRow(this, QStringLiteral("找 零："), 240, false);
    m_change->setStyleSheet(QStringLiteral("color: red;"));
    AcceptOnly(m_cash, KeySet::Number);
    m_cash->installEventFilter(this);
    // The change follows the cash and the amount received, however their texts are set.
    connect(m_cash, &QLineEdit::textChanged, this, &PaymentPanel::UpdateChange);
    connect(m_received, &QLineEdit::textChanged, this, &PaymentPanel::UpdateChange);

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
    const QString total = m_grid.FooterValue(LineCol::Amount);
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
    if (m_change->text() != change)
        m_change->setText(change == QLatin1String("-0.00") ? QStringLiteral("0.00") : change);
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
    Q_EMIT Cancelled();
    m_entry->setFocus();
}

void PaymentPanel::CloseIcon() {
    hide();
    m_entry->setFocus();
}

bool PaymentPanel::ChecksPass() {
    // The table, not the grid, says whether there is a sale: a grid left stale by an error
    // must not let a settled sale be paid a second time.
    if (m_db.Scalar(QStringLiteral("select count(*) from data")).toLongLong() == 0) {
        Q_EMIT SaleMissing();
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
    double total = 0;
    if (TryStrToFloat(m_total->text(), &total) && total < 0) {
        hide();
        Dialogs::ShowMessage(QStringLiteral("合计金额是负数，不能结账，请先修改销售单。"));
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
    Q_EMIT SaleSettled();
    m_entry->setFocus();
    m_cash->clear();
    m_counters.Advance(m_db, m_context.CurrentOperator(), Clock::Today());
    Q_EMIT SaleNumberChanged(m_counters.Number());
    const bool saved = m_counters.Save();
    if (!saved)
        Dialogs::ShowWarning(
            QStringLiteral("销售已结账，但销售流水号无法保存到配置文件：%1").arg(m_counters.ErrorString()));
    if (m_printReceipt->isChecked()) {
        try {
            m_print(receipt);
        } catch (const EPosError& error) {
            // The sale is settled; only the paper is missing.
            Dialogs::ShowError(QStringLiteral("小票打印失败：") + error.Message());
        }
    }
    if (!m_openDrawer) return;
    try {
        m_openDrawer();  // receipt or not: the change comes out of the drawer
    } catch (const EPosError& error) {
        Dialogs::ShowError(QStringLiteral("钱箱打开失败：") + error.Message());
    }
}

void PaymentPanel::ReprintLastReceipt() {
    try {
        m_print(LastSaleReceipt(m_db, Clock::Now().time()));
    } catch (const EPosError& error) {
        Dialogs::ShowError(QStringLiteral("小票打印失败：") + error.Message());
    }
}

ReceiptData PaymentPanel::SettleSale() {
    Payment payment;
    payment.saleNumber = m_counters.SettlingNumber(m_db, m_context.CurrentOperator(), Clock::Today());
    payment.operatorName = m_context.CurrentOperator();
    payment.saleDate = m_context.SaleDate();
    payment.total = StrToFloat(m_total->text());
    payment.received = StrToFloat(m_received->text());
    payment.cash = StrToFloat(m_cash->text());
    payment.change = StrToFloat(m_change->text());
    ReceiptData receipt;
    receipt.saleNumber = payment.saleNumber;
    receipt.cashier = payment.operatorName;
    receipt.saleDate = payment.saleDate;
    receipt.printTime = Clock::Now().time();
    receipt.total = m_total->text();
    receipt.received = m_received->text();
    receipt.cash = m_cash->text();
    receipt.change = m_change->text();
    receipt.items = SettleOpenSale(m_db, payment);
    return receipt;
}
