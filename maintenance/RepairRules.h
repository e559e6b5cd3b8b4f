#pragma once
// The backup window's rules that need no window: the stored backup path, the messages, and
// the automatic backup made when the program ends.

#include <QDate>
#include <QString>

#include "maintenance/Backup.h"

class Connection;

namespace RepairRules {

inline constexpr const char* kDefaultBackupPath = "D:\\beifen.mdb";

// The "save" setting: the backup file's path, empty until the owner first changes it.
QString StoredBackupPath();
bool StoreBackupPath(const QString& path);

// "数据库备份成功！" or "数据库备份失败！" with the reason on a second line; the same for restore.
QString BackupMessage(const Backup::Outcome& outcome);
QString RestoreMessage(const Backup::Outcome& outcome);
// The progress window's line for a phase of the work.
QString PhaseLabel(Backup::Phase phase);

// True when sales were settled on `day`: the program then backs up by itself when it ends.
bool HadSalesOn(Connection& db, const QDate& day);
// A failed automatic backup is kept in the user's settings until the next start shows it.
void RecordAutoBackupFailure(const QDateTime& when, const QString& reason);
// The message about the last failed automatic backup (then forgotten), or the empty text.
QString TakeAutoBackupFailure();

}  // namespace RepairRules
