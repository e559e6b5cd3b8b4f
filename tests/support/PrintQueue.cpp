#include "tests/support/PrintQueue.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

namespace {

const char* const kPpd = "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd";
const char* const kBackend = "/usr/lib/cups/backend/cups-pdf";

bool WriteText(const QString& path, const QString& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text.toUtf8()) >= 0;
}

// A PDF that gs has finished: it ends with the end-of-file marker.
bool IsCompletePdf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < 16) return false;
    file.seek(file.size() - 16);
    return file.readAll().contains("%%EOF");
}

int g_queues = 0;

}  // namespace

PrintQueue::PrintQueue() {
    m_name = QStringLiteral("posq%1x%2").arg(QCoreApplication::applicationPid()).arg(++g_queues);
    // One path per process: libcups keeps the first CUPS_SERVER it reads.
    m_socket = QDir::temp().filePath(
        QStringLiteral("pos-printqueue-%1.sock").arg(QCoreApplication::applicationPid()));
    m_backendConfig = QStringLiteral("/etc/cups/cups-pdf-%1.conf").arg(m_name);
}

PrintQueue::~PrintQueue() { Stop(); }

QString PrintQueue::OutputFolder() const { return m_dir.filePath(QStringLiteral("pdf")); }

bool PrintQueue::Start() {
    if (geteuid() != 0) {
        m_error = QStringLiteral("the private cupsd needs root");
        return false;
    }
    const QString cupsd =
        QStandardPaths::findExecutable(QStringLiteral("cupsd"), {QStringLiteral("/usr/sbin")});
    if (cupsd.isEmpty() || !QFileInfo::exists(QLatin1String(kBackend)) ||
        !QFileInfo::exists(QLatin1String(kPpd))) {
        m_error =
            QStringLiteral("cupsd or cups-pdf is not installed (packages cups, printer-driver-cups-pdf)");
        return false;
    }
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no temporary folder: ") + m_dir.errorString();
        return false;
    }
    const QDir root(m_dir.path());
    // cupsd runs the filters as lp: they must reach the folder and write their temporary files.
    QFile::setPermissions(root.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                           QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                           QFileDevice::ExeOther);
    for (const char* folder : {"spool", "tmp", "cache", "state", "log", "ppd", "pdf", "pdfspool"})
        root.mkpath(QString::fromLatin1(folder));
    for (const char* open : {"tmp", "pdf", "pdfspool"})
        ::chmod(QFile::encodeName(root.filePath(QString::fromLatin1(open))).constData(), 01777);
    QFile::remove(m_socket);

    const bool written =
        WriteText(
            root.filePath(QStringLiteral("cupsd.conf")),
            QStringLiteral("Listen %1\nLogLevel warn\nBrowsing Off\nWebInterface No\nDefaultAuthType None\n"
                           "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                           "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n")
                .arg(m_socket)) &&
        WriteText(root.filePath(QStringLiteral("cups-files.conf")),
                  QStringLiteral(
                      "User lp\nGroup lp\nSystemGroup root\nFileDevice No\nServerRoot %1\n"
                      "RequestRoot %1/spool\nTempDir %1/tmp\nCacheDir %1/cache\nStateDir %1/state\n"
                      "ErrorLog %1/log/error_log\nAccessLog %1/log/access_log\nPageLog %1/log/page_log\n")
                      .arg(root.path())) &&
        WriteText(m_backendConfig,
                  QStringLiteral("Out %1/pdf\nAnonDirName %1/pdf\nSpool %1/pdfspool\nGrp lp\n"
                                 "Log %1/log\nUserUMask 0022\n")
                      .arg(root.path()));
    if (!written) {
        m_error =
            QStringLiteral("cannot write the cupsd or cups-pdf configuration (%1)").arg(m_backendConfig);
        return false;
    }

    // cupsd must not outlive a test that crashes.
    m_cupsd.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_cupsd.setProcessChannelMode(QProcess::MergedChannels);
    m_cupsd.start(cupsd,
                  {QStringLiteral("-f"), QStringLiteral("-c"), root.filePath(QStringLiteral("cupsd.conf")),
                   QStringLiteral("-s"), root.filePath(QStringLiteral("cups-files.conf"))});
    if (!m_cupsd.waitForStarted()) {
        m_error = QStringLiteral("cupsd did not start: ") + m_cupsd.errorString();
        return false;
    }
    while (!QFileInfo::exists(m_socket)) {
        if (m_cupsd.waitForFinished(50)) {
            m_error = QStringLiteral("cupsd stopped at once: ") + QString::fromLocal8Bit(m_cupsd.readAll()) +
                      LogTail();
            return false;
        }
    }
    qputenv("CUPS_SERVER", QFile::encodeName(m_socket));
    if (!RunAdmin({QStringLiteral("-p"), m_name, QStringLiteral("-E"), QStringLiteral("-v"),
                   QStringLiteral("cups-pdf:/") + m_name, QStringLiteral("-P"), QLatin1String(kPpd)}) ||
        !RunAdmin({QStringLiteral("-d"), m_name}))
        return false;
    return true;
}

