#include "catalogue/ImportXls.h"

#include <freexl.h>

#include <QFile>
#include <functional>
#include <map>
#include <optional>

#include "data/Numbers.h"

namespace {

struct ReadFailure {
    QString reason;
    bool cancelled = false;
};

// Little-endian numbers of a byte array; zero past its end.
quint32 Bytes(const QByteArray& data, qint64 at, int count) {
    if (at < 0 || at + count > data.size()) return 0;
    quint32 value = 0;
    for (int i = count - 1; i >= 0; --i) value = (value << 8) | quint8(data[at + i]);
    return value;
}
quint16 U16(const QByteArray& data, qint64 at) { return quint16(Bytes(data, at, 2)); }
quint32 U32(const QByteArray& data, qint64 at) { return Bytes(data, at, 4); }

// The compound file around the workbook: just enough of it to find the Workbook stream.
class CompoundFile {
public:
    explicit CompoundFile(QByteArray file) : m_file(std::move(file)) {}

    std::optional<QByteArray> WorkbookStream() {
        if (!m_file.startsWith(QByteArray::fromHex("d0cf11e0a1b11ae1"))) return std::nullopt;
        const int shift = U16(m_file, 0x1E), miniShift = U16(m_file, 0x20);
        if (shift < 7 || shift > 16 || miniShift < 1 || miniShift > shift) return std::nullopt;
        m_sector = 1 << shift;
        if (!ReadFat()) return std::nullopt;
        const QByteArray directory = Chain(m_fat, U32(m_file, 0x30), SectorData());
        QByteArray root;
        for (qint64 at = 0; at + 128 <= directory.size(); at += 128) {
            const int nameBytes = qMin<int>(U16(directory, at + 0x40), 64);
            const QString name = QString::fromUtf16(
                reinterpret_cast<const char16_t*>(directory.constData() + at), qMax(0, nameBytes / 2 - 1));
            const int type = quint8(directory[at + 0x42]);
            const quint32 start = U32(directory, at + 0x74), size = U32(directory, at + 0x78);
            if (type == 5) {
                root = Chain(m_fat, start, SectorData());
            } else if (type == 2 && (name == QLatin1String("Workbook") || name == QLatin1String("Book"))) {
                if (size >= U32(m_file, 0x38)) return Chain(m_fat, start, SectorData()).left(size);
                const QByteArray miniFatBytes = Chain(m_fat, U32(m_file, 0x3C), SectorData());
                std::vector<quint32> miniFat(size_t(miniFatBytes.size() / 4));
                for (size_t i = 0; i < miniFat.size(); ++i) miniFat[i] = U32(miniFatBytes, qint64(i) * 4);
                const int mini = 1 << miniShift;
                return Chain(miniFat, start,
                             [&root, mini](quint32 s) { return root.mid(qint64(s) * mini, mini); })
                    .left(size);
            }
        }
        return std::nullopt;
    }

private:
    std::function<QByteArray(quint32)> SectorData() const {
        return [this](quint32 s) { return m_file.mid((qint64(s) + 1) * m_sector, m_sector); };
    }

    bool ReadFat() {
        std::vector<quint32> fatSectors;
        const quint32 count = U32(m_file, 0x2C);
        for (int i = 0; i < 109 && fatSectors.size() < count; ++i)
            fatSectors.push_back(U32(m_file, 0x4C + i * 4));
        quint32 difat = U32(m_file, 0x44);
        const int perDifat = m_sector / 4 - 1;
        for (int guard = 0; fatSectors.size() < count && difat < 0xFFFFFFFA && guard < 1 << 20; ++guard) {
            const qint64 at = (qint64(difat) + 1) * m_sector;
            for (int i = 0; i < perDifat && fatSectors.size() < count; ++i)
                fatSectors.push_back(U32(m_file, at + i * 4));
            difat = U32(m_file, at + perDifat * 4);
        }
        if (fatSectors.size() < count) return false;
        for (const quint32 s : fatSectors) {
            const qint64 at = (qint64(s) + 1) * m_sector;
            if (at + m_sector > m_file.size()) return false;
            for (int i = 0; i < m_sector / 4; ++i) m_fat.push_back(U32(m_file, at + i * 4));
        }
        return true;
    }

