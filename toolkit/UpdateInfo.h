#pragma once
// The update-information file and its signature, without any network or widget: what the
// upgrader checks before it trusts a single byte it fetched, and what the signing tool writes.

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QUrl>
#include <optional>

// Version dates are written month/day/year ("12/14/2013"); a leading zero is optional.
std::optional<QDate> ParseVersionDate(const QString& text);
QString VersionDateText(QDate date);

enum class VersionOrder { Newer, NotNewer, Invalid };
// Compares as dates, never as text: "1/2/2014" is newer than "12/14/2013".
VersionOrder CompareVersionDates(const QString& offered, const QString& current);

struct UpdateInfo {
    QDate version;
    QString url;  // the new program, absolute or relative to the information file
    qint64 size = 0;
    QByteArray sha256;  // 32 raw bytes
};

// The largest program the upgrader will download, a guard against a mistyped size.
inline constexpr qint64 kMaxProgramSize = 512ll * 1024 * 1024;

// Lines "key=value": version, url, size, sha256 (hex). Empty and "#" lines are skipped.
std::optional<UpdateInfo> ParseUpdateInfo(const QByteArray& bytes, QString* error);
QByteArray WriteUpdateInfo(const UpdateInfo& info);

// Ed25519 over the exact bytes. The signature file holds the 64-byte signature in base64.
inline constexpr int kPublicKeyBytes = 32;
inline constexpr int kSeedBytes = 32;
bool VerifyDetached(const QByteArray& bytes, const QByteArray& signatureFile, const QByteArray& publicKey);
QByteArray SignDetached(const QByteArray& bytes, const QByteArray& seed);  // the signature file's text
QByteArray PublicKeyFromSeed(const QByteArray& seed);
