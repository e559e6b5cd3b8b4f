#include "data/Columns.h"

#include <sqlcipher/sqlite3.h>

#include <QDate>
#include <QDateTime>

#include "data/Connection.h"
#include "data/Dataset.h"
#include "data/Errors.h"
#include "data/Numbers.h"

std::vector<ColumnInfo> TableColumns(Connection& connection, const QString& table) {
    std::vector<ColumnInfo> columns;
    QString quoted = table;
    quoted.replace(u'"', QLatin1String("\"\""));
    sqlite3_stmt* statement = connection.Prepare(QStringLiteral("pragma table_info(\"%1\")").arg(quoted), {});
    while (connection.Step(statement)) {
        const QString name = Connection::ColumnValue(statement, 1).toString();
        const QString type = Connection::ColumnValue(statement, 2).toString().toUpper();
        ColumnType kind = ColumnType::Text;
        if (type.contains(QLatin1String("DATE")))
            kind = ColumnType::Date;
        else if (type.contains(QLatin1String("INT")))
            kind = ColumnType::Integer;
        else if (type.contains(QLatin1String("REAL")) || type.contains(QLatin1String("DOUB")))
            kind = ColumnType::Real;
        columns.push_back({name, kind});
    }
    if (columns.empty()) throw EDatabaseError(QStringLiteral("no such table: %1").arg(table));
    return columns;
}

namespace {

bool IsText(const QVariant& v) {
    return v.typeId() == QMetaType::QString || v.typeId() == QMetaType::QByteArray;
}

QVariant ToDate(const QVariant& value) {
    if (value.typeId() == QMetaType::QDate) return value.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    const QString text = value.toString().trimmed();
    for (const char* format : {"yyyy-MM-dd", "yyyy-M-d"}) {
        const QDate date = QDate::fromString(text, QLatin1String(format));
        if (date.isValid()) return date.toString(QStringLiteral("yyyy-MM-dd"));
    }
    for (const char* format : {"yyyy-MM-dd hh:mm:ss", "yyyy-M-d h:mm:ss", "yyyy-MM-dd hh:mm"}) {
        const QDateTime time = QDateTime::fromString(text, QLatin1String(format));
        if (time.isValid()) return time.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    }
    throw EConvertError(QStringLiteral("'%1' is not a valid date and time").arg(value.toString()));
}

}  // namespace

QVariant ConvertForColumn(const QVariant& value, ColumnType type) {
    if (value.isNull()) return QVariant();
    if (IsText(value) && value.toString().trimmed().isEmpty() && type != ColumnType::Text) return QVariant();
    switch (type) {
        case ColumnType::Text:
            return ValueText(value);
        case ColumnType::Real:
            return IsText(value) ? StrToFloat(value.toString()) : value.toDouble();
        case ColumnType::Integer: {
            bool ok = false;
            const qint64 v =
                IsText(value) ? value.toString().trimmed().toLongLong(&ok) : value.toLongLong(&ok);
            if (!ok)
                throw EConvertError(
                    QStringLiteral("'%1' is not a valid integer value").arg(value.toString()));
            return v;
        }
        case ColumnType::Date:
            return ToDate(value);
    }
    return value;
}
