// The about box and the support menu: any number of openings, the maker's addresses handed to the
// desktop, a failed open said aloud, and "软件升级" unavailable while a check runs.

#include <QDesktopServices>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include "app/MAIN.h"
#include "common/Maker.h"
#include "maintenance/About.h"
#include "tests/support/LocalHttpServer.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TestDatabase.h"
#include "tests/support/WidgetTest.h"

// Stands for the browser and the mail program.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl& url) { opened << url; }
};

class TestAbout : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup();
    void opensAndClosesAnyNumberOfTimes();
    void addressesGoToTheDesktop();
    void failedOpenSaysSo();
    void supportMenu();

private:
    void RecordUrls(UrlRecorder* recorder);
    UrlRecorder m_recorder;  // outlives its registration, which cleanup() ends
};

void TestAbout::RecordUrls(UrlRecorder* recorder) {
    for (const char* scheme : {"http", "https", "mailto"})
        QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), recorder, "open");
}

void TestAbout::cleanup() {
    for (const char* scheme : {"http", "https", "mailto"})
        QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
}

void TestAbout::opensAndClosesAnyNumberOfTimes() {
    QWidget mainWindow;
    TAboutBox about(&mainWindow);
    QCOMPARE(about.objectName(), QStringLiteral("AboutBox"));
    for (int round = 0; round < 3; ++round) {
        bool shown = false;
        QTimer::singleShot(0, &about, [&] {
            shown = about.isVisible() && about.isModal();
            // OK twice, the close box (Escape) once: each way leaves the box as it was.
            if (round == 1)
                QTest::keyClick(&about, Qt::Key_Escape);
            else
                QTest::mouseClick(about.OkButton(), Qt::LeftButton);
        });
        const int result = about.exec();
        QVERIFY(shown);
        QCOMPARE(result, round == 1 ? QDialog::Rejected : QDialog::Accepted);
        QVERIFY(!about.isVisible());
        QCOMPARE(about.windowTitle(), QStringLiteral("关于软件..."));
        QCOMPARE(about.size(), QSize(387, 163));
        QCOMPARE(about.EmailLink()->text(), QStringLiteral("service@chenlan-pos.example"));
        QCOMPARE(about.WebLink()->text(), QStringLiteral("www.chenlan-pos.example"));
    }
    QVERIFY(about.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!about.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!about.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
}

void TestAbout::addressesGoToTheDesktop() {
    UrlRecorder& recorder = m_recorder;
    RecordUrls(&recorder);
    ScriptedDialogs dialogs;  // nothing to say when the desktop takes the address
    TAboutBox about;
    about.show();
    for (QLabel* link : {about.EmailLink(), about.WebLink()}) {
        QVERIFY(link->font().underline());
        QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
        QTest::mouseClick(link, Qt::LeftButton);
    }
    QCOMPARE(recorder.opened, QList<QUrl>({QUrl(QStringLiteral("mailto:service@chenlan-pos.example")),
                                           QUrl(QStringLiteral("http://www.chenlan-pos.example/"))}));

    // The support menu's web-site entry goes the same way.
    TestDatabase t;
    TMainForm form(t.dm(), t.Folder() + QStringLiteral("/config.ini"));
    form.SupportMenu()->findChild<QAction*>(QStringLiteral("webSiteAction"))->trigger();
    QCOMPARE(recorder.opened.size(), 3);
    QCOMPARE(recorder.opened.last(), QUrl(QStringLiteral("http://www.chenlan-pos.example/")));
    VERIFY_DIALOGS(dialogs);
}

void TestAbout::failedOpenSaysSo() {
    // With no browser or mail program to take the address, the desktop refuses it.
    if (QDesktopServices::openUrl(QUrl(QStringLiteral("mailto:nobody@chenlan-pos.example"))))
        QSKIP("this desktop opens addresses");
    ScriptedDialogs dialogs;
    dialogs.ExpectWarning(QStringLiteral("无法打开：service@chenlan-pos.example"));
    dialogs.ExpectWarning(QStringLiteral("无法打开：www.chenlan-pos.example"));
    dialogs.ExpectWarning(QStringLiteral("无法打开：www.chenlan-pos.example"));
    TAboutBox about;
    about.show();
    QTest::mouseClick(about.EmailLink(), Qt::LeftButton);
    QTest::mouseClick(about.WebLink(), Qt::LeftButton);
    TestDatabase t;
    TMainForm form(t.dm(), t.Folder() + QStringLiteral("/config.ini"));
    form.SupportMenu()->findChild<QAction*>(QStringLiteral("webSiteAction"))->trigger();
    VERIFY_DIALOGS(dialogs);
}

void TestAbout::supportMenu() {
    TestDatabase t;
    TMainForm form(t.dm(), t.Folder() + QStringLiteral("/config.ini"));
    TAboutBox about(&form);
    LocalHttpServer server;
    server.Serve(QStringLiteral("/info"), {200, {}, LocalHttpServer::Mode::Silent});
    QTemporaryDir dir;
    UpgradeSettings settings = ProgramUpgradeSettings();
    QCOMPARE(settings.currentVersion, QStringLiteral("12/14/2013"));
    QCOMPARE(settings.publicKey.size(), 32);
    settings.infoUrl = server.Url(QStringLiteral("/info"));
    settings.programPath = dir.filePath(QStringLiteral("chenlan-pos"));
    settings.stallTimeoutMs = 300;
    Upgrader upgrader(settings, &form);
    ConnectSupportMenu(form.SupportMenu(), &about, &upgrader);

    auto* showAbout = form.SupportMenu()->findChild<QAction*>(QStringLiteral("aboutAction"));
    QCOMPARE(showAbout->text(), QStringLiteral("关于..."));
    QTimer::singleShot(0, &about, [&about] { about.accept(); });
    showAbout->trigger();
    QVERIFY(!about.isVisible());

    auto* upgrade = form.SupportMenu()->findChild<QAction*>(QStringLiteral("upgradeAction"));
    QCOMPARE(upgrade->text(), QStringLiteral("软件升级"));
    ScriptedDialogs dialogs;
    dialogs.ExpectError(QStringLiteral("检查更新失败：无法取得更新信息文件：连接超时"));
    QSignalSpy finished(&upgrader, &Upgrader::Finished);
    upgrade->trigger();
    QVERIFY(upgrader.Busy());
    QVERIFY(!upgrade->isEnabled());  // one check at a time
    QTRY_COMPARE(finished.size(), 1);
    QVERIFY(upgrade->isEnabled());
    QCOMPARE(server.Requests(), QStringList{QStringLiteral("/info")});
    VERIFY_DIALOGS(dialogs);
}

POS_WIDGET_TEST_MAIN(TestAbout)
#include "tst_about.moc"
