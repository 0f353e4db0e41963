#pragma once

#include "link/PortFailure.h"

#include <QString>

namespace testloop {

// The Italian message for a port that could not be opened or written: names the device, the
// system's reason, and the remedy that matches it (cable, dialout group, another program).
QString portFailureMessage(const PortFailure &failure);

// The Italian message for a port lost in the middle of an exchange.
QString linkLostMessage(const PortFailure &failure);

inline const QString SerialPortTitle = QStringLiteral("Porta seriale");

} // namespace testloop
