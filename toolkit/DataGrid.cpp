#include "toolkit/DataGrid.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStyleOptionViewItem>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <stdexcept>

#include "data/DataSource.h"
#include "data/Dataset.h"
#include "data/Errors.h"
#include "data/Numbers.h"

namespace {

constexpr int kMinColumnWidth = 8;
constexpr int kIndicatorWidth = 12;
constexpr int kMarkerSpace = 12;

// -1 for the general format, otherwise the decimals of "0", "0.0", "0.00", ...
int ParseFormat(const QString& format) {
    if (format.isEmpty()) return -1;
    if (format == QLatin1String("0")) return 0;
    const bool decimals = format.size() > 2 && format.startsWith(QLatin1String("0.")) &&
                          std::all_of(format.begin() + 2, format.end(), [](QChar c) { return c == u'0'; });
    if (!decimals)
        throw std::invalid_argument("DataGrid: unsupported number format '" + format.toStdString() + "'");
    return int(format.size() - 2);
}

QString FormatNumber(double value, int decimals) {
    if (decimals < 0) return FormatGeneral(value);
    const QString text = QString::number(value, 'f', decimals);
    // A tiny negative rounds to "-0.00", which would read as a debt of nothing.
    return text.startsWith(u'-') && text.toDouble() == 0 ? text.mid(1) : text;
}

bool IsNumber(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::Double:
        case QMetaType::Float:
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::ULongLong:
            return true;
        default:
            return false;
    }
}

// What a value adds to a sum: numbers and number texts; nulls and other texts add nothing.
double Addend(const QVariant& value) {
    if (IsNumber(value)) return value.toDouble();
    double number = 0;
    if (value.typeId() == QMetaType::QString && TryStrToFloat(value.toString(), &number)) return number;
    return 0;
}

double RoundToFourDecimals(double value) {
    // Through the decimal text, so 0.1 + 0.2 becomes exactly the double of 0.3.
    const double rounded = QString::number(value, 'f', 4).toDouble();
    return rounded == 0 ? 0.0 : rounded;
}

struct TitleParts {
    QString upper;  // null for a one-level title
    QString lower;
};

TitleParts SplitTitle(const QString& title) {
    const qsizetype bar = title.indexOf(u'|');
    if (bar < 0) return {QString(), title};
    return {title.left(bar), title.mid(bar + 1)};
}

Qt::Alignment WithVerticalCentre(Qt::Alignment alignment) {
    return (alignment & Qt::AlignVertical_Mask) ? alignment : alignment | Qt::AlignVCenter;
}

QColor GridLineColor(const QWidget* view) {
    QStyleOptionViewItem option;
    option.initFrom(view);
    const QColor color =
        QColor::fromRgba(QRgb(view->style()->styleHint(QStyle::SH_Table_GridLineColor, &option, view)));
    return color.alpha() == 0 ? view->palette().color(QPalette::Mid) : color;
}

// A flat cell: background, a line on its right and bottom edges, and its text.
void DrawCell(QPainter* painter, const QRect& rect, const QString& text, const QColor& textColor,
              const QColor& background, const QColor& line, Qt::Alignment alignment, int rightSpace = 0) {
    painter->fillRect(rect, background);
    painter->setPen(line);
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    const QRect textRect = rect.adjusted(2, 0, -2 - rightSpace, 0);
    painter->setPen(textColor);
    painter->drawText(textRect, alignment,
                      painter->fontMetrics().elidedText(text, Qt::ElideRight, textRect.width()));
}

class GridModel;
class GridView;
class TitleHeader;
class IndicatorHeader;
class FooterBar;

}  // namespace

struct DataGridPrivate {
    DataGrid* q = nullptr;
    GridModel* model = nullptr;
    GridView* view = nullptr;
    TitleHeader* titles = nullptr;
    IndicatorHeader* indicator = nullptr;
    FooterBar* footer = nullptr;

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