    // The sectors of a chain, in order; a loop or a chain out of range ends it.
    static QByteArray Chain(const std::vector<quint32>& fat, quint32 start,
                            const std::function<QByteArray(quint32)>& data) {
        QByteArray bytes;
        for (size_t steps = 0; start < fat.size() && steps <= fat.size(); ++steps) {
            bytes += data(start);
            start = fat[start];
        }
        return bytes;
    }

    QByteArray m_file;
    int m_sector = 512;
    std::vector<quint32> m_fat;
};

QString ErrorText(quint32 code) {
    switch (code) {
        case 0x00:
            return QStringLiteral("#NULL!");
        case 0x07:
            return QStringLiteral("#DIV/0!");
        case 0x0F:
            return QStringLiteral("#VALUE!");
        case 0x17:
            return QStringLiteral("#REF!");
        case 0x1D:
            return QStringLiteral("#NAME?");
        case 0x24:
            return QStringLiteral("#NUM!");
        default:
            return QStringLiteral("#N/A");
    }
}

using CellKey = std::pair<int, int>;  // zero-based row and column

// The cells of sheet `index` that FreeXL cannot give as they are: formulas (skipped by it),
// booleans and error values (both read by it as numbers).
std::map<CellKey, SheetCell> SpecialCells(const QByteArray& stream, int index) {
    constexpr quint16 kFormula = 0x0006, kBoolErr = 0x0205, kBof = 0x0809, kEof = 0x000A, kSheet = 0x0085;
    std::vector<quint32> sheetStarts;
    qint64 at = 0;
    for (; at + 4 <= stream.size(); at += 4 + U16(stream, at + 2)) {
        const quint16 id = U16(stream, at);
        if (id == kSheet) sheetStarts.push_back(U32(stream, at + 4));
        if (id == kEof) break;
    }
    if (index >= int(sheetStarts.size()))
        throw ReadFailure{QStringLiteral("无法检查工作表中的公式单元格，文件可能已损坏")};
    std::map<CellKey, SheetCell> cells;
    int depth = 0;
    for (at = sheetStarts[size_t(index)]; at + 4 <= stream.size(); at += 4 + U16(stream, at + 2)) {
        const quint16 id = U16(stream, at);
        if (id == kBof) ++depth;
        if (id == kEof && --depth <= 0) return cells;
        if (depth != 1) continue;  // an embedded chart has records of its own
        const CellKey key{U16(stream, at + 4), U16(stream, at + 6)};
        if (id == kFormula) {
            cells[key].kind = SheetCell::Kind::Formula;
        } else if (id == kBoolErr) {
            const quint32 value = Bytes(stream, at + 4 + 6, 1), isError = Bytes(stream, at + 4 + 7, 1);
            SheetCell& cell = cells[key];
            cell.kind = isError ? SheetCell::Kind::Error : SheetCell::Kind::Boolean;
            cell.number = isError ? 0 : (value ? 1 : 0);
            if (isError) cell.text = ErrorText(value);
        }
    }
    throw ReadFailure{QStringLiteral("无法检查工作表中的公式单元格，文件可能已损坏")};
}

class FreeXlFile {
public:
    explicit FreeXlFile(const QString& path) {
        m_status = freexl_open(QFile::encodeName(path).constData(), &m_handle);
    }
    ~FreeXlFile() {
        if (m_handle) freexl_close(m_handle);
    }
    FreeXlFile(const FreeXlFile&) = delete;
    FreeXlFile& operator=(const FreeXlFile&) = delete;
    int Status() const { return m_status; }
    const void* Handle() const { return m_handle; }

private:
    const void* m_handle = nullptr;
    int m_status = FREEXL_OK;
};

SheetCell CellOf(const void* xls, unsigned row, unsigned short column) {
    FreeXL_CellValue value{};
    SheetCell cell;
    if (freexl_get_cell_value(xls, row, column, &value) != FREEXL_OK) return cell;
    switch (value.type) {
        case FREEXL_CELL_INT:
            cell.kind = SheetCell::Kind::Number;
            cell.number = value.value.int_value;
            break;
        case FREEXL_CELL_DOUBLE:
            cell.kind = SheetCell::Kind::Number;
            cell.number = value.value.double_value;
            break;
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
        case FREEXL_CELL_DATE:
        case FREEXL_CELL_DATETIME:
        case FREEXL_CELL_TIME:
            cell.kind = SheetCell::Kind::Text;
            cell.text = QString::fromUtf8(value.value.text_value);
            break;
        default:
            break;
    }
    return cell;
}

int SelectSheet(const void* xls) {
    unsigned count = 0;
    freexl_get_info(xls, FREEXL_BIFF_SHEET_COUNT, &count);
    QStringList names;
    for (unsigned i = 0; i < count; ++i) {
        const char* name = nullptr;
        if (freexl_get_worksheet_name(xls, i, &name) != FREEXL_OK || !name) continue;
        names << QString::fromUtf8(name);
        if (names.last().compare(QLatin1String(kImportSheetName), Qt::CaseInsensitive) == 0) {
            if (freexl_select_active_worksheet(xls, i) != FREEXL_OK) break;
            return int(i);
        }
    }
    throw ReadFailure{QStringLiteral("工作簿里没有名为 %1 的工作表（现有工作表：%2）")
                          .arg(QLatin1String(kImportSheetName), names.join(QStringLiteral("、")))};
}

SheetRead Read(const QString& path, const SheetProgress& progress) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ReadFailure{QStringLiteral("无法打开工作簿：%1").arg(file.errorString())};
    const std::optional<QByteArray> stream = CompoundFile(file.readAll()).WorkbookStream();
    file.close();
    FreeXlFile xls(path);
    if (xls.Status() != FREEXL_OK || !stream)
        throw ReadFailure{QStringLiteral("文件不是有效的 xls 工作簿（读取错误 %1）").arg(xls.Status())};
    unsigned password = 0;
    freexl_get_info(xls.Handle(), FREEXL_BIFF_PASSWORD, &password);
    if (password == FREEXL_BIFF_OBFUSCATED)
        throw ReadFailure{QStringLiteral("工作簿有密码保护，请先取消密码")};
    const int index = SelectSheet(xls.Handle());
    const std::map<CellKey, SheetCell> special = SpecialCells(*stream, index);
    const auto cellAt = [&](unsigned row, unsigned short column) {
        const auto it = special.find({int(row), int(column)});
        return it != special.end() ? it->second : CellOf(xls.Handle(), row, column);
    };

