#include "maintenance/Backup.h"

#include <fcntl.h>
#include <sqlcipher/sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <atomic>
#include <chrono>
#include <thread>

#include "data/Connection.h"
#include "data/Errors.h"
#include "data/Schema.h"

namespace Backup {

namespace {

// A failure with the reason the user reads; `damaged` when the shop's database itself is.
struct Failure {
    QString reason;
    bool damaged = false;
};
struct Cancelled {};

constexpr qint64 kChunk = 1 << 20;
constexpr int kProgressMs = 100;

QString Native(const QString& path) { return QDir::toNativeSeparators(path); }

// Calls the progress function at most every kProgressMs, and turns "stop" into Cancelled.
class Reporter {
public:
    explicit Reporter(const ProgressFn& progress) : m_progress(progress) {}
    void operator()(Phase phase, qint64 done, qint64 total) {
        // The first report of each phase goes out at once, then a few a second.
        if (!m_progress || (phase == m_phase && m_timer.isValid() && m_timer.elapsed() < kProgressMs)) return;
        m_phase = phase;
        m_timer.start();
        if (!m_progress(phase, done, total)) throw Cancelled{};
    }

private:
    const ProgressFn& m_progress;
    Phase m_phase = Phase::Copy;
    QElapsedTimer m_timer;
};

QString EngineReason(int code, const QString& detail) {
    switch (code & 0xff) {
        case SQLITE_NOTADB:
            return QStringLiteral("不是本软件的数据库文件，或者密码不对（%1）").arg(detail);
        case SQLITE_CORRUPT:
            return QStringLiteral("数据库文件已损坏（%1）").arg(detail);
        case SQLITE_FULL:
            return QStringLiteral("磁盘已满（%1）").arg(detail);
        case SQLITE_CANTOPEN:
            return QStringLiteral("无法打开文件（%1）").arg(detail);
        case SQLITE_IOERR:
            return QStringLiteral("读写文件出错（%1）").arg(detail);
        case SQLITE_READONLY:
        case SQLITE_PERM:
            return QStringLiteral("没有写入权限（%1）").arg(detail);
        default:
            return detail;
    }
}

// One keyed engine connection of our own, without the desk's settings (no journal change).
class Db {
public:
    Db(const QString& path, bool create) {
        const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
        const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, flags, nullptr);
        if (rc != SQLITE_OK) Fail(rc);
        sqlite3_extended_result_codes(m_db, 1);
        sqlite3_busy_timeout(m_db, 5000);
        if (sqlite3_key(m_db, kDatabaseKey, int(strlen(kDatabaseKey))) != SQLITE_OK) Fail();
        // A wrong key or a file that is no database only shows at the first read.
        Exec("select count(*) from sqlite_master");
    }
    ~Db() { sqlite3_close_v2(m_db); }
    Db(const Db&) = delete;
    Db& operator=(const Db&) = delete;

    // Runs statements; returns the first column of every row.
    QStringList Exec(const char* sql) {
        QStringList rows;
        char* error = nullptr;
        const int rc = sqlite3_exec(
            m_db, sql,
            [](void* out, int columns, char** values, char**) {
                if (columns > 0)
                    static_cast<QStringList*>(out)->append(QString::fromUtf8(values[0] ? values[0] : ""));
                return 0;
            },
            &rows, &error);
        if (rc != SQLITE_OK) {
            const QString detail = QString::fromUtf8(error ? error : sqlite3_errmsg(m_db));
            sqlite3_free(error);
            throw Failure{EngineReason(sqlite3_extended_errcode(m_db), detail)};
        }
        return rows;
    }
    [[noreturn]] void Fail(int rc = 0) const {
        const int code = m_db ? sqlite3_extended_errcode(m_db) : rc;
        const QString detail = QString::fromUtf8(m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc));
        throw Failure{EngineReason(code ? code : rc, detail)};
    }
    sqlite3* handle() const { return m_db; }

private:
    sqlite3* m_db = nullptr;
};

qint64 FileSize(const QString& path) { return QFileInfo(path).exists() ? QFileInfo(path).size() : -1; }

void RemoveFile(const QString& path) {
    if (QFileInfo::exists(path) && !QFile::remove(path))
        throw Failure{QStringLiteral("无法删除文件 %1").arg(Native(path))};
}

