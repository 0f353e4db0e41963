#pragma once

#include "link/Transport.h"

#include <QSerialPort>
#include <QString>

namespace testloop {

// The serial port to the panel (9600 baud, 8N1, no flow control), opened just before a request
// and closed after it. Handles three traps of Qt 6.4's serial port: a vanished device floods
// errors while the port still says it is open; input that came while the port was closed is
// kept; and "no permission", "busy" and "lock file held" all arrive as PermissionError.
class SerialLink : public Transport
{
    Q_OBJECT
public:
    explicit SerialLink(QObject *parent = nullptr);
    ~SerialLink() override;

    // Device given on the command line; it then serves every port number.
    void setPortOverride(const QString &device);
    // Device chosen in the configuration; it serves instead of the port number's, unless the
    // command line gave one. Empty: the port number's.
    void setChosenDevice(const QString &device);
    QString deviceName() const override;
    bool isOpen() const override;
    bool findDevice() override;

protected:
    void portNumberSet(bool changed) override;
    std::optional<PortFailure> openDevice() override;
    void closeDevice() override;
    bool writeDevice(const QByteArray &bytes) override;

private:
    void onErrorOccurred(QSerialPort::SerialPortError error);
    void handleLinkLost(QSerialPort::SerialPortError error);

    QSerialPort m_port;
    QString m_override;
    QString m_chosen;
    QString m_openDevice; // the device the port was last opened on
    // What identifies the adapter last opened, where it says: USB serial number, vendor and
    // product. Empty for a built-in port or a pseudo-terminal, which only have their path.
    QString m_serialNumber;
    quint16 m_vendor = 0;
    quint16 m_product = 0;
    QString m_identifiedDevice; // the device the three above were read from
    QString m_movedTo; // the name the adapter came back under
    // The device the port number stood for when it was last opened, kept until the number is
    // set again: an adapter pulled out must not turn the number into another port (ttyS0).
    QString m_numberDevice;
    bool m_lossPending = false;
};

} // namespace testloop
