#pragma once
// The open sale at the desk: ringing up codes, the totals labels, emptying the sale and
// deleting lines. It tells what happened through signals; the main window connects them.

#include <QObject>
#include <optional>

#include "checkout/SaleContext.h"

class QLabel;
class QLineEdit;
class Query;
class SaleGrid;
class Tdmfm;
struct SaleLine;

class Cart : public QObject {
    Q_OBJECT
public:
    Cart(Tdmfm& dm, const SaleContext& context, QLineEdit* entry, QLabel* total, QLabel* count,
         SaleGrid& grid);

    void AddProductByCode();
    // The quantity prompt: none when cancelled; an answer that is no quantity to sell is
    // explained and asked again.
    std::optional<double> AskQuantity();
    void RefreshSaleTotals();
    void ClearOpenSale();
    void ReloadSaleGrid();
    // The selected line, from the grid menu or Del.
    void DeleteLine();
    void DeleteAll() { ClearOpenSale(); }

Q_SIGNALS:
    void PaymentAsked();  // Enter on an empty entry with lines in the sale, or the grid menu
    void SaleReloaded();  // the grid shows the open sale anew
    void LineDeleted();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void EnterPressed();
    void FinishEntry();
    void MergeOrAppend(const QString& entryText, const SaleLine& line, const Query& product);

    Tdmfm& m_dm;
    const SaleContext& m_context;
    QLineEdit* m_entry;
    QLabel* m_total;
    QLabel* m_count;
    SaleGrid& m_grid;
};
