#include "maintenance/repairdb.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

#include "common/Clock.h"
#include "common/Dialogs.h"
#include "common/MainFormOps.h"
#include "data/Errors.h"
#include "data/dm.h"
#include "maintenance/Backup.h"
#include "maintenance/RepairRules.h"
#include "toolkit/ProgressTask.h"

namespace {

constexpr int kContentHeight = 317;  // header 33, backup 104, restore 144, automatic backups 36
const QString kCaption = QStringLiteral("数据库备份");

QFont PixelFont(int pixels, bool bold = false) {
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QLabel* RedText(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setStyleSheet(QStringLiteral("color: #ff0000;"));
    label->setWordWrap(true);
    return label;
}

// The work of one copy, on its own thread behind a progress window.
Backup::Outcome WithProgress(QWidget* parent,
                             const std::function<Backup::Outcome(const Backup::ProgressFn&)>& work) {
    Backup::Outcome outcome;
    ProgressTask::Run(parent, kCaption, [&](const ProgressTask::Report& report) {
        outcome = work([&report](Backup::Phase phase, qint64 done, qint64 total) {
            return report(RepairRules::PhaseLabel(phase), done, total);
        });
    });
    return outcome;
}

Backup::Outcome Declined(const QString& reason) {
    Backup::Outcome outcome;
    outcome.status = Backup::Outcome::Cancelled;
    outcome.reason = reason;
    return outcome;
}

}  // namespace

Trepair::Trepair(Tdmfm& dm, MainFormOps& mainForm, QString database, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_dm(dm),
      m_mainForm(mainForm),
      m_database(std::move(database)) {
    setObjectName(QStringLiteral("repair"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kCaption);
    setFont(PixelFont(12));
    setFixedSize(345, 137);
    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    scroll->setWidget(BuildContent());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);
    Wire();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

QWidget* Trepair::BuildContent() {
    auto* content = new QWidget;
    content->setObjectName(QStringLiteral("repairContent"));
    content->setFixedSize(345 - 17, kContentHeight);
    // Money green under every skin, so its texts stay dark whatever the skin's text colour.
    content->setStyleSheet(QStringLiteral(
        "#repairContent { background-color: #c0dcc0; } #repairContent > QLabel { color: #000000; }"));
    content->setAttribute(Qt::WA_StyledBackground);

    auto* header = new QLabel(QStringLiteral("数据库维护备份"), content);
    header->setFont(PixelFont(16, true));
    header->setStyleSheet(QStringLiteral("color: #800000;"));
    header->setGeometry(10, 7, 300, 20);

    (new QLabel(QStringLiteral("备份数据的目录:"), content))->setGeometry(12, 41, 100, 18);
    m_defaultLink =
        new QLabel(QStringLiteral("<a href=\"default\" style=\"color:#0000ff\">默认</a>"), content);
    m_defaultLink->setObjectName(QStringLiteral("defaultLink"));
    m_defaultLink->setGeometry(114, 41, 40, 18);
    m_path = new QLineEdit(QString::fromLatin1(RepairRules::kDefaultBackupPath), content);
    m_path->setObjectName(QStringLiteral("pathBox"));
    m_path->setGeometry(12, 64, 205, 22);
    m_backupButton = new QPushButton(QStringLiteral("备份数据库"), content);
    m_backupButton->setObjectName(QStringLiteral("backupButton"));
    m_backupButton->setGeometry(224, 62, 92, 26);
    RedText(QStringLiteral("温馨提示：定期备份数据，维护数据安全！"), content)->setGeometry(12, 100, 310, 18);

    m_source = new QLineEdit(QStringLiteral("beifen.mdb"), content);
    m_source->setObjectName(QStringLiteral("sourceBox"));
    m_source->setGeometry(12, 146, 205, 22);
    m_openButton = new QPushButton(QStringLiteral("打开备份文件"), content);
    m_openButton->setObjectName(QStringLiteral("openButton"));
    m_openButton->setGeometry(12, 174, 100, 26);
    m_restoreButton = new QPushButton(QStringLiteral("恢复数据库"), content);
    m_restoreButton->setObjectName(QStringLiteral("restoreButton"));
    m_restoreButton->setGeometry(224, 158, 92, 26);
    RedText(QStringLiteral(
                "警告：恢复数据库功能，只有当目前使用的数据库损坏或丢失时才使用，否则旧数据库会覆盖当前的"
                "最新数据库，造成信息丢失。"),
            content)
        ->setGeometry(12, 210, 305, 54);

    (new QLabel(QStringLiteral("自动备份:"), content))->setGeometry(12, 286, 60, 18);
    m_autoBackups = new QComboBox(content);
    m_autoBackups->setObjectName(QStringLiteral("autoBackupList"));
    m_autoBackups->setGeometry(74, 283, 243, 24);
    return content;
}

void Trepair::Wire() {
    connect(m_path, &QLineEdit::textChanged, this, [](const QString& text) {
        if (!RepairRules::StoreBackupPath(text))
            Dialogs::ShowWarning(QStringLiteral("无法保存备份目录，下次打开时将显示原来的目录。"));
    });
    connect(m_defaultLink, &QLabel::linkActivated, this, &Trepair::DefaultClick);
    connect(m_backupButton, &QPushButton::clicked, this, &Trepair::BackupClick);
    connect(m_openButton, &QPushButton::clicked, this, &Trepair::OpenBackupClick);
    connect(m_restoreButton, &QPushButton::clicked, this, &Trepair::RestoreClick);
    connect(m_autoBackups, &QComboBox::activated, this, [this](int index) {
        const QString path = m_autoBackups->itemData(index).toString();
        if (!path.isEmpty()) m_source->setText(QDir::toNativeSeparators(path));
    });
}

void Trepair::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous()) return;
    // Nothing of ours may hold the file while it is copied over.
    m_dm.Close();
    const QString stored = RepairRules::StoredBackupPath();
    if (!stored.isEmpty()) m_path->setText(stored);
    FillAutoBackups();
}

void Trepair::FillAutoBackups() {
    m_autoBackups->clear();
    const QStringList backups = Backup::AutoBackups(Backup::AutoBackupFolder(m_path->text(), m_database));
    m_autoBackups->addItem(backups.isEmpty() ? QStringLiteral("（还没有自动备份）")
                                             : QStringLiteral("选择一个自动备份来恢复…"));
    for (const QString& path : backups) {
        const QDateTime when = QDateTime::fromString(QFileInfo(path).completeBaseName().mid(7),
                                                     QStringLiteral("yyyyMMdd-hhmmss"));
        m_autoBackups->addItem(when.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")), path);
    }
}

void Trepair::DefaultClick() {
    m_path->setText(QString::fromLatin1(RepairRules::kDefaultBackupPath));
    // Stored even when the box held it already (no change to announce).
    RepairRules::StoreBackupPath(m_path->text());
}

bool Trepair::ConfirmTarget(const QString& path, QString* declined) {
    const QFileInfo target(path);
    const QString folder = target.absolutePath();
    if (!QDir(folder).exists()) {
        if (!Dialogs::AskYesNo(
                kCaption,
                QStringLiteral("文件夹（%1）不存在，是否创建？").arg(QDir::toNativeSeparators(folder)))) {
            *declined = QStringLiteral("已取消：没有创建文件夹。");
            return false;
        }
        if (!QDir().mkpath(folder)) {
            *declined = QStringLiteral("无法创建文件夹 %1").arg(QDir::toNativeSeparators(folder));
            return false;
        }
    }
    if (target.isFile() &&
        !Dialogs::AskYesNo(
            kCaption, QStringLiteral("已存在文件（%1），是否覆盖？").arg(QDir::toNativeSeparators(path)))) {
        *declined = QStringLiteral("已取消：没有覆盖原有的文件。");
        return false;
    }
    return true;
}

void Trepair::BackupClick() {
    const QString target = m_path->text();
    Backup::Outcome outcome;
    QString declined;
    if (target.trimmed().isEmpty()) {
        outcome = Declined(QStringLiteral("没有填写备份文件的路径。"));
    } else if (QString refusal = Backup::LiveFileRefusal(m_database, target); !refusal.isEmpty()) {
        outcome.reason = refusal;
    } else if (!ConfirmTarget(target, &declined)) {
        outcome = Declined(declined);
    } else {
        outcome = WithProgress(this, [&](const Backup::ProgressFn& progress) {
            return Backup::BackupDatabase(m_database, target, progress);
        });
    }
    if (outcome.ok())
        Dialogs::ShowMessage(RepairRules::BackupMessage(outcome));
    else
        Dialogs::ShowError(RepairRules::BackupMessage(outcome));
}

void Trepair::OpenBackupClick() {
    const QString chosen =
        Dialogs::OpenFileName(QStringLiteral("打开备份文件"), QFileInfo(m_source->text()).absolutePath(), {});
    // Cancelling the dialog leaves the box as it was.
    if (!chosen.isEmpty()) m_source->setText(QDir::toNativeSeparators(chosen));
}

void Trepair::RestoreClick() {
    const QString source = QDir::fromNativeSeparators(m_source->text());
    if (!QFileInfo(source).isFile()) {
        Dialogs::ShowMessage(QStringLiteral("备份数据库没找到!"));
        return;
    }
    Backup::Outcome outcome;
    if (QString refusal = Backup::LiveFileRefusal(m_database, source); !refusal.isEmpty()) {
        outcome.reason = QStringLiteral("不能用正在使用的数据库文件本身来恢复。");
    } else if (QFileInfo::exists(m_database) &&
               !Dialogs::AskYesNo(kCaption, QStringLiteral("已存在文件（%1），是否覆盖？")
                                                .arg(QDir::toNativeSeparators(m_database)))) {
        outcome = Declined(QStringLiteral("已取消：没有覆盖原有的文件。"));
    } else {
        outcome = WithProgress(this, [&](const Backup::ProgressFn& progress) {
            return Backup::RestoreDatabase(source, m_database, Clock::Now(), progress);
        });
    }
    if (outcome.ok())
        Dialogs::ShowMessage(RepairRules::RestoreMessage(outcome));
    else
        Dialogs::ShowError(RepairRules::RestoreMessage(outcome));
}

void Trepair::closeEvent(QCloseEvent* event) {
    try {
        m_dm.Open(m_database);
        m_dm.ADOTable5.Open();
        m_dm.ADOTable2.Open();
    } catch (const EPosError& error) {
        // The main window must never run without its database: stay, so another restore can be tried.
        m_dm.Close();
        Dialogs::ShowError(QStringLiteral("无法重新打开数据库：%1\n请恢复一个完好的备份后再关闭本窗口。")
                               .arg(error.Message()));
        event->ignore();
        return;
    }
    m_mainForm.ReloadSaleGrid();
    if (parentWidget()) parentWidget()->show();
    QWidget::closeEvent(event);
}

void AutoBackupAtEnd(Tdmfm& dm, const QString& database) {
    const QDateTime now = Clock::Now();
    try {
        if (!dm.ADOConnection1.IsOpen() || !RepairRules::HadSalesOn(dm.ADOConnection1, now.date())) return;
    } catch (const EPosError& error) {
        RepairRules::RecordAutoBackupFailure(now, error.Message());
        return;
    }
    dm.Close();
    const Backup::Outcome outcome = WithProgress(nullptr, [&](const Backup::ProgressFn& progress) {
        return Backup::MakeAutoBackup(database, RepairRules::StoredBackupPath(), now, progress);
    });
    if (!outcome.ok()) RepairRules::RecordAutoBackupFailure(now, outcome.reason);
}
