// pos-sign-update: the maker's signing command for program updates. It keeps the secret key in a
// file outside the source tree; only the public key it prints goes into toolkit/UpgradeKey.h.

#include <sodium.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

#include "toolkit/UpdateInfo.h"

namespace {

QTextStream& Out() {
    static QTextStream out(stdout);
    return out;
}
QTextStream& Err() {
    static QTextStream err(stderr);
    return err;
}

int Usage() {
    Err() << "usage: pos-sign-update keygen KEYFILE\n"
             "           a new secret key in KEYFILE (outside the source tree); prints the public key\n"
             "       pos-sign-update public KEYFILE\n"
             "           prints the public key of KEYFILE\n"
             "       pos-sign-update sign KEYFILE PROGRAM VERSION URL OUTDIR\n"
             "           writes OUTDIR/chenlan-pos.update and its signature chenlan-pos.update.sig;\n"
             "           VERSION is month/day/year (12/14/2013), URL where PROGRAM will be served,\n"
             "           absolute or relative to the information file\n";
    return 2;
}

bool Fail(const QString& message) {
    Err() << "pos-sign-update: " << message << '\n';
    return false;
}

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return Fail(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    return true;
}

bool InsideSourceTree(const QString& path) {
    const QString source = QDir(QStringLiteral(POS_SOURCE_DIR)).canonicalPath();
    const QString folder = QFileInfo(QFileInfo(path).absolutePath()).canonicalFilePath();
    return !folder.isEmpty() && (folder == source || folder.startsWith(source + QLatin1Char('/')));
}

bool ReadSeed(const QString& path, QByteArray* seed) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Fail(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    const auto decoded =
        QByteArray::fromBase64Encoding(file.readAll().trimmed(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.size() != kSeedBytes)
        return Fail(QStringLiteral("%1 holds no secret key").arg(path));
    *seed = decoded.decoded;
    return true;
}

void PrintPublicKey(const QByteArray& seed) {
    Out() << "public key (base64): " << PublicKeyFromSeed(seed).toBase64() << '\n';
}

bool KeyGen(const QString& path) {
    if (InsideSourceTree(path)) return Fail(QStringLiteral("keep the secret key outside the source tree"));
    if (QFileInfo::exists(path))
        return Fail(QStringLiteral("%1 exists already; a new key would orphan it").arg(path));
    const mode_t previous = umask(077);  // the key file is for the maker's eyes only
    QByteArray seed(kSeedBytes, Qt::Uninitialized);
    randombytes_buf(seed.data(), static_cast<size_t>(seed.size()));
    const bool written = WriteAll(path, seed.toBase64() + '\n');
    umask(previous);
    if (!written) return false;
    PrintPublicKey(seed);
    sodium_memzero(seed.data(), static_cast<size_t>(seed.size()));
    return true;
}

bool Sign(const QStringList& args) {
    QByteArray seed;
    if (!ReadSeed(args[0], &seed)) return false;
    QFile program(args[1]);
    if (!program.open(QIODevice::ReadOnly))
        return Fail(QStringLiteral("cannot read %1: %2").arg(args[1], program.errorString()));
    QCryptographicHash sha(QCryptographicHash::Sha256);
    if (!sha.addData(&program)) return Fail(QStringLiteral("cannot read %1").arg(args[1]));
    const std::optional<QDate> version = ParseVersionDate(args[2]);
    if (!version) return Fail(QStringLiteral("%1 is not a month/day/year date").arg(args[2]));
    UpdateInfo info{*version, args[3], program.size(), sha.result()};
    const QByteArray text = WriteUpdateInfo(info);
    QString error;
    if (!ParseUpdateInfo(text, &error)) return Fail(error);
    const QDir out(args[4]);
    const QString infoPath = out.filePath(QStringLiteral("chenlan-pos.update"));
    if (!WriteAll(infoPath, text) || !WriteAll(infoPath + QStringLiteral(".sig"), SignDetached(text, seed)))
        return false;
    Out() << "wrote " << infoPath << " and its signature\n" << text;
    PrintPublicKey(seed);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (sodium_init() < 0) return Fail(QStringLiteral("libsodium cannot start")) ? 0 : 1;
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 2 && args[0] == QLatin1String("keygen")) return KeyGen(args[1]) ? 0 : 1;
    if (args.size() == 2 && args[0] == QLatin1String("public")) {
        QByteArray seed;
        if (!ReadSeed(args[1], &seed)) return 1;
        PrintPublicKey(seed);
        return 0;
    }
    if (args.size() == 6 && args[0] == QLatin1String("sign")) return Sign(args.mid(1)) ? 0 : 1;
    return Usage();
}
