// The backup window driven as the owner drives it: the remembered path, the questions before a
// file is replaced, the messages, a restore that the desk then works on, the automatic backups,
// and the background check that finds a damaged file while the desk goes on.

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include "app/MAIN.h"
#include "common/Clock.h"
#include "common/UserSettings.h"
#include "data/Errors.h"
#include "maintenance/Backup.h"
#include "maintenance/IntegrityWatch.h"
#include "maintenance/RepairRules.h"
#include "maintenance/repairdb.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TestDatabase.h"
#include "tests/support/WidgetTest.h"

namespace {

using Dialogs::Kind;

QString S(const char* text) { return QString::fromUtf8(text); }

void AddSale(Connection& db, const QString& number, const QString& day = QStringLiteral("2026-12-11")) {
    db.Exec(QStringLiteral("insert into data3 (a,b,\"1\",day1) values (?,'收银员',10,?)"), {number, day});
}

qint64 Sales(Connection& db) { return db.Scalar(QStringLiteral("select count(*) from data3")).toLongLong(); }

void Damage(const QString& path) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    file.seek(file.size() / 2 + 100);
    file.write("XXXXXX", 6);
}

void Fill(Connection& db, int rows) {
    Transaction transaction(db);
    for (int i = 0; i < rows; ++i)
        db.Exec(QStringLiteral("insert into data1 (a,c,h,\"6\",day1) values (?,?,?,9.5,'2026-12-01')"),
                {QStringLiteral("商品%1 很长的名字用来占地方").arg(i),
                 QStringLiteral("69%1").arg(i, 11, 10, QChar(u'0')), QStringLiteral("SYY%1").arg(i)});
    transaction.Commit();
}

void SetText(QLineEdit* box, const QString& text) {
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    TypeText(box, text);
}

// A shop folder as the working folder, the main window shown, the backup window opened over it.
struct Desk {
    TestDatabase t;
    QString previousFolder = QDir::currentPath();
    TMainForm form{t.dm(), t.Folder() + QStringLiteral("/config.ini")};
    QPointer<Trepair> window;

    Desk() {
        QDir::setCurrent(t.Folder());
        Clock::SetFixed(QDateTime(QDate(2026, 12, 11), QTime(20, 15, 30)));
        form.show();
    }
    ~Desk() {
        delete window;
        QDir::setCurrent(previousFolder);
        Clock::SetFixed({});
    }
    Trepair& Open() {
        window = new Trepair(t.dm(), form, t.Path(), &form);
        window->show();
        form.hide();
        return *window;
    }
    QPushButton* Button(const char* name) { return window->findChild<QPushButton*>(QLatin1String(name)); }
    void Click(const char* name) { QTest::mouseClick(Button(name), Qt::LeftButton); }
};

}  // namespace

class RepairTest : public QObject {
    Q_OBJECT
private slots:
    void init() { UserSettings::Write(QStringLiteral("save"), QString()); }
    void opensWithTheConnectionClosedAndRemembersThePath();
    void backupAsksBeforeReplacingAndCreatingAndSaysWhy();
    void restoreIsUsedByTheDeskAfterClosing();
    void reopenFailureKeepsTheWindowOpen();
    void automaticBackupsAreOfferedForRestore();
    void automaticBackupAtEndAndItsFailureAtTheNextStart();
    void damagedPageReadsAsDamageNotEngineText();
    void backgroundCheckFindsDamageWhileTheDeskWorks();
};

void RepairTest::opensWithTheConnectionClosedAndRemembersThePath() {
    Desk desk;
    Trepair& window = desk.Open();
    QCOMPARE(window.windowTitle(), S("数据库备份"));
    QCOMPARE(window.size(), QSize(345, 137));
    QCOMPARE(window.objectName(), QStringLiteral("repair"));
    QVERIFY(!desk.t.db().IsOpen());
    QVERIFY(!desk.form.isVisible());
    QCOMPARE(window.PathBox()->text(), S("D:\\beifen.mdb"));
    QCOMPARE(window.SourceBox()->text(), S("beifen.mdb"));
    for (const char* text : {"数据库维护备份", "备份数据的目录:", "温馨提示：定期备份数据，维护数据安全！"}) {
        bool found = false;
        for (QLabel* label : window.findChildren<QLabel*>()) found = found || label->text() == S(text);
        QVERIFY2(found, text);
    }

    SetText(window.PathBox(), S("/media/u盘/beifen.mdb"));
    QCOMPARE(UserSettings::Read(QStringLiteral("save")), S("/media/u盘/beifen.mdb"));
    window.close();
    QVERIFY(desk.t.db().IsOpen());
    QVERIFY(desk.form.isVisible());

    Trepair& again = desk.Open();
    QCOMPARE(again.PathBox()->text(), S("/media/u盘/beifen.mdb"));
    again.DefaultClick();
    QCOMPARE(UserSettings::Read(QStringLiteral("save")), S("D:\\beifen.mdb"));
    // 默认 stores the default even when the box already shows it.
    UserSettings::Write(QStringLiteral("save"), QStringLiteral("/elsewhere.mdb"));
    emit again.findChild<QLabel*>(QStringLiteral("defaultLink"))->linkActivated(QStringLiteral("default"));
    QCOMPARE(UserSettings::Read(QStringLiteral("save")), S("D:\\beifen.mdb"));
}

