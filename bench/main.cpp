// pos-bench: how fast the desk is with a big shop's data. Each scenario runs in a child
// process of its own, through the program's own windows on the offscreen platform, so its
// peak memory is its own; beside each time stands the raw engine's time for the same SQL.

#include "app/MAIN.h"

#include <sys/resource.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QSignalBlocker>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <cstdio>
#include <map>

#include "app/Program.h"
#include "bench/Bench.h"
#include "bench/RawEngine.h"
#include "catalogue/ProductImport.h"
#include "catalogue/Unit1.h"
#include "catalogue/ys.h"
#include "checkout/PaymentPanel.h"
#include "checkout/SaleCounters.h"
#include "common/Application.h"
#include "common/Clock.h"
#include "common/Dialogs.h"
#include "common/IniFile.h"
#include "data/Connection.h"
#include "data/DataSource.h"
#include "data/Query.h"
#include "data/Schema.h"
#include "data/dm.h"
#include "maintenance/Backup.h"
#include "maintenance/IntegrityWatch.h"
#include "sales/SalesQueries.h"
#include "sales/Unit2.h"
#include "sales/Unit4.h"
#include "toolkit/DataGrid.h"
#include "toolkit/Forms.h"
#include "toolkit/GridExporter.h"
#include "toolkit/GridPrinter.h"
#include "toolkit/PrintPreview.h"
#include "toolkit/ProgressTask.h"
#include "tools/Synth.h"

namespace {

QTextStream& Out() {
    static QTextStream out(stdout);
    return out;
}

// Answers the quantity prompt with 1; any other dialog is reported, as it may show a fault.
class QuantityOne : public Dialogs::Responder {
public:
    Dialogs::Answer Respond(const Dialogs::Request& request) override {
        if (request.kind == Dialogs::Kind::Input) return {true, QStringLiteral("1")};
        fprintf(stderr, "unexpected dialog: %s\n", qPrintable(request.text));
        return {true, {}};
    }
};

class BenchDataset : public Dataset {
public:
    void Load(std::vector<QString> columns, std::vector<Row> rows) {
        SetResult(std::move(columns), std::move(rows));
    }
};

struct Desk {
    Tdmfm dm;
    std::unique_ptr<TMainForm> form;
    qint64 products = 0;
    QRandomGenerator random{42};

