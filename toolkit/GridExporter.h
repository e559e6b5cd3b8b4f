#pragma once
// Writes what a list grid shows to an .xlsx workbook: its visible columns and titles, its rows
// in the order on screen, numbers as number cells and everything else as text. The workbook is
// written beside the target under another name and renamed over it only once it is complete,
// so a failed or cancelled export leaves an existing file as it was.

#include <QDate>
#include <QString>
#include <functional>

class DataGrid;
class QWidget;

struct GridExportSettings {
    QString title;     // first line of the sheet
    QString author;    // after "制表人："
    QDate begin, end;  // a date-range line when either is set
    bool showProgress = true;
    bool openWhenDone = true;  // with the system's program for .xlsx
};

enum class ExportResult { Written, EmptyList, Declined, Cancelled, Failed };

class GridExporter {
public:
    GridExporter(const DataGrid& grid, GridExportSettings settings);

    // The whole export to `file` as the user sees it: nothing for an empty list, the question
    // before replacing a file, the progress window, a message for a failure.
    ExportResult ExportTo(const QString& file, QWidget* parent = nullptr);

    // Asks for the file first ("导出Excel"); a cancelled dialog writes nothing.
    ExportResult AskAndExport(QWidget* parent = nullptr);

    // The xlsx name of a chosen file: "x.xls" and "x" become "x.xlsx".
    static QString XlsxFileName(const QString& chosen);

    // Who opens a written file; tests install their own. Returns the one installed before.
    using FileOpener = std::function<void(const QString&)>;
    static FileOpener SetFileOpener(FileOpener opener);

    // Excel's last row: a sheet holds at most this many rows.
    static constexpr int kMaxSheetRows = 1048576;

private:
    // Writes the workbook to `path`; false with `error` set on any failed write; `progress` is
    // told the rows written and returns false to stop.
    bool Write(const QString& path, QString* error, const std::function<bool(int)>& progress) const;
    int HeadLines() const;

    const DataGrid& m_grid;
    GridExportSettings m_settings;
};
