// Backup and restore on real encrypted files: what a backup holds and how it is protected, what
// a restore refuses without touching the shop's file, and what it keeps when it does replace it.

#include <sqlcipher/sqlite3.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "data/Connection.h"
#include "data/Errors.h"
#include "data/Schema.h"
#include "maintenance/Backup.h"
#include "tests/support/TestDatabase.h"

using namespace Backup;

namespace {

QByteArray Digest(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return "missing";
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

QByteArray Head(const QString& path, int bytes) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(bytes) : QByteArray();
}

void AddSale(Connection& db, const QString& number) {
    db.Exec(QStringLiteral("insert into data3 (a,b,\"1\",day1) values (?,'收银员',10,'2026-12-11')"),
            {number});
}

qint64 Sales(const QString& path) {
    Connection db;
    db.Open(path);
    return db.Scalar(QStringLiteral("select count(*) from data3")).toLongLong();
}

// Overwrites six bytes in the middle of the file, as a failing disk would.
void Damage(const QString& path) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    file.seek(file.size() / 2 + 100);
    file.write("XXXXXX", 6);
}

// Enough rows that the file has many pages, so damage in the middle hits table data.
void Fill(Connection& db, int sales) {
    Transaction transaction(db);
    for (int i = 0; i < sales; ++i)
        db.Exec(
            QStringLiteral("insert into data1 (a,c,h,\"2\",\"6\",day1) values (?,?,?,1,9.5,'2026-12-11')"),
            {QStringLiteral("商品%1 很长的名字用来占地方").arg(i),
             QStringLiteral("69%1").arg(i, 11, 10, QChar(u'0')), QStringLiteral("SYY%1").arg(i)});
    transaction.Commit();
}

bool Writable(const QString& path, const QByteArray& content) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
}

// A file with the schema, encrypted with another key, or not at all.
void MakeForeignDatabase(const QString& path, const char* key) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                    nullptr);
    if (key) sqlite3_key(db, key, int(strlen(key)));
    sqlite3_exec(db,
                 "create table sp(x); create table data(x); create table data1(x); create table data3(x);"
                 "create table userdb(x); create table rz(x);",
                 nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

}  // namespace

class BackupTest : public QObject {
    Q_OBJECT
private slots:
    void backupIsEncryptedCheckedAndHoldsUncheckpointedSales();
    void cancelledOrFailedBackupLeavesTheOldOne();
    void liveFileIsRefusedAsTargetAndSource_data();
    void liveFileIsRefusedAsTargetAndSource();
    void restoreRefusesWhatIsNoSoundBackup_data();
    void restoreRefusesWhatIsNoSoundBackup();
    void restoreBringsBackRowsAndKeepsTheReplacedFile();
    void restoreKeepsACrashedDatabaseWithItsLogAndNeverReplaysIt();
    void restoreOntoAMissingOrDamagedDatabase();
    void restoreRefusedWhileAnotherProgramHasTheDatabaseOpen();
    void autoBackupGoesBesideTheBackupAndKeepsThirty();
};

void BackupTest::backupIsEncryptedCheckedAndHoldsUncheckpointedSales() {
    TestDatabase t;
    AddSale(t.db(), QStringLiteral("A1"));
    AddSale(t.db(), QStringLiteral("A2"));
    // The desk's connection stays open: its commits are still in the -wal file.
    QVERIFY(QFileInfo(t.Path() + QStringLiteral("-wal")).size() > 0);
    const QString target = t.Folder() + QStringLiteral("/备份/beifen.mdb");
    QDir().mkpath(QFileInfo(target).absolutePath());
    int reports = 0;
    {
        // Another program in the middle of reading: the log cannot be emptied first, so the
        // engine copies page by page.
        Connection reader;
        reader.Open(t.Path());
        reader.Exec(QStringLiteral("begin"));
        reader.Scalar(QStringLiteral("select count(*) from data3"));
        const Outcome outcome =
            BackupDatabase(t.Path(), target, [&](Phase, qint64, qint64) { return ++reports > 0; });
        QVERIFY2(outcome.ok(), qPrintable(outcome.reason));
        QVERIFY(QFileInfo(t.Path() + QStringLiteral("-wal")).size() > 0);
    }
    QCOMPARE(Sales(target), 2);
    AddSale(t.db(), QStringLiteral("A3"));
    const QString plain = t.Folder() + QStringLiteral("/quiet.mdb");
    QVERIFY(BackupDatabase(t.Path(), plain).ok());
    QCOMPARE(Sales(plain), 3);
    QVERIFY(!Head(plain, 16).startsWith("SQLite format 3"));
    QVERIFY(CheckDatabaseFile(plain).isEmpty());
    QVERIFY(!Head(target, 16).startsWith("SQLite format 3"));
    QVERIFY(!QFileInfo::exists(target + QStringLiteral("-wal")));
    QVERIFY(!QFileInfo::exists(target + QStringLiteral(".partial")));
    QVERIFY(CheckDatabaseFile(target).isEmpty());
    Connection wrongKey;
    QVERIFY_THROWS_EXCEPTION(EDatabaseError,
                             wrongKey.Open(target, Connection::Mode::OpenExisting, "another"));
    QVERIFY(reports > 0);
}