    explicit Desk(const QString& path) {
        dm.Open(path);
        form =
            std::make_unique<TMainForm>(dm, QFileInfo(path).absolutePath() + QStringLiteral("/config.ini"));
        form->SetOperatorSource([] { return QStringLiteral("收银员"); });
        form->show();
        products = dm.ADOConnection1.Scalar(QStringLiteral("select count(*) from sp")).toLongLong();
    }
    QString RandomCode() { return SynthProductCode(random.bounded(quint64(products))); }
    void Scan(const QString& code) {
        form->EntryField()->setText(code);
        form->AddProductByCode();
    }
    qint64 Lines() {
        return dm.ADOConnection1.Scalar(QStringLiteral("select count(*) from data")).toLongLong();
    }
    void DropLastLine() {
        dm.ADOConnection1.Exec(QStringLiteral("delete from data where id=(select max(id) from data)"));
    }
};

void Report(const char* name, const Timing& ours, const Timing& raw) {
    // Peak memory so far in this scenario's process.
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    Out() << "RESULT " << name << ' ' << ours.median << ' ' << ours.p90 << ' ' << raw.median << ' ' << raw.p90
          << ' ' << usage.ru_maxrss / 1024 << "\n";
}

void ScanScenario(const QString& path, int runs) {
    Desk desk(path);
    desk.form->ClearOpenSale();
    while (desk.Lines() < 50) desk.Scan(desk.RandomCode());
    const Timing ours = Measure(
        runs,
        [&](int) {
            if (desk.Lines() > 50) {
                desk.DropLastLine();
                desk.form->ReloadSaleGrid();
            }
        },
        [&](int) { desk.Scan(desk.RandomCode()); });
    // Every timed scan must have found its product, or the figure would flatter the desk.
    const double items =
        desk.dm.ADOConnection1.Scalar(QStringLiteral("select sum([2]) from data")).toDouble();
    if (items < 50) fprintf(stderr, "scan: only %g items in the sale after %d scans\n", items, runs);
    desk.dm.Close();

    RawEngine raw(path);
    QRandomGenerator random(42);
    bool appended = false;
    const Timing engine = Measure(
        runs,
        [&](int) {
            if (appended) raw.Run("delete from data where id=(select max(id) from data)");
        },
        [&](int) {
            const QString code = SynthProductCode(random.bounded(quint64(desk.products)));
            raw.Run("select * from sp where 商品编码=?", {code});
            appended = raw.Run("select * from data where c=?", {code}) == 0;
            if (appended)
                raw.Run(
                    "insert into data (a,b,c,d,\"4\",\"2\",\"1\",\"3\",\"5\",\"6\",\"7\",z,h,i,day1,g) "
                    "values "
                    "('名称','规格',?,'类别',2.5,1,2,2.4,0,2.5,0.5,'瓶','SYY2612110001','收银员','2026-12-11'"
                    ",'供货商')",
                    {code});
            else
                raw.Run("update data set [2]=[2]+?,[6]=[6]+?,[7]=[7]+? where c=?", {1.0, 2.5, 0.5, code});
            raw.Run("select * from data order by id");
        });
    Report("scan", ours, engine);
}

void SettleScenario(const QString& path, int runs) {
    Desk desk(path);
    const Timing ours = Measure(
        runs,
        [&](int) {
            desk.form->ClearOpenSale();
            for (int i = 0; i < 30; ++i) desk.Scan(desk.RandomCode());
            desk.form->OpenPayment();
        },
        [&](int) { desk.form->Payment()->ConfirmPayment(); });
    desk.dm.Close();

    RawEngine raw(path);
    const Timing engine = Measure(
        runs,
        [&](int) {
            raw.Run("delete from data");
            for (int i = 0; i < 30; ++i)
                raw.Run(
                    "insert into data (a,c,\"1\",\"2\",\"3\",\"4\",\"5\",\"6\",\"7\",h,i,day1) "
                    "values ('名称',?,2,1,2.4,2.5,0,2.5,0.5,'SYY2612110001','收银员','2026-12-11')",
                    {QString::number(i)});
        },
        [&](int i) {
            raw.Run("begin immediate");
            raw.Run("select a,[2],[6] from data order by id");
            raw.Run(
                "insert into data1(a,b,c,d,h,i,z,[1],[2],[3],[4],[5],[6],[7],[8],day1) "
                "select a,b,c,d,h,i,z,[1],[2],[3],[4],[5],[6],[7],[8],day1 from data order by id");
            raw.Run("select count(*) from data3 where a=?", {QStringLiteral("RAW%1").arg(i)});
            raw.Run(
                "insert into data3 (a,b,\"1\",\"2\",\"3\",\"4\",\"5\",\"6\",\"7\",day1) "
                "values (?,'收银员',75,75,80,5,15,0,0,'2026-12-11')",
                {QStringLiteral("RAW%1").arg(i)});
            raw.Run("delete from data");
            raw.Run("commit");
        });
    Report("settle", ours, engine);
}

void ProductScenarios(const QString& path, int runs) {
    Tdmfm dm;
    dm.Open(path);
    TForm1 products(dm);
    products.show();
    const int few = qMax(5, runs / 20);
    const Timing all = Measure(
        few, [](int) {}, [&](int) { products.ListAll(); });
    RawEngine raw(path);
    const Timing rawAll = Measure(
        few, [](int) {}, [&](int) { raw.Run("select *, rowid from sp"); });
    Report("products-all", all, rawAll);

    QLineEdit* name = products.findChild<CriteriaBand*>()->Box(QStringLiteral("商品名称"));
    const char* const fragments[] = {"牛奶", "康师傅", "面", "洗衣液", "巧克力"};
    const Timing search = Measure(
        few,
        [&](int i) {
            const QSignalBlocker quiet(name);
            name->setText(QString::fromUtf8(fragments[i % 5]));
        },
        [&](int) { products.Search(); });
    const Timing rawSearch = Measure(
        few, [](int) {},
        [&](int i) {
            raw.Run("select *, rowid from sp where 销售单价>0 and 商品名称 like ? escape '\\'",
                    {QStringLiteral("%") + QString::fromUtf8(fragments[i % 5]) + u'%'});
        });
    Report("products-search", search, rawSearch);
}

void LookupScenario(const QString& path, int runs) {
    Desk desk(path);
    Tysfm lookup(desk.dm, *desk.form);
    const int few = qMax(5, runs / 20);
    const Timing open = Measure(
        few, [&](int) { lookup.hide(); }, [&](int) { lookup.show(); });
    RawEngine raw(path);
    const Timing rawOpen = Measure(
        few, [](int) {},
        [&](int) {
            raw.Run(
                "select 商品编码,商品类别,商品名称,规格型号,销售单价,供货商 from sp group by "
                "商品编码,商品类别,商品名称,规格型号,销售单价,供货商 order by 商品编码");
        });
    Report("lookup", open, rawOpen);

    // A keystroke in the name box: each one searches name and pinyin code again.
    QLineEdit* name = lookup.findChild<CriteriaBand*>()->Box(QStringLiteral("商品名称"));
    const char* const typed[] = {"k", "ks", "ksf", "nn", "qkl"};
    const Timing keystroke = Measure(
        runs,
        [&](int i) {
            const QSignalBlocker quiet(name);
            name->setText(QString::fromLatin1(typed[i % 5]));
        },
        [&](int) { lookup.Search(); });
    const Timing rawKeystroke = Measure(
        runs, [](int) {},
        [&](int i) {
            const QString pattern = QStringLiteral("%") + QLatin1String(typed[i % 5]) + u'%';
            raw.Run(
                "select * from sp where 销售单价>0 and (商品名称 like ? escape '\\' or sppy like ? escape "
                "'\\')",
                {pattern, pattern});
        });
    Report("lookup-pinyin", keystroke, rawKeystroke);
}

// The list grid over 100 000 loaded rows: loading with footer sums, a title-click sort, and a
// walk over the rows as printouts and exports do. The raw figure is the same work on a vector.
void GridScenario(const QString&, int runs) {
    constexpr int kRows = 100000;
    const auto makeRows = [] {
        std::vector<Dataset::Row> rows;
        rows.reserve(kRows);
        for (int i = 0; i < kRows; ++i)
            rows.push_back({QStringLiteral("69%1").arg(i), QStringLiteral("商品%1").arg(i % 977),
                            double(i % 7), 0.01 * ((i * 7919) % kRows), 0.001 * i});
        return rows;
    };
    BenchDataset dataset;
    DataSource source(&dataset);
    DataGrid grid;
    grid.SetColumns(
        {{.field = QStringLiteral("c"), .title = QStringLiteral("商品编码")},
         {.field = QStringLiteral("a"), .title = QStringLiteral("商品名称")},
         {.field = QStringLiteral("2"), .title = QStringLiteral("数 量"), .footer = GridFooter::Sum},
         {.field = QStringLiteral("6"),
          .title = QStringLiteral("金 额"),
          .footer = GridFooter::Sum,
          .footerFormat = QStringLiteral("0.00")}});
    grid.SetDataSource(&source);
    grid.resize(980, 344);
    grid.show();
    const int few = qMax(5, runs / 20);
    std::vector<Dataset::Row> rows;
    const Timing load = Measure(
        few, [&](int) { rows = makeRows(); },
        [&](int) {
            dataset.Load({QStringLiteral("c"), QStringLiteral("a"), QStringLiteral("2"), QStringLiteral("6"),
                          QStringLiteral("7")},
                         std::move(rows));
            dataset.Last();
            QCoreApplication::processEvents();
        });
    std::vector<double> amounts;
    const Timing rawLoad = Measure(
        few, [&](int) { amounts.assign(kRows, 0.0); },
        [&](int) {
            rows = makeRows();
            double sum = 0;
            for (const auto& row : rows) sum += row[3].toDouble();
            amounts[0] = sum;
        });
    Report("grid-load", load, rawLoad);

    const Timing sort = Measure(
        few, [](int) {}, [&](int) { grid.SortByTitle(3); });
    const Timing rawSort = Measure(
        few,
        [&](int) {
            amounts.clear();
            for (const auto& row : rows) amounts.push_back(row[3].toDouble());
        },
        [&](int i) {
            std::stable_sort(amounts.begin(), amounts.end(),
                             [i](double a, double b) { return i % 2 ? a < b : a > b; });
        });
    Report("grid-sort", sort, rawSort);

    const Timing walk = Measure(
        few, [](int) { QCoreApplication::processEvents(); },
        [&](int) {
            for (dataset.First(); !dataset.Eof(); dataset.Next()) {
            }
        });
    const Timing rawWalk = Measure(
        few, [](int) {},
        [&](int) {
            volatile qsizetype n = 0;
            for (const auto& row : rows) n = n + row[0].toString().size();
        });
    Report("grid-walk", walk, rawWalk);
}

// The product list's outputs over the whole list: export to a workbook, the report's
// pagination, and the preview's first page. The raw figure is the engine reading the list.
void ListOutputScenarios(const QString& path, int runs) {
    Tdmfm dm;
    dm.Open(path);
    TForm1 products(dm);
    products.show();
    products.ListAll();
    const int few = qMax(3, runs / 40);
    RawEngine raw(path);
    const Timing rawAll = Measure(
        few, [](int) {}, [&](int) { raw.Run("select *, rowid from sp"); });
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("list.xlsx"));
    GridExportSettings settings;
    settings.title = QStringLiteral("全部商品清单");
    settings.showProgress = false;
    settings.openWhenDone = false;
    const Timing exported = Measure(
        few, [&](int) { QFile::remove(file); },
        [&](int) {
            if (GridExporter(*products.Grid(), settings).ExportTo(file) != ExportResult::Written)
                fprintf(stderr, "export: not written\n");
        });
    Report("export", exported, rawAll);

