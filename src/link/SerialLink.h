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
    QString deviceName() const override;
    bool isOpen() const override;

protected:
    std::optional<PortFailure> openDevice() override;
    void closeDevice() override;
    bool writeDevice(const QByteArray &bytes) override;

private:
    void onErrorOccurred(QSerialPort::SerialPortError error);
    void handleLinkLost(QSerialPort::SerialPortError error);

    QSerialPort m_port;
    QString m_override;
    QString m_openDevice; // the device the port was last opened on
    bool m_lossPending = false;
};

} // namespace testloop
