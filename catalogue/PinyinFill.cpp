#include "catalogue/PinyinFill.h"

#include <QVariantList>
#include <array>

#include "common/Pinyin.h"
#include "data/ColumnNames.h"
#include "data/Connection.h"

namespace {

struct CodedColumn {
    const QString& text;
    const QString& code;
};

std::array<CodedColumn, 3> CodedColumns() {
    using namespace ProductCol;
    return {{{Name, NamePinyin}, {Supplier, SupplierPinyin}, {Category, CategoryPinyin}}};
}

}  // namespace

int FillMissingPinyin(Connection& db) {
    QString select = QStringLiteral("select rowid");
    QString missing;
    for (const CodedColumn& c : CodedColumns()) {
        select += QStringLiteral(",%1,%2").arg(c.text, c.code);
        if (!missing.isEmpty()) missing += QStringLiteral(" or ");
        missing += QStringLiteral("(coalesce(%1,'')='' and trim(coalesce(%2,''))<>'')").arg(c.code, c.text);
    }
    select += QStringLiteral(" from sp where ") + missing;

    // Read first, write after: a statement stepping over sp must not see its own updates.
    struct Change {
        qint64 rowid;
        QVariantList codes;
    };
    std::vector<Change> changes;
    Transaction transaction(db);
    sqlite3_stmt* rows = db.Prepare(select, {});
    while (db.Step(rows)) {
        Change change{Connection::ColumnValue(rows, 0).toLongLong(), {}};
        bool differs = false;
        for (int i = 0; i < 3; ++i) {
            const QString stored = Connection::ColumnValue(rows, 2 + 2 * i).toString();
            const QString text = Connection::ColumnValue(rows, 1 + 2 * i).toString().trimmed();
            const QString code = stored.isEmpty() ? PinyinCode(text) : stored;
            differs = differs || code != stored;
            change.codes << code;
        }
        if (differs) changes.push_back(std::move(change));
    }
    const QString update =
        QStringLiteral("update sp set %1=?,%2=?,%3=? where rowid=?")
            .arg(ProductCol::NamePinyin, ProductCol::SupplierPinyin, ProductCol::CategoryPinyin);
    for (Change& change : changes) db.Exec(update, change.codes << change.rowid);
    transaction.Commit();
    return int(changes.size());
}
