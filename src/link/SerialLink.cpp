#include "link/SerialLink.h"

#include "link/PortNames.h"

#include <QFile>
#include <QSerialPortInfo>
#include <QTimer>

namespace testloop {

SerialLink::SerialLink(QObject *parent)
    : Transport(parent)
{
    m_port.setBaudRate(QSerialPort::Baud9600);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    connect(&m_port, &QSerialPort::readyRead, this, [this] { gather(m_port.readAll()); });
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialLink::onErrorOccurred);
}

SerialLink::~SerialLink()
{
    if (m_port.isOpen())
        closeDevice();
}

void SerialLink::setPortOverride(const QString &device)
{
    m_override = device;
    m_movedTo.clear();
}

void SerialLink::setChosenDevice(const QString &device)
{
    m_chosen = device;
    m_movedTo.clear();
}

// The device that came back elsewhere, the command line's, the chosen one, the number's.
QString SerialLink::deviceName() const
{
    if (!m_movedTo.isEmpty())
        return m_movedTo;
    if (m_override.isEmpty() && !m_chosen.isEmpty())
        return m_chosen;
    if (m_override.isEmpty() && !m_numberDevice.isEmpty())
        return m_numberDevice;
    return resolvePortName(portNumber(), m_override);
}

void SerialLink::portNumberSet(bool changed)
{
    m_numberDevice.clear();
    if (changed)
        m_movedTo.clear(); // another port: where the old adapter went no longer matters
}

bool SerialLink::findDevice()
{
    if (m_vendor == 0 && m_serialNumber.isEmpty())
        return !m_openDevice.isEmpty() && QFile::exists(m_openDevice);
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &port : ports) {
        const bool same = m_serialNumber.isEmpty()
            ? port.vendorIdentifier() == m_vendor && port.productIdentifier() == m_product
            : port.serialNumber() == m_serialNumber;
        if (!same)
            continue;
        if (port.systemLocation() != m_openDevice)
            m_movedTo = port.systemLocation();
        return true;
    }
    return false;
}

bool SerialLink::isOpen() const
{
    return m_port.isOpen();
}

std::optional<PortFailure> SerialLink::openDevice()
{
    const QString device = deviceName();
    m_lossPending = false;
    if (device.isEmpty())
        return openFailure(device, QSerialPort::DeviceNotFoundError, {});
    m_port.setPortName(device);
    m_openDevice = device;
    if (!m_port.open(QIODevice::ReadWrite)) {
        const PortFailure failure = openFailure(device, m_port.error(), m_port.errorString());
        m_port.clearError();
        return failure;
    }
    if (m_override.isEmpty() && m_chosen.isEmpty())
        m_numberDevice = device;
    // The port keeps whatever arrived while it was closed (a reply that came after its
    // time-out); left there it would be taken for the reply to the next request.
    m_port.clear(QSerialPort::AllDirections);
    // What the adapter says of itself is asked once per device, not at every request.
    if (device != m_identifiedDevice) {
        const QSerialPortInfo info(m_port);
        m_serialNumber = info.serialNumber();
        m_vendor = info.hasVendorIdentifier() ? info.vendorIdentifier() : 0;
        m_product = info.hasProductIdentifier() ? info.productIdentifier() : 0;
        m_identifiedDevice = device;
    }
    return std::nullopt;
}

void SerialLink::closeDevice()
{
    constexpr int LastBytesWaitMs = 200;
    if (m_port.bytesToWrite() > 0 && !m_lossPending)
        m_port.waitForBytesWritten(LastBytesWaitMs);
    m_port.close();
}

bool SerialLink::writeDevice(const QByteArray &bytes)
{
    // Handed to the line at once: a lock request is followed straight away by a close, which
    // would drop anything still in Qt's write buffer.
    const qint64 written = m_port.write(bytes);
    m_port.flush();
    if (written == bytes.size())
        return true;
    handleLinkLost(QSerialPort::WriteError);
    return false;
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
    const QString reason = m_port.errorString();
    QTimer::singleShot(0, this, [this, error, device, reason] {
        if (!m_lossPending)
            return;
        m_port.clearError();
        loseLink(lossFailure(device, error, reason));
        m_lossPending = false;
    });
}

} // namespace testloop
