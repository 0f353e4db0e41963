#pragma once

#include "scan/ButtonColour.h"

#include <QString>
#include <QtGlobal>

namespace testloop {

// The verdict on one sensor from its statistics: the shares of readings in range, out of range
// and faulty, and red or green by whether more than half were in range.
struct Verification
{
    int okPercent = 0;
    int outOfRangePercent = 0;
    int faultPercent = 0;
    ButtonColour colour = ButtonColour::ButtonFace;
    QString caption; // "N° a", then the three percentages, one per line
};

// Each share is truncated to a whole percent on its own, so the three need not add up to 100.
// Computed exactly on whole numbers: 29 readings of 100 give 29 %, where a product of
// floating-point numbers would give 28.
Verification verifySensor(int address, qint16 readCount, qint16 okCount, qint16 outOfRangeCount,
                          qint16 faultCount);

} // namespace testloop
