#pragma once

#include <QSerialPort>
#include <QString>

namespace testloop {

// Why the port to the panel could not be used, typed so that the window can choose the
// words and the remedy. Qt folds "no permission", "busy" and "lock file held" into one
// PermissionError; they are told apart here by asking the system about the device.
struct PortFailure
{
    enum class Reason {
        Unconfigured, // the port number resolves to no device
        Missing, // the device does not exist (cable or adapter unplugged)
        NoPermission, // the user may not open it (not in the dialout group)
        InUse, // another program holds it
        ReadFailed, // reading from an open port failed
        WriteFailed, // writing to an open port failed
        Other, // anything else; systemReason says what
    };

    Reason reason = Reason::Other;
    QString device;
    QString systemReason; // the system's own words, as Qt gives them

    friend bool operator==(const PortFailure &, const PortFailure &) = default;
};

// What the system says about a device path: Missing, NoPermission, or Other when it can be
// opened for reading and writing.
PortFailure::Reason deviceAccess(const QString &device);

// The failure of an open that Qt reported with error and its text.
PortFailure openFailure(const QString &device, QSerialPort::SerialPortError error,
                        const QString &systemReason);

// The failure of a port lost while open, reported by Qt with error.
PortFailure lossFailure(const QString &device, QSerialPort::SerialPortError error,
                        const QString &systemReason);

} // namespace testloop
