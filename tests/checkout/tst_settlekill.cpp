// A settling desk killed at random moments: a child process rings up and settles sales in a
// loop through the desk's own settlement and sale numbers, and is killed with SIGKILL again and
// again. After every kill the database must be whole, every sale must have its payment and all
// its lines or nothing, no sale number may repeat and the counter may never go back.

#include <signal.h>

#include <QCoreApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
#include <QtTest>
#include <cstdio>

#include "checkout/SaleCounters.h"
#include "checkout/Settlement.h"
#include "common/Clock.h"
#include "common/IniFile.h"
#include "data/Schema.h"
#include "data/dm.h"
#include "tests/support/TestDatabase.h"

namespace {

const char* const kChildFlag = "--settle-loop";
const QDate kToday(2026, 12, 11);
const QString kCashier = QStringLiteral("收银员");

// The child: what the desk does between its start and a settlement, for ever.
int SettleForever(const QString& database, const QString& config) {
    Clock::SetFixed(QDateTime(kToday, QTime(9, 0)));
    Tdmfm dm;
    dm.Open(database);
    Connection& db = dm.ADOConnection1;
    SaleCounters counters(config);
    counters.Load();
    counters.Repair(db, kToday);
    counters.Save();
    // The parent kills only from here on, however long the start took on a busy machine.
    fputs("settling\n", stdout);
    fflush(stdout);
    QRandomGenerator random(quint32(QCoreApplication::applicationPid()));
    for (;;) {
        // An open sale left by the last kill is settled first, as the desk would.
        if (db.Scalar(QStringLiteral("select count(*) from data")).toLongLong() == 0) {
            const int lines = 1 + int(random.bounded(5));
            for (int i = 0; i < lines; ++i) {
                const double quantity = 1 + random.bounded(3), price = 0.5 + random.bounded(20);
                db.Exec(QStringLiteral("insert into data(a,c,[1],[2],[4],[5],[6],[7],h,i,day1) "
                                       "values(?,?,?,?,?,0,?,?,?,?,?)"),
                        {QStringLiteral("商品%1").arg(i), QString::number(i), price / 2, quantity, price,
                         quantity * price, quantity * price / 2, counters.Number().trimmed(), kCashier,
                         kToday.toString(Qt::ISODate)});
            }
        }
        Payment payment;
        payment.saleNumber = counters.SettlingNumber(db, kCashier, kToday);
        payment.operatorName = kCashier;
        payment.saleDate = kToday;
        payment.total = db.Scalar(QStringLiteral("select total([6]) from data")).toDouble();
        payment.received = payment.total;
        payment.cash = payment.total;
        SettleOpenSale(db, payment);
        counters.Advance(db, kCashier, kToday);
        if (!counters.Save()) return 2;
    }
}

qint64 Number(Connection& db, const char* sql) { return db.Scalar(QString::fromUtf8(sql)).toLongLong(); }

}  // namespace

class TestSettleKill : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void killedWhileSettlingLosesNothing();
};

void TestSettleKill::killedWhileSettlingLosesNothing() {
    TestDatabase t;
    t.dm().Close();
    const QString config = t.Folder() + QStringLiteral("/config.ini");
    {
        IniFile first(config);
        first.SetValue(QStringLiteral("官网 www.chenlan-pos.example"), QStringLiteral("number"),
                       QStringLiteral("SYY261211000001 "));
        first.SetValue(QStringLiteral("永久免费"), QStringLiteral("number0"), QStringLiteral("1"));
        QVERIFY(first.Save());
    }
    QRandomGenerator random(20261211);
    qint64 lastCounter = 0, sales = 0;
    constexpr int kills = 30;
    for (int round = 0; round < kills; ++round) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(), {QLatin1String(kChildFlag), t.Path(), config});
        QVERIFY2(child.waitForStarted(), qPrintable(child.errorString()));
        while (!child.canReadLine() && child.waitForReadyRead(-1)) {
        }
        QThread::msleep(random.bounded(300));
        QVERIFY2(child.state() == QProcess::Running, "the settling child stopped by itself");
        ::kill(pid_t(child.processId()), SIGKILL);
        child.waitForFinished(-1);

        Tdmfm dm;
        dm.Open(t.Path());
        Connection& db = dm.ADOConnection1;
        QCOMPARE(db.Scalar(QStringLiteral("pragma integrity_check")).toString(), QStringLiteral("ok"));
        QCOMPARE(Number(db, "select count(*) from data3 where a not in (select h from data1)"), 0);
        QCOMPARE(Number(db, "select count(*) from data1 where h not in (select a from data3)"), 0);
        // All of a sale's lines: their amounts add up to its total.
        QCOMPARE(Number(db,
                        "select count(*) from data3 p where abs(p.[1] - (select total([6]) from data1 where "
                        "h=p.a)) > 1e-6"),
                 0);
        QCOMPARE(Number(db, "select count(*) - count(distinct a) from data3"), 0);
        // Numbers are issued in order: each sale's counter is above every earlier one.
        Query payments(db, QStringLiteral("select a from data3 order by ID"));
        payments.Open();
        qint64 previous = 0;
        for (payments.First(); !payments.Eof(); payments.Next()) {
            const QString number = payments.FieldByName(QStringLiteral("a")).AsString();
            QVERIFY2(number.startsWith(QLatin1String("SYY261211")), qPrintable(number));
            const qint64 counter = number.right(6).toLongLong();
            QVERIFY2(counter > previous, qPrintable(number));
            previous = counter;
        }
        IniFile ini(config);
        QVERIFY(ini.Load());
        const qint64 counter = ini.Value(QStringLiteral("永久免费"), QStringLiteral("number0")).toLongLong();
        QVERIFY2(counter >= lastCounter,
                 qPrintable(QStringLiteral("%1 after %2").arg(counter).arg(lastCounter)));
        lastCounter = counter;
        sales = payments.RecordCount();
    }
    qInfo("%d kills, %lld sales settled", kills, sales);
    // The kills must have hit a desk that was busy settling.
    QVERIFY2(sales >= kills / 4, qPrintable(QString::number(sales)));
}

int main(int argc, char** argv) {
    if (argc == 4 && qstrcmp(argv[1], kChildFlag) == 0) {
        QCoreApplication app(argc, argv);
        return SettleForever(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    QCoreApplication app(argc, argv);
    TestSettleKill test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_settlekill.moc"
