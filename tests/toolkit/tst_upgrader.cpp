// The upgrader against an HTTP server inside the test: only a newer version signed by the
// maker's key, downloaded whole with the signed size and SHA-256, ever replaces the program.

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include "tests/support/LocalHttpServer.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/WidgetTest.h"
#include "toolkit/UpdateInfo.h"
#include "toolkit/Upgrader.h"

namespace {

using Mode = LocalHttpServer::Mode;
using Outcome = Upgrader::Outcome;

const QByteArray kSeed(32, '\x07');
const QByteArray kOtherSeed(32, '\x09');
const QByteArray kOldProgram = "#!/bin/sh\necho old program\n";

QByteArray NewProgram() {
    QByteArray bytes;
    for (int i = 0; i < 300 * 1024; ++i) bytes.append(static_cast<char>((i * 131 + i / 7) & 0xff));
    return bytes;
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

int FileMode(const QString& path) {
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0
               ? static_cast<int>(status.st_mode & 07777)
               : -1;
}

// A folder nobody may write to, not even root: mode 0555, and the immutable flag where the
// permission bits do not stop the caller.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString& path) : m_path(QFile::encodeName(path)) {
        ::chmod(m_path.constData(), 0555);
        if (::access(m_path.constData(), W_OK) != 0) return;
        const int fd = ::open(m_path.constData(), O_RDONLY | O_DIRECTORY);
        int flags = 0;
        if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags |= FS_IMMUTABLE_FL;
            m_immutable = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        if (fd >= 0) ::close(fd);
    }
    ~ReadOnlyFolder() {
        if (m_immutable) {
            const int fd = ::open(m_path.constData(), O_RDONLY | O_DIRECTORY);
            int flags = 0;
            if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
                flags &= ~FS_IMMUTABLE_FL;
                ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
            }
            if (fd >= 0) ::close(fd);
        }
        ::chmod(m_path.constData(), 0755);
    }
    bool Effective() const { return ::access(m_path.constData(), W_OK) != 0 || m_immutable; }

private:
    QByteArray m_path;
    bool m_immutable = false;
};

enum class Signature { Good, OverOtherBytes, OtherKey, Missing };
enum class Info { Normal, SignedGarbage, Garbage, NotFound, TooLarge, NeverAnswers };
enum class Download { Exact, OneByteChanged, OneByteLonger, Truncated };

}  // namespace

Q_DECLARE_METATYPE(Signature)
Q_DECLARE_METATYPE(Info)
Q_DECLARE_METATYPE(Download)
Q_DECLARE_METATYPE(Upgrader::Outcome)

class TestUpgrader : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void versionDates_data();
    void versionDates();
    void check_data();
    void check();
    void cancelLeavesNothingBehind();

private:
    UpgradeSettings Settings(const QString& programPath, int stallMs = 400) const;
    LocalHttpServer m_server;
};

void TestUpgrader::versionDates_data() {
    QTest::addColumn<QString>("offered");
    QTest::addColumn<QString>("current");
    QTest::addColumn<VersionOrder>("order");
    QTest::newRow("a day later") << "12/15/2013"
                                 << "12/14/2013" << VersionOrder::Newer;
    QTest::newRow("same day") << "12/14/2013"
                              << "12/14/2013" << VersionOrder::NotNewer;
    QTest::newRow("leading zeros are the same day") << "01/02/2014"
                                                    << "1/2/2014" << VersionOrder::NotNewer;
    QTest::newRow("a day earlier") << "12/13/2013"
                                   << "12/14/2013" << VersionOrder::NotNewer;
    QTest::newRow("next year, smaller as text") << "1/2/2014"
                                                << "12/14/2013" << VersionOrder::Newer;
    QTest::newRow("next month, smaller as text") << "02/01/2014"
                                                 << "12/14/2013" << VersionOrder::Newer;
    QTest::newRow("later month, earlier year") << "12/31/2012"
                                               << "1/1/2013" << VersionOrder::NotNewer;
    QTest::newRow("day and month swapped") << "14/12/2013"
                                           << "12/14/2013" << VersionOrder::Invalid;
    QTest::newRow("no such day") << "2/30/2014"
                                 << "12/14/2013" << VersionOrder::Invalid;
    QTest::newRow("iso form") << "2014-01-02"
                              << "12/14/2013" << VersionOrder::Invalid;
    QTest::newRow("empty") << ""
                           << "12/14/2013" << VersionOrder::Invalid;
    QTest::newRow("two-digit year") << "1/2/14"
                                    << "12/14/2013" << VersionOrder::Invalid;
}

