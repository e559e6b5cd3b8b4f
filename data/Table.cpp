#include "data/Table.h"

#include <QStringList>

#include "data/Connection.h"
#include "data/Errors.h"

Table::Table(Connection& connection, QString name) : m_connection(connection), m_name(std::move(name)) {}

void Table::Open() {
    m_columns = TableColumns(m_connection, m_name);
    m_active = true;
}

void Table::Close() {
    Cancel();
    m_active = false;
}

void Table::Append() {
    if (!m_active) Open();
    m_pending.clear();
    m_appending = true;
}

int Table::ColumnOf(const QString& field) const {
    for (size_t i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].name.compare(field, Qt::CaseInsensitive) == 0) return int(i);
    throw EDatabaseError(QStringLiteral("找不到字段 '%1'").arg(field));
}

void Table::Set(const QString& field, const QVariant& value) {
    if (!m_appending) throw EDatabaseError(QStringLiteral("表 %1 不在追加状态").arg(m_name));
    const int column = ColumnOf(field);
    for (auto& [c, v] : m_pending)
        if (c == column) {
            v = value;
            return;
        }
    m_pending.emplace_back(column, value);
}

qint64 Table::Post() {
    if (!m_appending) throw EDatabaseError(QStringLiteral("表 %1 不在追加状态").arg(m_name));
    QStringList names, marks;
    QVariantList values;
    try {
        for (const auto& [column, value] : m_pending) {
            values << ConvertForColumn(value, m_columns[size_t(column)].type);
            names << QStringLiteral("\"%1\"").arg(m_columns[size_t(column)].name);
            marks << QStringLiteral("?");
        }
    } catch (...) {
        Cancel();
        throw;
    }
    Cancel();
    const QString sql = names.isEmpty() ? QStringLiteral("insert into \"%1\" default values").arg(m_name)
                                        : QStringLiteral("insert into \"%1\" (%2) values (%3)")
                                              .arg(m_name, names.join(u','), marks.join(u','));
    m_connection.Exec(sql, values);
    return m_connection.LastInsertId();
}

void Table::Cancel() {
    m_pending.clear();
    m_appending = false;
}