void BackupTest::cancelledOrFailedBackupLeavesTheOldOne() {
    TestDatabase t;
    Fill(t.db(), 3000);
    AddSale(t.db(), QStringLiteral("OLD"));
    const QString target = t.Folder() + QStringLiteral("/beifen.mdb");
    QVERIFY(BackupDatabase(t.Path(), target).ok());
    const QByteArray good = Digest(target);
    AddSale(t.db(), QStringLiteral("NEW"));

    for (Phase stopIn : {Phase::Copy, Phase::Check}) {
        const Outcome cancelled = BackupDatabase(
            t.Path(), target, [stopIn](Phase phase, qint64, qint64) { return phase != stopIn; });
        QCOMPARE(cancelled.status, Outcome::Cancelled);
        QCOMPARE(Digest(target), good);
        QVERIFY(!QFileInfo::exists(target + QStringLiteral(".partial")));
    }

    t.dm().Close();
    Damage(t.Path());
    const Outcome failed = BackupDatabase(t.Path(), target);
    QCOMPARE(failed.status, Outcome::Failed);
    QVERIFY(failed.damaged);
    QCOMPARE(Digest(target), good);
    QCOMPARE(Sales(target), 1);
}

void BackupTest::liveFileIsRefusedAsTargetAndSource_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("the file") << QStringLiteral("data.mdb");
    QTest::newRow("by a detour") << QStringLiteral("sub/../data.mdb");
    QTest::newRow("its log") << QStringLiteral("data.mdb-wal");
    QTest::newRow("its shared memory") << QStringLiteral("data.mdb-shm");
    QTest::newRow("a link to it") << QStringLiteral("link.mdb");
    QTest::newRow("a hard link") << QStringLiteral("hard.mdb");
}

void BackupTest::liveFileIsRefusedAsTargetAndSource() {
    QFETCH(QString, name);
    TestDatabase t;
    AddSale(t.db(), QStringLiteral("A1"));
    QDir(t.Folder()).mkdir(QStringLiteral("sub"));
    QVERIFY(QFile::link(t.Path(), t.Folder() + QStringLiteral("/link.mdb")));
    QCOMPARE(::link(QFile::encodeName(t.Path()).constData(),
                    QFile::encodeName(t.Folder() + QStringLiteral("/hard.mdb")).constData()),
             0);
    const QString path = t.Folder() + u'/' + name;

    const Outcome backup = BackupDatabase(t.Path(), path);
    QCOMPARE(backup.status, Outcome::Failed);
    QVERIFY2(backup.reason.contains(QStringLiteral("正在使用的数据库")), qPrintable(backup.reason));
    t.dm().Close();
    const QByteArray closed = Digest(t.Path());
    const Outcome restore = RestoreDatabase(path, t.Path(), QDateTime::currentDateTime());
    QCOMPARE(restore.status, Outcome::Failed);
    QCOMPARE(Digest(t.Path()), closed);
    QCOMPARE(Sales(t.Path()), 1);
}

void BackupTest::restoreRefusesWhatIsNoSoundBackup_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("junk") << QStringLiteral("junk");
    QTest::newRow("empty file") << QStringLiteral("empty");
    QTest::newRow("truncated backup") << QStringLiteral("truncated");
    QTest::newRow("plaintext database") << QStringLiteral("plain");
    QTest::newRow("another key") << QStringLiteral("key");
    QTest::newRow("tables missing") << QStringLiteral("tables");
}

