// The grid exporter, read back with openpyxl: what is written (visible columns, list order,
// cell types), and what is never touched (an empty list, a refused or failed export).

#include <QtTest>

#include "common/Clock.h"
#include "data/DataSource.h"
#include "data/Dataset.h"
#include "tests/support/MemoryDataset.h"
#include "tests/support/Printouts.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/WidgetTest.h"
#include "toolkit/DataGrid.h"
#include "toolkit/GridExporter.h"

namespace {

// A product list: code, name and price shown, the pinyin code hidden.
struct ListFixture {
    MemoryDataset dataset;
    DataSource source{&dataset};
    DataGrid grid;
    QTemporaryDir dir;
    QStringList opened;
    GridExporter::FileOpener previous;

    ListFixture() {
        grid.SetColumns({{.field = "c", .title = "商品编码"},
                         {.field = "a", .title = "商品名称"},
                         {.field = "n", .title = "销售|单价", .format = "0.00"},
                         {.field = "py", .title = "拼音", .visible = false}});
        grid.SetDataSource(&source);
        previous = GridExporter::SetFileOpener([this](const QString& file) { opened << file; });
        Clock::SetFixed(QDateTime(QDate(2026, 12, 11), QTime(9, 30, 5)));
    }
    ~ListFixture() {
        GridExporter::SetFileOpener(previous);
        Clock::SetFixed({});
    }
    void Load(std::vector<Dataset::Row> rows) { dataset.Load({"c", "a", "n", "py"}, std::move(rows)); }
    QString File(const QString& name) const { return dir.filePath(name); }
};

GridExportSettings Settings() { return {.title = "全部商品清单", .author = "晨岚POS收银系统"}; }

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class TestGridExport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void writesWhatTheListShows();
    void leavesFilesAloneWhenNothingIsWritten();
    void xlsxNames_data();
    void xlsxNames();
};

void TestGridExport::writesWhatTheListShows() {
    ListFixture f;
    f.Load({{"00123", "=1+1", 2.5, "py1"},
            {"6901", "可乐", 3.0, "kl"},
            {"ab", QVariant(), QVariant(), "x"},
            {"7", "面包", 0.5, "mb"}});
    f.grid.SortByTitle(2);  // price, descending
    ScriptedDialogs dialogs;
    const QString file = f.File("list.xlsx");
    QCOMPARE(GridExporter(f.grid, Settings()).ExportTo(file), ExportResult::Written);
    VERIFY_DIALOGS(dialogs);
    QCOMPARE(f.opened, QStringList{file});

    const QList<QStringList> rows = ReadXlsx(file);
    const QList<QStringList> expected = {
        {"s:全部商品清单"},
        {"s:制表人：晨岚POS收银系统"},
        {"s:制表时间：2026-12-11 09:30:05"},
        {"s:商品编码", "s:商品名称", "s:销售 单价"},  // the hidden pinyin column is not written
        {"s:6901", "s:可乐", "n:3"},
        {"s:00123", "s:=1+1", "n:2.5"},  // a digit-only code keeps its zeros, "=" stays text
        {"s:7", "s:面包", "n:0.5"},
        {"s:ab"},  // empty values stay blank
    };
    QCOMPARE(rows, expected);

    // After a search the list holds fewer rows: the file says so, and nothing of the old rows.
    f.Load({{"7", "面包", 0.5, "mb"}});
    dialogs.Expect(Dialogs::Kind::YesNo, QStringLiteral("已存在文件（%1），是否覆盖？").arg(file), true);
    GridExportSettings dated = Settings();
    dated.begin = QDate(2026, 12, 1);
    dated.end = QDate(2026, 12, 11);
    QCOMPARE(GridExporter(f.grid, dated).ExportTo(file), ExportResult::Written);
    VERIFY_DIALOGS(dialogs);
    const QList<QStringList> searched = ReadXlsx(file);
    QCOMPARE(searched.size(), 6);
    QCOMPARE(searched[3], QStringList{"s:日期范围：2026-12-01 至 2026-12-11"});
    QCOMPARE(searched[5], QStringList({"s:7", "s:面包", "n:0.5"}));
    QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{"list.xlsx"});  // no leftovers
}

