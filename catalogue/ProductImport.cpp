#include "catalogue/ProductImport.h"

#include <QFile>
#include <QFileInfo>
#include <cmath>

#include "catalogue/ImportXls.h"
#include "catalogue/ImportXlsx.h"
#include "common/Maker.h"
#include "common/Pinyin.h"
#include "data/ColumnNames.h"
#include "data/Connection.h"
#include "data/Errors.h"
#include "data/Numbers.h"

namespace {

// A row or cell the import refuses, with the words that name it.
struct RowFailure {
    QString detail;
};

struct Cancelled {};

using Kind = SheetCell::Kind;

QString Where(int line, ImportField field) {
    return QStringLiteral("第 %1 行 %2：").arg(line).arg(ImportTitle(field));
}

QString CellName(const SheetRead& sheet, int line, ImportField field) {
    return ColumnLetters(sheet.columns[size_t(field)]) + QString::number(line);
}

QString BooleanText(double value) { return value ? QStringLiteral("TRUE") : QStringLiteral("FALSE"); }

// A price cell: a number, or a text that reads as one; empty is null.
QVariant Price(const SheetCell& cell, int line, ImportField field) {
    switch (cell.kind) {
        case Kind::Number:
            if (std::isfinite(cell.number)) return cell.number;
            throw RowFailure{Where(line, field) + QStringLiteral("'%1' 不是数字").arg(cell.number)};
        case Kind::Text: {
            const QString text = cell.text.trimmed();
            if (text.isEmpty()) return {};
            const bool hasDigit = std::any_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
            double value = 0;
            if (hasDigit && TryStrToFloat(text, &value) && std::isfinite(value)) return value;
            throw RowFailure{Where(line, field) + QStringLiteral("'%1' 不是数字").arg(cell.text)};
        }
        case Kind::Boolean:
            throw RowFailure{Where(line, field) +
                             QStringLiteral("'%1' 不是数字").arg(BooleanText(cell.number))};
        default:
            return {};
    }
}

// A text cell: numbers in the general format (a code typed as a number comes out as the
// scanner sends it), empty is null.
QVariant Text(const SheetCell& cell) {
    switch (cell.kind) {
        case Kind::Text:
            return cell.text;
        case Kind::Number:
            return FormatGeneral(cell.number);
        case Kind::Boolean:
            return BooleanText(cell.number);
        default:
            return {};
    }
}

using ProductValues = std::array<QVariant, kImportFieldCount>;

ProductValues Convert(const SheetRead& sheet, const SheetRow& row) {
    ProductValues values;
    for (int f = 0; f < kImportFieldCount; ++f) {
        const ImportField field = ImportField(f);
        const SheetCell& cell = row.cells[size_t(f)];
        if (cell.kind == Kind::Formula)
            throw RowFailure{Where(row.line, field) +
                             QStringLiteral("单元格 %1 是公式，读不到它的值（请先把公式转换为数值）")
                                 .arg(CellName(sheet, row.line, field))};
        if (cell.kind == Kind::Error)
            throw RowFailure{
                Where(row.line, field) +
                QStringLiteral("单元格 %1 是错误值 %2").arg(CellName(sheet, row.line, field), cell.text)};
        values[size_t(f)] = IsPriceField(field) ? Price(cell, row.line, field) : Text(cell);
    }
    return values;
}

QString PinyinOf(const QVariant& text) { return PinyinCode(text.toString().trimmed()); }

const QString& InsertStatement() {
    static const QString sql = [] {
        QStringList columns;
        for (const QString& title : ImportTitles()) columns << u'"' + title + u'"';
        columns << ProductCol::NamePinyin << ProductCol::SupplierPinyin << ProductCol::CategoryPinyin;
        return QStringLiteral("insert into sp (%1) values (%2)")
            .arg(columns.join(u','), QStringList(columns.size(), QStringLiteral("?")).join(u','));
    }();
    return sql;
}

void Insert(Connection& db, const std::vector<ProductValues>& products, const ImportProgress& progress) {
    Transaction transaction(db);
    QVariantList values;
    for (size_t i = 0; i < products.size(); ++i) {
        const ProductValues& p = products[i];
        values.clear();
        for (const QVariant& v : p) values << v;
        values << PinyinOf(p[size_t(ImportField::Name)]) << PinyinOf(p[size_t(ImportField::Supplier)])
               << PinyinOf(p[size_t(ImportField::Category)]);
        db.Exec(InsertStatement(), values);
        if (progress && (i & 1023) == 1023 && !progress(65 + int(35 * i / products.size())))
            throw Cancelled{};
    }
    transaction.Commit();
}

bool StartsWith(const QByteArray& bytes, const char* magic, int size) {
    return bytes.size() >= size && memcmp(bytes.constData(), magic, size_t(size)) == 0;
}

}  // namespace

