#include "link/PortFailure.h"

#include <QFile>

#ifndef Q_OS_WIN
#include <cerrno>
#include <unistd.h>
#endif

namespace testloop {

using Reason = PortFailure::Reason;

Reason deviceAccess(const QString &device)
{
#ifdef Q_OS_WIN
    Q_UNUSED(device);
    return Reason::Other;
#else
    const QByteArray path = QFile::encodeName(device);
    if (::access(path.constData(), R_OK | W_OK) == 0)
        return Reason::Other;
    return errno == EACCES || errno == EPERM ? Reason::NoPermission : Reason::Missing;
#endif
}

PortFailure openFailure(const QString &device, QSerialPort::SerialPortError error,
                        const QString &systemReason)
{
    PortFailure failure {Reason::Other, device, systemReason};
    if (device.isEmpty()) {
        failure.reason = Reason::Unconfigured;
        return failure;
    }
    const Reason access = deviceAccess(device);
    if (error == QSerialPort::DeviceNotFoundError || access == Reason::Missing)
        failure.reason = Reason::Missing;
    else if (error == QSerialPort::PermissionError)
        failure.reason = access == Reason::NoPermission ? Reason::NoPermission : Reason::InUse;
    return failure;
}

PortFailure lossFailure(const QString &device, QSerialPort::SerialPortError error,
                        const QString &systemReason)
{
    PortFailure failure {Reason::Other, device, systemReason};
    if (deviceAccess(device) == Reason::Missing)
        failure.reason = Reason::Missing;
    else if (error == QSerialPort::WriteError)
        failure.reason = Reason::WriteFailed;
    else if (error == QSerialPort::ReadError)
        failure.reason = Reason::ReadFailed;
    return failure;
}

} // namespace testloop