void TestUpgrader::versionDates() {
    QFETCH(QString, offered);
    QFETCH(QString, current);
    QFETCH(VersionOrder, order);
    QCOMPARE(CompareVersionDates(offered, current), order);
}

UpgradeSettings TestUpgrader::Settings(const QString& programPath, int stallMs) const {
    UpgradeSettings settings;
    settings.infoUrl = m_server.Url(QStringLiteral("/update/chenlan-pos.update"));
    settings.programPath = programPath;
    settings.currentVersion = QStringLiteral("12/14/2013");
    settings.publicKey = PublicKeyFromSeed(kSeed);
    settings.stallTimeoutMs = stallMs;
    return settings;
}

void TestUpgrader::check_data() {
    QTest::addColumn<QString>("version");
    QTest::addColumn<Info>("info");
    QTest::addColumn<Signature>("signature");
    QTest::addColumn<Download>("download");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QString>("message");

    const auto row = [](const char* name, const char* version, Outcome outcome,
                        const char* message) -> QTestData& {
        return QTest::newRow(name) << QString::fromLatin1(version) << Info::Normal << Signature::Good
                                   << Download::Exact << true << false << outcome
                                   << QString::fromUtf8(message);
    };
    row("same date", "12/14/2013", Outcome::UpToDate, "当前已是最新版本");
    row("older date", "1/2/2013", Outcome::UpToDate, "当前已是最新版本");
    row("newer, yes", "1/2/2014", Outcome::Upgraded, "升级完成（01/02/2014）");
    QTest::newRow("newer, no") << "1/2/2014" << Info::Normal << Signature::Good << Download::Exact << false
                               << false << Outcome::Declined << "发现新版本（01/02/2014），是否下载并升级？";
    const char* badSignature = "检查更新失败：更新信息的签名无效";
    QTest::newRow("signature over other bytes")
        << "1/2/2014" << Info::Normal << Signature::OverOtherBytes << Download::Exact << true << false
        << Outcome::Failed << badSignature;
    QTest::newRow("signature by another key")
        << "1/2/2014" << Info::Normal << Signature::OtherKey << Download::Exact << true << false
        << Outcome::Failed << badSignature;
    QTest::newRow("signature missing")
        << "1/2/2014" << Info::Normal << Signature::Missing << Download::Exact << true << false
        << Outcome::Failed << "检查更新失败：无法取得签名文件：服务器返回 HTTP 404";
    QTest::newRow("download one byte changed")
        << "1/2/2014" << Info::Normal << Signature::Good << Download::OneByteChanged << true << false
        << Outcome::Failed << "检查更新失败：下载的文件校验失败";
    QTest::newRow("download one byte longer")
        << "1/2/2014" << Info::Normal << Signature::Good << Download::OneByteLonger << true << false
        << Outcome::Failed << "检查更新失败：下载的文件大小不符";
    QTest::newRow("download truncated")
        << "1/2/2014" << Info::Normal << Signature::Good << Download::Truncated << true << false
        << Outcome::Failed << "检查更新失败：下载";
    QTest::newRow("information 404") << "1/2/2014" << Info::NotFound << Signature::Good << Download::Exact
                                     << true << false << Outcome::Failed
                                     << "检查更新失败：无法取得更新信息文件：服务器返回 HTTP 404";
    QTest::newRow("garbage, unsigned") << "1/2/2014" << Info::Garbage << Signature::Good << Download::Exact
                                       << true << false << Outcome::Failed << badSignature;
    QTest::newRow("garbage, signed") << "1/2/2014" << Info::SignedGarbage << Signature::Good
                                     << Download::Exact << true << false << Outcome::Failed
                                     << "检查更新失败：更新信息有误：";
    QTest::newRow("70 KiB information file")
        << "1/2/2014" << Info::TooLarge << Signature::Good << Download::Exact << true << false
        << Outcome::Failed << "检查更新失败：更新信息文件过大";
    QTest::newRow("server never answers")
        << "1/2/2014" << Info::NeverAnswers << Signature::Good << Download::Exact << true << false
        << Outcome::Failed << "检查更新失败：无法取得更新信息文件：连接超时";
    QTest::newRow("read-only program folder")
        << "1/2/2014" << Info::Normal << Signature::Good << Download::Exact << true << true << Outcome::Failed
        << "检查更新失败：没有写入权限";
}

