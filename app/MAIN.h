#pragma once
// The main window: the checkout screen of the cash desk, with its toolbar, menus and status
// bar. It owns the sale number, the sale counter, the sale date and the session id.

#include <QDate>
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <vector>

#include "checkout/SaleContext.h"
#include "checkout/SaleCounters.h"
#include "common/MainFormOps.h"

class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QToolButton;
class QVBoxLayout;
class Tdmfm;
class Cart;
class LinePanel;
class PaymentPanel;
class SaleGrid;
class TForm2;

class TMainForm : public QMainWindow, public MainFormOps, public SaleContext {
    Q_OBJECT
public:
    // Reads the sale number and counter from configPath; touches no database.
    TMainForm(Tdmfm& dm, QString configPath, QWidget* parent = nullptr);

    void AddProductByCode() override;
    void ReloadSaleGrid() override;
    void RefreshSaleTotals() override;
    void ClearOpenSale() override;
    void OpenPayment() override;
    void HidePayment();
    QLineEdit* EntryField() override { return m_entry; }
    int SessionId() const override { return m_sessionId; }
    void SetSessionId(int id) override { m_sessionId = id; }
    void ShowOperator(const QString& user) override;
    void HideAdminCommands() override;

    // Shows an existing modeless window again, or makes one (it shows itself).
    void OpenWindowOnce(QPointer<QWidget>& window, const std::function<QWidget*()>& make);
    // Run when the window becomes active without a session; a login that fails leaves the
    // session id at 0 and the main window closes.
    void SetLoginPrompt(std::function<void()> prompt) { m_loginPrompt = std::move(prompt); }

    // Fills the sales detail window's current month; run first each time the window is shown.
    void SetMonthSalesFill(std::function<void()> fill) { m_monthSalesFill = std::move(fill); }
    // A widget of another window that only the super administrator sees.
    void AddAdminOnly(QWidget* widget) { m_adminOnly.push_back(widget); }

    // Who works at the desk: the login window's user box.
    void SetOperatorSource(std::function<QString()> source) { m_operator = std::move(source); }
    QString CurrentOperator() const override { return m_operator ? m_operator() : QString(); }

    QString SaleNumber() const override { return m_counters.Number(); }
    const QString& SaleCounter() const { return m_counters.Counter(); }
    void ShowSaleNumber(const QString& number);
    QDate SaleDate() const override { return m_saleDate; }
    // Writes the sale number and counter to config.ini; false (after a message) when it cannot.
    bool SaveSaleCounters();

    // For the windows and tests that need the parts.
    QLabel* TotalLabel() const { return m_totalLabel; }
    QLabel* CountLabel() const { return m_countLabel; }
    QLabel* SaleNumberLabel() const { return m_saleNumberLabel; }
    QLabel* StatusPanel(int index) const { return m_statusPanels[index]; }
    QVBoxLayout* SaleGridArea() const { return m_saleGridArea; }
    // A toolbar button by its object name ("settleButton", "slipButton", ...).
    QToolButton* ToolButton(const QString& name) const;
    QPushButton* LookupButton() const { return m_lookupButton; }  // "商品..." beside the entry field
    QMenu* SettingsMenu() const { return m_settingsMenu; }
    QMenu* SupportMenu() const { return m_supportMenu; }
    QMenu* SaleGridMenu() const;
    SaleGrid* Grid() const { return m_saleGrid; }
    LinePanel* LineDetailPanel() const { return m_linePanel; }
    PaymentPanel* Payment() const { return m_payment; }
    Cart* SaleCart() const { return m_cart; }
    TForm2* Form2() const { return m_form2; }  // the sales slip and its preview

Q_SIGNALS:
    // The window has closed for good: the session end is recorded and the program must end.
    void Closed();

protected:
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void ReadSaleCounters();
    void CheckSaleCounters();
    void BuildHeader(QVBoxLayout* column);
    void BuildBottom(QVBoxLayout* column);
    void BuildToolbar(QWidget* parent, class QHBoxLayout* row);
    void BuildStatusBar();
    void BuildCheckout();
    void BuildSettleMenu();
    void WireReceiptPrinter();
    void ShowSteps();
    void ChooseSkin(int index);
    void RecordSessionEnd();
    void PrintSlip();
    void PromptLogin();

    Tdmfm& m_dm;
    QString m_configPath;
    SaleCounters m_counters;
    bool m_countersChecked = false;
    QDate m_saleDate;
    int m_sessionId = 0;
    bool m_loginShowing = false;
    std::function<void()> m_loginPrompt;
    std::function<void()> m_monthSalesFill;
    std::vector<QPointer<QWidget>> m_adminOnly;
    std::function<QString()> m_operator;

    QLineEdit* m_entry = nullptr;
    QPushButton* m_lookupButton = nullptr;
    QLabel* m_saleNumberLabel = nullptr;
    QWidget* m_saleGridBox = nullptr;
    QVBoxLayout* m_saleGridArea = nullptr;
    QLabel* m_totalLabel = nullptr;
    QLabel* m_countLabel = nullptr;
    QLabel* m_statusPanels[4] = {};
    QList<QToolButton*> m_toolButtons;
    QMenu* m_settingsMenu = nullptr;
    QMenu* m_supportMenu = nullptr;
    SaleGrid* m_saleGrid = nullptr;
    LinePanel* m_linePanel = nullptr;
    PaymentPanel* m_payment = nullptr;
    Cart* m_cart = nullptr;
    TForm2* m_form2 = nullptr;
    QAction* m_changePasswordAction = nullptr;
    QAction* m_userAdminAction = nullptr;
    QAction* m_receiptPrinterAction = nullptr;
    QAction* m_drawerAction = nullptr;
    QPointer<QWidget> m_receiptPrinterWindow;
};
