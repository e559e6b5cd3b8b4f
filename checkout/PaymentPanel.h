#pragma once
// The payment panel: the total, the cash the customer hands over and the change, and the
// settlement of the sale.

#include <functional>

#include "toolkit/FloatingPanel.h"

class Cart;
class LinePanel;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QToolButton;
class SaleContext;
class SaleCounters;
class SaleGrid;
class Tdmfm;
struct ReceiptData;

class PaymentPanel : public FloatingPanel {
    Q_OBJECT
public:
    PaymentPanel(QWidget* parent, Tdmfm& dm, SaleContext& context, SaleCounters& counters, Cart& cart,
                 SaleGrid& grid, LinePanel& linePanel, QLineEdit* entry);

    void OpenPayment();
    void TakeTotals();
    void UpdateChange();
    void ConfirmPayment();
    void Cancel();
    void CloseIcon();

    // Where the receipt goes; the default printer unless a test puts something else here.
    void SetReceiptPrinter(std::function<void(const ReceiptData&)> printer) { m_print = std::move(printer); }

    QLineEdit* TotalBox() const { return m_total; }
    QLineEdit* ReceivedBox() const { return m_received; }
    QLineEdit* CashBox() const { return m_cash; }
    QLineEdit* ChangeBox() const { return m_change; }
    QCheckBox* PrintReceiptBox() const { return m_printReceipt; }
    QPushButton* ConfirmButton() const { return m_confirm; }
    QPushButton* CancelButton() const { return m_cancelButton; }
    QToolButton* CloseButton() const { return m_close; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool ChecksPass();
    ReceiptData SettleSale();
    void CommitSaleLines(const QString& saleNumber);
    void RecordPayment(const QString& saleNumber);

    Tdmfm& m_dm;
    SaleContext& m_context;
    SaleCounters& m_counters;
    Cart& m_cart;
    SaleGrid& m_grid;
    LinePanel& m_linePanel;
    QLineEdit* m_entry;
    QLineEdit* m_total;
    QLineEdit* m_received;
    QLineEdit* m_cash;
    QLineEdit* m_change;
    QCheckBox* m_printReceipt;
    QPushButton* m_confirm;
    QPushButton* m_cancelButton;
    QToolButton* m_close;
    std::function<void(const ReceiptData&)> m_print;
};
