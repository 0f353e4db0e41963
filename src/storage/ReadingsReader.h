#pragma once

#include "loopdata/LoopTables.h"

#include <QByteArrayView>

#include <array>
#include <optional>

namespace testloop {

// Address groups of a whole readings file: 99 in each of the four blocks.
inline constexpr int AddressLinesPerFile = 4 * 99;

// The values a readings file carries, read into a copy first so that the tables change only
// once the whole file has been read. A cell the file did not mention stays empty.
struct ReadingsImage
{
    enum Field {
        SensorAnalogue, // V in the sensor blocks
        SensorCurrent, // A
        LastReading1, // B
        LastReading2, // C
        LastReading3, // D
        SensorReadCount, // E
        RingSlot, // F
        OkCount, // G
        OutOfRangeCount, // H
        FaultCount, // I
        ModuleAnalogue, // V in the module blocks
        ModuleCurrent, // A
        FieldCount
    };

    std::array<AddressTable<std::optional<qint16>>, FieldCount> values;
    // Address groups ("N") met: a whole file has 99 in each of its four blocks.
    int addressLines = 0;
    // Where the first byte stands that no text file holds (NUL, or a control character other
    // than tab, CR and LF); nothing when there is none.
    std::optional<qsizetype> controlByteAt;

    // Stores every value the file carried into data; everything else keeps what it held,
    // the distributions included.
    void applyTo(LoopData &data) const;
};

// Reads the contents of a readings file. The first line is skipped whatever it holds; after
// it, every value is found from the letter in front of it, wherever it stands: "*" starts the
// modules of loop 1, "-" switches to loop 2, "N" sets the address, "V" and "A" give the
// analogue value and current, "B" to "I" the sensor statistics; any other character is
// skipped. A number is the run of digits after the letter's sign place; a "-" in that place
// is the number's sign, not a switch of loop. Values beyond 16 bits are held at the limit.
// Nothing when the contents end before a second line.
std::optional<ReadingsImage> parseReadings(QByteArrayView bytes);

} // namespace testloop