void TestUpgrader::check() {
    QFETCH(QString, version);
    QFETCH(Info, info);
    QFETCH(Signature, signature);
    QFETCH(Download, download);
    QFETCH(bool, yes);
    QFETCH(bool, readOnly);
    QFETCH(Outcome, outcome);
    QFETCH(QString, message);
    QVERIFY(m_server.Listening());

    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("chenlan-pos"));
    WriteAll(program, kOldProgram);
    ::chmod(QFile::encodeName(program).constData(), 0700);

    const QByteArray newProgram = NewProgram();
    UpdateInfo offered{*ParseVersionDate(version), QStringLiteral("files/chenlan-pos-new"), newProgram.size(),
                       QCryptographicHash::hash(newProgram, QCryptographicHash::Sha256)};
    QByteArray infoBytes = WriteUpdateInfo(offered);
    if (info == Info::SignedGarbage || info == Info::Garbage)
        infoBytes = "\x89PNG\r\n garbage \x01\x02 = =\n";
    QByteArray signatureBytes = SignDetached(infoBytes, kSeed);
    if (signature == Signature::OverOtherBytes) signatureBytes = SignDetached(infoBytes + "\n", kSeed);
    if (signature == Signature::OtherKey) signatureBytes = SignDetached(infoBytes, kOtherSeed);
    if (info == Info::Garbage) signatureBytes = "AAAA";
    if (info == Info::TooLarge) infoBytes = infoBytes + QByteArray(70 * 1024, '#');

    const QString infoPath = QStringLiteral("/update/chenlan-pos.update");
    const QString downloadPath = QStringLiteral("/update/files/chenlan-pos-new");
    m_server.Serve(infoPath, {info == Info::NotFound ? 404 : 200, infoBytes,
                              info == Info::NeverAnswers ? Mode::Silent : Mode::Whole});
    m_server.Serve(infoPath + QStringLiteral(".sig"),
                   {signature == Signature::Missing ? 404 : 200, signatureBytes, Mode::Whole});
    QByteArray served = newProgram;
    if (download == Download::OneByteChanged) served[1000] = static_cast<char>(served[1000] ^ 1);
    if (download == Download::OneByteLonger) served.append('x');
    m_server.Serve(downloadPath,
                   {200, served, download == Download::Truncated ? Mode::Truncate : Mode::Whole, 1000});

    ScriptedDialogs dialogs;
    if (outcome == Outcome::Upgraded || outcome == Outcome::Declined || readOnly ||
        message.contains(QStringLiteral("下载")))
        dialogs.Expect(Dialogs::Kind::YesNo, QStringLiteral("发现新版本（01/02/2014），是否下载并升级？"),
                       yes);
    if (outcome == Outcome::Failed) dialogs.ExpectError(message);
    if (outcome == Outcome::UpToDate || outcome == Outcome::Upgraded) dialogs.ExpectMessage(message);

    std::optional<ReadOnlyFolder> locked;
    if (readOnly) {
        locked.emplace(dir.path());
        if (!locked->Effective()) QSKIP("this file system lets the test write to a read-only folder");
    }
    const qsizetype requestsBefore = m_server.Requests().size();
    Upgrader upgrader(Settings(program), nullptr);
    QSignalSpy finished(&upgrader, &Upgrader::Finished);
    QVERIFY(upgrader.Check());
    QVERIFY(!upgrader.Check());  // one check at a time
    QTRY_COMPARE(finished.size(), 1);
    locked.reset();

    QCOMPARE(finished[0][0].value<Outcome>(), outcome);
    QVERIFY2(finished[0][1].toString().startsWith(message), qPrintable(finished[0][1].toString()));
    VERIFY_DIALOGS(dialogs);
    QVERIFY(!upgrader.Busy());

    const QStringList requests = m_server.Requests().mid(requestsBefore);
    const bool downloads =
        yes && !readOnly && (outcome == Outcome::Upgraded || message.contains(QStringLiteral("下载")));
    QCOMPARE(requests.contains(downloadPath), downloads);
    QCOMPARE(requests.contains(infoPath + QStringLiteral(".sig")),
             info != Info::NotFound && info != Info::TooLarge && info != Info::NeverAnswers);

    QStringList expectedFiles{QStringLiteral("chenlan-pos")};
    if (outcome == Outcome::Upgraded) {
        QCOMPARE(ReadAll(program), newProgram);
        QCOMPARE(FileMode(program), 0755);
        QCOMPARE(ReadAll(program + QStringLiteral(".old")), kOldProgram);
        expectedFiles << QStringLiteral("chenlan-pos.old");
    } else {
        QCOMPARE(ReadAll(program), kOldProgram);
        QCOMPARE(FileMode(program), 0700);
    }
    // No partial download is left behind, hidden or not.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System), expectedFiles);
}

