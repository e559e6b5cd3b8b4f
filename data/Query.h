#pragma once
// A dataset filled by one SQL statement whose text is replaced at run time. Values are always
// bound parameters, never part of the text.

#include <utility>

#include "data/Dataset.h"

class Connection;

using FieldValues = std::vector<std::pair<QString, QVariant>>;

class Query : public Dataset {
    Q_OBJECT
public:
    explicit Query(Connection& connection, QString sql = {}, bool readOnly = false);

    const QString& SQL() const { return m_sql; }
    void SetSQL(const QString& sql, QVariantList values = {});
    const QVariantList& Values() const { return m_values; }

    void Open();    // runs the statement and loads every row
    int ExecSQL();  // runs it without a result set; the number of rows changed
    void Close();
    void Reopen() { Open(); }

    // Changes or deletes the current row, found again by its row id: the "id" column (or
    // "rowid") that the statement must select. `table` is where the row lives.
    void UpdateCurrent(const QString& table, const FieldValues& values);
    void DeleteCurrent(const QString& table);

    Connection& Db() const { return m_connection; }

private:
    QVariant CurrentRowId() const;

    Connection& m_connection;
    QString m_sql;
    QVariantList m_values;
    bool m_readOnly;
};
