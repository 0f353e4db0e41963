#include "storage/SafeFileWriter.h"

#include <QSaveFile>

namespace testloop {

QString failedStageVerb(SafeWriteFailure::Stage stage)
{
    return stage == SafeWriteFailure::Stage::Create ? QStringLiteral("creare")
                                                    : QStringLiteral("scrivere");
}

std::optional<SafeWriteFailure> writeFileSafely(const QString &path, const QByteArray &bytes)
{
    // QSaveFile puts the temporary file in place only on commit(). Unbuffered, every write
    // reaches the system at once: a buffered write that fails only while commit() flushes goes
    // unnoticed by commit() in Qt 6.4, and the short file would replace the good one.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return SafeWriteFailure {SafeWriteFailure::Stage::Create, file.errorString()};
    // A short write (a full disk, a size limit) is followed by one more attempt, which then
    // fails with the system's reason.
    for (qsizetype written = 0; written < bytes.size();) {
        const qint64 count = file.write(bytes.constData() + written, bytes.size() - written);
        if (count <= 0) {
            const QString reason = file.errorString();
            file.cancelWriting();
            return SafeWriteFailure {SafeWriteFailure::Stage::Write, reason};
        }
        written += qsizetype(count);
    }
    if (!file.commit())
        return SafeWriteFailure {SafeWriteFailure::Stage::Write, file.errorString()};
    return std::nullopt;
}

} // namespace testloop
