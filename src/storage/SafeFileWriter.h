#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace testloop {

// Where writing a file through writeFileSafely() went wrong.
struct SafeWriteFailure
{
    enum class Stage {
        Create, // the file (its temporary companion) could not be created
        Write, // writing, flushing or putting the finished file in place failed
    };
    Stage stage;
    QString reason; // the system's reason, as Qt words it
};

// The Italian verb for a failed stage, for "impossibile %1 il file": "creare" or "scrivere".
QString failedStageVerb(SafeWriteFailure::Stage stage);

// Writes bytes as the whole new contents of the file at path. The bytes go to a temporary file
// that replaces the named one only once everything was written, so on any failure an existing
// file of that name stays as it was and no partial file is left behind.
std::optional<SafeWriteFailure> writeFileSafely(const QString &path, const QByteArray &bytes);

} // namespace testloop
