#include "data/Dataset.h"

#include <algorithm>

#include "data/Errors.h"
#include "data/Numbers.h"

QString ValueText(const QVariant& value) {
    if (value.isNull()) return {};
    switch (value.typeId()) {
        case QMetaType::Double:
        case QMetaType::Float:
            return FormatGeneral(value.toDouble());
        case QMetaType::QByteArray:
            return QString::fromUtf8(value.toByteArray());
        default:
            return value.toString();
    }
}

QString Field::AsString() const { return ValueText(m_value); }

double Field::AsFloat() const {
    if (m_value.isNull()) return 0;
    switch (m_value.typeId()) {
        case QMetaType::Double:
        case QMetaType::Float:
        case QMetaType::Int:
        case QMetaType::LongLong:
            return m_value.toDouble();
        default: {
            const QString text = m_value.toString();
            return text.trimmed().isEmpty() ? 0 : StrToFloat(text);
        }
    }
}

qint64 Field::AsInteger() const {
    if (m_value.isNull()) return 0;
    bool ok = false;
    const qint64 v = m_value.toLongLong(&ok);
    if (!ok) throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(AsString()));
    return v;
}

int Dataset::FieldIndex(const QString& name) const {
    for (size_t i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].compare(name, Qt::CaseInsensitive) == 0) return int(i);
    return -1;
}

Field Dataset::FieldByName(const QString& name) const {
    const int column = FieldIndex(name);
    if (column < 0) throw EDatabaseError(QStringLiteral("找不到字段 '%1'").arg(name));
    if (m_current < 0 || m_current >= RecordCount()) return Field(QVariant(), name);
    return Field(m_rows[size_t(m_current)][size_t(column)], name);
}

void Dataset::SetRecNo(int row) {
    if (m_rows.empty()) {
        m_current = -1;
        m_eof = true;
        return;
    }
    m_current = std::clamp(row, 0, RecordCount() - 1);
    m_eof = false;
    Q_EMIT CurrentChanged(m_current);
}

void Dataset::Next() {
    if (m_current + 1 < RecordCount()) {
        SetRecNo(m_current + 1);
    } else {
        m_eof = true;
    }
}

namespace {

bool IsNumber(const QVariant& v) {
    const int t = v.typeId();
    return t == QMetaType::Double || t == QMetaType::LongLong || t == QMetaType::Int;
}

// <0, 0, >0 in ascending order.
int CompareValues(const QVariant& a, const QVariant& b) {
    if (a.isNull() || b.isNull()) return a.isNull() == b.isNull() ? 0 : a.isNull() ? -1 : 1;
    if (IsNumber(a) && IsNumber(b)) {
        const double x = a.toDouble(), y = b.toDouble();
        return x < y ? -1 : x > y ? 1 : 0;
    }
    return ValueText(a).compare(ValueText(b));
}

}  // namespace

void Dataset::Sort(int column, bool descending) {
    if (column < 0 || column >= FieldCount()) return;
    const size_t c = size_t(column);
    std::stable_sort(m_rows.begin(), m_rows.end(), [c, descending](const Row& x, const Row& y) {
        const int order = CompareValues(x[c], y[c]);
        return descending ? order > 0 : order < 0;
    });
    m_current = m_rows.empty() ? -1 : 0;
    m_eof = m_rows.empty();
    Q_EMIT DataReset();
}

void Dataset::SetResult(std::vector<QString> columns, std::vector<Row> rows) {
    m_columns = std::move(columns);
    m_rows = std::move(rows);
    m_active = true;
    m_current = m_rows.empty() ? -1 : 0;
    m_eof = m_rows.empty();
    Q_EMIT DataReset();
}

void Dataset::ClearResult() {
    m_rows.clear();
    m_active = false;
    m_current = -1;
    m_eof = true;
    Q_EMIT DataReset();
}
