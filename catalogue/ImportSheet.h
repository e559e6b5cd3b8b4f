#pragma once
// What the spreadsheet readers give the product import: the rows of the sheet "tavlin" with the
// nine product columns picked out by their titles in row 1, each cell typed as the sheet holds it.
// No widgets here; the import window and posdb both use it.

#include <QString>
#include <array>
#include <functional>
#include <vector>

// The nine sheet titles, each also the name of the sp column it fills.
enum class ImportField { Name, Model, Category, Code, Unit, Supplier, PurchasePrice, SalePrice, MemberPrice };
inline constexpr int kImportFieldCount = 9;
const std::array<QString, kImportFieldCount>& ImportTitles();
inline const QString& ImportTitle(ImportField field) { return ImportTitles()[size_t(field)]; }
// The three price columns; the others hold text.
bool IsPriceField(ImportField field);

inline constexpr const char* kImportSheetName = "tavlin";

struct SheetCell {
    enum class Kind : quint8 {
        Empty,
        Text,
        Number,
        Boolean,
        Formula,  // a formula whose value the reader cannot see
        Error,    // an error value such as #DIV/0!
    };
    Kind kind = Kind::Empty;
    double number = 0;  // Number; Boolean as 0 or 1
    QString text;       // Text; the error's text
};

struct SheetRow {
    int line = 0;  // the sheet's row number, 1 for the titles
    std::array<SheetCell, kImportFieldCount> cells;
    bool IsBlank() const;  // no cell holds anything but blanks
};

struct SheetRead {
    std::vector<SheetRow> rows;                    // blank rows already left out
    std::array<int, kImportFieldCount> columns{};  // the zero-based sheet column of each field
    QString error;                                 // why the sheet could not be read; empty on success
    bool cancelled = false;
};

// Now and then during a long read; returning false stops it (SheetRead::cancelled).
using SheetProgress = std::function<bool(qint64 done, qint64 total)>;

// The sheet's column letters of a zero-based column index: 0 → A, 27 → AB.
QString ColumnLetters(int column);

// Which product field each sheet column holds, from the titles of row 1.
class TitleMap {
public:
    // Titles by zero-based sheet column. False, with the reason, when a title is missing or twice.
    bool Build(const std::vector<QString>& titles, QString* error);
    // The field of a sheet column, or -1 for a column the import ignores.
    int FieldOf(int column) const {
        return column >= 0 && column < int(m_fields.size()) ? m_fields[column] : -1;
    }
    int ColumnOf(ImportField field) const { return m_columns[size_t(field)]; }

private:
    std::vector<int> m_fields;
    std::array<int, kImportFieldCount> m_columns{};
};

// Every data row counts; Excel's own limit, so a crafted file cannot make us hold more.
inline constexpr int kMaxSheetRows = 1048576;
