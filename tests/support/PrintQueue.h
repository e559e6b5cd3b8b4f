#pragma once
// A real print path for tests: a private cupsd (its own configuration, spool and socket in a
// temporary folder) with a cups-pdf queue as the default printer. CUPS_SERVER points at it for
// the rest of the process, so QPrinterInfo::defaultPrinter() is this queue; every job ends up
// as a PDF in OutputFolder().
//
// Runs as root (cupsd drops to `User lp` for the filters). libcups reads CUPS_SERVER once per
// process, so every queue of one process listens on the same socket path; run them one after
// the other, never two at once in one process.

#include <QProcess>
#include <QSet>
#include <QString>
#include <QTemporaryDir>

class PrintQueue {
public:
    PrintQueue();
    ~PrintQueue();  // stops cupsd and removes everything it made
    PrintQueue(const PrintQueue&) = delete;
    PrintQueue& operator=(const PrintQueue&) = delete;

    // Starts cupsd and adds the queue; false with ErrorString() when it cannot (no cupsd, not
    // root, no cups-pdf). Tests QSKIP with that text.
    bool Start();
    QString ErrorString() const { return m_error; }

    QString QueueName() const { return m_name; }
    QString OutputFolder() const;
    // Waits until the queue has no unfinished job and returns the newest PDF not returned
    // before; the empty text (reason in ErrorString, with the end of cupsd's log) when the job
    // made none.
    QString WaitForPdf();

private:
    bool RunAdmin(const QStringList& arguments);
    bool HasUnfinishedJobs();
    QString NewCompletePdf();
    QString LogTail() const;
    void Stop();

    QTemporaryDir m_dir;
    QString m_name;
    QString m_socket;
    QString m_backendConfig;  // cups-pdf reads its per-queue settings from /etc/cups only
    QProcess m_cupsd;
    QSet<QString> m_seen;
    QString m_error;
};
