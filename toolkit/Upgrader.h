#pragma once
// Asks the maker's server for a newer program and installs it, all on the user-interface thread
// without ever blocking it. Nothing fetched is trusted before its Ed25519 signature checks out
// against the key built into the program; the download must match the signed size and SHA-256.
// Every check ends in one visible result: up to date, the question, or the reason it failed.

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <functional>
#include <memory>

class QCryptographicHash;
class QNetworkAccessManager;
class QNetworkReply;
class QProgressDialog;
class QTemporaryFile;
class QWidget;
struct UpdateInfo;

struct UpgradeSettings {
    QUrl infoUrl;  // the signature is the same address with ".sig" added
    QString programPath;
    QString currentVersion;  // month/day/year
    QByteArray publicKey;
    int stallTimeoutMs = 20000;  // a transfer that moves no byte for this long fails
};

// Caps on what the server may send before the signature has been checked.
inline constexpr qint64 kMaxInfoBytes = 64 * 1024;
inline constexpr qint64 kMaxSignatureBytes = 1024;

// Puts the verified download in place of the program: executable, the old program kept as
// "<name>.old", then one rename. False with the reason, and the program untouched, on failure.
bool ReplaceProgram(QTemporaryFile& download, const QString& programPath, QString* error);

class Upgrader : public QObject {
    Q_OBJECT
public:
    enum class Outcome { UpToDate, Declined, Upgraded, Cancelled, Failed };

    // `window` owns the progress window and the messages.
    Upgrader(UpgradeSettings settings, QWidget* window);
    ~Upgrader() override;

    // Starts a check; false (and nothing happens) while one is already running.
    bool Check();
    bool Busy() const { return m_busy; }
    QProgressDialog* Progress() const;  // the download's window, while there is one

Q_SIGNALS:
    void BusyChanged(bool busy);
    void Finished(Upgrader::Outcome outcome, const QString& message);

private:
    using Done = std::function<void(const QByteArray&)>;
    void FetchSmall(const QUrl& url, qint64 cap, const QString& what, Done done);
    void InfoFetched(const QByteArray& info);
    void Verify(const QByteArray& info, const QByteArray& signature);
    void Offer(const UpdateInfo& info);
    void Download(const UpdateInfo& info);
    void DownloadRead();
    void DownloadFinished();
    QString ReplyFailure(QNetworkReply* reply) const;
    void Fail(const QString& reason);
    void End(Outcome outcome, const QString& message);
    void DropTransfer();

    UpgradeSettings m_settings;
    QPointer<QWidget> m_window;
    QNetworkAccessManager* m_network;
    bool m_busy = false;
    QNetworkReply* m_reply = nullptr;
    QPointer<QProgressDialog> m_progress;
    std::unique_ptr<QTemporaryFile> m_download;
    std::unique_ptr<QCryptographicHash> m_hash;
    std::unique_ptr<UpdateInfo> m_offer;
    qint64 m_received = 0;
};