SheetRead ReadWorkbook(const QString& path, const SheetProgress& progress) {
    QFile file(path);
    SheetRead unreadable;
    if (!QFileInfo(path).isFile()) {
        unreadable.error = QStringLiteral("找不到工作簿文件：%1").arg(path);
        return unreadable;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        unreadable.error = QStringLiteral("无法打开工作簿：%1").arg(file.errorString());
        return unreadable;
    }
    const QByteArray head = file.read(8);
    file.close();
    if (StartsWith(head, "PK\x03\x04", 4)) return ReadXlsx(path, progress);
    if (StartsWith(head, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)) return ReadXls(path, progress);
    unreadable.error = QStringLiteral("文件不是 Excel 工作簿（.xls 或 .xlsx）：%1").arg(path);
    return unreadable;
}

ImportOutcome ImportProducts(const QString& workbookPath, const QString& databasePath,
                             const ImportProgress& progress) {
    using Status = ImportOutcome::Status;
    const QString workbook = workbookPath.trimmed(), database = databasePath.trimmed();
    if (workbook.isEmpty() || database.isEmpty()) return {Status::MissingPath, 0, {}};

    Connection db;
    try {
        db.Open(database);
    } catch (const EPosError& error) {
        return {Status::NoDatabase, 0, error.Message()};
    }

    const SheetRead sheet = ReadWorkbook(workbook, [&progress](qint64 done, qint64 total) {
        return !progress || progress(total > 0 ? int(60 * done / total) : 0);
    });
    if (sheet.cancelled) return {Status::Cancelled, 0, {}};
    if (!sheet.error.isEmpty()) return {Status::Failed, 0, sheet.error};

    try {
        std::vector<ProductValues> products;
        products.reserve(sheet.rows.size());
        for (const SheetRow& row : sheet.rows) products.push_back(Convert(sheet, row));
        if (progress && !progress(65)) return {Status::Cancelled, 0, {}};
        Insert(db, products, progress);
        return {Status::Imported, int(products.size()), {}};
    } catch (const RowFailure& failure) {
        return {Status::Failed, 0, failure.detail};
    } catch (const Cancelled&) {
        return {Status::Cancelled, 0, {}};
    } catch (const EPosError& error) {
        return {Status::Failed, 0, error.Message()};
    }
}

QString ImportMessage(const ImportOutcome& outcome) {
    const QString qq = QString::fromUtf8(kSupportQQ);
    switch (outcome.status) {
        case ImportOutcome::Status::Imported:
            return QStringLiteral("批量EXCEL导入成功！请退出在主界面中点全部记录查看");
        case ImportOutcome::Status::MissingPath:
            return QStringLiteral("请正确选择相关路径！");
        case ImportOutcome::Status::NoDatabase:
            return QStringLiteral("连接ACCESS失败！请联系技术客服QQ:") + qq + u'\n' + outcome.detail;
        case ImportOutcome::Status::Cancelled:
            return QStringLiteral("导入已取消，数据库没有任何改动。");
        case ImportOutcome::Status::Failed:
            break;
    }
    return QStringLiteral("批量EXCEL导入失败！请联系技术客服QQ:") + qq + u'\n' + outcome.detail;
}
