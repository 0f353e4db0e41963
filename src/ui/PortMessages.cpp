#include "ui/PortMessages.h"

namespace testloop {

using Reason = PortFailure::Reason;

QString portFailureMessage(const PortFailure &failure)
{
    const QString head
        = QStringLiteral("Impossibile aprire la porta seriale %1").arg(failure.device);
    switch (failure.reason) {
    case Reason::Unconfigured:
        return QStringLiteral("Impossibile aprire la porta seriale: il numero di porta "
                              "configurato non è valido. Scegliere la porta nella "
                              "configurazione.");
    case Reason::Missing:
        return head
            + QStringLiteral(": il dispositivo non esiste (%1).\nControllare che il cavo "
                             "o l'adattatore USB sia collegato e che la porta configurata "
                             "sia quella giusta.")
                  .arg(failure.systemReason);
    case Reason::NoPermission:
        return head
            + QStringLiteral(": permesso negato (%1).\nL'utente deve appartenere al gruppo "
                             "dialout: eseguire \"sudo usermod -aG dialout $USER\", poi "
                             "uscire e rientrare nella sessione.")
                  .arg(failure.systemReason);
    case Reason::InUse:
        return head
            + QStringLiteral(": la porta è già in uso da un altro programma (%1).\n"
                             "Chiudere l'altro programma e riprovare.")
                  .arg(failure.systemReason);
    case Reason::ReadFailed:
    case Reason::WriteFailed:
        return linkLostMessage(failure);
    case Reason::Other:
        break;
    }
    return head + QStringLiteral(": %1.").arg(failure.systemReason);
}

QString linkLostMessage(const PortFailure &failure)
{
    QString reason;
    switch (failure.reason) {
    case Reason::Missing:
        reason = QStringLiteral("il dispositivo non esiste più");
        break;
    case Reason::WriteFailed:
        reason = QStringLiteral("errore di scrittura");
        break;
    case Reason::ReadFailed:
        reason = QStringLiteral("errore di lettura");
        break;
    default:
        reason = QStringLiteral("il dispositivo non risponde più");
        break;
    }
    return QStringLiteral(
               "La comunicazione sulla porta seriale %1 si è interrotta (%2).\n"
               "Controllare il collegamento con la centrale. Lo scambio in corso è stato "
               "fermato; le letture già acquisite sono conservate.")
        .arg(failure.device, reason);
}

} // namespace testloop
