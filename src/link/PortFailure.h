#pragma once

#include <QSerialPort>
#include <QString>

namespace testloop {

// What the system says about a device path, checked after a failed open to tell apart the
// meanings Qt folds into PermissionError.
enum class DeviceAccess { Accessible, Missing, NoPermission };

DeviceAccess checkDeviceAccess(const QString &device);

// The Italian message for a port that could not be opened: names the device, the system's
// reason, and the remedy that matches it (cable, dialout group, another program).
QString openFailureMessage(const QString &device, QSerialPort::SerialPortError error,
                           const QString &reason, DeviceAccess access);

// The Italian message for a port lost in the middle of an exchange.
QString linkLostMessage(const QString &device, QSerialPort::SerialPortError error,
                        DeviceAccess access);

inline const QString SerialPortTitle = QStringLiteral("Porta seriale");

} // namespace testloop
