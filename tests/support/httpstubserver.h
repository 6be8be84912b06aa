#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QStringList>

class QTcpServer;
class QTcpSocket;

// A small HTTP/1.1 server on 127.0.0.1 for tests: records the target of every
// request and answers with the queued replies in order, then with the default
// one. A silent reply keeps the connection open and never answers.
class HttpStubServer : public QObject
{
    Q_OBJECT
public:
    struct Reply
    {
        int status = 200;
        QByteArray body;
        bool silent = false;
    };

    explicit HttpStubServer(QObject *parent = nullptr);
    ~HttpStubServer() override;

    bool listen();
    // "http://127.0.0.1:<port>", without a trailing slash.
    QString baseUrl() const;

    void setDefaultReply(const Reply &reply);
    void queueReply(const Reply &reply);

    // Request targets (path and query) in the order they arrived.
    QStringList requests() const { return m_requests; }

signals:
    void requestReceived(const QString &target);

private:
    void onNewConnection();
    void onReadyRead(QTcpSocket *socket);
    void answer(QTcpSocket *socket, const Reply &reply);

    QTcpServer *m_server;
    Reply m_defaultReply;
    QList<Reply> m_queued;
    QStringList m_requests;
};
