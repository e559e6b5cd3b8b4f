#pragma once
// The read-only grid every list of the program uses, bound to a DataSource: declared columns
// with one- or two-level titles, one footer row of sums or fixed texts, row colours, and the
// title-click sort (first click descending, then alternating) of the rows already loaded.

#include <QColor>
#include <QFrame>
#include <QList>
#include <QString>
#include <QVariant>
#include <memory>
#include <vector>

class DataSource;
class Dataset;
class QTableView;
struct DataGridPrivate;

enum class GridFooter { None, Sum, Text };

struct GridColumn {
    QString field{};  // the dataset column shown; a field the dataset lacks shows empty cells
    QString title{};  // "upper|lower" gives two title levels; equal adjacent uppers share one band
    int width = 100;  // pixels; the widths are scaled together so the columns fill the grid
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    QString format{};  // numbers in cells: empty for the general format, "0", "0.00", ...
    GridFooter footer = GridFooter::None;
    QString footerFormat{};              // for a Sum, as `format`
    QString footerText{};                // for a Text
    Qt::Alignment footerAlignment = {};  // empty: as the cells
    bool visible = true;                 // a hidden column still keeps its footer value
    QColor titleColor{};                 // invalid: the grid's title colours
    QColor titleBackground{};
};

class DataGrid : public QFrame {
    Q_OBJECT
public:
    explicit DataGrid(QWidget* parent = nullptr);
    ~DataGrid() override;

    void SetDataSource(DataSource* source);
    DataSource* Source() const;
    Dataset* DataSet() const;  // nullptr when no source is bound

    // Throws std::invalid_argument for a format the grid cannot write.
    void SetColumns(std::vector<GridColumn> columns);
    int ColumnCount() const;
    const GridColumn& Column(int column) const;
    int ColumnIndex(const QString& field) const;  // -1 when no column shows it; Latin case ignored

    void SetMultiSelect(bool on);  // Ctrl and Shift select several rows
    void SetIndicator(bool shown);
    void SetRowHeight(int pixels);
    void SetTitleHeight(int pixels);  // of one title level
    // First, third, ... rows in `odd`, the others in `even`; the same colour twice fixes it.
    void SetRowColors(const QColor& odd, const QColor& even);
    void SetTitleColors(const QColor& text, const QColor& background);
    void SetFooterColor(const QColor& background);

    int RowCount() const;
    int CurrentRow() const;                         // the dataset's current row; -1 when empty
    QList<int> SelectedRows() const;                // ascending dataset rows
    QString CellText(int row, int column) const;    // as the cell shows it
    QVariant CellValue(int row, int column) const;  // the stored value; null for a field the dataset lacks
    std::vector<int> VisibleColumns() const;        // the shown columns in screen order

    // Footers are computed when the rows are loaded or change, sums rounded to four decimals.
    // Both throw EDatabaseError for a field no column shows.
    QString FooterValue(const QString& field) const;  // the footer's text
    double FooterNumber(const QString& field) const;  // the sum; 0 for other footers
    QString FooterText(int column) const;

    // The title click: sort the loaded rows by `column`, ascending when its next-ascending flag
    // is set, otherwise descending; then invert that flag and clear every other one.
    void SortByTitle(int column);
    bool NextAscending(int column) const;
    int SortColumn() const;  // of the last title click, -1 before any; kept across reloads
    bool SortDescending() const;
    int MarkedColumn() const;  // whose title shows the marker; -1 once the rows were reloaded
    // Sorts reloaded rows again as the last title click did, without touching the flags.
    void ReapplySort();

    QTableView* View() const;

Q_SIGNALS:
    // By a click, a key or the dataset. A burst of dataset moves in one event-loop turn (a walk
    // with First/Next) shows its first move at once and its last when the event loop runs.
    void CurrentRowChanged(int row);
    void RowClicked(int row);
    void RowDoubleClicked(int row);  // -1 when the double click hit no row
    void SortedByTitle(int column, bool descending);

private:
    std::unique_ptr<DataGridPrivate> d;
};
