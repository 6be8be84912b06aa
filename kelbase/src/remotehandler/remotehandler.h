#pragma once

#include <QByteArray>
#include <QObject>

#include <memory>

// Transport of the worker link: opaque byte-array messages over a local
// socket, each framed by its size as a 4-byte little-endian signed integer.
// In server mode (the GUI) it owns the worker process and starts it on
// demand; in client mode (the worker) it connects to the given server name.
// Lives on one thread; write() may run a local event loop while it starts
// the worker.
class RemoteHandler : public QObject
{
    Q_OBJECT

public:
    explicit RemoteHandler(QObject *parent = nullptr);
    // Closes the link and gives a running worker that was linked or told to
    // exit a bounded time to end on its own (it sees the link end), then asks
    // it with SIGTERM, and only then kills it; a worker without a link is
    // asked at once.
    ~RemoteHandler() override;

    void runServerMode(const QString &program);
    bool startHandler();

    void runClientMode(const QString &serverName);
    bool isConnected() const;

    // Sends one frame, starting the worker first when none is connected.
    // Returns false when the payload was not written.
    bool write(const QByteArray &payload);
    void sendExitRequest();

signals:
    void handlerReady();
    void handlerClosed();
    void newMessage(QByteArray ba);

protected:
    // Delivery point of each received payload.
    virtual void read(const QByteArray &payload);
    // Server mode: a worker connection has been accepted and not yet lost.
    bool isHandlerConnected() const;

private:
    void acceptConnection();
    void handleDisconnect();
    void readFrames();

    class Private;
    std::unique_ptr<Private> d;
};
