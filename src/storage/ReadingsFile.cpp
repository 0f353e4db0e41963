#include "storage/ReadingsFile.h"

#include "storage/ReadingsWriter.h"
#include "storage/SafeFileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace testloop {

namespace {

// The full name of the file, as the header and the messages show it.
QString shownName(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

QString loadFailure(const QString &what)
{
    return QStringLiteral("I dati non sono stati caricati: %1. Le letture in memoria restano "
                          "invariate.")
        .arg(what);
}

} // namespace

std::optional<QString> saveReadingsFile(const QString &path, const LoopData &data,
                                        const QDateTime &now)
{
    const QByteArray bytes = writeReadings(data, shownName(path), readingsDateTimeText(now));
    const std::optional<SafeWriteFailure> failure = writeFileSafely(path, bytes);
    if (!failure)
        return std::nullopt;
    return QStringLiteral("I dati non sono stati salvati: impossibile %1 il file %2 (%3). Un "
                          "eventuale file precedente con lo stesso nome resta invariato.")
        .arg(failedStageVerb(failure->stage), shownName(path), failure->reason);
}

ReadingsLoad loadReadingsFile(const QString &path)
{
    ReadingsLoad result;
    const QString name = shownName(path);
    const QFileInfo info(path);
    if (!info.exists()) {
        result.error = loadFailure(QStringLiteral("il file %1 non esiste").arg(name));
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = loadFailure(
            QStringLiteral("impossibile aprire il file %1 (%2)").arg(name, file.errorString()));
        return result;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.error = loadFailure(
            QStringLiteral("impossibile leggere il file %1 (%2)").arg(name, file.errorString()));
        return result;
    }
    result.image = parseReadings(bytes);
    if (!result.image) {
        result.error = loadFailure(QStringLiteral("il file %1 finisce prima della seconda riga "
                                                  "e non contiene letture")
                                       .arg(name));
        return result;
    }
    if (const std::optional<qsizetype> at = result.image->controlByteAt) {
        result.error = loadFailure(
            QStringLiteral("il file %1 non è un file di letture: contiene un carattere di "
                           "controllo (codice %2) alla posizione %3")
                .arg(name)
                .arg(int(static_cast<unsigned char>(bytes[*at])))
                .arg(*at + 1));
        result.image.reset();
        return result;
    }
    const int addresses = result.image->addressLines;
    if (addresses == 0) {
        result.error = loadFailure(
            QStringLiteral("il file %1 non contiene alcun indirizzo (nessuna riga \"N\")")
                .arg(name));
        result.image.reset();
        return result;
    }
    if (addresses < AddressLinesPerFile) {
        result.warning = QStringLiteral("Il file finisce prima dell'ultimo blocco: porta %1 "
                                        "indirizzi dei %2 di un file completo. I valori degli "
                                        "altri indirizzi restano quelli di prima.")
                             .arg(addresses)
                             .arg(AddressLinesPerFile);
    }
    return result;
}

} // namespace testloop
