#include "data/DataSource.h"

#include "data/Dataset.h"

DataSource::DataSource(Dataset* dataset, QObject* parent) : QAbstractTableModel(parent), m_dataset(dataset) {
    connect(dataset, &Dataset::DataReset, this, [this] {
        beginResetModel();
        endResetModel();
    });
    connect(dataset, &Dataset::RowChanged, this,
            [this](int row) { Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1)); });
    connect(dataset, &Dataset::RowRemoved, this, [this](int row) {
        // The dataset has already dropped the row; a reset keeps the model consistent.
        Q_UNUSED(row);
        beginResetModel();
        endResetModel();
    });
}

int DataSource::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_dataset->RecordCount();
}

int DataSource::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_dataset->FieldCount();
}

QVariant DataSource::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_dataset->RecordCount()) return {};
    const QVariant& value = m_dataset->Value(index.row(), index.column());
    if (role == Qt::DisplayRole) return ValueText(value);
    if (role == Qt::EditRole) return value;
    return {};
}

QVariant DataSource::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role == Qt::DisplayRole && orientation == Qt::Horizontal && section < m_dataset->FieldCount())
        return m_dataset->FieldName(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}
