#pragma once

#include "link/PanelProtocol.h"

#include <QByteArray>

namespace testloop::sim {

// One framed request, "(" + board code + body + ")XZ", taken apart.
struct PanelRequest
{
    enum class Kind { Download, Scan, Test, LockOn, LockOff, Unrecognised };

    Kind kind = Kind::Unrecognised;
    QByteArray boardCode; // the three characters after "(", echoed in the reply
    int loop = 0; // loop digit 0..9
    int address = 0; // 0..999 for a download, 0..99 otherwise
    protocol::DeviceKind device = protocol::DeviceKind::Sensor; // scan and test

    // Anything not framed exactly like one of the five requests is Unrecognised.
    static PanelRequest parse(const QByteArray &request);

    // Download, scan and test are answered; locks and unrecognised requests are not.
    bool expectsReply() const;
    // "download", "scan", "test", "lock on", "lock off" or "unrecognised".
    QString kindName() const;

    friend bool operator==(const PanelRequest &, const PanelRequest &) = default;
};

} // namespace testloop::sim
