#include "toolkit/GridExporter.h"

#include <xlsxwriter.h>

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>
#include <QUrl>
#include <cmath>
#include <cstdio>
#include <map>

#include "common/Clock.h"
#include "common/Dialogs.h"
#include "data/Dataset.h"
#include "toolkit/DataGrid.h"
#include "toolkit/GridFormat.h"

namespace {

GridExporter::FileOpener& Opener() {
    static GridExporter::FileOpener opener = [](const QString& file) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(file));
    };
    return opener;
}

QString ErrorText(lxw_error error) { return QString::fromUtf8(lxw_strerror(error)); }

// One sheet of a constant-memory workbook; every write is checked, the first failure kept.
class Sheet {
public:
    explicit Sheet(const QString& path) {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        m_book = workbook_new_opt(QFile::encodeName(path).constData(), &options);
        if (m_book) m_sheet = workbook_add_worksheet(m_book, nullptr);
        if (!m_sheet) m_error = QStringLiteral("无法创建文件");
    }
    ~Sheet() {
        if (m_book) Close();
    }
    bool Ok() const { return m_error.isEmpty(); }
    const QString& Error() const { return m_error; }

    void Text(int row, int column, const QString& text, lxw_format* format = nullptr) {
        if (!Ok() || text.isEmpty()) return;
        // Always a string cell: a leading "=" stays text, a digit-only code keeps its zeros.
        Check(worksheet_write_string(m_sheet, lxw_row_t(row), lxw_col_t(column), text.toUtf8().constData(),
                                     format));
    }
    void Number(int row, int column, double value, lxw_format* format) {
        if (!Ok()) return;
        Check(worksheet_write_number(m_sheet, lxw_row_t(row), lxw_col_t(column), value, format));
    }
    void ColumnWidth(int column, double width) {
        if (Ok()) Check(worksheet_set_column(m_sheet, lxw_col_t(column), lxw_col_t(column), width, nullptr));
    }
    lxw_format* NumberFormat(const QString& format) {
        if (format.isEmpty() || !Ok()) return nullptr;
        auto& slot = m_formats[format];
        if (!slot) {
            slot = workbook_add_format(m_book);
            format_set_num_format(slot, format.toUtf8().constData());
        }
        return slot;
    }
    lxw_format* Bold() {
        if (!m_bold && Ok()) {
            m_bold = workbook_add_format(m_book);
            format_set_bold(m_bold);
        }
        return m_bold;
    }
    bool Close() {
        const lxw_error closed = workbook_close(m_book);
        m_book = nullptr;
        if (closed != LXW_NO_ERROR && Ok()) m_error = ErrorText(closed);
        return Ok();
    }

private:
    void Check(lxw_error error) {
        if (error != LXW_NO_ERROR) m_error = ErrorText(error);
    }

    lxw_workbook* m_book = nullptr;
    lxw_worksheet* m_sheet = nullptr;
    lxw_format* m_bold = nullptr;
    std::map<QString, lxw_format*> m_formats;
    QString m_error;
};

QString TitleText(const QString& title) {
    // A two-level title "销售|数量" reads "销售 数量" in one cell.
    return QString(title).replace(u'|', u' ');
}

// A name in the target's folder that no other export is using.
QString TemporaryName(const QString& target) {
    const QFileInfo info(target);
    for (int i = 0;; ++i) {
        const QString name =
            info.absoluteDir().filePath(QStringLiteral(".%1.%2.part").arg(info.fileName()).arg(i));
        if (!QFileInfo::exists(name)) return name;
    }
}

}  // namespace

GridExporter::GridExporter(const DataGrid& grid, GridExportSettings settings)
    : m_grid(grid), m_settings(std::move(settings)) {}

GridExporter::FileOpener GridExporter::SetFileOpener(FileOpener opener) {
    FileOpener previous = std::move(Opener());
    Opener() = std::move(opener);
    return previous;
}

QString GridExporter::XlsxFileName(const QString& chosen) {
    QString name = chosen;
    if (name.endsWith(QLatin1String(".xls"), Qt::CaseInsensitive)) name.chop(4);
    if (!name.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive)) name += QLatin1String(".xlsx");
    return name;
}

int GridExporter::HeadLines() const {
    const bool range = m_settings.begin.isValid() || m_settings.end.isValid();
    return 3 + (range ? 1 : 0) + 1;  // title, author, time, [range], column titles
}

