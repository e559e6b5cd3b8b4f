#include "toolkit/UpdateInfo.h"

#include <sodium.h>

#include <QRegularExpression>

static_assert(kPublicKeyBytes == crypto_sign_PUBLICKEYBYTES && kSeedBytes == crypto_sign_SEEDBYTES);

std::optional<QDate> ParseVersionDate(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,2})/(\\d{1,2})/(\\d{4})$"));
    const QRegularExpressionMatch match = pattern.match(text.trimmed());
    if (!match.hasMatch()) return std::nullopt;
    const QDate date(match.captured(3).toInt(), match.captured(1).toInt(), match.captured(2).toInt());
    if (!date.isValid()) return std::nullopt;
    return date;
}

QString VersionDateText(QDate date) { return date.toString(QStringLiteral("MM/dd/yyyy")); }

VersionOrder CompareVersionDates(const QString& offered, const QString& current) {
    const std::optional<QDate> a = ParseVersionDate(offered);
    const std::optional<QDate> b = ParseVersionDate(current);
    if (!a || !b) return VersionOrder::Invalid;
    return *a > *b ? VersionOrder::Newer : VersionOrder::NotNewer;
}

std::optional<UpdateInfo> ParseUpdateInfo(const QByteArray& bytes, QString* error) {
    const auto fail = [error](const QString& why) {
        if (error) *error = why;
        return std::nullopt;
    };
    QString version, url, size, sha256;
    for (QByteArray line : bytes.split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith('#')) continue;
        const qsizetype equals = line.indexOf('=');
        if (equals <= 0)
            return fail(QStringLiteral("无法识别的行：%1").arg(QString::fromUtf8(line.left(40))));
        const QByteArray key = line.left(equals).trimmed();
        const QString value = QString::fromUtf8(line.mid(equals + 1).trimmed());
        QString* slot = key == "version"  ? &version
                        : key == "url"    ? &url
                        : key == "size"   ? &size
                        : key == "sha256" ? &sha256
                                          : nullptr;
        if (!slot) continue;  // room for later keys
        if (!slot->isEmpty()) return fail(QStringLiteral("重复的项：%1").arg(QString::fromLatin1(key)));
        *slot = value;
    }
    UpdateInfo info;
    const std::optional<QDate> date = ParseVersionDate(version);
    if (!date) return fail(QStringLiteral("版本日期无效：%1").arg(version));
    info.version = *date;
    if (url.isEmpty() || !QUrl(url).isValid()) return fail(QStringLiteral("下载地址无效"));
    info.url = url;
    bool ok = false;
    info.size = size.toLongLong(&ok);
    if (!ok || info.size <= 0 || info.size > kMaxProgramSize)
        return fail(QStringLiteral("文件大小无效：%1").arg(size));
    static const QRegularExpression hex(QStringLiteral("^[0-9a-fA-F]{64}$"));
    if (!hex.match(sha256).hasMatch()) return fail(QStringLiteral("校验值无效"));
    info.sha256 = QByteArray::fromHex(sha256.toLatin1());
    return info;
}

QByteArray WriteUpdateInfo(const UpdateInfo& info) {
    return "version=" + VersionDateText(info.version).toLatin1() + "\nurl=" + info.url.toUtf8() +
           "\nsize=" + QByteArray::number(info.size) + "\nsha256=" + info.sha256.toHex() + '\n';
}

namespace {
bool SodiumReady() { return sodium_init() >= 0; }
}  // namespace

bool VerifyDetached(const QByteArray& bytes, const QByteArray& signatureFile, const QByteArray& publicKey) {
    if (!SodiumReady() || publicKey.size() != crypto_sign_PUBLICKEYBYTES) return false;
    const auto decoded =
        QByteArray::fromBase64Encoding(signatureFile.trimmed(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.size() != crypto_sign_BYTES) return false;
    return crypto_sign_verify_detached(reinterpret_cast<const unsigned char*>(decoded.decoded.constData()),
                                       reinterpret_cast<const unsigned char*>(bytes.constData()),
                                       static_cast<unsigned long long>(bytes.size()),
                                       reinterpret_cast<const unsigned char*>(publicKey.constData())) == 0;
}

namespace {
struct KeyPair {
    unsigned char publicKey[crypto_sign_PUBLICKEYBYTES];
    unsigned char secretKey[crypto_sign_SECRETKEYBYTES];
    ~KeyPair() { sodium_memzero(secretKey, sizeof secretKey); }
};

bool MakeKeyPair(const QByteArray& seed, KeyPair& keys) {
    return SodiumReady() && seed.size() == crypto_sign_SEEDBYTES &&
           crypto_sign_seed_keypair(keys.publicKey, keys.secretKey,
                                    reinterpret_cast<const unsigned char*>(seed.constData())) == 0;
}
}  // namespace

QByteArray SignDetached(const QByteArray& bytes, const QByteArray& seed) {
    KeyPair keys;
    if (!MakeKeyPair(seed, keys)) return {};
    QByteArray signature(crypto_sign_BYTES, Qt::Uninitialized);
    crypto_sign_detached(reinterpret_cast<unsigned char*>(signature.data()), nullptr,
                         reinterpret_cast<const unsigned char*>(bytes.constData()),
                         static_cast<unsigned long long>(bytes.size()), keys.secretKey);
    return signature.toBase64() + '\n';
}

QByteArray PublicKeyFromSeed(const QByteArray& seed) {
    KeyPair keys;
    if (!MakeKeyPair(seed, keys)) return {};
    return QByteArray(reinterpret_cast<const char*>(keys.publicKey), crypto_sign_PUBLICKEYBYTES);
}
