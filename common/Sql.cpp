#include "common/Sql.h"

#include <QComboBox>
#include <QLineEdit>

#include "common/Dialogs.h"
#include "data/Query.h"

void RunQuery(Query& query, const QString& sql, const QVariantList& values) {
    query.Close();
    query.SetSQL(sql, values);
    query.Open();
}

int RunCommand(Query& query, const QString& sql, const QVariantList& values) {
    query.Close();
    query.SetSQL(sql, values);
    return query.ExecSQL();
}

void OpenDistinct(Query& query, const QString& column, const QString& table) {
    RunQuery(query,
             QStringLiteral("select \"%1\" from \"%2\" group by \"%1\" order by \"%1\"").arg(column, table));
}

void FillDistinctChoices(Query& query, const QString& column, const QString& table, QComboBox* box) {
    box->clear();
    OpenDistinct(query, column, table);
    for (query.First(); !query.Eof(); query.Next()) box->addItem(query.FieldByName(column).AsString());
}

QString LikeContains(const QString& text) {
    QString escaped;
    escaped.reserve(text.size() + 2);
    for (const QChar c : text) {
        if (c == u'%' || c == u'_' || c == u'\\') escaped += u'\\';
        escaped += c;
    }
    return u'%' + escaped + u'%';
}

bool RequireText(QLineEdit* edit, const QString& message) {
    if (!edit->text().trimmed().isEmpty()) return true;
    Dialogs::ShowWarning(message);
    edit->setFocus();
    return false;
}

bool RequireChoice(QComboBox* box, const QString& message) {
    if (!box->currentText().trimmed().isEmpty()) return true;
    Dialogs::ShowWarning(message);
    box->setFocus();
    return false;
}
