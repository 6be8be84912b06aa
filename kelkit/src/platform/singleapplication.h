#pragma once

#include <QApplication>

#include <memory>

// A QApplication that knows whether another instance of the same program,
// started by the same user, is already running, and passes a message from a
// second start to the first.
//
// The first start to lock a file in the user's runtime folder becomes the
// primary and listens on a local socket that only its user may open; a lock
// left by a process that no longer exists is taken over. Later starts send
// their message to it and get a one-byte acknowledgement back.
//
//     KelSingleApplication app(argc, argv);
//     if (app.isRunning())
//         return app.sendMessage(QString()) ? 0 : 1;
//
// GUI thread only.
class KelSingleApplication : public QApplication
{
    Q_OBJECT

public:
    KelSingleApplication(int &argc, char **argv);
    ~KelSingleApplication() override;

    // Decided on the first call: false makes this process the primary,
    // which from then on emits messageReceived(); true means another
    // instance holds the lock.
    bool isRunning() const;

    // Delivers a message to the primary; true once it has acknowledged it
    // within timeoutMs. Blocks the caller meanwhile.
    bool sendMessage(const QString &message, int timeoutMs = 5000);

signals:
    // A later start's message, on the primary.
    void messageReceived(const QString &message);

private:
    class Private;
    std::unique_ptr<Private> d;
};
