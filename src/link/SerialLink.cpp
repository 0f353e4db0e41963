#include "link/SerialLink.h"

#include "link/PortFailure.h"
#include "link/PortNames.h"
#include "loopdata/SharedState.h"
#include "scan/Prompts.h"

#include <QLoggingCategory>
#include <QTimer>

Q_LOGGING_CATEGORY(lcLink, "testloop.link", QtInfoMsg)

namespace testloop {

SerialLink::SerialLink(SharedState &shared, Prompts &prompts, QObject *parent)
    : QObject(parent)
    , m_shared(shared)
    , m_prompts(prompts)
{
    m_port.setBaudRate(QSerialPort::Baud9600);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    connect(&m_port, &QSerialPort::readyRead, this, &SerialLink::onReadyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialLink::onErrorOccurred);
}

SerialLink::~SerialLink()
{
    close();
}

void SerialLink::setPortOverride(const QString &device)
{
    m_override = device;
}

bool SerialLink::setPortNumber(int number)
{
    if (m_port.isOpen())
        return false;
    m_portNumber = number;
    return true;
}

QString SerialLink::deviceName() const
{
    return resolvePortName(m_portNumber, m_override);
}

bool SerialLink::isOpen() const
{
    return m_port.isOpen();
}

bool SerialLink::open()
{
    if (m_port.isOpen())
        return true;
    const QString device = deviceName();
    m_received.clear();
    m_lossPending = false;
    if (device.isEmpty()) {
        m_prompts.showMessage(
            openFailureMessage(device, QSerialPort::DeviceNotFoundError, {}, DeviceAccess::Missing),
            SerialPortTitle, Prompts::Icon::Critical);
        return false;
    }
    m_port.setPortName(device);
    m_openDevice = device;
    if (!m_port.open(QIODevice::ReadWrite)) {
        const QSerialPort::SerialPortError error = m_port.error();
        const QString reason = m_port.errorString();
        m_port.clearError();
        qCWarning(lcLink) << "cannot open" << device << error << reason;
        m_prompts.showMessage(openFailureMessage(device, error, reason, checkDeviceAccess(device)),
                              SerialPortTitle, Prompts::Icon::Critical);
        return false;
    }
    // The port keeps whatever arrived while it was closed (a reply that came after its
    // time-out); left there it would be taken for the reply to the next request.
    m_port.clear(QSerialPort::AllDirections);
    return true;
}

void SerialLink::close()
{
    constexpr int LastBytesWaitMs = 200;
    if (m_port.isOpen()) {
        if (m_port.bytesToWrite() > 0 && !m_lossPending)
            m_port.waitForBytesWritten(LastBytesWaitMs);
        m_port.close();
    }
    m_received.clear();
}

bool SerialLink::send(const QByteArray &request)
{
    if (!open())
        return false;
    qCDebug(lcLink) << "request" << request << "threshold" << m_threshold;
    // Handed to the line at once: a lock request is followed straight away by a close, which
    // would drop anything still in Qt's write buffer.
    const qint64 written = m_port.write(request);
    m_port.flush();
    if (written != request.size()) {
        handleLinkLost(QSerialPort::WriteError);
        return false;
    }
    return true;
}

QByteArray SerialLink::readAll()
{
    if (m_port.isOpen())
        m_received += m_port.readAll();
    QByteArray reply;
    reply.swap(m_received);
    qCDebug(lcLink) << "reply" << reply;
    return reply;
}

void SerialLink::onReadyRead()
{
    m_received += m_port.readAll();
    if (m_threshold <= 0 || m_received.size() < m_threshold)
        return;
    if (m_shared.DownloadActive)
        emit downloadReplyReady();
    else
        emit scanReplyReady();
}

void SerialLink::onErrorOccurred(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::ReadError:
    case QSerialPort::ResourceError:
    case QSerialPort::WriteError:
        if (m_port.isOpen())
            handleLinkLost(error);
        break;
    default:
        break;
    }
}

// Qt reports a vanished device as a flood of errors for as long as the port stays open, and
// the port still says it is open. Close once, outside the signal handler, then tell.
void SerialLink::handleLinkLost(QSerialPort::SerialPortError error)
{
    if (m_lossPending)
        return;
    m_lossPending = true;
    const QString device = m_openDevice;
    QTimer::singleShot(0, this, [this, error, device] {
        if (!m_lossPending)
            return;
        m_port.clearError();
        close();
        qCWarning(lcLink) << "link lost on" << device << error;
        emit linkLost();
        m_prompts.showMessage(linkLostMessage(device, error, checkDeviceAccess(device)),
                              SerialPortTitle, Prompts::Icon::Critical);
        m_lossPending = false;
    });
}

} // namespace testloop