void BackupTest::restoreRefusesWhatIsNoSoundBackup() {
    QFETCH(QString, kind);
    TestDatabase t;
    Fill(t.db(), 2000);
    const QString source = t.Folder() + QStringLiteral("/source.mdb");
    if (kind == QLatin1String("junk")) {
        QVERIFY(Writable(source, QByteArray(300000, 'x')));
    } else if (kind == QLatin1String("empty")) {
        QVERIFY(Writable(source, {}));
    } else if (kind == QLatin1String("truncated")) {
        const QString whole = t.Folder() + QStringLiteral("/whole.mdb");
        QVERIFY(BackupDatabase(t.Path(), whole).ok());
        QFile file(whole);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(Writable(source, file.read(file.size() / 2)));
    } else if (kind == QLatin1String("plain")) {
        MakeForeignDatabase(source, nullptr);
        QVERIFY(Head(source, 16).startsWith("SQLite format 3"));
    } else if (kind == QLatin1String("key")) {
        MakeForeignDatabase(source, "another key");
    } else {
        Connection other;
        other.Open(source, Connection::Mode::CreateNew);
        other.ExecScript(QStringLiteral("create table sp(x);"));
    }
    AddSale(t.db(), QStringLiteral("LIVE"));
    t.dm().Close();
    const QByteArray before = Digest(t.Path());

    const Outcome outcome = RestoreDatabase(source, t.Path(), QDateTime::currentDateTime());
    QCOMPARE(outcome.status, Outcome::Failed);
    QVERIFY(!outcome.reason.isEmpty());
    QCOMPARE(Digest(t.Path()), before);
    QCOMPARE(
        QDir(t.Folder()).entryList({QStringLiteral("*恢复前*"), QStringLiteral("*.restoring*")}, QDir::Files),
        QStringList());
    QCOMPARE(Sales(t.Path()), 1);
}

void BackupTest::restoreBringsBackRowsAndKeepsTheReplacedFile() {
    TestDatabase t;
    AddSale(t.db(), QStringLiteral("BACKED-UP"));
    const QString backup = t.Folder() + QStringLiteral("/beifen.mdb");
    QVERIFY(BackupDatabase(t.Path(), backup).ok());
    AddSale(t.db(), QStringLiteral("LATER-1"));
    AddSale(t.db(), QStringLiteral("LATER-2"));
    t.dm().Close();

    const QDateTime when(QDate(2026, 12, 11), QTime(18, 5, 9));
    const Outcome outcome = RestoreDatabase(backup, t.Path(), when);
    QVERIFY2(outcome.ok(), qPrintable(outcome.reason));
    QCOMPARE(Sales(t.Path()), 1);
    QCOMPARE(QFileInfo(outcome.safetyCopy).fileName(), QStringLiteral("data-恢复前-20261211-180509.mdb"));
    QCOMPARE(Sales(outcome.safetyCopy), 3);
    QVERIFY(CheckDatabaseFile(t.Path()).isEmpty());

    // The same second again: the first safety copy is not overwritten.
    const Outcome again = RestoreDatabase(backup, t.Path(), when);
    QVERIFY(again.ok());
    QVERIFY(again.safetyCopy != outcome.safetyCopy);
    QCOMPARE(Sales(outcome.safetyCopy), 3);
}

void BackupTest::restoreKeepsACrashedDatabaseWithItsLogAndNeverReplaysIt() {
    TestDatabase t;
    AddSale(t.db(), QStringLiteral("BACKED-UP"));
    const QString backup = t.Folder() + QStringLiteral("/beifen.mdb");
    QVERIFY(BackupDatabase(t.Path(), backup).ok());
    AddSale(t.db(), QStringLiteral("ONLY-IN-LOG"));
    // What a program killed with sales still in its log leaves behind.
    QTemporaryDir crashed;
    const QString database = crashed.filePath(QStringLiteral("data.mdb"));
    QVERIFY(QFile::copy(t.Path(), database));
    QVERIFY(QFile::copy(t.Path() + QStringLiteral("-wal"), database + QStringLiteral("-wal")));
    QVERIFY(QFileInfo(database + QStringLiteral("-wal")).size() > 0);

    const Outcome outcome = RestoreDatabase(backup, database, QDateTime::currentDateTime());
    QVERIFY2(outcome.ok(), qPrintable(outcome.reason));
    QVERIFY(!QFileInfo::exists(database + QStringLiteral("-wal")) ||
            QFileInfo(database + QStringLiteral("-wal")).size() == 0);
    QCOMPARE(Sales(database), 1);
    QCOMPARE(Sales(outcome.safetyCopy), 2);
    QVERIFY(CheckDatabaseFile(database).isEmpty());
}