void RemoveWithSidecars(const QString& path) {
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) RemoveFile(path + QLatin1String(suffix));
}

// Removes the temporary file and its engine files when the work did not get to rename it.
class TemporaryName {
public:
    explicit TemporaryName(QString path) : m_path(std::move(path)) { RemoveWithSidecars(m_path); }
    ~TemporaryName() {
        if (m_path.isEmpty()) return;
        for (const char* suffix : {"", "-journal", "-wal", "-shm"})
            QFile::remove(m_path + QLatin1String(suffix));
    }
    const QString& path() const { return m_path; }
    void Release() { m_path.clear(); }

private:
    QString m_path;
};

void SyncPath(const QString& path, bool folder) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), (folder ? O_RDONLY | O_DIRECTORY : O_RDWR) | O_CLOEXEC);
    if (fd < 0)
        throw Failure{
            QStringLiteral("无法打开 %1：%2").arg(Native(path), QString::fromLocal8Bit(strerror(errno)))};
    const int rc = ::fsync(fd);
    const int error = errno;
    ::close(fd);
    if (rc != 0)
        throw Failure{
            QStringLiteral("无法写入磁盘 %1：%2").arg(Native(path), QString::fromLocal8Bit(strerror(error)))};
}

// Renames within one folder, then makes the new name durable.
void RenameDurably(const QString& from, const QString& to) {
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        throw Failure{QStringLiteral("无法把 %1 改名为 %2：%3")
                          .arg(Native(from), Native(to), QString::fromLocal8Bit(strerror(errno)))};
    SyncPath(QFileInfo(to).absolutePath(), true);
}

// A byte copy that reaches the disk before it returns.
void CopySynced(const QString& from, const QString& to, Reporter& report) {
    QFile in(from), out(to);
    if (!in.open(QIODevice::ReadOnly))
        throw Failure{QStringLiteral("无法读取 %1：%2").arg(Native(from), in.errorString())};
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw Failure{QStringLiteral("无法写入 %1：%2").arg(Native(to), out.errorString())};
    const qint64 total = in.size();
    QByteArray buffer(kChunk, Qt::Uninitialized);
    qint64 done = 0;
    for (;;) {
        const qint64 got = in.read(buffer.data(), kChunk);
        if (got < 0) throw Failure{QStringLiteral("无法读取 %1：%2").arg(Native(from), in.errorString())};
        if (got == 0) break;
        if (out.write(buffer.constData(), got) != got)
            throw Failure{QStringLiteral("无法写入 %1：%2").arg(Native(to), out.errorString())};
        done += got;
        report(Phase::Copy, done, total);
    }
    if (!out.flush() || ::fsync(out.handle()) != 0)
        throw Failure{QStringLiteral("无法写入磁盘 %1：%2").arg(Native(to), out.errorString())};
}

// The device and inode of an existing file, or its absolute path with the folder resolved.
QString Identity(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) == 0)
        return QStringLiteral("inode:%1:%2").arg(info.st_dev).arg(info.st_ino);
    const QFileInfo file(path);
    const QString folder = QFileInfo(file.absolutePath()).canonicalFilePath();
    return (folder.isEmpty() ? file.absolutePath() : folder) + u'/' + file.fileName();
}

// A path like "D:\beifen.mdb" names a Windows drive this machine does not have.
QString DriveProblem(const QString& path) {
    static const QRegularExpression drive(QStringLiteral("^([A-Za-z]:)[\\\\/]"));
    const auto match = drive.match(path);
    return match.hasMatch() ? QStringLiteral("找不到驱动器 %1，请改用本机上的文件夹").arg(match.captured(1))
                            : QString();
}

// Bytes a thread has read from files so far; -1 where the system does not say. The engine
// reports no progress inside its check, but the check reads every page once.
qint64 BytesReadBy(pid_t thread) {
    QFile io(QStringLiteral("/proc/self/task/%1/io").arg(thread));
    if (!io.open(QIODevice::ReadOnly)) return -1;
    const QByteArray text = io.readAll();
    const qsizetype at = text.indexOf("rchar:");
    return at < 0 ? -1 : text.mid(at + 6, text.indexOf('\n', at) - at - 6).trimmed().toLongLong();
}

