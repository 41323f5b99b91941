#include "platform/TerminationSignals.h"

#include "platform/Logging.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A handler may only do async-signal-safe things: it writes the signal's
// number to a socket that the event loop watches.
int g_signalSocket[2] = {-1, -1};

void forwardSignal(int signalNumber)
{
    const int savedErrno = errno;
    const char byte = char(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(g_signalSocket[0], &byte, 1);
    errno = savedErrno;
}

constexpr int kSignals[] = {SIGTERM, SIGINT};

} // namespace

TerminationSignals::TerminationSignals(QObject *parent)
    : QObject(parent)
{
    if (g_signalSocket[0] < 0
        && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_signalSocket) != 0) {
        qCWarning(lcApp) << "Cannot watch for SIGTERM and SIGINT; they end the application at once";
        return;
    }
    m_notifier = new QSocketNotifier(g_signalSocket[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::readSignal);
    struct sigaction action {};
    action.sa_handler = forwardSignal;
    sigemptyset(&action.sa_mask);
    // Once: the default comes back for a second signal.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (int signalNumber : kSignals)
        ::sigaction(signalNumber, &action, nullptr);
}

TerminationSignals::~TerminationSignals()
{
    if (!m_notifier)
        return;
    for (int signalNumber : kSignals)
        ::signal(signalNumber, SIG_DFL);
}

void TerminationSignals::readSignal()
{
    char byte = 0;
    while (::read(g_signalSocket[1], &byte, 1) == 1) {
        const int signalNumber = byte;
        qCInfo(lcApp).noquote() << (signalNumber == SIGTERM ? "SIGTERM" : "SIGINT")
                                << "received; saving and quitting";
        Q_EMIT received(signalNumber);
        QCoreApplication::quit();
    }
}
