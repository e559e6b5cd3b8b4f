// The program on a real desktop (Xvfb with openbox): window titles as the window manager shows
// them, and what every skin draws for disabled buttons, check boxes and the main toolbar.
// Runs through tests/support/xvfb-openbox; POS_SCREENSHOTS=<folder> also saves a picture of
// every window under every look.

#include <QCheckBox>
#include <QDir>
#include <QImage>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <QToolButton>
#include <QtTest>

#include "app/MAIN.h"
#include "app/Skins.h"
#include "catalogue/Unit1.h"
#include "catalogue/excel.h"
#include "catalogue/ys.h"
#include "common/Application.h"
#include "common/Clock.h"
#include "maintenance/About.h"
#include "maintenance/repairdb.h"
#include "sales/Unit2.h"
#include "sales/Unit4.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TestDatabase.h"
#include "tests/support/WidgetTest.h"
#include "tests/support/WindowManager.h"
#include "users/changepass.h"
#include "users/login.h"
#include "users/usergl.h"

namespace {

// Every look: the default (-1) and the five skins.
QList<int> Looks() {
    QList<int> looks{-1};
    for (int i = 0; i < kSkinCount; ++i) looks << i;
    return looks;
}

void ApplyLook(int look) {
    if (look < 0)
        ApplyDefaultSkin();
    else
        ApplySkin(look);
}

QString LookName(int look) {
    return look < 0 ? QStringLiteral("default") : QStringLiteral("skin%1").arg(look);
}

void SaveScreenshot(QWidget* window, const QString& name) {
    const QString folder = qEnvironmentVariable("POS_SCREENSHOTS");
    if (folder.isEmpty()) return;
    QDir().mkpath(folder);
    QCoreApplication::processEvents();
    QTest::qWait(150);
    // The screen, not the widget: the decorations the window manager draws belong to the picture.
    const QRect frame = window->frameGeometry();
    window->screen()
        ->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height())
        .save(QDir(folder).filePath(name + QStringLiteral(".png")));
}

// Pixels of a widget as drawn by the current style.
QImage Render(QWidget* widget) { return widget->grab().toImage(); }

int Luminance(QRgb c) { return (qRed(c) * 299 + qGreen(c) * 587 + qBlue(c) * 114) / 1000; }

// How far the darkest or lightest pixel stands from the most common one: the contrast of
// whatever is drawn (text, frame) against the background.
int Contrast(const QImage& image, const QRect& area) {
    QHash<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) ++counts[image.pixel(x, y)];
    QRgb background = 0;
    int most = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most) most = it.value(), background = it.key();
    int contrast = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        contrast = std::max(contrast, std::abs(Luminance(it.key()) - Luminance(background)));
    return contrast;
}

// Every window of the program over one shop, with its caption and a short name for pictures.
// The backup window comes last: showing it closes the shop's connection.
struct AllWindows {
    TestDatabase t;
    TMainForm mainForm{t.dm(), t.Folder() + QStringLiteral("/config.ini")};
    Tloginfm login{t.dm(), mainForm};
    TForm1 products{t.dm()};
    Tysfm lookup{t.dm(), mainForm};
    Tchangepassfm changepass{t.dm()};
    Tuserglfm usergl{t.dm()};
    Txstj sales{t.dm(), mainForm, [] { return QStringLiteral("超级管理员"); }};
    TForm2 slip{t.dm().ADOQuery15};
    Texcell import{mainForm};
    TAboutBox about;
    Trepair backup{t.dm(), mainForm, t.Path(), nullptr};

    struct Entry {
        QWidget* window;
        QString caption;
        const char* name;
    };
    std::vector<Entry> Entries() {
        return {{&mainForm, QStringLiteral("晨岚POS收银软件 V2.2"), "main"},
                {&login, QStringLiteral("用户登录"), "login"},
                {&products, QStringLiteral("商品管理"), "products"},
                {&lookup, QStringLiteral("商品编码查找"), "lookup"},
                {&changepass, QStringLiteral("更改密码"), "changepass"},
                {&usergl, QStringLiteral("用户管理—(管理员专用)"), "usergl"},
                {&sales, QStringLiteral("销售明细"), "sales"},
                {&slip, QStringLiteral("销售单 - 打印预览"), "slip"},
                {&import, QStringLiteral("Excel导入数据库"), "import"},
                {&about, QStringLiteral("关于软件..."), "about"},
                {&backup, QStringLiteral("数据库备份"), "backup"}};
    }
};

}  // namespace

class TestDesktop : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void titlesAreTheCaptions();
    void disabledButtonsLookDisabled_data();
    void disabledButtonsLookDisabled();
    void uncheckedBoxIsDrawn_data();
    void uncheckedBoxIsDrawn();
    void toolbarShowsEveryButtonWhole_data();
    void toolbarShowsEveryButtonWhole();
    void screenshotsOfEveryWindow();

private:
    ScriptedDialogs m_dialogs;
};

void TestDesktop::initTestCase() {
    if (!WindowManager::OnDesktop()) QSKIP("needs a desktop: run it through tests/support/xvfb-openbox");
}

