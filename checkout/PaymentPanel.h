#pragma once
// The payment panel: the total, the cash the customer hands over and the change. It checks the
// payment and settles the sale; what happens around it is told through signals.

#include <functional>

#include "toolkit/FloatingPanel.h"

class Connection;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QToolButton;
class SaleContext;
class SaleCounters;
class SaleGrid;
struct ReceiptData;

class PaymentPanel : public FloatingPanel {
    Q_OBJECT
public:
    PaymentPanel(QWidget* parent, Connection& db, const SaleContext& context, SaleCounters& counters,
                 const SaleGrid& grid, QLineEdit* entry);

    void OpenPayment();
    void TakeTotals();
    void UpdateChange();
    void ConfirmPayment();
    void Cancel();
    void CloseIcon();
    // Prints the receipt of the last settled sale again, from the stored sale, marked as a copy.
    void ReprintLastReceipt();

    // Where the receipt goes; the default printer unless a test puts something else here.
    void SetReceiptPrinter(std::function<void(const ReceiptData&)> printer) { m_print = std::move(printer); }
    // Opens the cash drawer after every settlement; none by default. Throws EPosError on failure.
    void SetCashDrawer(std::function<void()> drawer) { m_openDrawer = std::move(drawer); }

    QLineEdit* TotalBox() const { return m_total; }
    QLineEdit* ReceivedBox() const { return m_received; }
    QLineEdit* CashBox() const { return m_cash; }
    QLineEdit* ChangeBox() const { return m_change; }
    QCheckBox* PrintReceiptBox() const { return m_printReceipt; }
    QPushButton* ConfirmButton() const { return m_confirm; }
    QPushButton* CancelButton() const { return m_cancelButton; }
    QToolButton* CloseButton() const { return m_close; }

Q_SIGNALS:
    void SaleSettled();                             // stored: the open sale is to be cleared
    void SaleNumberChanged(const QString& number);  // the next sale's number
    void SaleMissing();                             // confirmed with no open sale: the grid is stale
    void Cancelled();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool ChecksPass();
    ReceiptData SettleSale();

    Connection& m_db;
    const SaleContext& m_context;
    SaleCounters& m_counters;
    const SaleGrid& m_grid;
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
    std::function<void()> m_openDrawer;
};