void BackupTest::restoreOntoAMissingOrDamagedDatabase() {
    TestDatabase t;
    Fill(t.db(), 3000);
    AddSale(t.db(), QStringLiteral("BACKED-UP"));
    const QString backup = t.Folder() + QStringLiteral("/beifen.mdb");
    QVERIFY(BackupDatabase(t.Path(), backup).ok());
    t.dm().Close();

    Damage(t.Path());
    QVERIFY(!CheckDatabaseFile(t.Path()).isEmpty());
    const Outcome damaged = RestoreDatabase(backup, t.Path(), QDateTime::currentDateTime());
    QVERIFY2(damaged.ok(), qPrintable(damaged.reason));
    QVERIFY(CheckDatabaseFile(t.Path()).isEmpty());
    QVERIFY(QFileInfo::exists(damaged.safetyCopy));

    QVERIFY(QFile::remove(t.Path()));
    const Outcome missing = RestoreDatabase(backup, t.Path(), QDateTime::currentDateTime().addSecs(1));
    QVERIFY2(missing.ok(), qPrintable(missing.reason));
    QVERIFY(missing.safetyCopy.isEmpty());
    QCOMPARE(Sales(t.Path()), 1);
}

void BackupTest::restoreRefusedWhileAnotherProgramHasTheDatabaseOpen() {
    TestDatabase t;
    const QString backup = t.Folder() + QStringLiteral("/beifen.mdb");
    QVERIFY(BackupDatabase(t.Path(), backup).ok());
    AddSale(t.db(), QStringLiteral("LIVE"));
    t.dm().Close();
    // The engine's own shell, holding the file open as the program would.
    QProcess shell;
    shell.start(QStringLiteral("sqlcipher"), {t.Path()});
    QVERIFY(shell.waitForStarted());
    shell.write("PRAGMA key='pelmok.zqa';\nselect count(*) from data3;\n");
    QVERIFY(shell.waitForReadyRead(20000));
    QVERIFY(InUseByAnotherProcess(t.Path()));
    const QByteArray before = Digest(t.Path());
    const Outcome outcome = RestoreDatabase(backup, t.Path(), QDateTime::currentDateTime());
    QCOMPARE(outcome.status, Outcome::Failed);
    QVERIFY2(outcome.reason.contains(QStringLiteral("另一个程序")), qPrintable(outcome.reason));
    QCOMPARE(Digest(t.Path()), before);
    shell.closeWriteChannel();
    QVERIFY(shell.waitForFinished(20000));
    QVERIFY(!InUseByAnotherProcess(t.Path()));
    QVERIFY(RestoreDatabase(backup, t.Path(), QDateTime::currentDateTime()).ok());
}

void BackupTest::autoBackupGoesBesideTheBackupAndKeepsThirty() {
    TestDatabase t;
    AddSale(t.db(), QStringLiteral("A1"));
    QCOMPARE(AutoBackupFolder({}, t.Path()), t.Folder() + QStringLiteral("/自动备份"));
    QCOMPARE(AutoBackupFolder(QStringLiteral("/media/u/x.mdb"), t.Path()),
             QStringLiteral("/media/u/自动备份"));
    // A Windows drive this machine does not have: beside the database instead.
    QCOMPARE(AutoBackupFolder(QStringLiteral("D:\\beifen.mdb"), t.Path()),
             t.Folder() + QStringLiteral("/自动备份"));

    const QString backupPath = t.Folder() + QStringLiteral("/u盘/beifen.mdb");
    const QString folder = AutoBackupFolder(backupPath, t.Path());
    QDir().mkpath(folder);
    const QDateTime first(QDate(2026, 11, 1), QTime(21, 0));
    for (int day = 0; day < 30; ++day)
        QVERIFY(Writable(QDir(folder).filePath(AutoBackupName(first.addDays(day))), "old"));
    QVERIFY(Writable(QDir(folder).filePath(QStringLiteral("owner's own.mdb")), "keep"));

    const QDateTime now(QDate(2026, 12, 11), QTime(21, 30, 5));
    const Outcome outcome = MakeAutoBackup(t.Path(), backupPath, now);
    QVERIFY2(outcome.ok(), qPrintable(outcome.reason));
    const QStringList kept = AutoBackups(folder);
    QCOMPARE(kept.size(), kKeepAutoBackups);
    QCOMPARE(QFileInfo(kept.first()).fileName(), QStringLiteral("beifen-20261211-213005.mdb"));
    QCOMPARE(QFileInfo(kept.last()).fileName(), AutoBackupName(first.addDays(1)));
    QCOMPARE(Sales(kept.first()), 1);
    QVERIFY(QFileInfo::exists(QDir(folder).filePath(QStringLiteral("owner's own.mdb"))));
}

QTEST_GUILESS_MAIN(BackupTest)
#include "tst_backup.moc"
