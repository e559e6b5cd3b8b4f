#include "toolkit/DataGrid.h"

#include <QScopedValueRollback>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

#include "data/DataSource.h"
#include "data/Dataset.h"
#include "data/Errors.h"
#include "toolkit/DataGridParts.h"
#include "toolkit/GridFormat.h"

using namespace GridParts;

namespace {

Qt::Alignment WithVerticalCentre(Qt::Alignment alignment) {
    return (alignment & Qt::AlignVertical_Mask) ? alignment : alignment | Qt::AlignVCenter;
}

}  // namespace

Dataset* DataGridPrivate::dataset() const { return source ? source->DataSet() : nullptr; }

int DataGridPrivate::currentDatasetRow() const {
    const Dataset* ds = dataset();
    return ds ? ds->RecNo() : -1;
}

int DataGridPrivate::rowCount() const {
    const Dataset* ds = dataset();
    return ds ? ds->RecordCount() : 0;
}

const QVariant& DataGridPrivate::value(int row, int column) const {
    static const QVariant none;
    const Dataset* ds = dataset();
    if (!ds || row < 0 || row >= ds->RecordCount() || column < 0 || column >= int(columns.size()))
        return none;
    const int field = fieldIndex[size_t(column)];
    return field < 0 ? none : ds->Value(row, field);
}

QString DataGridPrivate::cellText(int row, int column) const {
    if (column < 0 || column >= int(columns.size())) return {};
    return GridCellText(value(row, column), decimals[size_t(column)]);
}

QString DataGridPrivate::footerText(int column) const {
    const GridColumn& c = columns[size_t(column)];
    switch (c.footer) {
        case GridFooter::Sum:
            return FormatGridNumber(sums[size_t(column)], footerDecimals[size_t(column)]);
        case GridFooter::Text:
            return c.footerText;
        case GridFooter::None:
            break;
    }
    return {};
}

QColor DataGridPrivate::titleTextColor(int column) const {
    if (column >= 0 && columns[size_t(column)].titleColor.isValid())
        return columns[size_t(column)].titleColor;
    return titleText.isValid() ? titleText : q->palette().color(QPalette::ButtonText);
}

QColor DataGridPrivate::titleBackgroundColor(int column) const {
    if (column >= 0 && columns[size_t(column)].titleBackground.isValid())
        return columns[size_t(column)].titleBackground;
    return titleBackground.isValid() ? titleBackground : q->palette().color(QPalette::Button);
}

int DataGridPrivate::levelHeight() const {
    return titleHeight > 0 ? titleHeight : titles->fontMetrics().height() + 6;
}

std::vector<int> DataGridPrivate::visibleColumns() const {
    std::vector<int> result;
    const QHeaderView* header = titles;
    for (int v = 0; v < header->count(); ++v) {
        const int logical = header->logicalIndex(v);
        if (!header->isSectionHidden(logical)) result.push_back(logical);
    }
    return result;
}

void DataGridPrivate::bind(DataSource* newSource) {
    for (const auto& connection : sourceConnections) QObject::disconnect(connection);
    sourceConnections.clear();
    model->BeginReset();
    source = newSource;
    if (source) {
        // DataSource resets after the dataset has changed; the grid's own model follows it.
        sourceConnections << QObject::connect(source, &QAbstractItemModel::modelAboutToBeReset, q,
                                              [this] { model->BeginReset(); });
        sourceConnections << QObject::connect(source, &QAbstractItemModel::modelReset, q,
                                              [this] { rowsReset(); });
        sourceConnections << QObject::connect(source, &QAbstractItemModel::dataChanged, q,
                                              [this](const QModelIndex& first, const QModelIndex& last) {
                                                  rowsChanged(first.row(), last.row());
                                              });
        sourceConnections << QObject::connect(source->DataSet(), &Dataset::CurrentChanged, q, [this] {
            if (!syncing) followDataset();
        });
        sourceConnections << QObject::connect(source, &QObject::destroyed, q, [this] { bind(nullptr); });
    }
    rowsReset();
}

void DataGridPrivate::rowsReset() {
    const Dataset* ds = dataset();
    fieldIndex.assign(columns.size(), -1);
    if (ds)
        for (size_t c = 0; c < columns.size(); ++c) fieldIndex[c] = ds->FieldIndex(columns[c].field);
    model->EndReset();
    {
        const QScopedValueRollback guard(fitting, true);
        for (size_t c = 0; c < columns.size(); ++c) titles->setSectionHidden(int(c), !columns[c].visible);
    }
    // A reload brings the rows back in their own order: a marker would no longer be true.
    if (!sorting) marked = -1;
    titles->viewport()->update();
    computeFooters();
    announcedRow = -2;
    showPending = false;
    showCurrent(currentDatasetRow());
}

