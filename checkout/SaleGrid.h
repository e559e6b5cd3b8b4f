#pragma once
// The sale grid: the open sale (table data, in entry order) with the footer sums of the
// quantity, the amount and the hidden profit, and the cart menu.

#include "toolkit/DataGrid.h"

class QAction;
class QMenu;
class Tdmfm;

class SaleGrid : public DataGrid {
    Q_OBJECT
public:
    SaleGrid(Tdmfm& dm, QWidget* parent);

    // The open sale in entry order, the current row on the last line.
    void ReloadSaleGrid();
    // A title click: the in-memory sort that alternates per column.
    void SortSaleGrid(int column);
    // A cell click; a different row than last time emits LeftRow.
    void SaleRowClicked(int row);

    QMenu* Menu() const { return m_menu; }
    QAction* ChangePriceAction() const { return m_changePrice; }
    QAction* ChangeQuantityAction() const { return m_changeQuantity; }
    QAction* DeleteLineAction() const { return m_deleteLine; }
    QAction* DeleteAllAction() const { return m_deleteAll; }
    QAction* PayAction() const { return m_pay; }

Q_SIGNALS:
    void SortStarted();  // the panels over the grid hide
    void LeftRow();      // another row was clicked than the one before

private:
    Tdmfm& m_dm;
    QMenu* m_menu;
    QAction* m_changePrice;
    QAction* m_changeQuantity;
    QAction* m_deleteLine;
    QAction* m_deleteAll;
    QAction* m_pay;
    int m_lastClickedRow = -1;
};
