#include "platform/terminationrequest.h"

#include <QCoreApplication>
#include <QDebug>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <unistd.h>

namespace {

const int Signals[] = {SIGTERM, SIGINT};

// Written by the handler only; -1 while no object watches.
volatile std::sig_atomic_t requestPipe = -1;

void onSignal(int number)
{
    const int savedErrno = errno;
    const char byte = char(number);
    // A full pipe already holds a request.
    const ssize_t ignored [[maybe_unused]] = ::write(requestPipe, &byte, 1);
    errno = savedErrno;
}

} // namespace

class TerminationRequest::Private
{
public:
    void onReadable(TerminationRequest *q);

    int pipe[2] = {-1, -1};
    struct sigaction previous[std::size(Signals)] = {};
    bool installed = false;
    bool quitting = false;
    QSocketNotifier *notifier = nullptr;
};

void TerminationRequest::Private::onReadable(TerminationRequest *q)
{
    char number = 0;
    char byte;
    while (::read(pipe[0], &byte, 1) == 1)
        number = byte;
    if (quitting || number == 0)
        return;
    quitting = true;
    qInfo().noquote() << "Quit on the system's request:" << strsignal(number);
    emit q->requested();
    QCoreApplication::quit();
}

TerminationRequest::TerminationRequest(QObject *parent)
    : QObject(parent), d(std::make_unique<Private>())
{
    if (requestPipe != -1) {
        qWarning("Termination requests are taken in already");
        return;
    }
    if (::pipe2(d->pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        qWarning() << "Can't watch for termination requests:" << std::strerror(errno);
        return;
    }
    requestPipe = d->pipe[1];

    struct sigaction action = {};
    action.sa_handler = &onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < std::size(Signals); ++i)
        sigaction(Signals[i], &action, &d->previous[i]);
    d->installed = true;

    d->notifier = new QSocketNotifier(d->pipe[0], QSocketNotifier::Read, this);
    d->notifier->setEnabled(false);
    connect(d->notifier, &QSocketNotifier::activated, this, [this] { d->onReadable(this); });
}

TerminationRequest::~TerminationRequest()
{
    if (d->installed) {
        for (size_t i = 0; i < std::size(Signals); ++i)
            sigaction(Signals[i], &d->previous[i], nullptr);
        requestPipe = -1;
    }
    delete d->notifier;
    for (int fd : d->pipe) {
        if (fd != -1)
            ::close(fd);
    }
}

bool TerminationRequest::isInstalled() const
{
    return d->installed;
}

void TerminationRequest::watch()
{
    if (d->notifier)
        d->notifier->setEnabled(true);
}

#include "moc_terminationrequest.cpp"
