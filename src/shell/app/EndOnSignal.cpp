#include "shell/app/EndOnSignal.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qor {
namespace {

// A signal handler may only write; the event loop reads the other end and quits.
int g_signalPair[2] = { -1, -1 };

void NoteSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(g_signalPair[0], &byte, 1);
    errno = saved;
}

} // namespace

CEndOnSignal::CEndOnSignal(QObject* parent)
    : QObject(parent)
{
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_signalPair) != 0)
        return; // the signals keep their usual effect
    m_notifier = new QSocketNotifier(g_signalPair[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [] {
        char bytes[16];
        while (read(g_signalPair[1], bytes, sizeof bytes) > 0) { }
        // Not quit(): that closes the windows first, and a list with changes would ask, with
        // nobody left to answer. Every open dialog's loop ends too.
        QCoreApplication::exit(0);
    });
    struct sigaction action { };
    action.sa_handler = NoteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

CEndOnSignal::~CEndOnSignal()
{
    if (!m_notifier)
        return;
    signal(SIGTERM, SIG_DFL);
    signal(SIGHUP, SIG_DFL);
    close(g_signalPair[0]);
    close(g_signalPair[1]);
    g_signalPair[0] = g_signalPair[1] = -1;
}

} // namespace qor
