#pragma once
// A tiny HTTP/1.1 server on 127.0.0.1 inside a test: fixed answers per path, and the misbehaviours
// a real network shows (silence, a body cut short). It reads at most 8 KiB of each request.

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QStringList>
#include <QTcpServer>
#include <QUrl>

class QTcpSocket;

class LocalHttpServer : public QObject {
public:
    enum class Mode {
        Whole,     // status line, headers, the whole body
        Silent,    // accepts the connection and never answers
        Truncate,  // announces the whole body, sends all but its last `cut` bytes, then closes
        Stall,     // announces the whole body, sends its first half and then nothing
    };
    struct Answer {
        int status = 200;
        QByteArray body;
        Mode mode = Mode::Whole;
        int cut = 0;
    };

    LocalHttpServer();
    bool Listening() const { return m_server.isListening(); }
    void Serve(const QString& path, Answer answer) { m_answers.insert(path, std::move(answer)); }
    QUrl Url(const QString& path) const;
    // The paths asked for, in order.
    const QStringList& Requests() const { return m_requests; }

private:
    void Accept();
    void Read(QTcpSocket* socket);
    void Reply(QTcpSocket* socket, const QString& path);

    QTcpServer m_server;
    QHash<QString, Answer> m_answers;
    QStringList m_requests;
};
