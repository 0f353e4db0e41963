#include "system/SignalQuitter.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace testloop {

namespace {

// All the handler touches.
volatile std::sig_atomic_t writeEnd = -1;

} // namespace

SignalQuitter::SignalQuitter(QObject *parent)
    : QObject(parent)
{ }

SignalQuitter::~SignalQuitter()
{
    for (const int signalNumber : std::as_const(m_installed))
        std::signal(signalNumber, SIG_DFL);
    writeEnd = -1;
    delete m_notifier;
    for (int &socket : m_sockets) {
        if (socket >= 0)
            ::close(socket);
        socket = -1;
    }
}

bool SignalQuitter::install(std::initializer_list<int> signalNumbers)
{
    if (m_sockets[0] < 0) {
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, m_sockets) != 0)
            return false;
        writeEnd = m_sockets[0];
    }
    for (const int signalNumber : signalNumbers) {
        struct sigaction action = {};
        action.sa_handler = &SignalQuitter::handle;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        if (::sigaction(signalNumber, &action, nullptr) != 0)
            return false;
        m_installed.append(signalNumber);
    }
    return true;
}

void SignalQuitter::listen()
{
    if (m_notifier || m_sockets[1] < 0)
        return;
    m_notifier = new QSocketNotifier(m_sockets[1], QSocketNotifier::Read);
    connect(m_notifier, &QSocketNotifier::activated, this, &SignalQuitter::onReadable);
}

void SignalQuitter::handle(int signalNumber)
{
    const int savedErrno = errno;
    const int socket = writeEnd;
    if (socket >= 0) {
        const char byte = char(signalNumber);
        [[maybe_unused]] const ssize_t written = ::write(socket, &byte, 1);
    }
    errno = savedErrno;
}

void SignalQuitter::onReadable()
{
    char bytes[16];
    while (::read(m_sockets[1], bytes, sizeof bytes) > 0) { }
    m_received = true;
    // exit(), not quit(): it also ends a message box's loop, even one opened before exec().
    QCoreApplication::exit(0);
}

} // namespace testloop
