#include "tests/support/LocalHttpServer.h"

#include <QTcpSocket>

namespace {
constexpr qsizetype kMaxRequest = 8 * 1024;
}

LocalHttpServer::LocalHttpServer() {
    connect(&m_server, &QTcpServer::newConnection, this, &LocalHttpServer::Accept);
    m_server.listen(QHostAddress::LocalHost, 0);
}

QUrl LocalHttpServer::Url(const QString& path) const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path));
}

void LocalHttpServer::Accept() {
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        socket->setParent(this);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Read(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void LocalHttpServer::Read(QTcpSocket* socket) {
    QByteArray request = socket->property("request").toByteArray() + socket->readAll();
    if (request.size() > kMaxRequest) {
        socket->abort();
        return;
    }
    socket->setProperty("request", request);
    if (!request.contains("\r\n\r\n")) return;
    const QList<QByteArray> words = request.left(request.indexOf("\r\n")).split(' ');
    Reply(socket, words.size() >= 2 ? QString::fromLatin1(words[1]) : QString());
}

void LocalHttpServer::Reply(QTcpSocket* socket, const QString& path) {
    m_requests << path;
    const auto found = m_answers.constFind(path);
    const Answer answer = found != m_answers.cend() ? *found : Answer{404, "not found"};
    if (answer.mode == Mode::Silent) return;
    QByteArray head = "HTTP/1.1 " + QByteArray::number(answer.status) +
                      " X\r\nContent-Length: " + QByteArray::number(answer.body.size()) +
                      "\r\nContent-Type: application/octet-stream\r\nConnection: close\r\n\r\n";
    switch (answer.mode) {
        case Mode::Whole:
            socket->write(head + answer.body);
            socket->disconnectFromHost();
            break;
        case Mode::Truncate:
            socket->write(head + answer.body.left(answer.body.size() - answer.cut));
            socket->disconnectFromHost();
            break;
        case Mode::Stall:
            socket->write(head + answer.body.left(answer.body.size() / 2));
            break;
        case Mode::Silent:
            break;
    }
}