    const Timing paginate = Measure(
        few, [](int) {},
        [&](int) {
            const auto report = products.ProductReport();
            report->PaginateAll();
        });
    Report("paginate", paginate, rawAll);

    const Timing firstPage = Measure(
        few, [](int) {},
        [&](int) {
            const auto report = products.ProductReport();
            PrintPreview preview(*report, QStringLiteral("打印预览"));
            preview.show();
            while (preview.PaintedPages() == 0) QCoreApplication::processEvents();
        });
    Report("preview", firstPage, rawAll);
}

// Export of a long sales history: every line of data1 in a list grid, as the sales window shows it.
void HistoryExportScenario(const QString& path, int) {
    Tdmfm dm;
    dm.Open(path);
    Query lines(dm.ADOConnection1, QStringLiteral("select * from data1"), true);
    lines.Open();
    DataSource source(&lines);
    DataGrid grid;
    std::vector<GridColumn> columns;
    for (const char* field : {"h", "c", "a", "b", "2", "4", "6", "7", "day1", "i"})
        columns.push_back({.field = QString::fromUtf8(field), .title = QString::fromUtf8(field)});
    grid.SetColumns(columns);
    grid.SetDataSource(&source);
    QTemporaryDir dir;
    GridExportSettings settings;
    settings.title = QStringLiteral("销 售 报 表");
    settings.showProgress = false;
    settings.openWhenDone = false;
    const Timing exported = Measure(
        1, [](int) {},
        [&](int) { GridExporter(grid, settings).ExportTo(dir.filePath(QStringLiteral("history.xlsx"))); });
    RawEngine raw(path);
    const Timing rawAll = Measure(
        1, [](int) {}, [&](int) { raw.Run("select * from data1"); });
    Report("history-export", exported, rawAll);
}

// The values of imported product i, the same in every workbook and in the raw engine's run.
QVariantList ImportedProduct(int i) {
    static const char* const names[] = {"康师傅红烧牛肉面", "农夫山泉矿泉水", "蒙牛纯牛奶", "德芙巧克力",
                                        "立白洗衣液"};
    static const char* const categories[] = {"食品", "饮料", "乳品", "零食", "日化"};
    static const char* const suppliers[] = {"本地批发", "华联配送", "城东副食"};
    return {QStringLiteral("IMP%1").arg(i, 7, 10, QLatin1Char('0')),
            QString::fromUtf8(categories[i % 5]),
            QString::fromUtf8(names[i % 5]) + QString::number(i % 977),
            QStringLiteral("%1g").arg(100 + i % 400),
            1.5 + i % 40,
            2.5 + i % 50,
            2.0 + i % 45,
            QString::fromUtf8(i % 2 ? "袋" : "瓶"),
            QString::fromUtf8(suppliers[i % 3])};
}

