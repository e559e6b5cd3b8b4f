// Opening the shop database at program start: a missing file is made only when asked for, and
// a file that cannot be opened is never touched.

#include <sys/fsuid.h>
#include <unistd.h>

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
    return file.open(QIODevice::ReadOnly)
               ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
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
    void readOnlyFileIsRefusedAndLeftAlone();
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
    QCOMPARE(dm.ADOConnection1
                 .Scalar(QStringLiteral("select count(*) from userdb where username=?"),
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
    // The main window closed the normal way.
    QVERIFY(QFile::exists(t.Folder() + QStringLiteral("/config.ini")));
    QCOMPARE(t.Count(QStringLiteral("rz")), 0);
}

void TestStartup::readOnlyFileIsRefusedAndLeftAlone() {
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).absoluteFilePath(QStringLiteral("data.mdb"));
    CreateDatabase(path, QStringLiteral("x"));
    QVERIFY(QFile::setPermissions(path,
                                  QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                                  QFileDevice::ReadGroup | QFileDevice::ExeGroup |
                                                  QFileDevice::ReadOther | QFileDevice::ExeOther));
    const QByteArray before = FileHash(path);
    ScriptedDialogs dialogs;
    dialogs.ExpectError(QStringLiteral("只读"));
    Tdmfm dm;
    // Root writes any file: check the way another user's program sees it.
    const bool root = geteuid() == 0;
    if (root) setfsuid(65534);
    const bool opened = OpenDatabase(dm, QDir(dir.path()));
    if (root) setfsuid(0);
    QFile::setPermissions(dir.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QVERIFY(!opened);
    VERIFY_DIALOGS(dialogs);
    QVERIFY2(dialogs.Shown().value(0).contains(QDir::toNativeSeparators(path)),
             qPrintable(dialogs.Shown().value(0)));
    QCOMPARE(FileHash(path), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({QStringLiteral("data.mdb")}));
}

POS_WIDGET_TEST_MAIN(TestStartup)
#include "tst_startup.moc"
