#include "sim/SignalQuitter.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace testloop::sim {

namespace {

// The write end for the handler; a plain int is all a signal handler may safely touch.
volatile std::sig_atomic_t writeSocket = -1;

} // namespace

SignalQuitter::SignalQuitter(QObject *parent)
    : QObject(parent)
{ }

SignalQuitter::~SignalQuitter()
{
    for (int signalNumber : std::as_const(m_installed))
        std::signal(signalNumber, SIG_DFL);
    writeSocket = -1;
    for (int &socket : m_sockets) {
        if (socket >= 0)
            ::close(socket);
        socket = -1;
    }
}

bool SignalQuitter::install(std::initializer_list<int> signalNumbers, QString *error)
{
    if (m_sockets[0] < 0) {
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, m_sockets) != 0) {
            if (error)
                *error = QStringLiteral("socketpair: %1")
                             .arg(QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
        writeSocket = m_sockets[0];
        m_notifier = new QSocketNotifier(m_sockets[1], QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &SignalQuitter::onReadable);
    }
    for (int signalNumber : signalNumbers) {
        struct sigaction action
        {
        };
        action.sa_handler = &SignalQuitter::handle;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        if (::sigaction(signalNumber, &action, nullptr) != 0) {
            if (error)
                *error = QStringLiteral("sigaction: %1")
                             .arg(QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
        m_installed.append(signalNumber);
    }
    return true;
}

void SignalQuitter::handle(int signalNumber)
{
    const int savedErrno = errno;
    const int socket = writeSocket;
    if (socket >= 0) {
        const char byte = char(signalNumber);
        [[maybe_unused]] const ssize_t written = ::write(socket, &byte, 1);
    }
    errno = savedErrno;
}

void SignalQuitter::onReadable()
{
    char bytes[16];
    ssize_t count = 0;
    while ((count = ::read(m_sockets[1], bytes, sizeof bytes)) > 0)
        m_received = static_cast<unsigned char>(bytes[count - 1]);
    emit signalReceived(m_received);
    QCoreApplication::quit();
}

} // namespace testloop::sim
