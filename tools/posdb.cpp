// posdb: creates, fills and checks shop databases from the command line.

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QFileInfo>
#include <QTextStream>
#include <cstdio>

#include "catalogue/PinyinFill.h"
#include "catalogue/ProductImport.h"
#include "common/Password.h"
#include "data/Connection.h"
#include "data/Errors.h"
#include "data/Schema.h"
#include "maintenance/Backup.h"
#include "tools/DemoData.h"
#include "tools/Synth.h"

namespace {

QTextStream& Out() {
    static QTextStream out(stdout);
    return out;
}
QTextStream& Err() {
    static QTextStream err(stderr);
    return err;
}

int Usage() {
    Err()
        << "usage: posdb create FILE      a new empty database with the super administrator\n"
           "       posdb demo FILE        a new database with demo products and sales\n"
           "       posdb check FILE       integrity check and the row count of each table\n"
           "       posdb pinyin FILE      fills the missing pinyin search codes of the products\n"
           "       posdb backup DATABASE TARGET   a checked, encrypted copy of the database\n"
           "       posdb restore SOURCE DATABASE  puts a checked backup in place of the database\n"
           "       posdb synth FILE [--products N] [--sales M] [--lines-per-sale K] [--months P] [--seed S]\n"
           "                              a new database with made-up data for measuring\n"
           "       posdb import WORKBOOK DATABASE\n"
           "                              appends the products of the workbook's sheet tavlin, all or none\n";
    return 2;
}

void Create(const QString& path) { CreateDatabase(path, HashPassword(QLatin1String(kDefaultPassword))); }

int Check(const QString& path) {
    if (!QFileInfo::exists(path)) throw EDatabaseError(QStringLiteral("找不到数据库文件：%1").arg(path));
    Connection db;
    db.Open(path);
    const QString integrity = db.Scalar(QStringLiteral("pragma integrity_check")).toString();
    Out() << "integrity: " << integrity << "\n";
    Out() << "schema version: " << db.Scalar(QStringLiteral("pragma user_version")).toInt() << "\n";
    for (const char* const* table = TableNames(); *table; ++table) {
        const QString name = QString::fromLatin1(*table);
        Out() << name << ": "
              << db.Scalar(QStringLiteral("select count(*) from \"%1\"").arg(name)).toLongLong() << "\n";
    }
    return integrity == QLatin1String("ok") ? 0 : 1;
}

int Pinyin(const QString& path) {
    if (!QFileInfo::exists(path)) throw EDatabaseError(QStringLiteral("找不到数据库文件：%1").arg(path));
    Connection db;
    db.Open(path);
    Out() << "filled the pinyin codes of " << FillMissingPinyin(db) << " products\n";
    return 0;
}

// The same work as the backup window, for a scheduled job: the reason on standard error.
int Copy(const QString& command, const QStringList& args) {
    if (args.size() != 2) return Usage();
    const auto progress = [](Backup::Phase phase, qint64 done, qint64 total) {
        Err() << (phase == Backup::Phase::Copy ? "copying " : "checking ")
              << (total > 0 ? done * 100 / total : 0) << "%   \r" << Qt::flush;
        return true;
    };
    const bool backup = command == QLatin1String("backup");
    const Backup::Outcome outcome =
        backup ? Backup::BackupDatabase(args[0], args[1], progress)
               : Backup::RestoreDatabase(args[0], args[1], QDateTime::currentDateTime(), progress);
    Err() << "\n";
    if (!outcome.ok()) {
        Err() << "posdb: " << (backup ? "backup" : "restore") << " failed: " << outcome.reason << "\n";
        return 1;
    }
    Out() << (backup ? "backed up " : "restored ") << args[0] << " to " << args[1] << "\n";
    if (!outcome.safetyCopy.isEmpty())
        Out() << "the replaced database is kept as " << outcome.safetyCopy << "\n";
    return 0;
}

int Synth(const QString& path, const QStringList& flags) {
    SynthOptions options;
    for (int i = 0; i < flags.size(); i += 2) {
        bool ok = i + 1 < flags.size();
        const qint64 value = ok ? flags[i + 1].toLongLong(&ok) : 0;
        if (!ok || value < 0) {
            Err() << "posdb: " << flags[i] << " needs a whole number\n";
            return 2;
        }
        const QString& flag = flags[i];
        if (flag == QLatin1String("--products"))
            options.products = value;
        else if (flag == QLatin1String("--sales"))
            options.sales = value;
        else if (flag == QLatin1String("--lines-per-sale"))
            options.linesPerSale = int(value);
        else if (flag == QLatin1String("--months"))
            options.months = qMax(1, int(value));
        else if (flag == QLatin1String("--seed"))
            options.seed = quint32(value);
        else
            return Usage();
    }
    Create(path);
    Connection db;
    db.Open(path);
    FillSynthetic(db, options, [](const QString& line) { Err() << line << "\r" << Qt::flush; });
    Err() << "\n";
    Out() << "created synthetic database " << path << "\n";
    return 0;
}

// The import window's import, for shops that script their data.
int Import(const QStringList& args) {
    if (args.size() != 2) return Usage();
    const ImportOutcome outcome = ImportProducts(args[0], args[1]);
    if (outcome.status != ImportOutcome::Status::Imported) {
        Err() << "posdb: " << ImportMessage(outcome) << "\n";
        return 1;
    }
    Out() << "imported " << outcome.added << " products\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2) return Usage();
    const QString& command = args[0];
    const QString& path = args[1];
    try {
        if (command == QLatin1String("create")) {
            Create(path);
            Out() << "created " << path << "\n";
            return 0;
        }
        if (command == QLatin1String("demo")) {
            Create(path);
            Connection db;
            db.Open(path);
            FillDemoData(db, QDate::currentDate());
            Out() << "created demo database " << path << "\n";
            return 0;
        }
        if (command == QLatin1String("check")) return Check(path);
        if (command == QLatin1String("pinyin")) return Pinyin(path);
        if (command == QLatin1String("synth")) return Synth(path, args.mid(2));
        if (command == QLatin1String("backup") || command == QLatin1String("restore"))
            return Copy(command, args.mid(1));
        if (command == QLatin1String("import")) return Import(args.mid(1));
        return Usage();
    } catch (const EPosError& error) {
        Err() << "posdb: " << error.Message() << "\n";
        return 1;
    } catch (const std::exception& error) {
        Err() << "posdb: " << error.what() << "\n";
        return 1;
    }
}
