// Program entry: the application, its windows in their fixed order, the message loop.

#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QToolButton>
#include <QProxyStyle>
#include <QStyleFactory>

#include "app/Fonts.h"
#include "app/MAIN.h"
#include "catalogue/Unit1.h"
#include "catalogue/ys.h"
#include "common/Application.h"
#include "common/Dialogs.h"
#include "common/Password.h"
#include "data/Errors.h"
#include "data/Schema.h"
#include "data/dm.h"

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

// Opens data.mdb in the current folder. A missing file is created only when the user says so;
// a file that cannot be opened is left as it is.
bool OpenDatabase(Tdmfm& dm) {
    const QString path = QDir::current().absoluteFilePath(QStringLiteral("data.mdb"));
    try {
        if (!QFileInfo::exists(path)) {
            if (!Dialogs::AskYesNo(QStringLiteral("晨岚POS收银软件"),
                                   QStringLiteral("找不到数据库文件：\n%1\n\n要在这里新建一个空的数据库吗？\n"
                                                  "选“是”新建，选“否”退出程序。")
                                       .arg(QDir::toNativeSeparators(path))))
                return false;
            CreateDatabase(path, HashPassword(QStringLiteral("847")));
        }
        dm.Open(path);
        return true;
    } catch (const EPosError& error) {
        Dialogs::ShowError(QStringLiteral("无法打开数据库 %1：\n%2").arg(QDir::toNativeSeparators(path), error.Message()));
        return false;
    }
}

}  // namespace

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    InstallFontSubstitutes();
    app.setStyle(new HintStyle(QStyleFactory::create(QStringLiteral("Fusion"))));

    // The long-lived windows, in their fixed order; the main window touches no database yet.
    Tdmfm dmfm;
    TMainForm mainForm(dmfm, QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("config.ini")));
    if (!OpenDatabase(dmfm)) return 1;
    auto* Form1 = new TForm1(dmfm, &mainForm);
    auto* ysfm = new Tysfm(dmfm, mainForm, &mainForm);
    QObject::connect(mainForm.ToolButton(QStringLiteral("商品管理")), &QToolButton::clicked, Form1,
                     [Form1] { Form1->exec(); });
    QObject::connect(mainForm.LookupButton(), &QPushButton::clicked, ysfm, [ysfm] { ysfm->exec(); });

    mainForm.show();
    return app.exec();
}