// An empty list, a "No" to replacing, a cancelled file dialog and a failed write: the old file
// stays byte for byte, no temporary file is left, and a failure says so.
void TestGridExport::leavesFilesAloneWhenNothingIsWritten() {
    ListFixture f;
    const QString file = f.File("old.xlsx");
    const QByteArray old = "the old workbook";
    WriteFile(file, old);
    const auto untouched = [&] {
        QCOMPARE(ReadFile(file), old);
        QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"old.xlsx"});
        QVERIFY(f.opened.isEmpty());
    };

    f.Load({});
    {
        ScriptedDialogs dialogs;  // no question, no message
        QCOMPARE(GridExporter(f.grid, Settings()).ExportTo(file), ExportResult::EmptyList);
        VERIFY_DIALOGS(dialogs);
        untouched();
    }
    f.Load({{"1", "可乐", 2.5, ""}});
    {
        ScriptedDialogs dialogs;
        dialogs.Expect(Dialogs::Kind::YesNo, QStringLiteral("已存在文件（%1），是否覆盖？").arg(file), false);
        QCOMPARE(GridExporter(f.grid, Settings()).ExportTo(file), ExportResult::Declined);
        VERIFY_DIALOGS(dialogs);
        untouched();
    }
    {
        ScriptedDialogs dialogs;
        dialogs.Expect(Dialogs::Kind::SaveFile, QString(), false);
        QCOMPARE(GridExporter(f.grid, Settings()).AskAndExport(), ExportResult::Cancelled);
        VERIFY_DIALOGS(dialogs);
        untouched();
    }
    // A text longer than a cell holds fails the write: the old file survives the failure.
    f.Load({{"1", QString(40000, u'长'), 2.5, ""}});
    {
        ScriptedDialogs dialogs;
        dialogs.Expect(Dialogs::Kind::YesNo, QStringLiteral("是否覆盖"), true);
        dialogs.Expect(Dialogs::Kind::Error, QStringLiteral("导出到文件（%1）失败").arg(file));
        QCOMPARE(GridExporter(f.grid, Settings()).ExportTo(file), ExportResult::Failed);
        VERIFY_DIALOGS(dialogs);
        untouched();
    }
    // A list longer than a sheet holds (with the lines above the titles) is refused before
    // anything is written, rather than cut short by the library with a success.
    {
        std::vector<Dataset::Row> rows(size_t(GridExporter::kMaxSheetRows), Dataset::Row{"1", {}, {}, {}});
        f.Load(std::move(rows));
        ScriptedDialogs dialogs;
        dialogs.Expect(Dialogs::Kind::Warning, QStringLiteral("超过 Excel 的最大行数"));
        QCOMPARE(GridExporter(f.grid, Settings()).ExportTo(file), ExportResult::Failed);
        VERIFY_DIALOGS(dialogs);
        untouched();
    }
    // "x.xls" typed in the dialog is written as x.xlsx, and the question names that file.
    f.Load({{"1", "可乐", 2.5, ""}});
    WriteFile(f.File("x.xlsx"), old);
    {
        ScriptedDialogs dialogs;
        dialogs.Expect(Dialogs::Kind::SaveFile, QString(), true, f.File("x.xls"));
        dialogs.Expect(Dialogs::Kind::YesNo,
                       QStringLiteral("已存在文件（%1），是否覆盖？").arg(f.File("x.xlsx")), false);
        QCOMPARE(GridExporter(f.grid, Settings()).AskAndExport(), ExportResult::Declined);
        VERIFY_DIALOGS(dialogs);
        QVERIFY(!QFileInfo::exists(f.File("x.xls")));
    }
}

void TestGridExport::xlsxNames_data() {
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("written");
    QTest::newRow("xls becomes xlsx") << "/t/a.xls"
                                      << "/t/a.xlsx";
    QTest::newRow("capital XLS") << "/t/a.XLS"
                                 << "/t/a.xlsx";
    QTest::newRow("no suffix") << "/t/报表"
                               << "/t/报表.xlsx";
    QTest::newRow("xlsx kept") << "/t/a.xlsx"
                               << "/t/a.xlsx";
    QTest::newRow("other suffix kept in the name") << "/t/a.txt"
                                                   << "/t/a.txt.xlsx";
}

void TestGridExport::xlsxNames() {
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    QCOMPARE(GridExporter::XlsxFileName(chosen), written);
}

POS_WIDGET_TEST_MAIN(TestGridExport)
#include "tst_gridexport.moc"