void DataGridPrivate::rowsChanged(int first, int last) {
    model->RowsChanged(first, last);
    computeFooters();
}

void DataGridPrivate::computeFooters() {
    sums.assign(columns.size(), 0);
    const Dataset* ds = dataset();
    for (size_t c = 0; c < columns.size(); ++c) {
        if (ds && columns[c].footer == GridFooter::Sum) sums[c] = FooterSum(*ds, fieldIndex[c]);
    }
    footer->update();
}

void DataGridPrivate::viewCurrentChanged(int row) {
    if (syncing) return;
    Dataset* ds = dataset();
    if (ds && row >= 0 && row < ds->RecordCount() && row != ds->RecNo()) {
        const QScopedValueRollback guard(syncing, true);
        ds->SetRecNo(row);
    }
    announceCurrent(row);
}

// A walk over the rows (First, Next, ... Eof) moves the current row once per row. The grid
// follows the first move at once and the rest of such a burst once, when the event loop runs,
// instead of selecting and scrolling at every step.
void DataGridPrivate::followDataset() {
    if (followedThisTurn) {
        showPending = true;
        return;
    }
    followedThisTurn = true;
    showCurrent(currentDatasetRow());
    QMetaObject::invokeMethod(
        q,
        [this] {
            followedThisTurn = false;
            if (!showPending) return;
            showPending = false;
            showCurrent(currentDatasetRow());
        },
        Qt::QueuedConnection);
}

void DataGridPrivate::showCurrent(int row) {
    const QScopedValueRollback guard(syncing, true);
    QItemSelectionModel* selection = view->selectionModel();
    if (row < 0 || row >= rowCount()) {
        selection->clear();
        announceCurrent(-1);
        return;
    }
    const std::vector<int> shown = visibleColumns();
    const QModelIndex index = model->index(row, shown.empty() ? 0 : shown.front());
    selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view->scrollTo(index);
    announceCurrent(row);
}

void DataGridPrivate::announceCurrent(int row) {
    if (row == announcedRow) return;
    announcedRow = row;
    indicator->viewport()->update();
    Q_EMIT q->CurrentRowChanged(row);
}

void DataGridPrivate::sortRows(int column, bool descending) {
    {
        const QScopedValueRollback guard(sorting, true);
        dataset()->Sort(fieldIndex[size_t(column)], descending);
    }
    marked = column;
    titles->viewport()->update();
}

void DataGridPrivate::applyHeights() {
    const int row = rowHeight > 0 ? rowHeight : view->fontMetrics().height() + 4;
    indicator->setDefaultSectionSize(row);
    footer->setFixedHeight(row);
    titles->updateGeometry();
    view->Relayout();
    titles->viewport()->update();
}

void DataGridPrivate::fit() {
    const std::vector<int> shown = visibleColumns();
    const int available = view->viewport()->width();
    double total = 0;
    for (int c : shown) total += weights[size_t(c)];
    if (shown.empty() || available <= 0 || total <= 0) return;
    const QScopedValueRollback guard(fitting, true);
    // Cumulative rounding, so the widths add up to the viewport's width exactly.
    double sofar = 0;
    int edge = 0;
    for (int c : shown) {
        sofar += weights[size_t(c)];
        const int next = int(sofar * available / total + 0.5);
        titles->resizeSection(c, std::max(kMinColumnWidth, next - edge));
        edge = next;
    }
}

void DataGridPrivate::userResized(int column, int size) {
    const std::vector<int> shown = visibleColumns();
    const auto at = std::find(shown.begin(), shown.end(), column);
    if (at == shown.end()) return;
    const int available = view->viewport()->width();
    int left = 0;
    for (auto it = shown.begin(); it != at; ++it) left += titles->sectionSize(*it);
    const std::vector<int> right(at + 1, shown.end());
    const QScopedValueRollback guard(fitting, true);
    // The columns to the right give or take the difference, so the grid stays filled.
    const int room = available - left - int(right.size()) * kMinColumnWidth;
    const int width = right.empty() ? std::max(kMinColumnWidth, available - left)
                                    : std::clamp(size, kMinColumnWidth, std::max(kMinColumnWidth, room));
    titles->resizeSection(column, width);
    double rightTotal = 0;
    for (int c : right) rightTotal += titles->sectionSize(c);
    const int remaining = available - left - width;
    double sofar = 0;
    int edge = 0;
    for (int c : right) {
        sofar += rightTotal > 0 ? titles->sectionSize(c) : 1;
        const int next = int(sofar * remaining / (rightTotal > 0 ? rightTotal : double(right.size())) + 0.5);
        titles->resizeSection(c, std::max(kMinColumnWidth, next - edge));
        edge = next;
    }
    for (int c : shown) weights[size_t(c)] = titles->sectionSize(c);
}

