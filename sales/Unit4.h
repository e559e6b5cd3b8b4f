#pragma once
// The sales detail window (xstj, "销售明细"): the settled sales and their lines, with the quick
// search, the month, day and whole views, the pick of one sale and the deletion of a sold line;
// its second page holds the monthly and daily charts. Made once at program start and opened
// modally again and again.

#include <QDialog>
#include <QTimer>
#include <QVariant>
#include <functional>
#include <map>
#include <memory>

class DataGrid;
class FloatingPanel;
class GridPrinter;
class QMenu;
class MainFormOps;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QToolButton;
class SalesChart;
class Tdmfm;
class Query;
struct SalesCriteria;
enum class ChartMeasure;

class Txstj : public QDialog {
    Q_OBJECT
public:
    // `currentOperator` names who deletes a line, for the deletion record.
    Txstj(Tdmfm& dm, MainFormOps& mainForm, std::function<QString()> currentOperator,
          QWidget* parent = nullptr);
    ~Txstj() override;

    void ShowMonthSales();  // "本 月"; the main window runs it each time it is shown
    void ShowAllSales();    // "全部记录" and "全 部"
    void SearchSales();     // both "查 询", and typed criteria after a short quiet
    void ShowToday();       // "当 天"
    void ClearCriteria();   // "清空条件"
    // A double click on a list row: that sale, matched exactly until the box is edited.
    void PickSale(const QString& saleNumber);
    // The Delete key: the current line in the delete box; DeleteShownLine is its "删 除".
    void DeleteSaleLine();
    void DeleteShownLine();

    // The line list's context menu: "导出Excel" (Ctrl+E) and "打 印" (Ctrl+D), over the lines as shown.
    void ExportLines();
    void PrintLines();
    std::unique_ptr<GridPrinter> SalesReport() const;  // what "打 印" previews
    QMenu* LineMenu() const { return m_lineMenu; }

    // The four chart computations of the statistics page.
    void MonthlyProfit();
    void MonthlySales();
    void DailyProfit();
    void DailySales();

    DataGrid* SaleGrid() const { return m_saleGrid; }  // data3, ADOQuery9
    DataGrid* LineGrid() const { return m_lineGrid; }  // data1, ADOQuery13
    QTabWidget* Pages() const { return m_pages; }
    QLineEdit* SaleNumberBox() const { return m_saleNumber; }
    QComboBox* CategoryBox() const { return m_category; }
    QLineEdit* NameBox() const { return m_name; }
    QLineEdit* OperatorBox() const { return m_operator; }
    QLineEdit* ModelBox() const { return m_model; }
    QLineEdit* CodeBox() const { return m_code; }
    QCheckBox* DateTick() const { return m_dateTick; }
    QDateEdit* FromDate() const { return m_from; }
    QDateEdit* ToDate() const { return m_to; }
    QPushButton* Button(const QString& name) const;  // by object name, e.g. "todayButton"
    QLabel* LineCapLabel() const { return m_lineCap; }
    QLabel* SaleCapLabel() const { return m_saleCap; }
    FloatingPanel* DeleteBox() const { return m_deleteBox; }
    QString DeleteBoxText(const QString& caption) const;  // the text under a caption ("" for the name)
    QPushButton* DeleteButton() const { return m_deleteButton; }
    SalesChart* MonthlyChart() const { return m_monthlyChart; }
    SalesChart* DailyChart() const { return m_dailyChart; }
    QComboBox* MonthlyYearBox() const { return m_monthlyYear; }
    QComboBox* DailyYearBox() const { return m_dailyYear; }
    QComboBox* MonthBox() const { return m_month; }

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* BuildDetailPage();
    QWidget* BuildSearchGroup(QWidget* page);
    void BuildDeleteBox(QWidget* page);
    QWidget* BuildStatisticsPage();
    void SetGridColumns();
    void BuildLineMenu();
    void LayOutDetailPage();
    SalesCriteria Criteria() const;
    void FillCategories();
    void FillYears();
    void ScheduleSearch();
    void HideDeleteBox();
    void AfterCurrentLineChanged(int row);
    void ShowChart(SalesChart* chart, Query& query, ChartMeasure measure, bool daily);

    Tdmfm& m_dm;
    MainFormOps& m_mainForm;
    std::function<QString()> m_operatorSource;

    QTabWidget* m_pages = nullptr;
    QWidget* m_detailPage = nullptr;
    QWidget* m_topBar = nullptr;
    QLineEdit* m_saleNumber = nullptr;
    bool m_exactSaleNumber = false;  // a picked sale, until the box is edited
    QLabel* m_saleCap = nullptr;
    DataGrid* m_saleGrid = nullptr;
    QLabel* m_lineCap = nullptr;
    DataGrid* m_lineGrid = nullptr;
    QMenu* m_lineMenu = nullptr;
    QWidget* m_searchGroup = nullptr;
    QComboBox* m_category = nullptr;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_operator = nullptr;
    QLineEdit* m_model = nullptr;
    QLineEdit* m_code = nullptr;
    QCheckBox* m_dateTick = nullptr;
    QDateEdit* m_from = nullptr;
    QDateEdit* m_to = nullptr;
    QTimer m_searchTimer;

    FloatingPanel* m_deleteBox = nullptr;
    std::map<QString, QLabel*> m_boxTexts;  // by caption
    QPushButton* m_deleteButton = nullptr;
    QVariant m_boxLineId;  // the line the box was filled from

    SalesChart* m_monthlyChart = nullptr;
    SalesChart* m_dailyChart = nullptr;
    QComboBox* m_monthlyYear = nullptr;
    QComboBox* m_dailyYear = nullptr;
    QComboBox* m_month = nullptr;
    std::unique_ptr<Query> m_monthlyQuery;  // the two charts' own statements
    std::unique_ptr<Query> m_dailyQuery;
};
