#include "maintenance/RepairRules.h"

#include "common/UserSettings.h"
#include "data/Connection.h"

namespace RepairRules {

namespace {
const QString kSave = QStringLiteral("save");
const QString kAutoBackupFailure = QStringLiteral("autobackup-failure");

QString WithReason(const QString& headline, const Backup::Outcome& outcome) {
    if (outcome.damaged) return headline + u'\n' + Backup::DamagedMessage(outcome.reason);
    return outcome.reason.isEmpty() ? headline : headline + u'\n' + outcome.reason;
}
}  // namespace

QString StoredBackupPath() { return UserSettings::Read(kSave); }
bool StoreBackupPath(const QString& path) { return UserSettings::Write(kSave, path); }

QString BackupMessage(const Backup::Outcome& outcome) {
    if (outcome.ok()) return QStringLiteral("数据库备份成功！");
    return WithReason(QStringLiteral("数据库备份失败！"), outcome);
}

QString RestoreMessage(const Backup::Outcome& outcome) {
    if (outcome.ok())
        return outcome.safetyCopy.isEmpty()
                   ? QStringLiteral("数据库恢复成功！")
                   : QStringLiteral("数据库恢复成功！\n原来的数据库已另存为 %1").arg(outcome.safetyCopy);
    return WithReason(QStringLiteral("数据库恢复失败！"), outcome);
}

QString PhaseLabel(Backup::Phase phase) {
    return phase == Backup::Phase::Copy ? QStringLiteral("正在复制数据库文件…")
                                        : QStringLiteral("正在检查数据库文件…");
}

bool HadSalesOn(Connection& db, const QDate& day) {
    return db.Scalar(QStringLiteral("select count(*) from data3 where day1=?"),
                     {day.toString(QStringLiteral("yyyy-MM-dd"))})
               .toLongLong() > 0;
}

void RecordAutoBackupFailure(const QDateTime& when, const QString& reason) {
    UserSettings::Write(
        kAutoBackupFailure,
        QStringLiteral("%1\n%2").arg(when.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")), reason));
}

QString TakeAutoBackupFailure() {
    const QString stored = UserSettings::Read(kAutoBackupFailure);
    if (stored.isEmpty()) return {};
    UserSettings::Write(kAutoBackupFailure, QString());
    const QString when = stored.section(u'\n', 0, 0), reason = stored.section(u'\n', 1);
    return QStringLiteral(
               "上次程序结束时（%1）的自动备份没有成功：\n%2\n请检查备份目录，或用“数据备份”手动备份。")
        .arg(when, reason);
}

}  // namespace RepairRules