// Runs the engine's check while another thread reports its progress from what it has read,
// and interrupts it when the progress function says stop.
QStringList RunCheck(Db& db, qint64 bytes, Reporter& report) {
    const pid_t self = pid_t(::gettid());
    const qint64 start = BytesReadBy(self);
    std::atomic<bool> finished{false}, cancelled{false};
    std::thread watcher([&] {
        while (!finished) {
            std::this_thread::sleep_for(std::chrono::milliseconds(kProgressMs));
            if (finished) break;
            const qint64 read = start < 0 ? 0 : BytesReadBy(self) - start;
            try {
                report(Phase::Check, qBound(qint64(0), read, bytes), start < 0 ? 0 : bytes);
            } catch (const Cancelled&) {
                cancelled = true;
                sqlite3_interrupt(db.handle());
                break;
            }
        }
    });
    QStringList result;
    try {
        result = db.Exec("pragma quick_check");
    } catch (...) {
        finished = true;
        watcher.join();
        if (cancelled) throw Cancelled{};
        throw;
    }
    finished = true;
    watcher.join();
    if (cancelled) throw Cancelled{};
    return result;
}

// Throws Failure (or Cancelled) unless the file is a sound shop database.
// `standalone`: the file is a fresh copy of ours, to be left as one file that needs no -wal
// beside it (a byte copy carries the database's WAL mark). Never for a file in use.
void Check(const QString& path, Reporter& report, bool standalone = false) {
    Db db(path, false);
    if (standalone) db.Exec("pragma journal_mode=delete");
    const QStringList tables = db.Exec("select name from sqlite_master where type='table'");
    QStringList missing;
    for (const char* const* table = TableNames(); *table; ++table)
        if (!tables.contains(QLatin1String(*table))) missing << QLatin1String(*table);
    if (!missing.isEmpty())
        throw Failure{
            QStringLiteral("不是本软件的数据库：缺少数据表 %1").arg(missing.join(QStringLiteral(", ")))};
    // A small page cache: memory stays low whatever the file's size.
    db.Exec("pragma cache_size=-4000");
    const qint64 bytes = QFileInfo(path).size();
    report(Phase::Check, 0, bytes);
    const QStringList result = RunCheck(db, bytes, report);
    if (result != QStringList{QStringLiteral("ok")}) {
        QStringList shown = result.mid(0, 3);
        if (result.size() > 3) shown << QStringLiteral("…（共 %1 处问题）").arg(result.size());
        throw Failure{QStringLiteral("结构检查发现问题：%1").arg(shown.join(u'\n'))};
    }
}

// The engine's snapshot of `database`, encrypted with the same key, into `copy`.
void CopySnapshot(const QString& database, const QString& copy, Reporter& report) {
    Db source(database, false);
    // Bring the file up to date with its log; this only completes while nobody else reads.
    try {
        source.Exec("pragma wal_checkpoint(TRUNCATE)");
    } catch (const Failure&) {
    }
    // One read transaction for the whole copy: every page comes from the same moment, however
    // long it takes and whoever else writes meanwhile.
    source.Exec("begin; select count(*) from sqlite_master;");
    if (FileSize(database + QStringLiteral("-wal")) <= 0) {
        // The log was empty when the transaction began, so the file alone is the snapshot, and
        // the engine lets nobody write into it while the transaction lasts: its encrypted bytes
        // are copied as they are, many times faster than page by page.
        CopySynced(database, copy, report);
        source.Exec("commit");
        return;
    }
    Db target(copy, true);
    sqlite3_backup* backup = sqlite3_backup_init(target.handle(), "main", source.handle(), "main");
    if (!backup) target.Fail();
    int rc = SQLITE_OK;
    try {
        do {
            rc = sqlite3_backup_step(backup, 1024);
            const qint64 pages = sqlite3_backup_pagecount(backup);
            const qint64 bytesPerPage = QFileInfo(database).size() / qMax<qint64>(1, pages);
            report(Phase::Copy, (pages - sqlite3_backup_remaining(backup)) * bytesPerPage,
                   pages * bytesPerPage);
        } while (rc == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED);
    } catch (const Cancelled&) {
        sqlite3_backup_finish(backup);
        throw;
    }
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE) {
        // A page of the database that cannot be read or decrypted stops the copy.
        const QString detail = QString::fromUtf8(sqlite3_errmsg(source.handle()));
        const int code = rc & 0xff;
        if (code == SQLITE_ERROR || code == SQLITE_CORRUPT || code == SQLITE_NOTADB)
            throw Failure{QStringLiteral("有数据页无法读取（%1）").arg(detail), true};
        throw Failure{EngineReason(rc, detail)};
    }
    source.Exec("commit");
    // The backup is one file that needs no -wal beside it.
    target.Exec("pragma journal_mode=delete");
}

