#include "toolkit/Upgrader.h"

#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProgressDialog>
#include <QTemporaryFile>
#include <filesystem>

#include "common/Dialogs.h"
#include "toolkit/UpdateInfo.h"

namespace {

std::filesystem::path FsPath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

QString Failed(const QString& reason) { return QStringLiteral("检查更新失败：") + reason; }

}  // namespace

bool ReplaceProgram(QTemporaryFile& download, const QString& programPath, QString* error) {
    const auto fail = [error](const QString& why) {
        *error = why;
        return false;
    };
    // On disk before the rename, so a power cut cannot leave a program of zeros.
    if (!download.flush() || ::fsync(download.handle()) != 0)
        return fail(QStringLiteral("无法写入临时文件：%1").arg(download.errorString()));
    const auto executable = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                            QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
    if (!download.setPermissions(executable))
        return fail(QStringLiteral("无法设置执行权限：%1").arg(download.errorString()));
    const QString old = programPath + QStringLiteral(".old");
    if (QFileInfo::exists(programPath)) {
        if (QFileInfo::exists(old) && !QFile::remove(old))
            return fail(QStringLiteral("无法删除旧的备份 %1").arg(QDir::toNativeSeparators(old)));
        if (!QFile::copy(programPath, old))
            return fail(QStringLiteral("无法保留旧版本 %1").arg(QDir::toNativeSeparators(old)));
    }
    std::error_code code;
    std::filesystem::rename(FsPath(download.fileName()), FsPath(programPath), code);
    if (code)
        return fail(
            QStringLiteral("无法替换 %1：%2")
                .arg(QDir::toNativeSeparators(programPath), QString::fromLocal8Bit(code.message().c_str())));
    download.setAutoRemove(false);
    return true;
}

Upgrader::Upgrader(UpgradeSettings settings, QWidget* window)
    : QObject(window),
      m_settings(std::move(settings)),
      m_window(window),
      m_network(new QNetworkAccessManager(this)) {}

Upgrader::~Upgrader() { DropTransfer(); }

QProgressDialog* Upgrader::Progress() const { return m_progress; }

bool Upgrader::Check() {
    if (m_busy) return false;
    m_busy = true;
    emit BusyChanged(true);
    FetchSmall(m_settings.infoUrl, kMaxInfoBytes, QStringLiteral("更新信息文件"),
               [this](const QByteArray& info) { InfoFetched(info); });
    return true;
}

// Reads a small file whole, refusing it as soon as it grows past the cap.
void Upgrader::FetchSmall(const QUrl& url, qint64 cap, const QString& what, Done done) {
    QNetworkRequest request(url);
    request.setTransferTimeout(m_settings.stallTimeoutMs);
    m_reply = m_network->get(request);
    auto body = std::make_shared<QByteArray>();
    connect(m_reply, &QNetworkReply::readyRead, this, [this, body, cap, what] {
        body->append(m_reply->readAll());
        if (body->size() > cap) Fail(QStringLiteral("%1过大（超过 %2 字节）").arg(what).arg(cap));
    });
    connect(m_reply, &QNetworkReply::finished, this, [this, body, what, done = std::move(done)] {
        QNetworkReply* reply = m_reply;
        m_reply = nullptr;
        reply->deleteLater();
        if (reply->error() != QNetworkReply::NoError) {
            Fail(QStringLiteral("无法取得%1：%2").arg(what, ReplyFailure(reply)));
            return;
        }
        body->append(reply->readAll());
        done(*body);
    });
}

QString Upgrader::ReplyFailure(QNetworkReply* reply) const {
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 400) return QStringLiteral("服务器返回 HTTP %1").arg(status);
    switch (reply->error()) {
        case QNetworkReply::TimeoutError:
        case QNetworkReply::OperationCanceledError:  // our own aborts never get here: only the time-out
            return QStringLiteral("连接超时（%1 秒没有收到数据）").arg(m_settings.stallTimeoutMs / 1000.0);
        case QNetworkReply::HostNotFoundError:
        case QNetworkReply::ConnectionRefusedError:
        case QNetworkReply::NetworkSessionFailedError:
        case QNetworkReply::TemporaryNetworkFailureError:
        case QNetworkReply::UnknownNetworkError:
            return QStringLiteral("无法连接到升级服务器（%1）").arg(reply->errorString());
        default:
            return reply->errorString();
    }
}

void Upgrader::InfoFetched(const QByteArray& info) {
    QUrl signatureUrl = m_settings.infoUrl;
    signatureUrl.setPath(signatureUrl.path() + QStringLiteral(".sig"));
    FetchSmall(signatureUrl, kMaxSignatureBytes, QStringLiteral("签名文件"),
               [this, info](const QByteArray& signature) { Verify(info, signature); });
}

void Upgrader::Verify(const QByteArray& info, const QByteArray& signature) {
    // The signature first: nothing in an unsigned file is read, not even its version.
    if (!VerifyDetached(info, signature, m_settings.publicKey)) {
        Fail(QStringLiteral("更新信息的签名无效"));
        return;
    }
    QString error;
    const std::optional<UpdateInfo> parsed = ParseUpdateInfo(info, &error);
    if (!parsed) {
        Fail(QStringLiteral("更新信息有误：%1").arg(error));
        return;
    }
    const VersionOrder order =
        CompareVersionDates(VersionDateText(parsed->version), m_settings.currentVersion);
    if (order == VersionOrder::Invalid) {
        Fail(QStringLiteral("本程序的版本日期无效：%1").arg(m_settings.currentVersion));
        return;
    }
    if (order == VersionOrder::NotNewer) {
        End(Outcome::UpToDate, QStringLiteral("当前已是最新版本"));
        return;
    }
    Offer(*parsed);
}

