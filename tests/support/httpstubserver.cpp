#include "httpstubserver.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

namespace {

const char BufferProperty[] = "stubBuffer";

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

} // namespace

HttpStubServer::HttpStubServer(QObject *parent) : QObject(parent), m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &HttpStubServer::onNewConnection);
}

HttpStubServer::~HttpStubServer() = default;

bool HttpStubServer::listen()
{
    return m_server->listen(QHostAddress::LocalHost);
}

QString HttpStubServer::baseUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(m_server->serverPort());
}

void HttpStubServer::setDefaultReply(const Reply &reply)
{
    m_defaultReply = reply;
}

void HttpStubServer::queueReply(const Reply &reply)
{
    m_queued.append(reply);
}

void HttpStubServer::onNewConnection()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void HttpStubServer::onReadyRead(QTcpSocket *socket)
{
    // Requests here are GETs without a body: each ends at the blank line.
    QByteArray buffer = socket->property(BufferProperty).toByteArray() + socket->readAll();
    int end;
    while ((end = buffer.indexOf("\r\n\r\n")) >= 0) {
        const QByteArray head = buffer.left(end);
        buffer.remove(0, end + 4);
        const QList<QByteArray> requestLine = head.left(head.indexOf("\r\n")).split(' ');
        const QString target = requestLine.size() > 1 ? QString::fromLatin1(requestLine.at(1))
                                                      : QString();
        m_requests.append(target);
        const Reply reply = m_queued.isEmpty() ? m_defaultReply : m_queued.takeFirst();
        if (!reply.silent)
            answer(socket, reply);
        emit requestReceived(target);
    }
    socket->setProperty(BufferProperty, buffer);
}

void HttpStubServer::answer(QTcpSocket *socket, const Reply &reply)
{
    QByteArray response = "HTTP/1.1 " + QByteArray::number(reply.status) + ' '
            + reasonPhrase(reply.status) + "\r\n";
    response += "Content-Type: text/plain\r\n";
    response += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n\r\n";
    response += reply.body;
    socket->write(response);
}
