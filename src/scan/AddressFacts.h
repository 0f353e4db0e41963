#pragma once

#include "scan/ButtonColour.h"

#include <QString>
#include <QtGlobal>

namespace testloop {

class CommunicationCounters;
struct LoopData;
struct Settings;

// Sensors or modules: which readings an address is judged by.
enum class DeviceSide { Sensor, Module };

// What the readings say of a device, in the words of the report and the lists.
enum class Verdict {
    Silent, // nothing but zeros: no device answered there
    Ok, // analogue value within the range
    OutOfRange, // analogue value outside the range
    Fault, // below the fault threshold (modules: or exactly 0)
    Conflict, // a current draw of 20..99: two devices at one address
};

// "OK", "FUORI RANGE", "GUASTO", "CONFLITTO INDIRIZZI", "NON RISPONDE".
QString verdictText(Verdict verdict);

// Everything the tables hold about one address of one loop, for the detail window, the
// service report, the CSV export and the expected-against-found list. The verdict is the
// grid's colour in words: the same thresholds and the same precedence.
struct AddressFacts
{
    int loop = 0;
    int address = 0;
    DeviceSide side = DeviceSide::Sensor;
    // From the download; empty, 0 and empty before one.
    QString type;
    qint16 zone = 0;
    QString description; // trailing blanks removed
    bool leftOutOfTest = false;
    // The latest reading, as stored (ten times the panel's analogue value).
    qint16 analogue = 0;
    qint16 current = 0;
    Verdict verdict = Verdict::Silent;
    ButtonColour colour = ButtonColour::ButtonFace;
    // Sensors only: the readings classified and how.
    int counted = 0;
    int inRange = 0;
    int outOfRange = 0;
    int faulty = 0;
    qint16 lastReadings[3] = {0, 0, 0}; // slots 1, 2 and 3

    // The download lists a device here ("NON USATO" lists none).
    bool expected() const { return !type.isEmpty() && type != u"NON USATO"; }
    bool answered() const { return verdict != Verdict::Silent; }
};

AddressFacts addressFacts(const LoopData &data, const Settings &settings, int loop, int address,
                          DeviceSide side);

// The type label the download stores for an address it found empty.
inline const QString UnusedType = QStringLiteral("NON USATO");

} // namespace testloop
