#pragma once

#include <QObject>

#include <memory>

// Turns the system's requests to end the program (SIGTERM at logout, at
// system shutdown or from kill, SIGINT from a terminal) into a normal quit
// of the event loop, so that the exit order runs as after a closed window.
//
// The signal handler only writes the signal's number into a pipe; a socket
// notifier on the GUI thread reads it. Requests are acted on once watch()
// has been called, one that came earlier as soon as the loop runs. One
// object per process, on the GUI thread.
class TerminationRequest : public QObject
{
    Q_OBJECT

public:
    explicit TerminationRequest(QObject *parent = nullptr);
    // Gives the two signals back to the handlers it replaced.
    ~TerminationRequest() override;

    // False when the handlers could not be installed.
    bool isInstalled() const;

    // Acts on requests from the event loop's next pass on. Call it right
    // before the application's event loop runs: a quit would end a nested
    // loop of the start-up instead.
    void watch();

signals:
    // Emitted before the event loop is told to quit.
    void requested();

private:
    class Private;
    std::unique_ptr<Private> d;
};
