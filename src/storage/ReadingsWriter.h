#pragma once

#include "loopdata/LoopTables.h"

#include <QByteArray>
#include <QDateTime>
#include <QLocale>
#include <QString>

namespace testloop {

// The readings file: plain single-byte text with CR LF line ends. A header line (file name,
// date and time, program version), then four blocks: sensors of loop 1, "--------------",
// sensors of loop 2, "**************", modules of loop 1, "--------------", modules of loop 2.
// Each block lists addresses 1..99; a sensor has an address line (N, V, A), a line of the
// last three readings and the read count (B, C, D, E) and a counter line (F, G, H, I); a
// module has the address line only. Each address ends with its distribution, "<value:count>"
// for every reading value that occurred.

// The exact bytes of a readings file holding the tables of data. fullPath and dateTimeText
// only fill the header line; a line end in the path becomes "?" so that the header stays one
// line and is never read back as data.
QByteArray writeReadings(const LoopData &data, const QString &fullPath,
                         const QString &dateTimeText);

// A date and time as the system writes one: the short date, a blank and the time with its
// seconds; at exactly midnight the date alone.
QString readingsDateTimeText(const QDateTime &when, const QLocale &locale = QLocale::system());

// A time format without its time-zone part: "HH:mm:ss t" gives "HH:mm:ss".
QString timeFormatWithoutZone(const QString &format);

} // namespace testloop