const char* const kImportTitles[] = {"商品编码", "商品类别", "商品名称", "规格型号", "进货单价",
                                     "销售单价", "会员价",   "单位",     "供货商"};

// An .xlsx as Excel writes it (a shared-string table), through libxlsxwriter.
bool WriteXlsx(const QString& path, int rows) {
    lxw_workbook* book = workbook_new(path.toUtf8().constData());
    lxw_worksheet* sheet = book ? workbook_add_worksheet(book, "tavlin") : nullptr;
    if (!sheet) return false;
    bool ok = true;
    for (int c = 0; c < 9; ++c)
        ok &= worksheet_write_string(sheet, 0, lxw_col_t(c), kImportTitles[c], nullptr) == LXW_NO_ERROR;
    for (int r = 0; r < rows && ok; ++r) {
        const QVariantList values = ImportedProduct(r);
        for (int c = 0; c < 9; ++c) {
            const QVariant& v = values[c];
            ok &= (v.typeId() == QMetaType::Double
                       ? worksheet_write_number(sheet, lxw_row_t(r + 1), lxw_col_t(c), v.toDouble(), nullptr)
                       : worksheet_write_string(sheet, lxw_row_t(r + 1), lxw_col_t(c),
                                                v.toString().toUtf8().constData(), nullptr)) == LXW_NO_ERROR;
        }
    }
    return workbook_close(book) == LXW_NO_ERROR && ok;
}

// An .xls through xlwt, the writer the tests use; the values come from ImportedProduct as text.
bool WriteXls(const QString& path, int rows) {
    QString lines;
    for (int r = 0; r < rows; ++r) {
        QStringList cells;
        for (const QVariant& v : ImportedProduct(r)) cells << v.toString();
        lines += cells.join(u'\t') + u'\n';
    }
    QProcess python;
    python.start(
        QStringLiteral("/usr/bin/python3"),
        {QStringLiteral("-c"), QStringLiteral(R"(import sys, xlwt
book = xlwt.Workbook(encoding="utf-8"); sheet = book.add_sheet("tavlin")
for c, t in enumerate(sys.argv[2].split(",")): sheet.write(0, c, t)
for r, line in enumerate(sys.stdin, start=1):
    for c, v in enumerate(line.rstrip("\n").split("\t")):
        sheet.write(r, c, float(v) if 4 <= c <= 6 else v)
book.save(sys.argv[1]))"),
         path, QStringLiteral("商品编码,商品类别,商品名称,规格型号,进货单价,销售单价,会员价,单位,供货商")});
    python.write(lines.toUtf8());
    python.closeWriteChannel();
    python.waitForFinished(-1);
    return python.exitCode() == 0;
}

// A big workbook into the shop's catalogue, end to end; every run's rows are removed again.
void ImportOne(const QString& path, const char* name, const QString& book, int rows, int runs) {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    fprintf(stderr, "%s: %ld MiB before the first import\n", name, usage.ru_maxrss / 1024);
    Connection shop;
    shop.Open(path);
    const qint64 last = shop.Scalar(QStringLiteral("select max(rowid) from sp")).toLongLong();
    const auto removeImported = [&](int) {
        shop.Exec(QStringLiteral("delete from sp where rowid > ?"), {last});
    };
    const Timing ours = Measure(runs, removeImported, [&](int) {
        const ImportOutcome outcome = ImportProducts(book, path);
        if (outcome.added != rows) fprintf(stderr, "%s: %s\n", name, qPrintable(ImportMessage(outcome)));
    });
    removeImported(0);
    // The same rows through one prepared statement in one transaction, values already in memory.
    std::vector<QVariantList> values;
    for (int i = 0; i < rows; ++i)
        values.push_back(ImportedProduct(i) + QVariantList{QString(), QString(), QString()});
    RawEngine raw(path);
    const Timing engine = Measure(runs, removeImported, [&](int) {
        raw.Run("begin immediate");
        for (const QVariantList& v : values)
            raw.Run(
                "insert into sp "
                "(商品编码,商品类别,商品名称,规格型号,进货单价,销售单价,会员价,单位,供货商,sppy,ghspy,lbpy) "
                "values (?,?,?,?,?,?,?,?,?,?,?,?)",
                v);
        raw.Run("commit");
    });
    removeImported(0);
    Report(name, ours, engine);
}

// Writes the workbook in a process of its own, so its memory is not counted as the import's.
void WriteXlsxChild(const QString& path, int rows) {
    if (!WriteXlsx(path, rows)) QCoreApplication::exit(1);
}

void ImportXlsxScenario(const QString& path, int runs) {
    QTemporaryDir dir;
    const QString book = dir.filePath(QStringLiteral("products.xlsx"));
    QProcess writer;
    writer.start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--child"), QStringLiteral("write-xlsx"), book, QStringLiteral("100000")});
    writer.waitForFinished(-1);
    if (!QFileInfo::exists(book)) return;
    ImportOne(path, "import-xlsx", book, 100000, qMax(3, runs / 40));
}

void ImportXlsScenario(const QString& path, int runs) {
    QTemporaryDir dir;
    const QString book = dir.filePath(QStringLiteral("products.xls"));
    if (!WriteXls(book, 65535)) return;
    ImportOne(path, "import-xls", book, 65535, qMax(3, runs / 40));
}

