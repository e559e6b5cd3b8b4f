#pragma once
// Inside DataGrid: its shared state and the Qt pieces it is made of (the model, the view, the
// title and indicator headers, the footer bar). Only the grid's own files include this.

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QTableView>
#include <vector>

#include "toolkit/DataGrid.h"

class QPainter;

namespace GridParts {

class GridModel;
class GridView;
class TitleHeader;
class IndicatorHeader;
class FooterBar;

constexpr int kMinColumnWidth = 8;
constexpr int kIndicatorWidth = 12;
constexpr int kMarkerSpace = 12;

struct TitleParts {
    QString upper;  // null for a one-level title
    QString lower;
};
TitleParts SplitTitle(const QString& title);

QColor GridLineColor(const QWidget* view);

// A flat cell: background, a line on its right and bottom edges, and its text.
void DrawCell(QPainter* painter, const QRect& rect, const QString& text, const QColor& textColor,
              const QColor& background, const QColor& line, Qt::Alignment alignment, int rightSpace = 0);

}  // namespace GridParts

struct DataGridPrivate {
    DataGrid* q = nullptr;
    GridParts::GridModel* model = nullptr;
    GridParts::GridView* view = nullptr;
    GridParts::TitleHeader* titles = nullptr;
    GridParts::IndicatorHeader* indicator = nullptr;
    GridParts::FooterBar* footer = nullptr;

    DataSource* source = nullptr;
    QList<QMetaObject::Connection> sourceConnections;

    std::vector<GridColumn> columns;
    std::vector<int> fieldIndex;      // dataset column of each grid column, -1 when absent
    std::vector<int> decimals;        // of the cells, -1 for the general format
    std::vector<int> footerDecimals;  // of the footer sums
    std::vector<double> weights;      // the widths the columns are scaled from
    std::vector<double> sums;

    QColor oddRow, evenRow, titleText, titleBackground, footerBackground;
    int rowHeight = 0;    // 0: from the font
    int titleHeight = 0;  // of one level; 0: from the font
    int levels = 1;

    int sortColumn = -1;
    bool sortDescending = false;
    int marked = -1;
    int announcedRow = -2;

    bool sorting = false;           // our own sort is resetting the rows: keep the marker
    bool fitting = false;           // the grid itself is sizing the columns, not the user
    bool syncing = false;           // the grid and the dataset are being put on the same row
    bool followedThisTurn = false;  // the grid followed a move of the dataset in this event-loop turn
    bool showPending = false;       // and the dataset moved again since

    Dataset* dataset() const;
    int currentDatasetRow() const;
    int rowCount() const;
    const QVariant& value(int row, int column) const;  // a null for a column the dataset lacks
    QString cellText(int row, int column) const;
    QString footerText(int column) const;
    QColor titleTextColor(int column) const;
    QColor titleBackgroundColor(int column) const;
    int levelHeight() const;
    std::vector<int> visibleColumns() const;  // in screen order

    void bind(DataSource* source);
    void rowsReset();
    void rowsChanged(int first, int last);
    void computeFooters();
    void viewCurrentChanged(int row);
    void followDataset();
    void showCurrent(int row);
    void announceCurrent(int row);
    void sortRows(int column, bool descending);
    void applyHeights();
    void fit();
    void userResized(int column, int size);
};

namespace GridParts {

class GridModel : public QAbstractTableModel {
public:
    GridModel(DataGridPrivate* d, QObject* parent) : QAbstractTableModel(parent), d(d) {}

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    void BeginReset() { beginResetModel(); }
    void EndReset() { endResetModel(); }
    void RowsChanged(int first, int last);

private:
    DataGridPrivate* d;
};

class GridView : public QTableView {
public:
    GridView(DataGridPrivate* d, QWidget* parent) : QTableView(parent), d(d) {}
    void Relayout() { updateGeometries(); }

protected:
    bool viewportEvent(QEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    DataGridPrivate* d;
};

// The column titles: one or two levels, a band over equal adjacent upper titles, the marker.
class TitleHeader : public QHeaderView {
public:
    TitleHeader(DataGridPrivate* d, QWidget* parent) : QHeaderView(Qt::Horizontal, parent), d(d) {}
    bool PressedOnBand() const { return m_pressedOnBand; }
    QSize sizeHint() const override;
    // The band an upper title spans: its visible neighbours with the same upper title.
    QRect BandRect(int logical, const QString& upper) const;

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logical) const override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    DataGridPrivate* d;
    bool m_pressedOnBand = false;
};

// The indicator column: a triangle on the current row.
class IndicatorHeader : public QHeaderView {
public:
    IndicatorHeader(DataGridPrivate* d, QWidget* parent) : QHeaderView(Qt::Vertical, parent), d(d) {}
    QSize sizeHint() const override { return {kIndicatorWidth, length()}; }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logical) const override;

private:
    DataGridPrivate* d;
};

// The footer row under the rows, its cells kept under the columns as they are sized or scrolled.
class FooterBar : public QWidget {
public:
    FooterBar(DataGridPrivate* d, QWidget* parent) : QWidget(parent), d(d) {}

protected:
    void paintEvent(QPaintEvent*) override;

private:
    DataGridPrivate* d;
};

}  // namespace GridParts