void RepairTest::backupAsksBeforeReplacingAndCreatingAndSaysWhy() {
    Desk desk;
    AddSale(desk.t.db(), QStringLiteral("S1"));
    Trepair& window = desk.Open();
    ScriptedDialogs dialogs;
    const QString target = desk.t.Folder() + S("/备份/beifen.mdb");

    SetText(window.PathBox(), target);
    dialogs.Expect(Kind::YesNo, S("文件夹（%1）不存在，是否创建？").arg(desk.t.Folder() + S("/备份")), false)
        .ExpectError(S("数据库备份失败！\n已取消"));
    desk.Click("backupButton");
    QVERIFY(!QFileInfo::exists(target));

    dialogs.Expect(Kind::YesNo, S("不存在，是否创建？"), true).ExpectMessage(S("数据库备份成功！"));
    desk.Click("backupButton");
    QVERIFY(Backup::CheckDatabaseFile(target).isEmpty());

    dialogs.Expect(Kind::YesNo, S("已存在文件（%1），是否覆盖？").arg(target), true)
        .ExpectMessage(S("数据库备份成功！"));
    desk.Click("backupButton");

    SetText(window.PathBox(), S("data.mdb"));
    dialogs.ExpectError(S("数据库备份失败！\n"));
    desk.Click("backupButton");
    QVERIFY(dialogs.Shown().last().contains(S("正在使用的数据库")));

    SetText(window.PathBox(), S("D:\\beifen.mdb"));
    dialogs.ExpectError(S("数据库备份失败！\n找不到驱动器 D:"));
    desk.Click("backupButton");
    VERIFY_DIALOGS(dialogs);
    QVERIFY(!QFileInfo::exists(S("D:\\beifen.mdb")));
}

void RepairTest::restoreIsUsedByTheDeskAfterClosing() {
    Desk desk;
    AddSale(desk.t.db(), QStringLiteral("BACKED-UP"));
    QVERIFY(Backup::BackupDatabase(desk.t.Path(), desk.t.Folder() + S("/beifen.mdb")).ok());
    AddSale(desk.t.db(), QStringLiteral("LATER"));
    desk.t.db().Exec(QStringLiteral("insert into data (a,c,\"2\") values ('在售',?,1)"),
                     {QStringLiteral("690")});
    Trepair& window = desk.Open();
    ScriptedDialogs dialogs;

    SetText(window.SourceBox(), S("nothing-here.mdb"));
    dialogs.ExpectMessage(S("备份数据库没找到!"));
    desk.Click("restoreButton");

    // The box's first text names beifen.mdb of the shop folder.
    SetText(window.SourceBox(), S("beifen.mdb"));
    dialogs.Expect(Kind::YesNo, S("已存在文件（%1），是否覆盖？").arg(desk.t.Path()), false)
        .ExpectError(S("数据库恢复失败！\n已取消"));
    desk.Click("restoreButton");
    dialogs.Expect(Kind::YesNo, S("是否覆盖？"), true)
        .ExpectMessage(S("数据库恢复成功！\n原来的数据库已另存为"));
    desk.Click("restoreButton");
    VERIFY_DIALOGS(dialogs);
    QVERIFY(QFileInfo::exists(desk.t.Folder() + S("/data-恢复前-20261211-201530.mdb")));

    window.close();
    QTRY_VERIFY(!desk.window);
    QVERIFY(desk.form.isVisible());
    QCOMPARE(Sales(desk.t.db()), 1);
    QCOMPARE(desk.t.Count(QStringLiteral("data")), 0);
    QCOMPARE(desk.form.TotalLabel()->text(), S("共:0.00元"));
}

void RepairTest::reopenFailureKeepsTheWindowOpen() {
    Desk desk;
    AddSale(desk.t.db(), QStringLiteral("BACKED-UP"));
    QVERIFY(Backup::BackupDatabase(desk.t.Path(), desk.t.Folder() + S("/beifen.mdb")).ok());
    Trepair& window = desk.Open();
    {
        QFile file(desk.t.Path());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray(4096, 'j'));
    }
    ScriptedDialogs dialogs;
    dialogs.ExpectError(S("无法重新打开数据库"));
    window.close();
    QVERIFY(desk.window);
    QVERIFY(window.isVisible());
    QVERIFY(!desk.form.isVisible());
    QVERIFY(!desk.t.db().IsOpen());

    dialogs.Expect(Kind::YesNo, S("是否覆盖？"), true).ExpectMessage(S("数据库恢复成功！"));
    desk.Click("restoreButton");
    window.close();
    VERIFY_DIALOGS(dialogs);
    QVERIFY(desk.form.isVisible());
    QCOMPARE(Sales(desk.t.db()), 1);
}

