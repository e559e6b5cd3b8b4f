#include "catalogue/Search.h"

#include <QLineEdit>

#include "common/Sql.h"
#include "data/ColumnNames.h"

namespace {

// The stored pinyin-initial code of a text column; empty for a column without one.
QString PinyinColumnOf(const QString& column) {
    using namespace ProductCol;
    if (column == Name) return NamePinyin;
    if (column == Supplier) return SupplierPinyin;
    if (column == Category) return CategoryPinyin;
    return {};
}

}  // namespace

SearchStatement ContainsSearch(const QString& start,
                               const std::vector<std::pair<QString, QLineEdit*>>& criteria) {
    SearchStatement statement{start, {}};
    const QString escape = QLatin1String(kLikeEscape);
    for (const auto& [column, box] : criteria) {
        if (box->text().isEmpty()) continue;
        const QString pattern = LikeContains(box->text());
        const QString pinyin = PinyinColumnOf(column);
        statement.values << pattern;
        if (pinyin.isEmpty()) {
            statement.sql += QStringLiteral(" and %1 like ?").arg(column) + escape;
            continue;
        }
        // "kkkl" finds 可口可乐 through its code; like ignores Latin case on both columns.
        statement.sql += QStringLiteral(" and (%1 like ?%3 or %2 like ?%3)").arg(column, pinyin, escape);
        statement.values << pattern;
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
