#include "sim/PseudoTerminal.h"

#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace testloop::sim {

namespace {

QString systemError(const char *what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

constexpr qsizetype MaxReadPerWakeup = 64 * 1024;

} // namespace

PseudoTerminal::PseudoTerminal(QObject *parent)
    : QObject(parent)
{
    // After an unexpected end of input the reader rests instead of spinning.
    m_readRetry.setSingleShot(true);
    m_readRetry.setInterval(200);
    connect(&m_readRetry, &QTimer::timeout, this, [this] {
        if (m_reader)
            m_reader->setEnabled(true);
    });
}

PseudoTerminal::~PseudoTerminal()
{
    close();
}

bool PseudoTerminal::open(const QString &linkPath, QString *error)
{
    close();
    if (!openDevice(error) || (!linkPath.isEmpty() && !createLink(linkPath, error))) {
        close();
        return false;
    }
    m_reader = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_reader, &QSocketNotifier::activated, this, &PseudoTerminal::onReadable);
    m_writer = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
    m_writer->setEnabled(false);
    connect(m_writer, &QSocketNotifier::activated, this, &PseudoTerminal::flush);
    return true;
}

bool PseudoTerminal::openDevice(QString *error)
{
    const auto failed = [error](const char *what) {
        if (error)
            *error = systemError(what);
        return false;
    };
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0)
        return failed("posix_openpt");
    if (::grantpt(m_master) != 0)
        return failed("grantpt");
    if (::unlockpt(m_master) != 0)
        return failed("unlockpt");
    char name[128] = {};
    if (::ptsname_r(m_master, name, sizeof name) != 0)
        return failed("ptsname");
    m_devicePath = QString::fromLocal8Bit(name);
    if (::fcntl(m_master, F_SETFD, FD_CLOEXEC) != 0)
        return failed("fcntl FD_CLOEXEC");
    const int flags = ::fcntl(m_master, F_GETFL);
    if (flags < 0 || ::fcntl(m_master, F_SETFL, flags | O_NONBLOCK) != 0)
        return failed("fcntl O_NONBLOCK");

    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0)
        return failed("open slave");
    termios attributes {};
    if (::tcgetattr(m_slave, &attributes) != 0)
        return failed("tcgetattr");
    ::cfmakeraw(&attributes);
    attributes.c_cc[VMIN] = 1;
    attributes.c_cc[VTIME] = 0;
    ::cfsetispeed(&attributes, B9600);
    ::cfsetospeed(&attributes, B9600);
    if (::tcsetattr(m_slave, TCSANOW, &attributes) != 0)
        return failed("tcsetattr");
    return true;
}

bool PseudoTerminal::createLink(const QString &linkPath, QString *error)
{
    const QByteArray link = QFile::encodeName(linkPath);
    struct stat info
    {
    };
    if (::lstat(link.constData(), &info) == 0) {
        if (!S_ISLNK(info.st_mode)) {
            if (error)
                *error = QStringLiteral("%1 exists and is not a symbolic link").arg(linkPath);
            return false;
        }
        if (::unlink(link.constData()) != 0) {
            if (error)
                *error = systemError("unlink") + QStringLiteral(" (%1)").arg(linkPath);
            return false;
        }
    }
    if (::symlink(QFile::encodeName(m_devicePath).constData(), link.constData()) != 0) {
        if (error)
            *error = systemError("symlink") + QStringLiteral(" (%1)").arg(linkPath);
        return false;
    }
    m_linkPath = linkPath;
    return true;
}

void PseudoTerminal::removeLink()
{
    if (m_linkPath.isEmpty())
        return;
    // Only our own link: another simulator may have taken the name over since.
    const QByteArray link = QFile::encodeName(m_linkPath);
    char target[256] = {};
    const ssize_t length = ::readlink(link.constData(), target, sizeof target - 1);
    if (length > 0 && QFile::decodeName(QByteArray(target, length)) == m_devicePath)
        ::unlink(link.constData());
    m_linkPath.clear();
}

void PseudoTerminal::close()
{
    m_readRetry.stop();
    // The notifiers may be the very senders being handled right now: let the loop delete them.
    for (QSocketNotifier *notifier : {m_reader, m_writer}) {
        if (notifier) {
            notifier->setEnabled(false);
            notifier->deleteLater();
        }
    }
    m_reader = nullptr;
    m_writer = nullptr;
    removeLink();
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = -1;
    m_master = -1;
    m_devicePath.clear();
    m_pending.clear();
}

void PseudoTerminal::onReadable()
{
    QByteArray received;
    while (m_master >= 0 && received.size() < MaxReadPerWakeup) {
        char buffer[1024];
        const ssize_t count = ::read(m_master, buffer, sizeof buffer);
        if (count > 0) {
            received.append(buffer, count);
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        // EIO (or end of file) means no slave is open, which the held slave should prevent;
        // anything else is unexpected. Either way rest the reader rather than spin on it.
        m_reader->setEnabled(false);
        if (count < 0 && errno == EIO) {
            m_readRetry.start();
            emit problem(QStringLiteral("read: no device side open; reading paused"));
        } else {
            emit problem(count == 0 ? QStringLiteral("read: end of input; reading stopped")
                                    : systemError("read") + QStringLiteral("; reading stopped"));
        }
        break;
    }
    if (!received.isEmpty())
        emit bytesRead(received);
}

void PseudoTerminal::write(const QByteArray &bytes)
{
    if (m_master < 0 || bytes.isEmpty())
        return;
    m_pending.append(bytes);
    flush();
}

void PseudoTerminal::flush()
{
    QList<QByteArray> written;
    bool discardedUnread = false;
    while (m_master >= 0 && !m_pending.isEmpty()) {
        const ssize_t count = ::write(m_master, m_pending.constData(), size_t(m_pending.size()));
        if (count > 0) {
            written.append(m_pending.left(count));
            m_pending.remove(0, count);
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && !discardedUnread) {
            // The device's input is full: nobody is reading it. A real line would lose those
            // characters, so drop them and carry on.
            ::tcflush(m_slave, TCIFLUSH);
            discardedUnread = true;
            continue;
        }
        if (count < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            emit problem(systemError("write")
                         + QStringLiteral("; %1 bytes dropped").arg(m_pending.size()));
            m_pending.clear();
        }
        break;
    }
    if (m_writer)
        m_writer->setEnabled(!m_pending.isEmpty());
    if (discardedUnread)
        emit problem(QStringLiteral("device input full: unread bytes discarded"));
    for (const QByteArray &piece : written)
        emit bytesWritten(piece);
}

} // namespace testloop::sim