void TestUpgrader::cancelLeavesNothingBehind() {
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("chenlan-pos"));
    WriteAll(program, kOldProgram);
    const QByteArray newProgram = NewProgram();
    const QByteArray infoBytes = WriteUpdateInfo(
        {QDate(2014, 3, 1), m_server.Url(QStringLiteral("/stall/program")).toString(), newProgram.size(),
         QCryptographicHash::hash(newProgram, QCryptographicHash::Sha256)});
    m_server.Serve(QStringLiteral("/update/chenlan-pos.update"), {200, infoBytes});
    m_server.Serve(QStringLiteral("/update/chenlan-pos.update.sig"), {200, SignDetached(infoBytes, kSeed)});
    m_server.Serve(QStringLiteral("/stall/program"), {200, newProgram, Mode::Stall});

    ScriptedDialogs dialogs;
    dialogs.Expect(Dialogs::Kind::YesNo, QStringLiteral("发现新版本（03/01/2014）"), true);
    Upgrader upgrader(Settings(program, 60000), nullptr);
    QSignalSpy finished(&upgrader, &Upgrader::Finished);
    QVERIFY(upgrader.Check());
    // Half the program has arrived and the server has gone quiet: the progress shows it.
    QTRY_VERIFY(upgrader.Progress() && upgrader.Progress()->value() >= 490);
    QCOMPARE(ReadAll(program), kOldProgram);  // nothing is replaced while the download runs
    QTest::mouseClick(upgrader.Progress()->findChild<QPushButton*>(), Qt::LeftButton);
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished[0][0].value<Outcome>(), Outcome::Cancelled);
    VERIFY_DIALOGS(dialogs);
    QCOMPARE(ReadAll(program), kOldProgram);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("chenlan-pos")});
}

POS_WIDGET_TEST_MAIN(TestUpgrader)
#include "tst_upgrader.moc"
