#pragma once
// The line detail panel: edits one line of the open sale (price and quantity, with the member
// price and the amount beside them). It also holds the working values of a product line while
// the checkout adds a product.

#include "toolkit/FloatingPanel.h"

class QLineEdit;
class QPushButton;
class QToolButton;
class Query;
class MainFormOps;

class LinePanel : public FloatingPanel {
    Q_OBJECT
public:
    // `grid` is the sale grid's query; the panel writes the edited line into its current row.
    LinePanel(QWidget* parent, Query& grid, MainFormOps& main);

    // The hidden working values, never reachable by the keyboard.
    struct WorkingValues {
        QString name, model, code, category, unit, supplier;  // model: 规格型号
        QString purchasePrice, profit;
        QString zero = QStringLiteral("0");
    };
    WorkingValues& Working() { return m_working; }

    // The shown values. Setting the price or the quantity recomputes the amount, like typing;
    // a text that is no number then throws EConvertError.
    QString Price() const;
    QString MemberPrice() const;
    QString Quantity() const;
    QString Amount() const;
    void SetPrice(const QString& text);
    void SetMemberPrice(const QString& text);
    void SetQuantity(const QString& text);
    void SetAmount(const QString& text);

    // amount := price × quantity and profit := quantity × (price − purchase price), when the
    // price and the quantity are both given. Throws EConvertError for a text that is no number.
    void ComputeLine();
    // Button "修 改": confirm, then write the line into the grid's current row.
    void SaveLine();
    // Close icon: hide, clear, disable "修 改".
    void ClosePanel();
    void ClearLine();
    void SetSaveEnabled(bool enabled);
    bool SaveEnabled() const;
    // Opened on a line: focus on the quantity, or on the price.
    void FocusQuantity();
    void FocusPrice();

    QLineEdit* PriceBox() const { return m_price; }
    QLineEdit* QuantityBox() const { return m_quantity; }
    QPushButton* SaveButton() const { return m_save; }
    QToolButton* CloseIcon() const { return m_close; }
    void StepQuantity(int steps);  // the up-down control

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void UpdateAmount();
    void LiveAmount();  // after the user changed a box: errors are shown, not thrown
    void HideToEntry();

    Query& m_grid;
    MainFormOps& m_main;
    WorkingValues m_working;
    QLineEdit* m_price;
    QLineEdit* m_memberPrice;
    QLineEdit* m_quantity;
    QLineEdit* m_amount;
    QPushButton* m_save;
    QToolButton* m_close;
};
