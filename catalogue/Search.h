#pragma once
// What the product searches share. Their statements: a fixed start and one "contains" condition
// per criteria box that holds text, in a fixed order; the name, supplier and category boxes also
// match the stored pinyin-initial codes. The typed text is a bound value, so a quote,
// %, _ or \ in it is only that character. And their lists' columns.

#include <QString>
#include <QVariantList>
#include <utility>
#include <vector>

#include "toolkit/DataGrid.h"

class QLineEdit;

struct SearchStatement {
    QString sql;
    QVariantList values;
};

// `criteria`: (column, box) in the order their conditions are added; the text is taken as typed.
SearchStatement ContainsSearch(const QString& start,
                               const std::vector<std::pair<QString, QLineEdit*>>& criteria);

// List columns of sp, each titled with its column name, at these widths; the prices right-aligned.
std::vector<GridColumn> ProductListColumns(const std::vector<std::pair<QString, int>>& widths);
