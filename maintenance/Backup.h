#pragma once
// Backup and restore of the shop database, without widgets. A backup is a consistent snapshot
// made through the engine (so commits still in the write-ahead log are in it), encrypted with
// the database key and checked before it replaces the previous backup; a restore checks the
// chosen file beside the database before it takes its place, and keeps the replaced file.
// Every step that can leave a half-written file works on a temporary name and renames at the
// end, so a failure, a Cancel or a killed process leaves the old files as they were.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>

namespace Backup {

enum class Phase { Copy, Check };

// Called on the working thread, several times a second; `total` 0 means "unknown".
// Returning false cancels the work.
using ProgressFn = std::function<bool(Phase phase, qint64 done, qint64 total)>;

struct Outcome {
    enum Status { Done, Cancelled, Failed };
    Status status = Failed;
    QString reason;        // why it failed, for the second line of the message
    bool damaged = false;  // the shop's own database is damaged (not only the copy)
    QString safetyCopy;    // restore: where the replaced database was kept, if there was one
    bool ok() const { return status == Done; }
};

// Copies `database` to `target`. The target's folder must exist.
Outcome BackupDatabase(const QString& database, const QString& target, const ProgressFn& progress = {});

// Puts the backup `source` in place of `database` (which may be missing or damaged).
// `now` names the safety copy of the replaced file.
Outcome RestoreDatabase(const QString& source, const QString& database, const QDateTime& now,
                        const ProgressFn& progress = {});

// Empty when `path` opens with the key, holds the six tables and passes the engine's
// structure check; otherwise the reason. `cancelled` is set when progress said stop.
QString CheckDatabaseFile(const QString& path, const ProgressFn& progress = {}, bool* cancelled = nullptr);

// Empty when `path` may be used as a backup target or restore source beside `database`;
// otherwise why not (it is the live file itself, or one of its -wal/-shm files).
QString LiveFileRefusal(const QString& database, const QString& path);

// True while a process other than this one has `database` open through the engine.
bool InUseByAnotherProcess(const QString& database);

// The text shown when the engine finds a damaged page, with the engine's detail.
QString DamagedMessage(const QString& detail);

// Automatic backups: the folder "自动备份" beside the backup file, or beside the database
// while no backup path is set, files named by date and time, the newest `kKeepAutoBackups` kept.
inline constexpr int kKeepAutoBackups = 30;
QString AutoBackupFolder(const QString& backupPath, const QString& database);
QString AutoBackupName(const QDateTime& when);
// Newest first, full paths; only the files this program named.
QStringList AutoBackups(const QString& folder);
// Makes the folder, backs up into a new file, then removes the oldest beyond the number kept.
Outcome MakeAutoBackup(const QString& database, const QString& backupPath, const QDateTime& now,
                       const ProgressFn& progress = {});

}  // namespace Backup
