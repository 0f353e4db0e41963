#pragma once

#include <QString>

#include <functional>

namespace testloop {

// Resolves the device for port number ComPort N, in one place: "COMN" on Windows; elsewhere
// the --port override when given, otherwise the first existing of /dev/ttyUSB{N-1},
// /dev/ttyACM{N-1}, /dev/ttyS{N-1}, and /dev/ttyUSB{N-1} when none exists (so the message
// names the device a USB adapter would have). A number below 1 resolves to nothing.
QString resolvePortName(int comPort, const QString &overrideDevice,
                        const std::function<bool(const QString &)> &exists = {});

} // namespace testloop