// The sales window on a shop of years: a day inside the synthetic history is "today".
const QDate kSalesToday(2026, 11, 15);

void RawList(RawEngine& raw, const ListFilter& filter) {
    raw.Run(ListStatement(filter).toUtf8().constData(), filter.values);
}
void RawChart(RawEngine& raw, const ChartStatement& chart) {
    raw.Run(chart.sql.toUtf8().constData(), chart.values);
}

// The one-off upgrade of an older database: the category index over every sold line.
void UpgradeScenario(const QString& path, int) {
    Connection db;
    db.Open(path);
    if (!SchemaNeedsUpgrade(db))
        db.ExecScript(QStringLiteral("drop index if exists data1_category; pragma user_version=1;"));
    const Timing upgrade = Measure(
        1, [](int) {}, [&](int) { UpgradeSchema(db); });
    Report("sales-upgrade", upgrade, {});
}

void SalesScenarios(const QString& path, int runs) {
    Clock::SetFixed(QDateTime(kSalesToday, QTime(12, 0)));
    Desk desk(path);
    Txstj xstj(desk.dm, *desk.form, [] { return QStringLiteral("超级管理员"); });
    const int few = qMax(5, runs / 20);
    RawEngine raw(path);
    const DateRange month = MonthRange(kSalesToday.year(), kSalesToday.month());

    const Timing open = Measure(
        few, [&](int) { xstj.hide(); }, [&](int) { xstj.show(); });
    Report("sales-open", open,
           Measure(
               few, [](int) {},
               [&](int) {
                   RawChart(raw, MonthlyChartStatement(ChartMeasure::Profit, kSalesToday.year()));
                   RawChart(raw, DailyChartStatement(ChartMeasure::Profit, kSalesToday.year(),
                                                     kSalesToday.month()));
                   RawList(raw, LineRange(month));
                   RawList(raw, SaleRange(month));
               }));

    SalesCriteria today;
    today.days = std::make_pair(kSalesToday, kSalesToday);
    Report("sales-today",
           Measure(
               few, [](int) {}, [&](int) { xstj.ShowToday(); }),
           Measure(
               few, [](int) {},
               [&](int) {
                   RawList(raw, SearchLines(today));
                   RawList(raw, SearchSaleHeaders(today));
               }));

    xstj.ShowMonthSales();
    QStringList numbers;
    for (int row = 0; row < desk.dm.ADOQuery9.RecordCount();
         row += qMax(1, desk.dm.ADOQuery9.RecordCount() / few))
        numbers << ValueText(desk.dm.ADOQuery9.Value(row, desk.dm.ADOQuery9.FieldIndex(QStringLiteral("a"))));
    xstj.DateTick()->setChecked(false);
    Report("sales-pick",
           Measure(
               few, [](int) {}, [&](int i) { xstj.PickSale(numbers[i % numbers.size()]); }),
           Measure(
               few, [](int) {},
               [&](int i) {
                   SalesCriteria pick;
                   pick.saleNumber = numbers[i % numbers.size()];
                   pick.exactSaleNumber = true;
                   RawList(raw, SearchLines(pick));
                   RawList(raw, SearchSaleHeaders(pick));
               }));

    // A name typed with the month's dates ticked.
    const char* const fragments[] = {"牛奶", "康师傅", "面", "洗衣液", "巧克力"};
    const auto monthSearch = [&](int i) {
        SalesCriteria c;
        c.name = QString::fromUtf8(fragments[i % 5]);
        c.days = std::make_pair(QDate(kSalesToday.year(), kSalesToday.month(), 1), kSalesToday);
        return c;
    };
    {
        const QSignalBlocker quiet(xstj.SaleNumberBox());
        xstj.SaleNumberBox()->clear();
    }
    xstj.FromDate()->setDate(QDate(kSalesToday.year(), kSalesToday.month(), 1));
    xstj.ToDate()->setDate(kSalesToday);
    xstj.DateTick()->setChecked(true);
    Report("sales-search",
           Measure(
               few,
               [&](int i) {
                   const QSignalBlocker quiet(xstj.NameBox());
                   xstj.NameBox()->setText(QString::fromUtf8(fragments[i % 5]));
               },
               [&](int) { xstj.SearchSales(); }),
           Measure(
               few, [](int) {},
               [&](int i) {
                   RawList(raw, SearchLines(monthSearch(i)));
                   RawList(raw, SearchSaleHeaders(monthSearch(i)));
               }));

    Report("sales-all",
           Measure(
               few, [](int) {}, [&](int) { xstj.ShowAllSales(); }),
           Measure(
               few, [](int) {},
               [&](int) {
                   raw.Run("select 1 from data1 where d>'' limit 1");
                   RawList(raw, AllLines());
                   RawList(raw, AllSaleHeaders());
               }));

    Report("sales-monthly",
           Measure(
               few, [](int) {}, [&](int) { xstj.MonthlySales(); }),
           Measure(
               few, [](int) {},
               [&](int) { RawChart(raw, MonthlyChartStatement(ChartMeasure::Sales, kSalesToday.year())); }));
    Report("sales-daily",
           Measure(
               few, [](int) {}, [&](int) { xstj.DailySales(); }),
           Measure(
               few, [](int) {},
               [&](int) {
                   RawChart(raw, DailyChartStatement(ChartMeasure::Sales, kSalesToday.year(),
                                                     kSalesToday.month()));
               }));
    Clock::SetFixed({});
}

