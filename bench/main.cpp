// pos-bench: how fast the desk is with a big shop's data. Each scenario runs in a child
// process of its own, through the program's own windows on the offscreen platform, so its
// peak memory is its own; beside each time stands the raw engine's time for the same SQL.

#include "app/MAIN.h"

#include <sys/resource.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalBlocker>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <cstdio>
#include <map>

#include "app/Program.h"
#include "bench/Bench.h"
#include "bench/RawEngine.h"
#include "catalogue/Unit1.h"
#include "catalogue/ys.h"
#include "checkout/PaymentPanel.h"
#include "common/Application.h"
#include "common/Dialogs.h"
#include "data/dm.h"
#include "maintenance/Backup.h"
#include "maintenance/IntegrityWatch.h"
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

    QLineEdit* name = products.CriteriaBox(QStringLiteral("商品名称"));
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
}

// The program itself, started in the shop folder: it says when its login window is up.
void StartupChild(const QString& path, int) {
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

using Scenario = void (*)(const QString&, int);
const std::map<QString, Scenario>& Scenarios() {
    static const std::map<QString, Scenario> scenarios = {
        {QStringLiteral("scan"), ScanScenario},         {QStringLiteral("settle"), SettleScenario},
        {QStringLiteral("products"), ProductScenarios}, {QStringLiteral("lookup"), LookupScenario},
        {QStringLiteral("startup"), StartupScenario},   {QStringLiteral("backup"), BackupScenario},
        {QStringLiteral("restore"), RestoreScenario},   {QStringLiteral("damage"), DamageScenario},
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
                     {"startup", "startup", "startup to the login window"},
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
        if (!only.isEmpty() && !only.contains(scenario)) continue;
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
        fprintf(stderr, "usage: pos-bench DATABASE [--runs N] [--only scenario,...]\n");
        return 2;
    }
    const qsizetype runsAt = args.indexOf(QStringLiteral("--runs")),
                    onlyAt = args.indexOf(QStringLiteral("--only"));
    const int runs = runsAt > 0 ? qMax(5, args.value(runsAt + 1).toInt()) : 200;
    const QStringList only =
        onlyAt > 0 ? args.value(onlyAt + 1).split(u',', Qt::SkipEmptyParts) : QStringList();
    return RunAll(args[0], runs, only);
}
