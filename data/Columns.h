#pragma once
// The stored type of each column, read from the schema, and the conversion of a value given by
// a window (often text) into that type before it is written.

#include <QString>
#include <QVariant>
#include <vector>

class Connection;

enum class ColumnType { Text, Real, Integer, Date };

struct ColumnInfo {
    QString name;
    ColumnType type;
};

// The columns of a table in their stored order; throws when the table does not exist.
std::vector<ColumnInfo> TableColumns(Connection& connection, const QString& table);
// Throws EConvertError when the value does not fit; the empty text becomes null.
QVariant ConvertForColumn(const QVariant& value, ColumnType type);
