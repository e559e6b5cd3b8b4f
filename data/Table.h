#pragma once
// The append target of one table: Append, set fields by name, Post. The row is written as one
// INSERT after every value has been converted, so a failed conversion leaves no half row.
// It does not load the table's rows (the sold lines grow for years).

#include <QString>
#include <QVariant>
#include <vector>

#include "data/Columns.h"

class Connection;

class Table {
public:
    Table(Connection& connection, QString name);

    const QString& Name() const { return m_name; }
    void Open();  // checks the table and reads its columns
    void Close();
    bool Active() const { return m_active; }

    void Append();
    void Set(const QString& field, const QVariant& value);
    qint64 Post();  // the new row's id
    void Cancel();

private:
    int ColumnOf(const QString& field) const;

    Connection& m_connection;
    QString m_name;
    bool m_active = false;
    bool m_appending = false;
    std::vector<ColumnInfo> m_columns;
    std::vector<std::pair<int, QVariant>> m_pending;
};