bool PrintQueue::RunAdmin(const QStringList& arguments) {
    QProcess admin;
    admin.setProcessChannelMode(QProcess::MergedChannels);
    admin.start(QStringLiteral("lpadmin"), arguments);
    if (!admin.waitForFinished(-1) || admin.exitStatus() != QProcess::NormalExit || admin.exitCode() != 0) {
        m_error = QStringLiteral("lpadmin %1 failed: %2%3")
                      .arg(arguments.join(u' '), QString::fromLocal8Bit(admin.readAll()), LogTail());
        return false;
    }
    return true;
}

bool PrintQueue::HasUnfinishedJobs() {
    QProcess status;
    status.start(QStringLiteral("lpstat"), {QStringLiteral("-o"), m_name});
    status.waitForFinished(-1);
    return status.exitCode() == 0 && !status.readAllStandardOutput().trimmed().isEmpty();
}

QString PrintQueue::NewCompletePdf() {
    const QFileInfoList pdfs =
        QDir(OutputFolder()).entryInfoList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Time);
    for (const QFileInfo& pdf : pdfs)
        if (!m_seen.contains(pdf.filePath()) && IsCompletePdf(pdf.filePath())) return pdf.filePath();
    return {};
}

QString PrintQueue::WaitForPdf() {
    // The job was queued before this is called; once the queue is idle its PDF is there or never will be.
    for (;;) {
        const bool busy = HasUnfinishedJobs();
        const QString pdf = NewCompletePdf();
        if (!pdf.isEmpty()) {
            m_seen.insert(pdf);
            return pdf;
        }
        if (!busy && m_cupsd.state() != QProcess::Running) break;
        if (!busy) {
            QThread::msleep(200);  // cups-pdf may still be closing the file
            const QString late = NewCompletePdf();
            if (!late.isEmpty()) {
                m_seen.insert(late);
                return late;
            }
            break;
        }
        QThread::msleep(50);
    }
    m_error = QStringLiteral("the queue made no PDF") + LogTail();
    return {};
}

QString PrintQueue::LogTail() const {
    QFile log(m_dir.filePath(QStringLiteral("log/error_log")));
    if (!log.open(QIODevice::ReadOnly)) return {};
    const QList<QByteArray> lines = log.readAll().split('\n');
    return QStringLiteral("\ncupsd log:\n") +
           QString::fromLocal8Bit(lines.mid(qMax(0, lines.size() - 15)).join('\n'));
}

void PrintQueue::Stop() {
    if (m_cupsd.state() != QProcess::NotRunning) {
        m_cupsd.terminate();
        if (!m_cupsd.waitForFinished(10000)) {
            m_cupsd.kill();
            m_cupsd.waitForFinished(-1);
        }
    }
    QFile::remove(m_backendConfig);
    QFile::remove(m_socket);
}
