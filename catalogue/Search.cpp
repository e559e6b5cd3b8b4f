#include "catalogue/Search.h"

#include <QLineEdit>

#include "common/Sql.h"

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