    Dataset* dataset() const { return source ? source->DataSet() : nullptr; }
    int currentDatasetRow() const {
        const Dataset* ds = dataset();
        return ds ? ds->RecNo() : -1;
    }
    int rowCount() const {
        const Dataset* ds = dataset();
        return ds ? ds->RecordCount() : 0;
    }
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

namespace {

class GridModel : public QAbstractTableModel {
public:
    GridModel(DataGridPrivate* d, QObject* parent) : QAbstractTableModel(parent), d(d) {}

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : d->rowCount();
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(d->columns.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid()) return {};
        switch (role) {
            case Qt::DisplayRole:
                return d->cellText(index.row(), index.column());
            case Qt::TextAlignmentRole:
                return int(d->columns[size_t(index.column())].alignment);
            case Qt::BackgroundRole:
                if (d->oddRow.isValid()) return QBrush(index.row() % 2 == 0 ? d->oddRow : d->evenRow);
                return {};
            case Qt::ForegroundRole: {
                // Fixed row colours keep their text readable under a dark skin too.
                if (!d->oddRow.isValid()) return {};
                const QColor& row = index.row() % 2 == 0 ? d->oddRow : d->evenRow;
                return QBrush(row.lightness() > 128 ? Qt::black : Qt::white);
            }
            default:
                return {};
        }
    }
    void BeginReset() { beginResetModel(); }
    void EndReset() { endResetModel(); }
    void RowsChanged(int first, int last) {
        Q_EMIT dataChanged(index(first, 0), index(last, columnCount() - 1));
    }

private:
    DataGridPrivate* d;
};

class GridView : public QTableView {
public:
    GridView(DataGridPrivate* d, QWidget* parent) : QTableView(parent), d(d) {}
    void Relayout() { updateGeometries(); }

protected:
    bool viewportEvent(QEvent* event) override {
        const bool handled = QTableView::viewportEvent(event);
        if (event->type() == QEvent::Resize) d->fit();
        return handled;
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        QTableView::mouseDoubleClickEvent(event);
        if (event->button() == Qt::LeftButton)
            Q_EMIT d->q->RowDoubleClicked(rowAt(event->position().toPoint().y()));
    }
    void changeEvent(QEvent* event) override {
        QTableView::changeEvent(event);
        if (event->type() == QEvent::FontChange) d->applyHeights();
    }

private:
    DataGridPrivate* d;
};

// The column titles: one or two levels, a band over equal adjacent upper titles, the marker.
class TitleHeader : public QHeaderView {
public:
    TitleHeader(DataGridPrivate* d, QWidget* parent) : QHeaderView(Qt::Horizontal, parent), d(d) {}
    bool PressedOnBand() const { return m_pressedOnBand; }
    QSize sizeHint() const override { return {length(), d->levels * d->levelHeight()}; }

    // The band an upper title spans: its visible neighbours with the same upper title.
    QRect BandRect(int logical, const QString& upper) const {
        const auto sameUpper = [&](int visual) {
            const int other = logicalIndex(visual);
            return !isSectionHidden(other) && SplitTitle(d->columns[size_t(other)].title).upper == upper;
        };
        int first = visualIndex(logical), last = first;
        for (int v = first - 1; v >= 0; --v) {
            if (isSectionHidden(logicalIndex(v))) continue;
            if (!sameUpper(v)) break;
            first = v;
        }
        for (int v = last + 1; v < count(); ++v) {
            if (isSectionHidden(logicalIndex(v))) continue;
            if (!sameUpper(v)) break;
            last = v;
        }
        const int left = sectionViewportPosition(logicalIndex(first));
        const int right = sectionViewportPosition(logicalIndex(last)) + sectionSize(logicalIndex(last));
        return QRect(left, 0, right - left, d->levelHeight());
    }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logical) const override {
        if (logical < 0 || logical >= int(d->columns.size())) return;
        const TitleParts parts = SplitTitle(d->columns[size_t(logical)].title);
        const QColor line = GridLineColor(d->q);
        QRect cell = rect;
        if (d->levels == 2 && !parts.upper.isNull()) {
            const QRect band = BandRect(logical, parts.upper);
            // Every section paints its share of the band, so the text stays centred over the group.
            painter->save();
            painter->setClipRect(QRect(rect.left(), rect.top(), rect.width(), band.height()),
                                 Qt::IntersectClip);
            DrawCell(painter, band, parts.upper, d->titleTextColor(-1), d->titleBackgroundColor(-1), line,
                     Qt::AlignCenter);
            painter->restore();
            cell.setTop(rect.top() + band.height());
        }
        const bool marked = logical == d->marked;
        DrawCell(painter, cell, parts.lower, d->titleTextColor(logical), d->titleBackgroundColor(logical),
                 line, Qt::AlignCenter, marked ? kMarkerSpace : 0);
        if (marked) {
            // A small triangle: pointing down for descending, up for ascending.
            const int cx = cell.right() - kMarkerSpace / 2 - 1, cy = cell.center().y();
            const QPolygon down({QPoint(cx - 4, cy - 2), QPoint(cx + 4, cy - 2), QPoint(cx, cy + 2)});
            const QPolygon up({QPoint(cx - 4, cy + 2), QPoint(cx + 4, cy + 2), QPoint(cx, cy - 2)});
            painter->setPen(Qt::NoPen);
            painter->setBrush(d->titleTextColor(logical));
            painter->drawPolygon(d->sortDescending ? down : up);
        }
    }
    void mousePressEvent(QMouseEvent* event) override {
        const int logical = logicalIndexAt(event->position().toPoint());
        m_pressedOnBand = d->levels == 2 && logical >= 0 &&
                          !SplitTitle(d->columns[size_t(logical)].title).upper.isNull() &&
                          event->position().y() < d->levelHeight();
        QHeaderView::mousePressEvent(event);
    }

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
    void paintSection(QPainter* painter, const QRect& rect, int logical) const override {
        DrawCell(painter, rect, QString(), QColor(), d->titleBackgroundColor(-1), GridLineColor(d->q), {});
        if (logical != d->view->currentIndex().row()) return;
        const int cx = rect.center().x(), cy = rect.center().y();
        painter->setPen(Qt::NoPen);
        painter->setBrush(d->titleTextColor(-1));
        painter->drawPolygon(QPolygon({QPoint(cx - 2, cy - 4), QPoint(cx - 2, cy + 4), QPoint(cx + 2, cy)}));
    }

private:
    DataGridPrivate* d;
};