// The program itself, started in the shop folder: it says when its login window is up.
void StartupChild(const QString& path, int) {
    // A day with sales, so the main window's show fills a real month of them.
    Clock::SetFixed(QDateTime(kSalesToday, QTime(12, 0)));
    QDir::setCurrent(QFileInfo(path).absolutePath());
    RunProgram(*static_cast<TApplication*>(QCoreApplication::instance()), QDir::currentPath(), [] {
        Out() << "LOGIN" << Qt::endl;
        QCoreApplication::exit(0);
    });
}

// From process start to the login window shown, over a few separate runs of the program.
void StartupScenario(const QString& path, int runs) {
    std::vector<double> ms;
    long peak = 0;
    for (int i = 0; i < qMax(5, runs / 20); ++i) {
        QProcess child;
        QElapsedTimer timer;
        timer.start();
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--child"), QStringLiteral("startup-child"), path});
        while (child.state() != QProcess::NotRunning && !child.readAllStandardOutput().contains("LOGIN"))
            child.waitForReadyRead(5);
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
        child.waitForFinished(10000);
        rusage usage{};
        getrusage(RUSAGE_CHILDREN, &usage);
        peak = std::max(peak, usage.ru_maxrss);
    }
    const Timing startup = Summarise(ms);
    RawEngine raw(path);  // opening and keying the file, and a first read
    const Timing rawOpen = Measure(
        5, [](int) {},
        [&](int) {
            RawEngine again(path);
            again.Run("select count(*) from sqlite_master");
        });
    Out() << "RESULT startup " << startup.median << ' ' << startup.p90 << ' ' << rawOpen.median << ' '
          << rawOpen.p90 << ' ' << peak / 1024 << "\n";
}

// The copy of the file by plain reads and writes: what a backup costs at the least.
Timing PlainCopy(const QString& from, const QString& to, int runs) {
    return Measure(
        runs, [&](int) { QFile::remove(to); },
        [&](int) {
            QFile::copy(from, to);
            QFile file(to);
            if (file.open(QIODevice::ReadWrite)) ::fsync(file.handle());
        });
}

// Backup with its check behind the progress window, as the owner runs it: besides the time,
// the longest the window's event loop waited, the longest gap between progress reports, and
// how long a Cancel takes to be honoured.
void BackupScenario(const QString& path, int) {
    const QString target = QFileInfo(path).absolutePath() + QStringLiteral("/bench-backup.mdb");
    double longestStall = 0, longestGap = 0;
    const Timing ours = Measure(
        2, [&](int) { QFile::remove(target); },
        [&](int) {
            QElapsedTimer tick, sinceReport;
            tick.start();
            sinceReport.start();
            QTimer heartbeat;
            QObject::connect(&heartbeat, &QTimer::timeout, &heartbeat,
                             [&] { longestStall = std::max(longestStall, double(tick.restart())); });
            heartbeat.start(20);
            ProgressTask::Run(nullptr, QStringLiteral("bench"), [&](const ProgressTask::Report& report) {
                const Backup::Outcome outcome =
                    Backup::BackupDatabase(path, target, [&](Backup::Phase, qint64 done, qint64 total) {
                        longestGap = std::max(longestGap, double(sinceReport.restart()));
                        return report(QString(), done, total);
                    });
                if (!outcome.ok()) fprintf(stderr, "backup failed: %s\n", qPrintable(outcome.reason));
            });
        });
    std::vector<double> cancels;
    for (const Backup::Phase when : {Backup::Phase::Copy, Backup::Phase::Check}) {
        QElapsedTimer asked;
        Backup::BackupDatabase(path, target + QStringLiteral("2"),
                               [&](Backup::Phase phase, qint64 done, qint64 total) {
                                   if (phase != when || done * 3 < total) return true;
                                   if (!asked.isValid()) asked.start();
                                   return false;
                               });
        cancels.push_back(asked.isValid() ? double(asked.nsecsElapsed()) / 1e6 : -1);
    }
    fprintf(stderr,
            "backup: window stalled at most %.0f ms, progress gap at most %.0f ms, cancel honoured in %.0f / "
            "%.0f ms\n",
            longestStall, longestGap, cancels[0], cancels[1]);
    const Timing raw = PlainCopy(path, target + QStringLiteral("-raw"), 2);
    QFile::remove(target + QStringLiteral("-raw"));
    Report("backup", ours, raw);
}

void RestoreScenario(const QString& path, int) {
    const QString folder = QFileInfo(path).absolutePath();
    const QString backup = folder + QStringLiteral("/bench-backup.mdb");
    const QString shop = folder + QStringLiteral("/bench-restored.mdb");
    if (!QFileInfo::exists(backup) && !Backup::BackupDatabase(path, backup).ok()) return;
    double longestGap = 0;
    const Timing ours = Measure(
        2, [&](int) {},
        [&](int i) {
            QElapsedTimer sinceReport;
            sinceReport.start();
            const Backup::Outcome outcome = Backup::RestoreDatabase(
                backup, shop, QDateTime::currentDateTime().addSecs(i), [&](Backup::Phase, qint64, qint64) {
                    longestGap = std::max(longestGap, double(sinceReport.restart()));
                    return true;
                });
            if (!outcome.ok()) fprintf(stderr, "restore failed: %s\n", qPrintable(outcome.reason));
            if (!outcome.safetyCopy.isEmpty()) QFile::remove(outcome.safetyCopy);
        });
    fprintf(stderr, "restore: progress gap at most %.0f ms\n", longestGap);
    const Timing raw = PlainCopy(backup, shop + QStringLiteral("-raw"), 2);
    for (const QString& file : {backup, shop, shop + QStringLiteral("-raw")}) QFile::remove(file);
    Report("restore", ours, raw);
}