// Keeps the file about to be replaced under a name of its own. The database is first brought
// up to date with what its -wal holds, so the kept file is whole without it.
QString KeepSafetyCopy(const QString& database, const QDateTime& now, Reporter& report) {
    if (!QFileInfo::exists(database)) return {};
    const QFileInfo info(database);
    QString safety;
    for (int n = 1; safety.isEmpty() || QFileInfo::exists(safety); ++n)
        safety = info.absoluteDir().filePath(
            QStringLiteral("%1-恢复前-%2%3.%4")
                .arg(info.completeBaseName(), now.toString(QStringLiteral("yyyyMMdd-hhmmss")),
                     n > 1 ? QStringLiteral("-%1").arg(n) : QString(),
                     info.suffix().isEmpty() ? QStringLiteral("mdb") : info.suffix()));
    const QString wal = database + QStringLiteral("-wal");
    if (FileSize(wal) > 0) {
        try {
            Db old(database, false);
            old.Exec("pragma wal_checkpoint(TRUNCATE)");
        } catch (const Failure&) {
            // A damaged database may not take its log; it is kept together with it below.
        }
    }
    if (FileSize(wal) > 0) {
        CopySynced(database, safety, report);
        CopySynced(wal, safety + QStringLiteral("-wal"), report);
    } else if (::link(QFile::encodeName(database).constData(), QFile::encodeName(safety).constData()) != 0) {
        CopySynced(database, safety, report);
    }
    SyncPath(info.absolutePath(), true);
    return safety;
}

Outcome Run(const std::function<void()>& work) {
    Outcome outcome;
    try {
        work();
        outcome.status = Outcome::Done;
    } catch (const Cancelled&) {
        outcome.status = Outcome::Cancelled;
        outcome.reason = QStringLiteral("已取消");
    } catch (const Failure& failure) {
        outcome.status = Outcome::Failed;
        outcome.reason = failure.reason;
        outcome.damaged = failure.damaged;
    }
    return outcome;
}

}  // namespace

QString DamagedMessage(const QString& detail) { return DamagedDatabaseMessage(detail); }

QString LiveFileRefusal(const QString& database, const QString& path) {
    const QString given = Identity(path);
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        if (given == Identity(database + QLatin1String(suffix)))
            return QStringLiteral("%1 是正在使用的数据库文件本身，不能用作备份文件").arg(Native(path));
    return {};
}

