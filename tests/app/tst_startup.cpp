// Opening the shop database at program start: a missing file is made only when asked for, and
// a file that cannot be opened is never touched.

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QtTest>

#include "app/Program.h"
#include "common/Application.h"
#include "data/Schema.h"
#include "data/dm.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TestDatabase.h"
#include "tests/support/WidgetTest.h"

namespace {
QByteArray FileHash(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
                                          : QByteArray();
}
}  // namespace

class TestStartup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void missingDatabase_data();
    void missingDatabase();
    void unreadableFileIsLeftAlone();
    void programEndsWithItsMainWindow();
};

void TestStartup::missingDatabase_data() {
    QTest::addColumn<bool>("create");
    QTest::newRow("yes makes a new one") << true;
    QTest::newRow("no ends the program") << false;
}

void TestStartup::missingDatabase() {
    QFETCH(bool, create);
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).absoluteFilePath(QStringLiteral("data.mdb"));
    ScriptedDialogs dialogs;
    dialogs.Expect(Dialogs::Kind::YesNo, QDir::toNativeSeparators(path), create);
    Tdmfm dm;
    QCOMPARE(OpenDatabase(dm, QDir(dir.path())), create);
    VERIFY_DIALOGS(dialogs);
    QCOMPARE(QFile::exists(path), create);
    if (!create) return;
    QCOMPARE(dm.ADOConnection1.Scalar(QStringLiteral("select count(*) from userdb where username=?"),
                                      {QString::fromUtf8(kSuperAdmin)})
                 .toInt(),
             1);
}

void TestStartup::unreadableFileIsLeftAlone() {
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).absoluteFilePath(QStringLiteral("data.mdb"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4096, 'x'));
    }
    const QByteArray before = FileHash(path);
    ScriptedDialogs dialogs;
    dialogs.ExpectError(QStringLiteral("无法打开数据库"));
    Tdmfm dm;
    QVERIFY(!OpenDatabase(dm, QDir(dir.path())));
    VERIFY_DIALOGS(dialogs);
    QCOMPARE(FileHash(path), before);
}

void TestStartup::programEndsWithItsMainWindow() {
    // Another window still on the screen (a browser helper, a box left open) must not keep a
    // program without its main window running: closing the login without logging in ends it.
    TestDatabase t;
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(t.Folder()));
    QWidget stray;
    bool loginShown = false;
    const int result = RunProgram(*static_cast<TApplication*>(qApp), t.Folder(), [&] {
        loginShown = true;
        stray.show();
        QApplication::activeModalWidget()->close();
    });
    QDir::setCurrent(previous);
    QVERIFY(loginShown);
    QCOMPARE(result, 0);
    QVERIFY(stray.isVisible());
    QVERIFY(QFile::exists(t.Folder() + QStringLiteral("/config.ini")));  // the main window closed the normal way
    QCOMPARE(t.Count(QStringLiteral("rz")), 0);
}

POS_WIDGET_TEST_MAIN(TestStartup)
#include "tst_startup.moc"
