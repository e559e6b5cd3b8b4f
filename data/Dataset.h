#pragma once
// Rows held in memory with a current row, read by column name, sortable in memory.

#include <QObject>
#include <QString>
#include <QVariant>
#include <vector>

class Dataset;

// One column of the current row. Reading a null gives the empty text or 0.
class Field {
public:
    Field(const QVariant& value, QString name) : m_value(value), m_name(std::move(name)) {}
    QString AsString() const;
    double AsFloat() const;  // text that is no number throws EConvertError
    qint64 AsInteger() const;
    bool IsNull() const { return m_value.isNull(); }
    const QVariant& Value() const { return m_value; }
    const QString& Name() const { return m_name; }

private:
    QVariant m_value;
    QString m_name;
};

// The text form of a stored value: numbers in the general format, null as the empty text.
QString ValueText(const QVariant& value);

class Dataset : public QObject {
    Q_OBJECT
public:
    using Row = std::vector<QVariant>;

    bool Active() const { return m_active; }
    int FieldCount() const { return int(m_columns.size()); }
    const QString& FieldName(int column) const { return m_columns[size_t(column)]; }
    int FieldIndex(const QString& name) const;     // -1 when there is none; Latin case ignored
    Field FieldByName(const QString& name) const;  // of the current row; throws when unknown

    int RecordCount() const { return int(m_rows.size()); }
    bool IsEmpty() const { return m_rows.empty(); }
    int RecNo() const { return m_current; }  // 0-based; -1 when empty
    void SetRecNo(int row);
    void First() { SetRecNo(0); }
    void Last() { SetRecNo(RecordCount() - 1); }
    void Next();
    bool Eof() const { return m_eof; }

    const QVariant& Value(int row, int column) const { return m_rows[size_t(row)][size_t(column)]; }
    const Row& RowAt(int row) const { return m_rows[size_t(row)]; }

    // Stable in-memory sort of the loaded rows: numbers numerically, text as text, nulls first.
    void Sort(int column, bool descending);

Q_SIGNALS:
    void DataReset();          // opened, closed, reloaded or sorted
    void RowChanged(int row);  // one row's values changed in place
    void RowRemoved(int row);
    void CurrentChanged(int row);

protected:
    void SetResult(std::vector<QString> columns, std::vector<Row> rows);
    void ClearResult();
    std::vector<QString> m_columns;
    std::vector<Row> m_rows;
    int m_current = -1;
    bool m_eof = true;
    bool m_active = false;
};