bool GridExporter::Write(const QString& path, QString* error,
                         const std::function<bool(int)>& progress) const {
    Sheet sheet(path);
    const std::vector<int> columns = m_grid.VisibleColumns();
    int line = 0;
    sheet.Text(line++, 0, m_settings.title, sheet.Bold());
    sheet.Text(line++, 0, QStringLiteral("制表人：") + m_settings.author);
    sheet.Text(line++, 0,
               QStringLiteral("制表时间：") + Clock::Now().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
    if (m_settings.begin.isValid() || m_settings.end.isValid())
        sheet.Text(line++, 0,
                   QStringLiteral("日期范围：%1 至 %2")
                       .arg(m_settings.begin.toString(Qt::ISODate), m_settings.end.toString(Qt::ISODate)));
    std::vector<lxw_format*> formats;
    for (size_t c = 0; c < columns.size(); ++c) {
        const GridColumn& column = m_grid.Column(columns[c]);
        sheet.Text(line, int(c), TitleText(column.title), sheet.Bold());
        sheet.ColumnWidth(int(c), std::max(8.0, column.width / 7.0));
        formats.push_back(sheet.NumberFormat(column.format));
    }
    ++line;
    const int rows = m_grid.RowCount();
    for (int row = 0; row < rows && sheet.Ok(); ++row, ++line) {
        for (size_t c = 0; c < columns.size(); ++c) {
            const QVariant value = m_grid.CellValue(row, columns[c]);
            if (IsNumberValue(value) && std::isfinite(value.toDouble()))
                sheet.Number(line, int(c), value.toDouble(), formats[c]);
            else
                sheet.Text(line, int(c), ValueText(value));
        }
        if ((row + 1) % 2000 == 0 && !progress(row + 1)) {
            sheet.Close();
            *error = QString();
            return false;
        }
    }
    if (!sheet.Close()) *error = sheet.Error();
    return sheet.Ok();
}

ExportResult GridExporter::ExportTo(const QString& file, QWidget* parent) {
    const int rows = m_grid.RowCount();
    if (rows == 0) return ExportResult::EmptyList;
    if (qint64(rows) + HeadLines() > kMaxSheetRows) {
        Dialogs::ShowWarning(QStringLiteral("列表有 %1 行，超过 Excel 的最大行数（%2），无法导出！")
                                 .arg(rows)
                                 .arg(kMaxSheetRows - HeadLines()));
        return ExportResult::Failed;
    }
    if (QFileInfo::exists(file) &&
        !Dialogs::AskYesNo(QStringLiteral("提示"), QStringLiteral("已存在文件（%1），是否覆盖？").arg(file)))
        return ExportResult::Declined;

    std::unique_ptr<QProgressDialog> window;
    if (m_settings.showProgress) {
        window = std::make_unique<QProgressDialog>(QStringLiteral("正在导出数据，请稍候......"),
                                                   QStringLiteral("取消"), 0, rows, parent);
        window->setWindowTitle(QStringLiteral("导出Excel"));
        window->setWindowModality(Qt::WindowModal);
        window->setMinimumDuration(300);
        window->setValue(0);
    }
    const auto progress = [&window](int done) {
        if (!window) return true;
        window->setValue(done);  // a window-modal progress dialog runs the event loop itself
        return !window->wasCanceled();
    };

    const QString temporary = TemporaryName(file);
    QString error;
    const bool written = Write(temporary, &error, progress);
    window.reset();
    if (!written) {
        QFile::remove(temporary);
        if (error.isEmpty()) return ExportResult::Cancelled;
        Dialogs::ShowError(QStringLiteral("导出到文件（%1）失败：%2").arg(file, error));
        return ExportResult::Failed;
    }
    // rename() replaces the target in one step: readers see the old file or the new one.
    if (std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(file).constData()) != 0) {
        const QString reason = QString::fromLocal8Bit(strerror(errno));
        QFile::remove(temporary);
        Dialogs::ShowError(QStringLiteral("导出到文件（%1）失败：%2").arg(file, reason));
        return ExportResult::Failed;
    }
    if (m_settings.openWhenDone && Opener()) Opener()(file);
    return ExportResult::Written;
}

ExportResult GridExporter::AskAndExport(QWidget* parent) {
    const QString chosen = Dialogs::SaveFileName(QStringLiteral("导出Excel"), QString(),
                                                 QStringLiteral("Microsoft Excel xlsx文件 (*.xlsx)"));
    if (chosen.isEmpty()) return ExportResult::Cancelled;
    return ExportTo(XlsxFileName(chosen), parent);
}
