#pragma once

#include "loopdata/LoopTables.h"
#include "storage/ReadingsReader.h"

#include <QDateTime>
#include <QString>

#include <optional>

namespace testloop {

// Writes the readings file at path from the tables as they stand, dated now. A file of that
// name is replaced; when the new one cannot be created or written completely, the old one
// stays as it was. The result is empty on success, otherwise the Italian message to show.
std::optional<QString> saveReadingsFile(const QString &path, const LoopData &data,
                                        const QDateTime &now);

// The outcome of reading a readings file: the values it carries, or why there are none.
struct ReadingsLoad
{
    std::optional<ReadingsImage> image;
    QString error; // Italian, naming the file; empty when image holds the values
    QString warning; // Italian: the file ends before its last block; empty for a whole file
};

// Reads the whole readings file at path without touching any table; apply the image to
// take the values over. A file with bytes no text file holds, or with no address at all, is
// refused: it is not a readings file, and loading it would only scatter noise in the tables.
ReadingsLoad loadReadingsFile(const QString &path);

} // namespace testloop