DataGrid::DataGrid(QWidget* parent) : QFrame(parent), d(std::make_unique<DataGridPrivate>()) {
    d->q = this;
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    d->model = new GridModel(d.get(), this);
    d->view = new GridView(d.get(), this);
    d->titles = new TitleHeader(d.get(), d->view);
    d->indicator = new IndicatorHeader(d.get(), d->view);
    d->footer = new FooterBar(d.get(), this);

    QTableView* view = d->view;
    view->setHorizontalHeader(d->titles);
    view->setVerticalHeader(d->indicator);
    view->setModel(d->model);
    view->setFrameShape(QFrame::NoFrame);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setShowGrid(true);
    view->setWordWrap(false);
    view->setCornerButtonEnabled(false);
    view->setTabKeyNavigation(false);

    QHeaderView* titles = d->titles;
    titles->setSectionsClickable(true);
    titles->setHighlightSections(false);
    titles->setSectionResizeMode(QHeaderView::Interactive);
    titles->setMinimumSectionSize(kMinColumnWidth);
    titles->setStretchLastSection(false);

    // Fixed, equal rows: the view then places 100 000 rows without asking any row its size.
    QHeaderView* indicator = d->indicator;
    indicator->setSectionResizeMode(QHeaderView::Fixed);
    indicator->setMinimumSectionSize(1);
    indicator->setFixedWidth(kIndicatorWidth);
    indicator->setHighlightSections(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(d->view);
    layout->addWidget(d->footer);
    d->footer->hide();
    setFocusProxy(d->view);

    connect(titles, &QHeaderView::sectionClicked, this, [this](int column) {
        if (!d->titles->PressedOnBand()) SortByTitle(column);
    });
    connect(titles, &QHeaderView::sectionResized, this, [this](int column, int, int size) {
        if (!d->fitting) d->userResized(column, size);
        d->titles->viewport()->update();  // a band spans sections left of the one resized
        d->footer->update();
    });
    connect(titles, &QHeaderView::geometriesChanged, d->footer, qOverload<>(&QWidget::update));
    connect(view->horizontalScrollBar(), &QScrollBar::valueChanged, d->footer, qOverload<>(&QWidget::update));
    connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { d->viewCurrentChanged(current.row()); });
    // What the user points at wins over a move of the dataset still waiting to be shown; the
    // pressed row may already be the view's current one, so currentRowChanged need not come.
    connect(view, &QAbstractItemView::pressed, this, [this](const QModelIndex& index) {
        d->showPending = false;
        d->viewCurrentChanged(index.row());
    });
    connect(view, &QAbstractItemView::clicked, this,
            [this](const QModelIndex& index) { Q_EMIT RowClicked(index.row()); });
    d->applyHeights();
}

DataGrid::~DataGrid() {
    // The views call back into d while they go; take them down while d still exists.
    for (const auto& connection : d->sourceConnections) disconnect(connection);
    delete d->view;
    delete d->footer;
}

void DataGrid::SetDataSource(DataSource* source) {
    if (source != d->source) d->bind(source);
}

DataSource* DataGrid::Source() const { return d->source; }

Dataset* DataGrid::DataSet() const { return d->dataset(); }

void DataGrid::SetColumns(std::vector<GridColumn> columns) {
    std::vector<int> decimals, footerDecimals;
    std::vector<double> weights;
    for (GridColumn& c : columns) {
        decimals.push_back(ParseGridFormat(c.format));
        footerDecimals.push_back(ParseGridFormat(c.footerFormat));
        weights.push_back(std::max(1, c.width));
        c.alignment = WithVerticalCentre(c.alignment);
        if (c.footerAlignment) c.footerAlignment = WithVerticalCentre(c.footerAlignment);
    }
    d->model->BeginReset();
    d->columns = std::move(columns);
    d->decimals = std::move(decimals);
    d->footerDecimals = std::move(footerDecimals);
    d->weights = std::move(weights);
    d->sortColumn = -1;
    d->sortDescending = false;
    d->marked = -1;
    const auto shown = [](const GridColumn& c) { return c.visible; };
    d->levels = std::any_of(d->columns.begin(), d->columns.end(),
                            [&](const GridColumn& c) { return shown(c) && c.title.contains(u'|'); })
                    ? 2
                    : 1;
    d->rowsReset();
    d->footer->setVisible(std::any_of(d->columns.begin(), d->columns.end(), [&](const GridColumn& c) {
        return shown(c) && c.footer != GridFooter::None;
    }));
    d->applyHeights();
    d->fit();
}

