#include "sim/PanelRequest.h"

namespace testloop::sim {

namespace {

constexpr int BoardCodeLength = 3;

bool allDigits(const QByteArray &text)
{
    if (text.isEmpty())
        return false;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

int digitValue(char c)
{
    return c - '0';
}

} // namespace

PanelRequest PanelRequest::parse(const QByteArray &request)
{
    PanelRequest parsed;
    if (request.size() < 1 + BoardCodeLength + 3 || !request.startsWith('(')
        || !request.endsWith(")XZ"))
        return parsed;
    parsed.boardCode = request.mid(1, BoardCodeLength);
    const QByteArray body = request.mid(1 + BoardCodeLength, request.size() - 4 - BoardCodeLength);

    // "DQB" "S" loop address(3)
    if (body.size() == 8 && body.startsWith("DQBS") && allDigits(body.mid(4))) {
        parsed.kind = Kind::Download;
        parsed.loop = digitValue(body[4]);
        parsed.address = body.mid(5).toInt();
        return parsed;
    }
    // "6AQ" loop kind address(2), kind "0" sensor or "2" module
    if (body.size() == 7 && body.startsWith("6AQ") && allDigits(body.mid(3))
        && (body[4] == '0' || body[4] == '2')) {
        parsed.kind = Kind::Scan;
        parsed.loop = digitValue(body[3]);
        parsed.device
            = body[4] == '0' ? protocol::DeviceKind::Sensor : protocol::DeviceKind::Module;
        parsed.address = body.mid(5).toInt();
        return parsed;
    }
    // "6TS" loop "0" address(2)
    if (body.size() == 7 && body.startsWith("6TS") && allDigits(body.mid(3)) && body[4] == '0') {
        parsed.kind = Kind::Test;
        parsed.loop = digitValue(body[3]);
        parsed.address = body.mid(5).toInt();
        return parsed;
    }
    if (body == "6PIS000")
        parsed.kind = Kind::LockOn;
    else if (body == "6PFS000")
        parsed.kind = Kind::LockOff;
    return parsed;
}

bool PanelRequest::expectsReply() const
{
    return kind == Kind::Download || kind == Kind::Scan || kind == Kind::Test;
}

QString PanelRequest::kindName() const
{
    switch (kind) {
    case Kind::Download:
        return QStringLiteral("download");
    case Kind::Scan:
        return QStringLiteral("scan");
    case Kind::Test:
        return QStringLiteral("test");
    case Kind::LockOn:
        return QStringLiteral("lock on");
    case Kind::LockOff:
        return QStringLiteral("lock off");
    case Kind::Unrecognised:
        break;
    }
    return QStringLiteral("unrecognised");
}

} // namespace testloop::sim
