#pragma once
// The statements of the product searches: a fixed start and one "contains" condition per
// criteria box that holds text, in a fixed order. The typed text is a bound value, so a quote,
// %, _ or \ in it is only that character.

#include <QString>
#include <QVariantList>
#include <utility>
#include <vector>

class QLineEdit;

struct SearchStatement {
    QString sql;
    QVariantList values;
};

// `criteria`: (column, box) in the order their conditions are added; the text is taken as typed.
SearchStatement ContainsSearch(const QString& start,
                               const std::vector<std::pair<QString, QLineEdit*>>& criteria);
