#pragma once
// The open sale at the desk: ringing up codes, the totals labels, emptying the sale, and the
// cashier's corrections of single lines.

#include <QDate>
#include <QObject>

class LinePanel;
class QLabel;
class QLineEdit;
class SaleGrid;
class Tdmfm;

// What the cart needs to know of the main window.
class SaleContext {
public:
    virtual ~SaleContext() = default;
    virtual QString SaleNumber() const = 0;
    virtual QDate SaleDate() const = 0;
    virtual QString CurrentOperator() const = 0;
    virtual void OpenPayment() = 0;
    virtual void HidePayment() = 0;
    virtual void ShowSaleNumber(const QString& number) = 0;
};

// True for digits with at most one point, neither first nor last: 3, 2.5, 100.5, but not
// .5, 5., 1.2.3, -1 or 1e3.
bool IsValidQuantity(const QString& text);

class Cart : public QObject {
    Q_OBJECT
public:
    Cart(Tdmfm& dm, SaleContext& context, QLineEdit* entry, QLabel* total, QLabel* count, SaleGrid& grid,
         LinePanel& panel);

    void AddProductByCode();
    void AskQuantity();
    void RefreshSaleTotals();
    void ClearOpenSale();
    void ReloadSaleGrid();

    // The cart commands on the selected line.
    void EditLine(bool focusPrice);
    void DeleteLine();
    void DeleteAll() { ClearOpenSale(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void EnterPressed();
    void FinishEntry();
    void MergeOrAppend(const QString& entryText);

    Tdmfm& m_dm;
    SaleContext& m_context;
    QLineEdit* m_entry;
    QLabel* m_total;
    QLabel* m_count;
    SaleGrid& m_grid;
    LinePanel& m_panel;
};
