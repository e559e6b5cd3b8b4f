#pragma once
// The shared helpers through which windows run statements on the named datasets, and the
// checks of required input.

#include <QString>
#include <QVariantList>

class Query;
class QComboBox;
class QLineEdit;

// Replace the query's statement and open it.
void RunQuery(Query& query, const QString& sql, const QVariantList& values = {});
// Replace the query's statement and execute it; the number of rows changed.
int RunCommand(Query& query, const QString& sql, const QVariantList& values = {});
// The distinct values of one column in ascending order.
void OpenDistinct(Query& query, const QString& column, const QString& table);
// Empties the box and fills it with the distinct values (a null as the empty text).
void FillDistinctChoices(Query& query, const QString& column, const QString& table, QComboBox* box);

// The value for "column like ? escape '\'" that matches text anywhere, with %, _ and \ typed
// by the user taken literally.
QString LikeContains(const QString& text);
inline constexpr const char* kLikeEscape = " escape '\\'";

// True when the text, trimmed, is not empty; otherwise warns, focuses the box and gives false.
bool RequireText(QLineEdit* edit, const QString& message);
bool RequireChoice(QComboBox* box, const QString& message);
