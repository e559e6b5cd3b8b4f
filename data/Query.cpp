#include "data/Query.h"

#include <sqlcipher/sqlite3.h>

#include <QStringList>
#include <algorithm>

#include "data/Columns.h"
#include "data/Connection.h"
#include "data/Errors.h"

Query::Query(Connection& connection, QString sql, bool readOnly)
    : m_connection(connection), m_sql(std::move(sql)), m_readOnly(readOnly) {}

void Query::SetSQL(const QString& sql, QVariantList values) {
    if (Active()) Close();
    m_sql = sql;
    m_values = std::move(values);
}

void Query::Open() {
    sqlite3_stmt* statement = m_connection.Prepare(m_sql, m_values);
    if (m_readOnly && !sqlite3_stmt_readonly(statement))
        throw EDatabaseError(QStringLiteral("只读查询不能修改数据：%1").arg(m_sql));
    const int count = sqlite3_column_count(statement);
    std::vector<QString> columns;
    columns.reserve(size_t(count));
    for (int i = 0; i < count; ++i) columns.push_back(QString::fromUtf8(sqlite3_column_name(statement, i)));
    std::vector<Row> rows;
    while (m_connection.Step(statement)) {
        Row row;
        row.reserve(size_t(count));
        for (int i = 0; i < count; ++i) row.push_back(Connection::ColumnValue(statement, i));
        rows.push_back(std::move(row));
    }
    SetResult(std::move(columns), std::move(rows));
}

int Query::ExecSQL() {
    if (Active()) Close();
    if (m_readOnly) throw EDatabaseError(QStringLiteral("只读查询不能修改数据：%1").arg(m_sql));
    return m_connection.Exec(m_sql, m_values);
}

void Query::Close() {
    if (Active()) ClearResult();
}

QVariant Query::CurrentRowId() const {
    if (m_current < 0) throw EDatabaseError(QStringLiteral("没有当前记录"));
    int column = FieldIndex(QStringLiteral("rowid"));
    if (column < 0) column = FieldIndex(QStringLiteral("id"));
    if (column < 0) throw EDatabaseError(QStringLiteral("查询没有行标识，不能修改：%1").arg(m_sql));
    return m_rows[size_t(m_current)][size_t(column)];
}

void Query::UpdateCurrent(const QString& table, const FieldValues& values) {
    if (m_readOnly) throw EDatabaseError(QStringLiteral("只读查询不能修改数据：%1").arg(m_sql));
    const QVariant rowId = CurrentRowId();
    const auto columns = TableColumns(m_connection, table);
    QStringList assignments;
    QVariantList bound;
    std::vector<std::pair<int, QVariant>> shown;
    for (const auto& [name, value] : values) {
        auto it = std::find_if(columns.begin(), columns.end(), [&](const ColumnInfo& c) {
            return c.name.compare(name, Qt::CaseInsensitive) == 0;
        });
        if (it == columns.end()) throw EDatabaseError(QStringLiteral("找不到字段 '%1'").arg(name));
        const QVariant stored = ConvertForColumn(value, it->type);
        assignments << QStringLiteral("\"%1\"=?").arg(it->name);
        bound << stored;
        shown.emplace_back(FieldIndex(name), stored);
    }
    bound << rowId;
    m_connection.Exec(QStringLiteral("update \"%1\" set %2 where rowid=?").arg(table, assignments.join(u',')),
                      bound);
    for (const auto& [column, value] : shown)
        if (column >= 0) m_rows[size_t(m_current)][size_t(column)] = value;
    Q_EMIT RowChanged(m_current);
}

void Query::DeleteCurrent(const QString& table) {
    if (m_readOnly) throw EDatabaseError(QStringLiteral("只读查询不能修改数据：%1").arg(m_sql));
    const QVariant rowId = CurrentRowId();
    m_connection.Exec(QStringLiteral("delete from \"%1\" where rowid=?").arg(table), {rowId});
    const int removed = m_current;
    m_rows.erase(m_rows.begin() + removed);
    Q_EMIT RowRemoved(removed);
    if (m_rows.empty()) {
        m_current = -1;
        m_eof = true;
    } else {
        SetRecNo(std::min(removed, RecordCount() - 1));
    }
}