// The footer row under the rows, its cells kept under the columns as they are sized or scrolled.
class FooterBar : public QWidget {
public:
    FooterBar(DataGridPrivate* d, QWidget* parent) : QWidget(parent), d(d) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QColor background =
            d->footerBackground.isValid() ? d->footerBackground : palette().color(QPalette::Window);
        const QColor line = GridLineColor(d->q);
        painter.fillRect(rect(), background);
        painter.setPen(line);
        painter.drawLine(0, 0, width() - 1, 0);
        const QWidget* viewport = d->view->viewport();
        const int left = viewport->mapTo(d->q, QPoint(0, 0)).x() - x();
        painter.setClipRect(left, 0, viewport->width(), height());
        const QHeaderView* titles = d->titles;
        for (int column : d->visibleColumns()) {
            const QRect cell(left + titles->sectionViewportPosition(column), 0, titles->sectionSize(column),
                             height());
            const GridColumn& c = d->columns[size_t(column)];
            // A fixed footer colour gets a text colour that stays readable under every skin.
            const QColor text = d->footerBackground.isValid()
                                    ? (background.lightness() > 128 ? QColor(Qt::black) : QColor(Qt::white))
                                    : palette().color(QPalette::Text);
            DrawCell(&painter, cell.adjusted(0, 1, 0, 1), d->footerText(column), text, background, line,
                     c.footerAlignment ? c.footerAlignment : c.alignment);
        }
    }

private:
    DataGridPrivate* d;
};

}  // namespace

QString DataGridPrivate::cellText(int row, int column) const {
    const Dataset* ds = dataset();
    if (!ds || row < 0 || row >= ds->RecordCount() || column < 0 || column >= int(columns.size())) return {};
    const int field = fieldIndex[size_t(column)];
    if (field < 0) return {};
    const QVariant& value = ds->Value(row, field);
    const int places = decimals[size_t(column)];
    return places >= 0 && IsNumber(value) ? FormatNumber(value.toDouble(), places) : ValueText(value);
}

QString DataGridPrivate::footerText(int column) const {
    const GridColumn& c = columns[size_t(column)];
    switch (c.footer) {
        case GridFooter::Sum:
            return FormatNumber(sums[size_t(column)], footerDecimals[size_t(column)]);
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
        if (!ds || columns[c].footer != GridFooter::Sum || fieldIndex[c] < 0) continue;
        const int field = fieldIndex[c];
        double sum = 0;
        for (int row = 0; row < ds->RecordCount(); ++row) sum += Addend(ds->Value(row, field));
        sums[c] = RoundToFourDecimals(sum);
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
        decimals.push_back(ParseFormat(c.format));
        footerDecimals.push_back(ParseFormat(c.footerFormat));
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
