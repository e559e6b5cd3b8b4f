#pragma once
// Checks the shop database in the background, on a connection and a thread of its own, so the
// desk goes on taking scans while a big file is read through (tens of seconds for gigabytes).

#include <QObject>
#include <atomic>
#include <thread>

class IntegrityWatch : public QObject {
    Q_OBJECT
public:
    explicit IntegrityWatch(QObject* parent = nullptr);
    ~IntegrityWatch() override;

    // Starts a check of `database` (stopping one that runs); the result comes as a signal.
    void Start(const QString& database);
    // Stops a running check and waits for its connection to close.
    void Stop();
    bool Running() const { return m_thread.joinable() && !m_finished; }

signals:
    void Damaged(const QString& reason);
    void Finished();

private:
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_finished{true};
};
