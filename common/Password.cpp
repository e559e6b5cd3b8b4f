#include "common/Password.h"

#include <sodium.h>

#include <QRegularExpression>
#include <stdexcept>

namespace {

// The largest cost accepted from a stored hash: what we write, with room for a later raise.
constexpr qint64 kMaxMemoryKiB = 256 * 1024;
constexpr qint64 kMaxPasses = 8;

void InitSodium() {
    static const bool ready = sodium_init() >= 0;
    if (!ready) throw std::runtime_error("libsodium cannot be initialised");
}

bool CostIsBounded(const QString& stored) {
    static const QRegularExpression pattern(
        QStringLiteral(R"(^\$argon2id\$v=19\$m=(\d{1,9}),t=(\d{1,4}),p=(\d{1,3})\$)"));
    const QRegularExpressionMatch match = pattern.match(stored);
    if (!match.hasMatch()) return false;
    return match.captured(1).toLongLong() <= kMaxMemoryKiB && match.captured(2).toLongLong() <= kMaxPasses &&
           match.captured(3).toLongLong() == 1;
}

}  // namespace

bool IsPasswordHash(const QString& stored) { return stored.startsWith(QLatin1String("$argon2")); }

QString HashPassword(const QString& plain) {
    InitSodium();
    const QByteArray bytes = plain.toUtf8();
    char hash[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(hash, bytes.constData(), quint64(bytes.size()), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        throw std::runtime_error("out of memory while hashing a password");
    return QString::fromLatin1(hash);
}

PasswordCheck VerifyPassword(const QString& stored, const QString& plain) {
    InitSodium();
    const QByteArray given = plain.toUtf8();
    if (!IsPasswordHash(stored)) {
        const QByteArray kept = stored.toUtf8();
        const bool same =
            kept.size() == given.size() &&
            (kept.isEmpty() || sodium_memcmp(kept.constData(), given.constData(), size_t(kept.size())) == 0);
        return same ? PasswordCheck::RightButPlainText : PasswordCheck::Wrong;
    }
    if (!CostIsBounded(stored)) return PasswordCheck::Wrong;
    const QByteArray hash = stored.toLatin1();
    return crypto_pwhash_str_verify(hash.constData(), given.constData(), quint64(given.size())) == 0
               ? PasswordCheck::Right
               : PasswordCheck::Wrong;
}
