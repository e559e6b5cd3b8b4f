#pragma once
// The product lookup (ysfm, "商品编码查找"): the cashier picks a product from a searchable list
// and its code goes to the checkout as if it had been typed there. Made once at program start
// and opened modally from the checkout's "商品..." button.

#include <QDialog>
#include <utility>
#include <vector>

class DataGrid;
class MainFormOps;
class QLineEdit;
class QPushButton;
class Tdmfm;

class Tysfm : public QDialog {
    Q_OBJECT
public:
    Tysfm(Tdmfm& dm, MainFormOps& mainForm, QWidget* parent = nullptr);

    void Search();         // "查  询" and every change of a criteria box
    void ClearCriteria();  // "清空条件"
    // "选定" and the double click: the current row's code into the checkout's entry field, the
    // checkout adds it while this window is still open, then the window closes.
    void Pick();

    DataGrid* Grid() const { return m_grid; }
    // The criteria box of a column (商品编码, 商品名称, 商品类别, 规格型号).
    QLineEdit* CriteriaBox(const QString& column) const;
    QPushButton* SearchButton() const { return m_searchButton; }
    QPushButton* ClearButton() const { return m_clearButton; }
    QPushButton* PickButton() const { return m_pickButton; }
    QPushButton* CancelButton() const { return m_cancelButton; }

    void done(int result) override;  // closes the list

protected:
    // Every opening starts from the full list, whatever the criteria boxes still hold.
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    Tdmfm& m_dm;
    MainFormOps& m_mainForm;
    DataGrid* m_grid = nullptr;
    std::vector<std::pair<QString, QLineEdit*>> m_criteria;  // in the order of their conditions
    QPushButton* m_searchButton = nullptr;
    QPushButton* m_clearButton = nullptr;
    QPushButton* m_pickButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
};