void RepairTest::automaticBackupsAreOfferedForRestore() {
    Desk desk;
    AddSale(desk.t.db(), QStringLiteral("A1"));
    const QDateTime first(QDate(2026, 12, 9), QTime(21, 0, 1));
    QVERIFY(Backup::MakeAutoBackup(desk.t.Path(), {}, first).ok());
    QVERIFY(Backup::MakeAutoBackup(desk.t.Path(), {}, first.addDays(1)).ok());
    Trepair& window = desk.Open();
    QComboBox* list = window.AutoBackupList();
    QCOMPARE(list->count(), 3);
    QCOMPARE(list->itemText(1), S("2026-12-10 21:00:01"));
    list->setCurrentIndex(2);
    emit list->activated(2);
    QCOMPARE(window.SourceBox()->text(), desk.t.Folder() + S("/自动备份/beifen-20261209-210001.mdb"));
}

void RepairTest::automaticBackupAtEndAndItsFailureAtTheNextStart() {
    TestDatabase t;
    Clock::SetFixed(QDateTime(QDate(2026, 12, 11), QTime(21, 30)));
    AddSale(t.db(), QStringLiteral("YESTERDAY"), QStringLiteral("2026-12-10"));
    AutoBackupAtEnd(t.dm(), t.Path());
    QVERIFY(t.db().IsOpen());  // no sales today: nothing to do
    QCOMPARE(Backup::AutoBackups(t.Folder() + S("/自动备份")).size(), 0);

    AddSale(t.db(), QStringLiteral("TODAY"));
    AutoBackupAtEnd(t.dm(), t.Path());
    const QStringList made = Backup::AutoBackups(t.Folder() + S("/自动备份"));
    QCOMPARE(made.size(), 1);
    QCOMPARE(QFileInfo(made.first()).fileName(), S("beifen-20261211-213000.mdb"));
    QVERIFY(Backup::CheckDatabaseFile(made.first()).isEmpty());
    QCOMPARE(RepairRules::TakeAutoBackupFailure(), QString());

    // The backup path's folder is a file: the automatic folder cannot be made beside it.
    QFile blocker(t.Folder() + S("/blocked"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    RepairRules::StoreBackupPath(t.Folder() + S("/blocked/beifen.mdb"));
    t.dm().Open(t.Path());
    AutoBackupAtEnd(t.dm(), t.Path());
    const QString shown = RepairRules::TakeAutoBackupFailure();
    QVERIFY2(shown.contains(S("2026-12-11 21:30:00")) && shown.contains(S("无法创建文件夹")),
             qPrintable(shown));
    QCOMPARE(RepairRules::TakeAutoBackupFailure(), QString());
    Clock::SetFixed({});
}

void RepairTest::damagedPageReadsAsDamageNotEngineText() {
    TestDatabase t;
    Fill(t.db(), 4000);
    t.dm().Close();
    Damage(t.Path());
    Connection db;
    db.Open(t.Path());
    try {
        db.Scalar(QStringLiteral("select sum(length(a)) from data1"));
        QFAIL("the damaged page was read without an error");
    } catch (const EDatabaseError& error) {
        QVERIFY2(error.Message().startsWith(S("数据库文件已损坏：")) &&
                     error.Message().contains(S("请立即从备份恢复")),
                 qPrintable(error.Message()));
    }
}

void RepairTest::backgroundCheckFindsDamageWhileTheDeskWorks() {
    TestDatabase t;
    Fill(t.db(), 20000);
    t.dm().Close();
    Damage(t.Path());
    t.dm().Open(t.Path());
    IntegrityWatch watch;
    QSignalSpy damaged(&watch, &IntegrityWatch::Damaged), finished(&watch, &IntegrityWatch::Finished);
    watch.Start(t.Path());
    // The desk rings up lines on its own connection meanwhile.
    int scans = 0;
    while (finished.isEmpty() && scans < 100000) {
        t.db().Exec(QStringLiteral("insert into data (a,c,\"2\") values ('扫码',?,1)"),
                    {QString::number(scans)});
        ++scans;
        QCoreApplication::processEvents();
    }
    QVERIFY(!finished.isEmpty() || finished.wait(60000));
    QCOMPARE(damaged.size(), 1);
    QVERIFY(scans > 0);
    QCOMPARE(t.Count(QStringLiteral("data")), scans);

    TestDatabase other;
    watch.Start(other.Path());
    QVERIFY(finished.wait(60000));
    QCOMPARE(damaged.size(), 1);
}

POS_WIDGET_TEST_MAIN(RepairTest)
#include "tst_repair.moc"
