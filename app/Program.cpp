#include "app/Program.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleFactory>
#include <QTimer>
#include <QToolButton>

#include "app/Fonts.h"
#include "app/MAIN.h"
#include "catalogue/PinyinFill.h"
#include "catalogue/Unit1.h"
#include "catalogue/excel.h"
#include "catalogue/ys.h"
#include "checkout/LinePanel.h"
#include "common/Application.h"
#include "common/Dialogs.h"
#include "common/Password.h"
#include "data/Errors.h"
#include "data/Schema.h"
#include "data/dm.h"
#include "maintenance/About.h"
#include "maintenance/Backup.h"
#include "maintenance/IntegrityWatch.h"
#include "maintenance/RepairRules.h"
#include "maintenance/repairdb.h"
#include "sales/SalesChart.h"
#include "sales/Unit4.h"
#include "toolkit/Pictures.h"
#include "users/changepass.h"
#include "users/login.h"
#include "users/usergl.h"

namespace {

// Hints appear at once.
class HintStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ToolTip_WakeUpDelay) return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// Products from older versions have no pinyin codes, and the searches find them by those; the
// shop can still sell without them, so a failure here only warns.
void FillPinyinCodes(Tdmfm& dm) {
    try {
        FillMissingPinyin(dm.ADOConnection1);
    } catch (const EPosError& error) {
        Dialogs::ShowWarning(
            QStringLiteral("无法补全商品的拼音码，按拼音码查询会漏掉这些商品：\n%1").arg(error.Message()));
    }
}

}  // namespace

