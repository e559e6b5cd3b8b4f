// On a real X display with a window manager: "软件升级" with no network answering ends in a
// visible failure within 25 s, and the checkout keeps taking scans while the check waits.

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include "app/MAIN.h"
#include "common/Clock.h"
#include "common/Dialogs.h"
#include "maintenance/About.h"
#include "tests/support/LocalHttpServer.h"
#include "tests/support/TestDatabase.h"
#include "tests/support/WidgetTest.h"

namespace {

constexpr qint64 kAnswerWithinMs = 25000;
const QString kCode = QStringLiteral("6901234567892");

// A cashier who answers every quantity prompt with 1 and reads every other box.
class Cashier : public Dialogs::Responder {
public:
    Cashier() : m_previous(Dialogs::SetResponder(this)) {}
    ~Cashier() override { Dialogs::SetResponder(m_previous); }
    Dialogs::Answer Respond(const Dialogs::Request& request) override {
        if (request.kind == Dialogs::Kind::Input) return {true, QStringLiteral("1")};
        shown << request.text;
        return {true, {}};
    }
    QStringList shown;

private:
    Dialogs::Responder* m_previous;
};

}  // namespace

class TestUpgradeDesk : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void makersAddressAnswers();
    void silentServerLeavesTheDeskWorking();

private:
    int ScannedQuantity();
    void ClickUpgrade();

    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<TMainForm> m_form;
    std::unique_ptr<TAboutBox> m_about;
    QTemporaryDir m_programFolder;
};

void TestUpgradeDesk::init() {
    Clock::SetFixed(QDateTime(QDate(2026, 12, 11), QTime(10, 0, 0)));
    m_db = std::make_unique<TestDatabase>();
    m_db->db().Exec(
        QStringLiteral(
            "insert into sp (商品编码,商品名称,规格型号,销售单价,进货单价,会员价,单位,商品类别,供货商) "
            "values (?,'矿泉水','500ml',2.5,1.2,0,'瓶','饮料','本地批发')"),
        {kCode});
    m_form = std::make_unique<TMainForm>(m_db->dm(), m_db->Folder() + QStringLiteral("/config.ini"));
    m_form->SetOperatorSource([] { return QStringLiteral("收银员"); });
    m_about = std::make_unique<TAboutBox>(m_form.get());
    m_form->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    m_form->ReloadSaleGrid();
    m_form->RefreshSaleTotals();
}

void TestUpgradeDesk::cleanup() {
    m_about.reset();  // a child of the main window
    m_form.reset();
    m_db.reset();
}

int TestUpgradeDesk::ScannedQuantity() {
    return m_db->db()
        .Scalar(QStringLiteral("select coalesce(sum([2]),0) from data where c=?"), {kCode})
        .toInt();
}

// As the cashier does it: the "技术支持" button drops down its menu, then "软件升级".
void TestUpgradeDesk::ClickUpgrade() {
    QMenu* menu = m_form->SupportMenu();
    QAction* upgrade = menu->findChild<QAction*>(QStringLiteral("upgradeAction"));
    bool clicked = false;
    QTimer poll;
    connect(&poll, &QTimer::timeout, menu, [&] {
        if (!menu->isVisible() || clicked) return;
        clicked = true;
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(upgrade).center());
    });
    poll.start(50);
    QTest::mouseClick(m_form->ToolButton(QStringLiteral("supportButton")), Qt::LeftButton);
    QTRY_VERIFY(clicked);
}

void TestUpgradeDesk::makersAddressAnswers() {
    // The address built into the program: here (and at a shop without a connection) nothing answers.
    UpgradeSettings settings = ProgramUpgradeSettings();
    settings.programPath = m_programFolder.filePath(QStringLiteral("chenlan-pos"));
    Upgrader upgrader(settings, m_form.get());
    ConnectSupportMenu(m_form->SupportMenu(), m_about.get(), &upgrader);
    Cashier cashier;
    QElapsedTimer clock;
    clock.start();
    ClickUpgrade();
    QVERIFY(upgrader.Busy() || !cashier.shown.isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(!upgrader.Busy(), kAnswerWithinMs);
    QVERIFY(clock.elapsed() < kAnswerWithinMs);
    QCOMPARE(cashier.shown.size(), 1);
    QVERIFY2(cashier.shown[0].startsWith(QStringLiteral("检查更新失败：无法取得更新信息文件：")),
             qPrintable(cashier.shown[0]));
}

void TestUpgradeDesk::silentServerLeavesTheDeskWorking() {
    // The worst a network does: it takes the connection and never answers.
    LocalHttpServer server;
    server.Serve(QStringLiteral("/update/chenlan-pos.update"), {200, {}, LocalHttpServer::Mode::Silent});
    UpgradeSettings settings = ProgramUpgradeSettings();  // the program's own time-out
    settings.infoUrl = server.Url(QStringLiteral("/update/chenlan-pos.update"));
    settings.programPath = m_programFolder.filePath(QStringLiteral("chenlan-pos"));
    Upgrader upgrader(settings, m_form.get());
    ConnectSupportMenu(m_form->SupportMenu(), m_about.get(), &upgrader);
    Cashier cashier;

    QElapsedTimer clock;
    clock.start();
    ClickUpgrade();
    QVERIFY(upgrader.Busy());
    int scans = 0;
    while (upgrader.Busy() && clock.elapsed() < kAnswerWithinMs) {
        m_form->activateWindow();
        m_form->EntryField()->setFocus();
        QTest::keyClicks(m_form->EntryField(), kCode);
        QTest::keyClick(m_form->EntryField(), Qt::Key_Return);
        ++scans;
        QCOMPARE(ScannedQuantity(), scans);  // each scan is on the sale at once
        QTest::qWait(1000);
    }
    QVERIFY2(!upgrader.Busy(), "no answer within 25 s");
    QVERIFY(clock.elapsed() < kAnswerWithinMs);
    QVERIFY2(scans >= 15, qPrintable(QString::number(scans)));
    QCOMPARE(
        cashier.shown,
        QStringList{QStringLiteral("检查更新失败：无法取得更新信息文件：连接超时（20 秒没有收到数据）")});
    QCOMPARE(m_form->TotalLabel()->text(),
             QStringLiteral("共:%1元").arg(QString::number(scans * 2.5, 'f', 2)));
}

POS_WIDGET_TEST_MAIN(TestUpgradeDesk)
#include "tst_upgrade_desk.moc"
