#pragma once
// The product window (Form1, "商品管理"): lists, searches, adds, changes and deletes the products
// of table sp. It is made once at program start and opened modally again and again.

#include <QDialog>
#include <QVariant>
#include <memory>
#include <utility>
#include <vector>

class CriteriaBand;
class DataGrid;
class GridPrinter;
class LabelReport;
class ProductPanel;
class QMenu;
class QPushButton;
class QStatusBar;
class QToolButton;
class Tdmfm;

class TForm1 : public QDialog {
    Q_OBJECT
public:
    explicit TForm1(Tdmfm& dm, QWidget* parent = nullptr);

    // The commands, each also reachable from its button or the grid's pop-up menu.
    void ListAll();             // "全部记录"
    void Search();              // "查  询" and every change of a criteria box
    void ClearCriteria();       // "清空条件"
    void NewProduct();          // bottom "新 建": the panel, emptied
    void LoadProduct(int row);  // a click on a list row
    void AddProduct();          // the panel's "新 建"
    void ModifyProduct();       // the panel's "修 改"
    void DeleteProduct();       // "删 除": the list's current row, once confirmed
    void DeleteSelectedRows();  // "多行删除"
    void ExportList();          // "导出Excel": the list as shown, to a workbook
    void PrintList();           // "打 印": the product report's preview
    void PrintLabels();         // 条形码打印: a barcode label for each product of the list

    // The printouts the previews show, over the list as it is now.
    std::unique_ptr<GridPrinter> ProductReport() const;
    // nullptr when the label layout file cannot be used; `error` says why.
    std::unique_ptr<LabelReport> LabelSheet(QString* error) const;

    // The window's parts. Its buttons, menu entries and criteria boxes carry object names.
    DataGrid* Grid() const { return m_grid; }
    QPushButton* NewButton() const { return m_newButton; }
    ProductPanel* EditPanel() const { return m_panel; }

    // Closes the window: its datasets, the buttons that need a loaded product, the panel's boxes.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildLayout();
    void BuildGrid();
    void BuildBottom();
    void BuildMenu();
    void Wire();
    void ConnectOutputs();
    void SetProductButtons(bool enabled);
    // The duplicate-code check: true when some product has the trimmed code of the panel.
    bool CodeExists(const QString& code);
    bool RequireValues();
    // The twelve written columns, prices converted; throws EConvertError for a price that is no number.
    std::vector<std::pair<QString, QVariant>> PanelValues() const;
    void RefuseDuplicate();
    void AfterWrite();

    Tdmfm& m_dm;
    DataGrid* m_grid = nullptr;
    ProductPanel* m_panel = nullptr;
    QWidget* m_bottom = nullptr;
    CriteriaBand* m_criteria = nullptr;
    QPushButton* m_newButton = nullptr;
    QPushButton* m_deleteButton = nullptr;
    QPushButton* m_allButton = nullptr;
    QPushButton* m_exportButton = nullptr;
    QPushButton* m_printButton = nullptr;
    QToolButton* m_barcodeButton = nullptr;
    QToolButton* m_importButton = nullptr;
    QMenu* m_menu = nullptr;
    QStatusBar* m_status = nullptr;

    // The product last loaded into the panel: its code, and its row, which "修 改" changes even
    // when the list was searched, sorted or moved since (two rows may share a code).
    QString m_loadedCode;
    QVariant m_loadedRow;
};