bool InUseByAnotherProcess(const QString& database) {
    const int fd = ::open(QFile::encodeName(database).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    // Every engine connection holds a shared lock in this range while it has the file open in
    // WAL mode; the engine's lock bytes sit at 1 GiB, whatever the file's size.
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0x40000000;
    lock.l_len = 512;
    const bool locked = ::fcntl(fd, F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
    ::close(fd);
    return locked;
}

QString CheckDatabaseFile(const QString& path, const ProgressFn& progress, bool* cancelled) {
    Reporter report(progress);
    const Outcome outcome = Run([&] {
        if (!QFileInfo(path).isFile()) throw Failure{QStringLiteral("找不到文件 %1").arg(Native(path))};
        Check(path, report);
    });
    if (cancelled) *cancelled = outcome.status == Outcome::Cancelled;
    return outcome.ok() ? QString() : outcome.reason;
}

Outcome BackupDatabase(const QString& database, const QString& target, const ProgressFn& progress) {
    Reporter report(progress);
    return Run([&] {
        if (!QFileInfo(database).isFile())
            throw Failure{QStringLiteral("找不到数据库文件 %1").arg(Native(database))};
        if (QString problem = DriveProblem(target); !problem.isEmpty()) throw Failure{problem};
        if (QString refusal = LiveFileRefusal(database, target); !refusal.isEmpty()) throw Failure{refusal};
        const QFileInfo info(target);
        if (info.isDir())
            throw Failure{QStringLiteral("%1 是一个文件夹，请在后面加上文件名").arg(Native(target))};
        if (!info.absoluteDir().exists())
            throw Failure{QStringLiteral("文件夹不存在：%1").arg(Native(info.absolutePath()))};
        TemporaryName temporary(info.absoluteFilePath() + QStringLiteral(".partial"));
        CopySnapshot(database, temporary.path(), report);
        try {
            Check(temporary.path(), report, true);
        } catch (const Failure& failure) {
            // A copy that fails its check means a damaged database, unless the database
            // itself checks sound (then the target disk is at fault).
            bool stopped = false;
            const QString original = CheckDatabaseFile(database, {}, &stopped);
            if (!original.isEmpty()) throw Failure{original, true};
            throw Failure{QStringLiteral("备份文件校验没有通过：%1").arg(failure.reason)};
        }
        SyncPath(temporary.path(), false);
        RenameDurably(temporary.path(), info.absoluteFilePath());
        temporary.Release();
    });
}

Outcome RestoreDatabase(const QString& source, const QString& database, const QDateTime& now,
                        const ProgressFn& progress) {
    Reporter report(progress);
    QString safety;
    Outcome outcome = Run([&] {
        if (!QFileInfo(source).isFile())
            throw Failure{QStringLiteral("找不到备份文件 %1").arg(Native(source))};
        if (QString refusal = LiveFileRefusal(database, source); !refusal.isEmpty())
            throw Failure{QStringLiteral("%1 是正在使用的数据库文件本身，不能用来恢复").arg(Native(source))};
        const QFileInfo info(database);
        if (!info.absoluteDir().exists())
            throw Failure{QStringLiteral("文件夹不存在：%1").arg(Native(info.absolutePath()))};
        if (InUseByAnotherProcess(database))
            throw Failure{QStringLiteral("数据库 %1 正被另一个程序使用（收银软件还开着？），请先关闭它")
                              .arg(Native(database))};
        TemporaryName temporary(info.absoluteFilePath() + QStringLiteral(".restoring"));
        CopySynced(source, temporary.path(), report);
        try {
            Check(temporary.path(), report);
        } catch (const Failure& failure) {
            throw Failure{QStringLiteral("备份文件不能用：%1").arg(failure.reason)};
        }
        safety = KeepSafetyCopy(info.absoluteFilePath(), now, report);
        // The old file's log must never be replayed onto the restored file.
        RemoveFile(database + QStringLiteral("-wal"));
        RemoveFile(database + QStringLiteral("-shm"));
        RemoveFile(database + QStringLiteral("-journal"));
        RenameDurably(temporary.path(), info.absoluteFilePath());
        temporary.Release();
    });
    outcome.safetyCopy = safety;
    return outcome;
}

QString AutoBackupFolder(const QString& backupPath, const QString& database) {
    const bool usable = !backupPath.trimmed().isEmpty() && DriveProblem(backupPath).isEmpty();
    const QFileInfo beside(usable ? backupPath : database);
    return QDir(beside.absolutePath()).filePath(QStringLiteral("自动备份"));
}

QString AutoBackupName(const QDateTime& when) {
    return QStringLiteral("beifen-%1.mdb").arg(when.toString(QStringLiteral("yyyyMMdd-hhmmss")));
}

QStringList AutoBackups(const QString& folder) {
    static const QRegularExpression ours(QStringLiteral("^beifen-\\d{8}-\\d{6}\\.mdb$"));
    QStringList names =
        QDir(folder).entryList({QStringLiteral("beifen-*.mdb")}, QDir::Files, QDir::Name | QDir::Reversed);
    QStringList paths;
    for (const QString& name : names)
        if (ours.match(name).hasMatch()) paths << QDir(folder).filePath(name);
    return paths;
}

Outcome MakeAutoBackup(const QString& database, const QString& backupPath, const QDateTime& now,
                       const ProgressFn& progress) {
    const QString folder = AutoBackupFolder(backupPath, database);
    if (!QDir().mkpath(folder)) {
        Outcome failed;
        failed.reason = QStringLiteral("无法创建文件夹 %1").arg(Native(folder));
        return failed;
    }
    Outcome outcome = BackupDatabase(database, QDir(folder).filePath(AutoBackupName(now)), progress);
    if (outcome.ok()) {
        const QStringList kept = AutoBackups(folder);
        for (qsizetype i = kKeepAutoBackups; i < kept.size(); ++i) QFile::remove(kept[i]);
    }
    return outcome;
}

}  // namespace Backup