int DataGrid::ColumnCount() const { return int(d->columns.size()); }

const GridColumn& DataGrid::Column(int column) const { return d->columns.at(size_t(column)); }

int DataGrid::ColumnIndex(const QString& field) const {
    for (size_t c = 0; c < d->columns.size(); ++c)
        if (d->columns[c].field.compare(field, Qt::CaseInsensitive) == 0) return int(c);
    return -1;
}

void DataGrid::SetMultiSelect(bool on) {
    d->view->setSelectionMode(on ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

void DataGrid::SetIndicator(bool shown) { d->indicator->setVisible(shown); }

void DataGrid::SetRowHeight(int pixels) {
    d->rowHeight = pixels;
    d->applyHeights();
}

void DataGrid::SetTitleHeight(int pixels) {
    d->titleHeight = pixels;
    d->applyHeights();
}

void DataGrid::SetRowColors(const QColor& odd, const QColor& even) {
    d->oddRow = odd;
    d->evenRow = even;
    d->view->viewport()->update();
}

void DataGrid::SetTitleColors(const QColor& text, const QColor& background) {
    d->titleText = text;
    d->titleBackground = background;
    d->titles->viewport()->update();
    d->indicator->viewport()->update();
}

void DataGrid::SetFooterColor(const QColor& background) {
    d->footerBackground = background;
    d->footer->update();
}

int DataGrid::RowCount() const { return d->rowCount(); }

int DataGrid::CurrentRow() const {
    const Dataset* ds = d->dataset();
    return ds && !ds->IsEmpty() ? ds->RecNo() : -1;
}

QList<int> DataGrid::SelectedRows() const {
    QList<int> rows;
    for (const QItemSelectionRange& range : d->view->selectionModel()->selection())
        for (int row = range.top(); row <= range.bottom(); ++row) rows << row;
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

QString DataGrid::CellText(int row, int column) const { return d->cellText(row, column); }

QVariant DataGrid::CellValue(int row, int column) const { return d->value(row, column); }

std::vector<int> DataGrid::VisibleColumns() const { return d->visibleColumns(); }

QString DataGrid::FooterValue(const QString& field) const {
    const int column = ColumnIndex(field);
    if (column < 0) throw EDatabaseError(QStringLiteral("找不到字段 '%1'").arg(field));
    return d->footerText(column);
}

double DataGrid::FooterNumber(const QString& field) const {
    const int column = ColumnIndex(field);
    if (column < 0) throw EDatabaseError(QStringLiteral("找不到字段 '%1'").arg(field));
    return d->columns[size_t(column)].footer == GridFooter::Sum ? d->sums[size_t(column)] : 0;
}

QString DataGrid::FooterText(int column) const {
    return column >= 0 && column < ColumnCount() ? d->footerText(column) : QString();
}

void DataGrid::SortByTitle(int column) {
    const Dataset* ds = d->dataset();
    // Sorting needs loaded rows; a closed list has nothing to sort.
    if (column < 0 || column >= ColumnCount() || !ds || !ds->Active()) return;
    const bool descending = !NextAscending(column);
    d->sortRows(column, descending);
    d->sortColumn = column;
    d->sortDescending = descending;
    Q_EMIT SortedByTitle(column, descending);
}

bool DataGrid::NextAscending(int column) const { return column == d->sortColumn && d->sortDescending; }

int DataGrid::SortColumn() const { return d->sortColumn; }

bool DataGrid::SortDescending() const { return d->sortDescending; }

int DataGrid::MarkedColumn() const { return d->marked; }

void DataGrid::ReapplySort() {
    const Dataset* ds = d->dataset();
    if (d->sortColumn >= 0 && ds && ds->Active()) d->sortRows(d->sortColumn, d->sortDescending);
}

QTableView* DataGrid::View() const { return d->view; }
