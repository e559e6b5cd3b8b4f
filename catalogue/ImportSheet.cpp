#include "catalogue/ImportSheet.h"

#include "data/ColumnNames.h"

const std::array<QString, kImportFieldCount>& ImportTitles() {
    static const std::array<QString, kImportFieldCount> titles = {
        ProductCol::Name,          ProductCol::Model,     ProductCol::Category,
        ProductCol::Code,          ProductCol::Unit,      ProductCol::Supplier,
        ProductCol::PurchasePrice, ProductCol::SalePrice, ProductCol::MemberPrice};
    return titles;
}

bool IsPriceField(ImportField field) {
    return field == ImportField::PurchasePrice || field == ImportField::SalePrice ||
           field == ImportField::MemberPrice;
}

bool SheetRow::IsBlank() const {
    for (const SheetCell& cell : cells) {
        if (cell.kind == SheetCell::Kind::Empty) continue;
        if (cell.kind == SheetCell::Kind::Text && cell.text.trimmed().isEmpty()) continue;
        return false;
    }
    return true;
}

QString ColumnLetters(int column) {
    QString letters;
    for (int n = column + 1; n > 0; n = (n - 1) / 26) letters.prepend(QChar(u'A' + (n - 1) % 26));
    return letters;
}

bool TitleMap::Build(const std::vector<QString>& titles, QString* error) {
    m_fields.assign(titles.size(), -1);
    m_columns.fill(-1);
    for (int column = 0; column < int(titles.size()); ++column) {
        const QString title = titles[column].trimmed();
        for (int field = 0; field < kImportFieldCount; ++field) {
            if (title != ImportTitles()[field]) continue;
            if (m_columns[field] >= 0) {
                *error = QStringLiteral("第 1 行的列标题“%1”出现了两次（%2 列和 %3 列）")
                             .arg(title, ColumnLetters(m_columns[field]), ColumnLetters(column));
                return false;
            }
            m_columns[field] = column;
            m_fields[column] = field;
        }
    }
    for (int field = 0; field < kImportFieldCount; ++field) {
        if (m_columns[field] < 0) {
            *error = QStringLiteral("第 1 行没有列标题“%1”").arg(ImportTitles()[field]);
            return false;
        }
    }
    return true;
}
