#include "catalogue/Search.h"

#include <QLineEdit>

#include "common/Sql.h"
#include "data/ColumnNames.h"

SearchStatement ContainsSearch(const QString& start,
                               const std::vector<std::pair<QString, QLineEdit*>>& criteria) {
    SearchStatement statement{start, {}};
    for (const auto& [column, box] : criteria) {
        if (box->text().isEmpty()) continue;
        statement.sql += QStringLiteral(" and %1 like ?").arg(column) + QLatin1String(kLikeEscape);
        statement.values << LikeContains(box->text());
    }
    return statement;
}

std::vector<GridColumn> ProductListColumns(const std::vector<std::pair<QString, int>>& widths) {
    std::vector<GridColumn> columns;
    for (const auto& [column, width] : widths) {
        const bool price = column == ProductCol::PurchasePrice || column == ProductCol::SalePrice ||
                           column == ProductCol::MemberPrice;
        columns.push_back(
            {.field = column,
             .title = column,
             .width = width,
             .alignment = price ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignVCenter});
    }
    return columns;
}
