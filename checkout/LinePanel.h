#pragma once
// The line detail panel: edits one line of the open sale (price and quantity, with the member
// price and the amount beside them). It turns its texts into a SaleLine and writes the line it
// was opened on, and only that line.

#include <QVariant>

#include "toolkit/FloatingPanel.h"

class QLineEdit;
class QPushButton;
class QToolButton;
class Query;
struct SaleLine;

class LinePanel : public FloatingPanel {
    Q_OBJECT
public:
    // `grid` is the sale grid's query: the panel opens on its current row. `entry` gets the
    // focus back when the panel is done.
    LinePanel(QWidget* parent, Query& grid, QLineEdit* entry);

    // Shows the grid's current line with "修 改" enabled, the focus on the quantity or the
    // price; nothing when the sale is empty.
    void OpenOnCurrentRow(bool focusPrice);

    // The shown values. Setting the price or the quantity recomputes the amount, like typing.
    QString Price() const;
    QString MemberPrice() const;
    QString Quantity() const;
    QString Amount() const;
    void SetPrice(const QString& text);
    void SetQuantity(const QString& text);

    // The line the texts describe. Throws EConvertError for a text that is no number (the
    // empty one too) and EPosError for a negative price or a quantity that is not above 0.
    SaleLine LineFromTexts() const;
    // Button "修 改": confirm, then write the line into the row the panel was opened on.
    void SaveLine();
    // Close icon: hide, clear, disable "修 改".
    void ClosePanel();
    void ClearLine();
    void SetSaveEnabled(bool enabled);
    bool SaveEnabled() const;
    void FocusQuantity();
    void FocusPrice();

    QLineEdit* PriceBox() const { return m_price; }
    QLineEdit* QuantityBox() const { return m_quantity; }
    QPushButton* SaveButton() const { return m_save; }
    QToolButton* CloseIcon() const { return m_close; }
    void StepQuantity(int steps);  // the up-down control

Q_SIGNALS:
    void LineSaved();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void UpdateAmount();
    void LiveAmount();  // after the user changed a box: errors are shown, not thrown
    void HideToEntry();
    void CurrentRowMoved();

    Query& m_grid;
    QLineEdit* m_entry;
    QVariant m_rowId;  // the line the panel was opened on
    QString m_purchasePrice;
    QLineEdit* m_price;
    QLineEdit* m_memberPrice;
    QLineEdit* m_quantity;
    QLineEdit* m_amount;
    QPushButton* m_save;
    QToolButton* m_close;
};