// Six bytes overwritten in the middle of the file: the time from start until the background
// check reports it, while the desk scans a line after another; beside it the scans' times.
void DamageScenario(const QString& path, int) {
    const QString damaged = QFileInfo(path).absolutePath() + QStringLiteral("/bench-damaged.mdb");
    QFile::remove(damaged);
    QFile::copy(path, damaged);
    {
        QFile file(damaged);
        file.open(QIODevice::ReadWrite);
        file.seek(file.size() / 2 + 100);
        file.write("XXXXXX", 6);
    }
    Desk desk(damaged);
    IntegrityWatch watch;
    bool found = false, done = false;
    QObject::connect(&watch, &IntegrityWatch::Damaged, &watch, [&](const QString&) { found = true; });
    QObject::connect(&watch, &IntegrityWatch::Finished, &watch, [&] { done = true; });
    QElapsedTimer clock;
    clock.start();
    watch.Start(damaged);
    std::vector<double> scans;
    while (!done) {
        QElapsedTimer scan;
        scan.start();
        desk.Scan(desk.RandomCode());
        scans.push_back(double(scan.nsecsElapsed()) / 1e6);
        if (desk.Lines() > 50) desk.form->ClearOpenSale();
        QCoreApplication::processEvents();
    }
    const double reported = double(clock.nsecsElapsed()) / 1e6;
    fprintf(stderr, "damage: %s after %.0f ms, %zu scans meanwhile\n", found ? "reported" : "NOT reported",
            reported, scans.size());
    desk.dm.Close();
    QFile::remove(damaged);
    const Timing scanning = Summarise(scans);
    Report("damage", Timing{reported, reported}, scanning);
}

// The slip of a 200-line open sale: from the click on "销售单" until its preview has painted the
// first page (the layout is made once, at the click).
void SlipScenario(const QString& path, int runs) {
    Desk desk(path);
    desk.form->ClearOpenSale();
    while (desk.Lines() < 200) desk.Scan(desk.RandomCode());
    TForm2* slip = desk.form->Form2();
    const Timing ours = Measure(
        runs, [&](int) { slip->close(); },
        [&](int) {
            desk.form->ToolButton(QStringLiteral("slipButton"))->click();
            slip->grab();
        });
    if (slip->Pages().size() < 6) fprintf(stderr, "slip: only %d pages\n", int(slip->Pages().size()));
    slip->close();
    desk.dm.Close();

    RawEngine raw(path);
    const Timing engine = Measure(
        runs, [](int) {}, [&](int) { raw.Run("select * from data order by id"); });
    Report("slip", ours, engine);
}

// What each settlement does to config.ini (read it, write it back whole), when other tools have
// filled it with 60 000 keys; the raw figure reads and writes the same bytes.
void ConfigScenario(const QString& path, int runs) {
    const QString config = QFileInfo(path).absolutePath() + QStringLiteral("/config-60000.ini");
    {
        IniFile ini(config);
        for (int i = 0; i < 60000; ++i)
            ini.SetValue(QStringLiteral("extra"), QStringLiteral("k%1").arg(i), QString::number(i));
        if (!ini.Save()) fprintf(stderr, "config: cannot write %s\n", qPrintable(config));
    }
    SaleCounters counters(config);
    const Timing ours = Measure(
        runs, [](int) {},
        [&](int) {
            counters.Load();
            counters.Save();
        });
    const Timing raw = Measure(
        runs, [](int) {},
        [&](int) {
            QFile in(config);
            in.open(QIODevice::ReadOnly);
            const QByteArray bytes = in.readAll();
            in.close();
            QSaveFile out(config);
            out.open(QIODevice::WriteOnly);
            out.write(bytes);
            out.commit();
        });
    Report("config", ours, raw);
}

using Scenario = void (*)(const QString&, int);
const std::map<QString, Scenario>& Scenarios() {
    static const std::map<QString, Scenario> scenarios = {
        {QStringLiteral("scan"), ScanScenario},
        {QStringLiteral("settle"), SettleScenario},
        {QStringLiteral("products"), ProductScenarios},
        {QStringLiteral("lookup"), LookupScenario},
        {QStringLiteral("startup"), StartupScenario},
        {QStringLiteral("slip"), SlipScenario},
        {QStringLiteral("config"), ConfigScenario},
        {QStringLiteral("grid"), GridScenario},
        {QStringLiteral("outputs"), ListOutputScenarios},
        {QStringLiteral("history-export"), HistoryExportScenario},
        {QStringLiteral("import-xlsx"), ImportXlsxScenario},
        {QStringLiteral("import-xls"), ImportXlsScenario},
        {QStringLiteral("write-xlsx"), WriteXlsxChild},
        {QStringLiteral("sales-upgrade"), UpgradeScenario},
        {QStringLiteral("sales"), SalesScenarios},
        {QStringLiteral("backup"), BackupScenario},
        {QStringLiteral("restore"), RestoreScenario},
        {QStringLiteral("damage"), DamageScenario},
        {QStringLiteral("startup-child"), StartupChild}};
    return scenarios;
}

