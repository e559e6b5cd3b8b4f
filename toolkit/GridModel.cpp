#include <QBrush>

#include "toolkit/DataGridParts.h"

namespace GridParts {

int GridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : d->rowCount(); }

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(d->columns.size());
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
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

void GridModel::RowsChanged(int first, int last) {
    Q_EMIT dataChanged(index(first, 0), index(last, columnCount() - 1));
}

}  // namespace GridParts
