#include "maintenance/IntegrityWatch.h"

#include "maintenance/Backup.h"

IntegrityWatch::IntegrityWatch(QObject* parent) : QObject(parent) {}

IntegrityWatch::~IntegrityWatch() { Stop(); }

void IntegrityWatch::Start(const QString& database) {
    Stop();
    m_stop = false;
    m_finished = false;
    m_thread = std::thread([this, database] {
        bool cancelled = false;
        const QString reason = Backup::CheckDatabaseFile(
            database, [this](Backup::Phase, qint64, qint64) { return !m_stop.load(); }, &cancelled);
        m_finished = true;
        if (cancelled) return;
        QMetaObject::invokeMethod(
            this,
            [this, reason] {
                if (!reason.isEmpty()) emit Damaged(reason);
                emit Finished();
            },
            Qt::QueuedConnection);
    });
}

void IntegrityWatch::Stop() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
}