void Upgrader::Offer(const UpdateInfo& info) {
    const QString question =
        QStringLiteral("发现新版本（%1），是否下载并升级？").arg(VersionDateText(info.version));
    if (!Dialogs::AskYesNo(QStringLiteral("软件升级"), question)) {
        End(Outcome::Declined, question);
        return;
    }
    Download(info);
}

void Upgrader::Download(const UpdateInfo& info) {
    const QFileInfo program(m_settings.programPath);
    // Beside the program, so the final rename stays on one file system.
    m_download =
        std::make_unique<QTemporaryFile>(program.absolutePath() + QLatin1Char('/') + QLatin1Char('.') +
                                         program.fileName() + QStringLiteral(".XXXXXX.part"));
    if (!m_download->open()) {
        Fail(QStringLiteral("没有写入权限：%1（%2）")
                 .arg(QDir::toNativeSeparators(program.absolutePath()), m_download->errorString()));
        return;
    }
    m_offer = std::make_unique<UpdateInfo>(info);
    m_hash = std::make_unique<QCryptographicHash>(QCryptographicHash::Sha256);
    m_received = 0;

    QNetworkRequest request(m_settings.infoUrl.resolved(QUrl(info.url)));
    request.setTransferTimeout(m_settings.stallTimeoutMs);
    m_reply = m_network->get(request);
    connect(m_reply, &QNetworkReply::readyRead, this, &Upgrader::DownloadRead);
    connect(m_reply, &QNetworkReply::finished, this, &Upgrader::DownloadFinished);

    m_progress =
        new QProgressDialog(QStringLiteral("正在下载新版本（%1）……").arg(VersionDateText(info.version)),
                            QStringLiteral("取消"), 0, 1000, m_window);
    m_progress->setWindowTitle(QStringLiteral("软件升级"));
    m_progress->setMinimumWidth(360);
    m_progress->setAutoClose(false);
    m_progress->setAutoReset(false);
    m_progress->setMinimumDuration(0);
    m_progress->setValue(0);
    connect(m_progress, &QProgressDialog::canceled, this, [this] { End(Outcome::Cancelled, {}); });
    m_progress->show();
}

void Upgrader::DownloadRead() {
    const QByteArray bytes = m_reply->readAll();
    m_received += bytes.size();
    if (m_received > m_offer->size) {
        Fail(QStringLiteral("下载的文件大小不符（应为 %1 字节，已收到 %2 字节）")
                 .arg(m_offer->size)
                 .arg(m_received));
        return;
    }
    if (m_download->write(bytes) != bytes.size()) {
        Fail(QStringLiteral("无法写入临时文件：%1").arg(m_download->errorString()));
        return;
    }
    m_hash->addData(bytes);
    if (m_progress) m_progress->setValue(static_cast<int>(m_received * 1000 / m_offer->size));
}

void Upgrader::DownloadFinished() {
    QNetworkReply* reply = m_reply;
    if (reply->error() != QNetworkReply::NoError) {
        Fail(QStringLiteral("下载失败：%1").arg(ReplyFailure(reply)));
        return;
    }
    DownloadRead();
    if (!m_busy) return;  // the last bytes overran the signed size
    if (m_received != m_offer->size) {
        Fail(QStringLiteral("下载的文件大小不符（应为 %1 字节，收到 %2 字节）")
                 .arg(m_offer->size)
                 .arg(m_received));
        return;
    }
    if (m_hash->result() != m_offer->sha256) {
        Fail(QStringLiteral("下载的文件校验失败（SHA-256 不符）"));
        return;
    }
    QString error;
    if (!ReplaceProgram(*m_download, m_settings.programPath, &error)) {
        Fail(error);
        return;
    }
    End(Outcome::Upgraded,
        QStringLiteral("升级完成（%1），重新启动程序后生效。").arg(VersionDateText(m_offer->version)));
}

void Upgrader::Fail(const QString& reason) { End(Outcome::Failed, Failed(reason)); }

// Stops any transfer and removes the partial download; the program file is never touched here.
void Upgrader::DropTransfer() {
    if (m_reply) {
        QNetworkReply* reply = m_reply;
        m_reply = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
    if (m_progress) {
        m_progress->disconnect(this);
        m_progress->hide();
        m_progress->deleteLater();
    }
    m_download.reset();
    m_hash.reset();
}

void Upgrader::End(Outcome outcome, const QString& message) {
    DropTransfer();
    m_busy = false;
    emit BusyChanged(false);
    // The question already was the visible answer when the user declined; a cancel needs none.
    if (outcome == Outcome::Failed)
        Dialogs::ShowError(message);
    else if (outcome == Outcome::UpToDate || outcome == Outcome::Upgraded)
        Dialogs::ShowMessage(message);
    emit Finished(outcome, message);
    m_offer.reset();
}