    unsigned rows = 0;
    unsigned short columns = 0;
    freexl_worksheet_dimensions(xls.Handle(), &rows, &columns);
    std::vector<QString> titles;
    for (unsigned short c = 0; rows > 0 && c < columns; ++c) {
        const SheetCell cell = cellAt(0, c);
        titles.push_back(cell.kind == SheetCell::Kind::Number ? FormatGeneral(cell.number) : cell.text);
    }
    TitleMap map;
    QString error;
    if (!map.Build(titles, &error))
        throw ReadFailure{QStringLiteral("工作表 %1 %2").arg(QLatin1String(kImportSheetName), error)};

    SheetRead result;
    for (int field = 0; field < kImportFieldCount; ++field)
        result.columns[size_t(field)] = map.ColumnOf(ImportField(field));
    for (unsigned r = 1; r < rows; ++r) {
        SheetRow row;
        row.line = int(r) + 1;
        for (int field = 0; field < kImportFieldCount; ++field)
            row.cells[size_t(field)] = cellAt(r, (unsigned short)map.ColumnOf(ImportField(field)));
        if (!row.IsBlank()) result.rows.push_back(std::move(row));
        if (progress && (r & 1023) == 0 && !progress(r, rows))
            throw ReadFailure{QStringLiteral("导入已取消"), true};
    }
    return result;
}

}  // namespace

SheetRead ReadXls(const QString& path, const SheetProgress& progress) {
    try {
        return Read(path, progress);
    } catch (const ReadFailure& failure) {
        SheetRead result;
        result.error = failure.reason;
        result.cancelled = failure.cancelled;
        return result;
    }
}
