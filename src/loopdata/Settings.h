#pragma once

#include <QString>
#include <QtGlobal>

namespace testloop {

// The nine program-wide settings kept in TestLoop.ini. The defaults are the values the
// program runs on when the file is missing or a line cannot be read.
struct Settings
{
    qint16 ComPort = 1;
    QString BoardCode = QStringLiteral("j00");
    qint16 FaultRetries = 3;
    qint16 GSMax = 200; // sensor fault threshold
    qint16 VaSMin = 400; // sensor lower limit
    qint16 VaSMax = 1500; // sensor upper limit
    qint16 GMMax = 200; // module fault threshold
    qint16 VaMMin = 400; // module lower limit
    qint16 VaMMax = 2500; // module upper limit

    friend bool operator==(const Settings &, const Settings &) = default;
};

} // namespace testloop
