#pragma once

#include "scan/AddressFacts.h"

#include <QList>
#include <QString>

namespace testloop {

class CommunicationCounters;
struct LoopData;
struct Settings;

// One difference between what the panel's configuration expects on a loop and what the scan
// found there.
struct Finding
{
    enum class Kind {
        NeverRead, // the download lists a device that never gave a valid reading
        Unexpected, // a device answers where the download lists nothing ("NON USATO")
        Conflict, // two devices at one address (a current draw of 20..99)
    };
    Kind kind = Kind::NeverRead;
    int address = 0;
    QString text; // Italian, naming the address, the type and the description
};

// Whether the list can be trusted for a loop: the configuration has been downloaded and every
// address has been asked at least once.
struct FindingsReadiness
{
    bool downloaded = false;
    bool passed = false;
};
FindingsReadiness findingsReadiness(const LoopData &data, const CommunicationCounters &counters,
                                    int loop);

// The differences on a loop, in address order. "Never read": the latest reading holds
// nothing but zeros.
QList<Finding> expectedAgainstFound(const LoopData &data, const Settings &settings, int loop,
                                    DeviceSide side);

} // namespace testloop
