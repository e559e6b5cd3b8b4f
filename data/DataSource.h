#pragma once
// The item model that shows a dataset in a grid: one model column per dataset column, the
// display text in the general number format, the stored value under Qt::EditRole.

#include <QAbstractTableModel>

class Dataset;

class DataSource : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DataSource(Dataset* dataset, QObject* parent = nullptr);
    Dataset* DataSet() const { return m_dataset; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    Dataset* m_dataset;
};