bool OpenDatabase(Tdmfm& dm, const QDir& folder) {
    const QString path = folder.absoluteFilePath(QStringLiteral("data.mdb"));
    try {
        if (!QFileInfo::exists(path)) {
            if (!Dialogs::AskYesNo(QStringLiteral("晨岚POS收银软件"),
                                   QStringLiteral("找不到数据库文件：\n%1\n\n要在这里新建一个空的数据库吗？\n"
                                                  "选“是”新建，选“否”退出程序。")
                                       .arg(QDir::toNativeSeparators(path))))
                return false;
            CreateDatabase(path, HashPassword(QLatin1String(kDefaultPassword)));
        }
        // An older database is brought up to date once; on years of sales that takes a while.
        std::unique_ptr<QLabel> wait;
        dm.Open(path, [&wait] {
            wait = std::make_unique<QLabel>(QStringLiteral("正在升级数据库，请稍候……"));
            wait->setWindowTitle(QStringLiteral("晨岚POS收银软件"));
            wait->setAlignment(Qt::AlignCenter);
            wait->setMinimumSize(320, 90);
            wait->show();
            wait->repaint();
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
        FillPinyinCodes(dm);
        return true;
    } catch (const EPosError& error) {
        Dialogs::ShowError(
            QStringLiteral("无法打开数据库 %1：\n%2").arg(QDir::toNativeSeparators(path), error.Message()));
        return false;
    }
}

namespace {

// Made from the settings menu on demand; they free themselves when closed.
template <class Window>
void OpenFromMenu(TMainForm& mainForm, Tdmfm& dm, QAction* entry, QPointer<QWidget>& window) {
    QObject::connect(entry, &QAction::triggered, &mainForm, [&mainForm, &dm, &window] {
        mainForm.OpenWindowOnce(window, [&]() -> QWidget* {
            auto* made = new Window(dm, &mainForm);
            made->show();
            return made;
        });
    });
}

// The backup window, over the hidden main window. The background check lets go of the file
// first and checks again whatever file is in use once the window has closed.
void OpenBackupWindow(TMainForm& mainForm, Tdmfm& dm, IntegrityWatch& watch, QPointer<QWidget>& window,
                      const QString& database) {
    watch.Stop();
    mainForm.OpenWindowOnce(window, [&]() -> QWidget* {
        auto* made = new Trepair(dm, mainForm, database, &mainForm);
        QObject::connect(made, &QObject::destroyed, &watch, [&watch, database] { watch.Start(database); });
        made->show();
        return made;
    });
    mainForm.hide();
}

// A damaged database leads to the backup window once nothing modal (the login) is using it.
void OpenBackupWindowWhenFree(TMainForm& mainForm, Tdmfm& dm, IntegrityWatch& watch,
                              QPointer<QWidget>& window, const QString& database) {
    if (QApplication::activeModalWidget() || mainForm.SessionId() == 0) {
        QTimer::singleShot(500, &mainForm, [&mainForm, &dm, &watch, &window, database] {
            OpenBackupWindowWhenFree(mainForm, dm, watch, window, database);
        });
        return;
    }
    OpenBackupWindow(mainForm, dm, watch, window, database);
}

}  // namespace

int RunProgram(TApplication& app, const QString& configFolder, const std::function<void()>& loginShown) {
    InstallFontSubstitutes();
    app.setWindowIcon(ProgramIcon());
    app.setStyle(new HintStyle(QStyleFactory::create(QStringLiteral("Fusion"))));

    // The long-lived windows, in their fixed order; the main window touches no database yet.
    Tdmfm dmfm;
    TMainForm mainForm(dmfm, QDir(configFolder).filePath(QStringLiteral("config.ini")));
    Tloginfm loginfm(dmfm, mainForm, &mainForm);
    if (!OpenDatabase(dmfm, QDir::current())) return 1;
    auto* xstj = new Txstj(
        dmfm, mainForm, [&loginfm] { return loginfm.CurrentOperator(); }, &mainForm);
    TAboutBox AboutBox(&mainForm);
    if (const QString failed = RepairRules::TakeAutoBackupFailure(); !failed.isEmpty())
        Dialogs::ShowWarning(failed);
    auto* Form1 = new TForm1(dmfm, &mainForm);
    auto* excell = new Texcell(mainForm, Form1);
    auto* ysfm = new Tysfm(dmfm, mainForm, &mainForm);

    mainForm.SetOperatorSource([&loginfm] { return loginfm.CurrentOperator(); });
    mainForm.SetLoginPrompt([&loginfm, &loginShown] {
        if (loginShown) QMetaObject::invokeMethod(&loginfm, loginShown, Qt::QueuedConnection);
        loginfm.exec();
    });
    QObject::connect(mainForm.findChild<QToolButton*>(QStringLiteral("productsButton")),
                     &QToolButton::clicked, Form1, [Form1] { Form1->exec(); });
    mainForm.SetMonthSalesFill([xstj] { xstj->ShowMonthSales(); });
    mainForm.AddAdminOnly(xstj->MonthlyChart());
    mainForm.AddAdminOnly(xstj->DailyChart());
    QObject::connect(mainForm.findChild<QToolButton*>(QStringLiteral("salesButton")), &QToolButton::clicked,
                     xstj, [xstj, &mainForm] {
                         xstj->exec();
                         mainForm.HidePayment();
                         mainForm.LineDetailPanel()->hide();
                     });
    QObject::connect(Form1->findChild<QToolButton*>(QStringLiteral("importButton")), &QToolButton::clicked,
                     excell, [excell] { excell->exec(); });
    QObject::connect(mainForm.LookupButton(), &QPushButton::clicked, ysfm, [ysfm] { ysfm->exec(); });
    QPointer<QWidget> changepassfm, userglfm;
    OpenFromMenu<Tchangepassfm>(
        mainForm, dmfm, mainForm.findChild<QAction*>(QStringLiteral("changePasswordAction")), changepassfm);
    OpenFromMenu<Tuserglfm>(mainForm, dmfm, mainForm.findChild<QAction*>(QStringLiteral("userAdminAction")),
                            userglfm);

    const QString database = QDir::current().absoluteFilePath(QStringLiteral("data.mdb"));
    IntegrityWatch watch;
    QPointer<QWidget> repair;
    QObject::connect(mainForm.findChild<QToolButton*>(QStringLiteral("backupButton")), &QToolButton::clicked,
                     &mainForm, [&] { OpenBackupWindow(mainForm, dmfm, watch, repair, database); });
    QObject::connect(&watch, &IntegrityWatch::Damaged, &mainForm, [&](const QString& reason) {
        Dialogs::ShowError(Backup::DamagedMessage(reason));
        OpenBackupWindowWhenFree(mainForm, dmfm, watch, repair, database);
    });

    Upgrader upgrader(ProgramUpgradeSettings(), &mainForm);
    ConnectSupportMenu(mainForm.SupportMenu(), &AboutBox, &upgrader);

    // The program ends with its main window, whatever other window is still about; exit()
    // rather than quit(), which would first ask every other window and could be refused.
    app.setQuitOnLastWindowClosed(false);
    QObject::connect(&mainForm, &TMainForm::Closed, &app, [&app] { app.exit(0); });
    mainForm.show();
    watch.Start(database);
    const int result = app.exec();
    watch.Stop();
    if (mainForm.SessionId() != 0) AutoBackupAtEnd(dmfm, database);
    return result;
}
