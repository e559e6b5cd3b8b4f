#pragma once
// The product lookup (ysfm, "商品编码查找"): the cashier picks a product from a searchable list
// and its code goes to the checkout as if it had been typed there. Made once at program start
// and opened modally from the checkout's "商品..." button.

#include <QDialog>

class CriteriaBand;
class DataGrid;
class MainFormOps;
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

    DataGrid* Grid() const { return m_grid; }  // its buttons and criteria boxes carry object names

    void done(int result) override;  // closes the list

protected:
    // Every opening starts from the full list, whatever the criteria boxes still hold.
    void showEvent(QShowEvent* event) override;

private:
    void BuildLayout();
    void Wire();

    Tdmfm& m_dm;
    MainFormOps& m_mainForm;
    const QString m_fullList;  // the list's statement as the data module gives it: every product once
    DataGrid* m_grid = nullptr;
    CriteriaBand* m_criteria = nullptr;
    QPushButton* m_pickButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
};