struct Row {
    const char* scenario;
    const char* result;
    const char* title;
};
const Row kRows[] = {{"scan", "scan", "scan to line (50-line sale)"},
                     {"settle", "settle", "settle a 30-line sale"},
                     {"products", "products-all", "product window 全部记录"},
                     {"products", "products-search", "product search by name"},
                     {"lookup", "lookup", "product lookup opening"},
                     {"lookup", "lookup-pinyin", "product lookup keystroke, pinyin code"},
                     {"startup", "startup", "startup to the login window"},
                     {"slip", "slip", "slip preview (200-line sale)"},
                     {"config", "config", "config.ini of 60 000 keys, read+write"},
                     {"grid", "grid-load", "list grid: 100 000 rows and footers"},
                     {"grid", "grid-sort", "list grid: title-click sort"},
                     {"grid", "grid-walk", "list grid: walk of 100 000 rows"},
                     {"outputs", "export", "product list export to .xlsx"},
                     {"outputs", "paginate", "product report pagination"},
                     {"outputs", "preview", "product report preview, first page"},
                     {"history-export", "history-export", "export of every sales line"},
                     {"import-xlsx", "import-xlsx", "import 100 000 rows of .xlsx"},
                     {"import-xls", "import-xls", "import 65 535 rows of .xls"},
                     {"sales-upgrade", "sales-upgrade", "upgrade: category index"},
                     {"sales", "sales-open", "sales window opening"},
                     {"sales", "sales-today", "sales 当 天"},
                     {"sales", "sales-pick", "sales pick of one sale"},
                     {"sales", "sales-search", "sales name search in a month"},
                     {"sales", "sales-all", "sales 全部记录"},
                     {"sales", "sales-monthly", "sales monthly chart"},
                     {"sales", "sales-daily", "sales daily chart"},
                     {"backup", "backup", "backup with its check"},
                     {"restore", "restore", "restore with its check"},
                     {"damage", "damage", "damage found after start"}};

int RunChild(const QStringList& args) {
    const auto it = Scenarios().find(args.value(0));
    if (it == Scenarios().end()) return 2;
    QuantityOne responder;
    Dialogs::SetResponder(&responder);
    it->second(args.value(1), args.value(2).toInt());
    return 0;
}

int RunAll(const QString& database, int runs, const QStringList& only) {
    if (!QFileInfo::exists(database)) {
        fprintf(stderr, "pos-bench: no database %s (make one with posdb synth)\n", qPrintable(database));
        return 1;
    }
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("data.mdb"));
    if (!QFile::copy(database, copy)) {
        fprintf(stderr, "pos-bench: cannot copy %s\n", qPrintable(database));
        return 1;
    }
    // The copy's pages must reach the disk first, or every durable commit waits for them.
    ::sync();
    Out() << "database: " << database << " (" << QFileInfo(database).size() / (1024 * 1024) << " MiB), "
          << runs << " runs each\n\n";
    Out() << QStringLiteral("%1 %2 %3 %4 %5 %6 %7\n")
                 .arg(QStringLiteral("operation"), -30)
                 .arg(QStringLiteral("median ms"), 10)
                 .arg(QStringLiteral("p90 ms"), 8)
                 .arg(QStringLiteral("raw median"), 11)
                 .arg(QStringLiteral("raw p90"), 8)
                 .arg(QStringLiteral("ratio"), 6)
                 .arg(QStringLiteral("peak MiB"), 9);
    int failures = 0;
    std::map<QString, QString> output;  // scenario → what its child printed
    for (const Row& row : kRows) {
        const QString scenario = QLatin1String(row.scenario);
        if (!only.isEmpty() && std::none_of(only.begin(), only.end(), [&](const QString& prefix) {
                return scenario.startsWith(prefix);
            }))
            continue;
        if (!output.count(scenario)) {
            QProcess child;
            child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            child.start(QCoreApplication::applicationFilePath(),
                        {QStringLiteral("--child"), scenario, copy, QString::number(runs)});
            child.waitForFinished(-1);
            output[scenario] =
                child.exitCode() == 0 ? QString::fromUtf8(child.readAllStandardOutput()) : QString();
        }
        const QString key = QStringLiteral("RESULT %1 ").arg(QLatin1String(row.result));
        const qsizetype at = output[scenario].indexOf(key);
        if (at < 0) {
            Out() << QString::fromUtf8(row.title) << ": failed\n";
            ++failures;
            continue;
        }
        const QStringList f = output[scenario].mid(at).section(u'\n', 0, 0).split(u' ', Qt::SkipEmptyParts);
        const double ours = f[2].toDouble(), raw = f[4].toDouble();
        Out() << QStringLiteral("%1 %2 %3 %4 %5 %6 %7\n")
                     .arg(QString::fromUtf8(row.title), -30)
                     .arg(ours, 10, 'f', 2)
                     .arg(f[3].toDouble(), 8, 'f', 2)
                     .arg(raw, 11, 'f', 2)
                     .arg(f[5].toDouble(), 8, 'f', 2)
                     .arg(raw > 0 ? ours / raw : 0, 6, 'f', 1)
                     .arg(f[6].trimmed(), 9);
        Out().flush();
    }
    return failures ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QString runtime = QDir::temp().filePath(QStringLiteral("pos-bench-runtime"));
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    }
    TApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.value(0) == QLatin1String("--child")) return RunChild(args.mid(1));
    if (args.isEmpty()) {
        fprintf(stderr, "usage: pos-bench DATABASE [--runs N] [--only SCENARIO-PREFIX,...]\n");
        return 2;
    }
    const qsizetype runsAt = args.indexOf(QStringLiteral("--runs")),
                    onlyAt = args.indexOf(QStringLiteral("--only"));
    const int runs = runsAt > 0 ? qMax(5, args.value(runsAt + 1).toInt()) : 200;
    const QStringList only =
        onlyAt > 0 ? args.value(onlyAt + 1).split(u',', Qt::SkipEmptyParts) : QStringList();
    return RunAll(args[0], runs, only);
}