void TestDesktop::init() {
    ApplyDefaultSkin();
    Clock::SetFixed(QDateTime(QDate(2026, 12, 11), QTime(9, 30, 0)));
}

void TestDesktop::titlesAreTheCaptions() {
    AllWindows all;
    for (const auto& [window, caption, name] : all.Entries()) {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QTRY_COMPARE(WindowManager::ShownTitle(window->winId()), caption);
        window->hide();
    }
}

void TestDesktop::disabledButtonsLookDisabled_data() {
    QTest::addColumn<int>("look");
    for (int look : Looks()) QTest::newRow(qPrintable(LookName(look))) << look;
}

void TestDesktop::disabledButtonsLookDisabled() {
    QFETCH(int, look);
    ApplyLook(look);
    QWidget box;
    auto* enabled = new QPushButton(QStringLiteral("修 改"), &box);
    auto* disabled = new QPushButton(QStringLiteral("修 改"), &box);
    enabled->setGeometry(0, 0, 80, 26);
    disabled->setGeometry(0, 30, 80, 26);
    disabled->setEnabled(false);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    const QImage on = Render(enabled), off = Render(disabled);
    QVERIFY2(on != off, "a disabled button is drawn exactly like an enabled one");
    // Dimmed: its caption stands out less from its face than an enabled one's.
    const QRect inner = on.rect().adjusted(4, 4, -4, -4);
    QVERIFY2(Contrast(off, inner) < Contrast(on, inner) * 3 / 4,
             qPrintable(QStringLiteral("contrast enabled %1, disabled %2")
                            .arg(Contrast(on, inner))
                            .arg(Contrast(off, inner))));
}

void TestDesktop::uncheckedBoxIsDrawn_data() { disabledButtonsLookDisabled_data(); }

void TestDesktop::uncheckedBoxIsDrawn() {
    QFETCH(int, look);
    ApplyLook(look);
    QWidget box;
    auto* unticked = new QCheckBox(QStringLiteral("打印POS小票"), &box);
    auto* ticked = new QCheckBox(QStringLiteral("打印POS小票"), &box);
    ticked->setChecked(true);
    unticked->move(0, 0);
    ticked->move(0, 40);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QStyleOptionButton option;
    option.initFrom(unticked);
    const QRect indicator =
        unticked->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, unticked);
    QVERIFY(!indicator.isEmpty());
    const QImage off = Render(unticked), on = Render(ticked);
    QVERIFY2(Contrast(off, indicator) >= 40, "the box of an unticked check box cannot be seen");
    QVERIFY2(off.copy(indicator) != on.copy(indicator), "ticked and unticked boxes look the same");
}

void TestDesktop::toolbarShowsEveryButtonWhole_data() { disabledButtonsLookDisabled_data(); }

void TestDesktop::toolbarShowsEveryButtonWhole() {
    QFETCH(int, look);
    ApplyLook(look);
    TestDatabase t;
    TMainForm form(t.dm(), t.Folder() + QStringLiteral("/config.ini"));
    form.show();  // the super administrator's view: all seven buttons
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto* bar = form.findChild<QWidget*>(QStringLiteral("mainToolbar"));
    QVERIFY(bar);
    const QList<QToolButton*> buttons = bar->findChildren<QToolButton*>(Qt::FindDirectChildrenOnly);
    QCOMPARE(buttons.size(), 7);
    const QRect client = form.rect();
    QRect previous;
    for (QToolButton* button : buttons) {
        const QRect r(button->mapTo(&form, QPoint(0, 0)), button->size());
        QVERIFY2(client.contains(r), qPrintable(button->text() + QStringLiteral(" is cut off")));
        QVERIFY2(button->visibleRegion().boundingRect() == button->rect(), qPrintable(button->text()));
        QVERIFY(!r.intersects(previous));
        previous = r;
        // The caption fits, and a menu's arrow does not cover it: the caption's pixels are the
        // same with and without the menu.
        QVERIFY2(button->fontMetrics().horizontalAdvance(button->text()) <= button->width() - 4,
                 qPrintable(button->text()));
        if (!button->menu()) continue;
        const QImage withMenu = Render(button);
        QMenu* menu = button->menu();
        button->setMenu(nullptr);
        const QImage without = Render(button);
        button->setMenu(menu);
        const int textTop = button->height() - button->fontMetrics().height() - 4;
        const QRect caption(0, textTop, button->width(), button->height() - textTop);
        QVERIFY2(withMenu.copy(caption) == without.copy(caption),
                 qPrintable(QStringLiteral("the menu arrow covers the caption of ") + button->text()));
    }
}

void TestDesktop::screenshotsOfEveryWindow() {
    if (qEnvironmentVariable("POS_SCREENSHOTS").isEmpty())
        QSKIP("set POS_SCREENSHOTS=<folder> to take pictures");
    for (int look : Looks()) {
        ApplyLook(look);
        AllWindows all;
        for (const auto& [window, caption, name] : all.Entries()) {
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window));
            SaveScreenshot(window, LookName(look) + u'-' + QLatin1String(name));
            window->hide();
        }
    }
}

POS_WIDGET_TEST_MAIN(TestDesktop)

#include "tst_desktop.moc"
