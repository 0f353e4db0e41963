#include "link/PortFailure.h"

#include <QFile>

#ifndef Q_OS_WIN
#include <cerrno>
#include <unistd.h>
#endif

namespace testloop {

DeviceAccess checkDeviceAccess(const QString &device)
{
#ifdef Q_OS_WIN
    Q_UNUSED(device);
    return DeviceAccess::Accessible;
#else
    const QByteArray path = QFile::encodeName(device);
    if (::access(path.constData(), R_OK | W_OK) == 0)
        return DeviceAccess::Accessible;
    return errno == EACCES || errno == EPERM ? DeviceAccess::NoPermission : DeviceAccess::Missing;
#endif
}

QString openFailureMessage(const QString &device, QSerialPort::SerialPortError error,
                           const QString &reason, DeviceAccess access)
{
    const QString head = QStringLiteral("Impossibile aprire la porta seriale %1").arg(device);
    if (device.isEmpty()) {
        return QStringLiteral("Impossibile aprire la porta seriale: il numero di porta "
                              "configurato non è valido. Scegliere la porta nella "
                              "configurazione.");
    }
    if (error == QSerialPort::DeviceNotFoundError || access == DeviceAccess::Missing) {
        return head
            + QStringLiteral(": il dispositivo non esiste (%1).\nControllare che il cavo "
                             "o l'adattatore USB sia collegato e che la porta configurata "
                             "sia quella giusta.")
                  .arg(reason);
    }
    if (error == QSerialPort::PermissionError && access == DeviceAccess::NoPermission) {
        return head
            + QStringLiteral(": permesso negato (%1).\nL'utente deve appartenere al gruppo "
                             "dialout: eseguire \"sudo usermod -aG dialout $USER\", poi "
                             "uscire e rientrare nella sessione.")
                  .arg(reason);
    }
    if (error == QSerialPort::PermissionError) {
        return head
            + QStringLiteral(": la porta è già in uso da un altro programma (%1).\n"
                             "Chiudere l'altro programma e riprovare.")
                  .arg(reason);
    }
    return head + QStringLiteral(": %1.").arg(reason);
}

QString linkLostMessage(const QString &device, QSerialPort::SerialPortError error,
                        DeviceAccess access)
{
    QString reason;
    if (access == DeviceAccess::Missing)
        reason = QStringLiteral("il dispositivo non esiste più");
    else if (error == QSerialPort::WriteError)
        reason = QStringLiteral("errore di scrittura");
    else if (error == QSerialPort::ReadError)
        reason = QStringLiteral("errore di lettura");
    else
        reason = QStringLiteral("il dispositivo non risponde più");
    return QStringLiteral(
               "La comunicazione sulla porta seriale %1 si è interrotta (%2).\n"
               "Controllare il collegamento con la centrale. Lo scambio in corso è stato "
               "fermato; le letture già acquisite sono conservate.")
        .arg(device, reason);
}

} // namespace testloop
