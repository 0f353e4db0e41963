#include "sim/PanelResponder.h"

#include <algorithm>

namespace testloop::sim {

namespace {

QByteArray digits(int value, int width)
{
    return QByteArray::number(value).rightJustified(width, '0', true);
}

QByteArray digit(int value)
{
    return digits(std::clamp(value, 0, 9), 1);
}

QByteArray paddedDescription(const QString &description)
{
    return description.toLatin1().leftJustified(Installation::DescriptionLength, ' ', true);
}

} // namespace

PanelResponder::PanelResponder(Installation installation, std::uint32_t seed)
    : m_installation(std::move(installation))
    , m_random(seed)
{ }

std::optional<QByteArray> PanelResponder::replyTo(const QByteArray &request)
{
    return replyTo(PanelRequest::parse(request));
}

std::optional<QByteArray> PanelResponder::replyTo(const PanelRequest &request)
{
    switch (request.kind) {
    case PanelRequest::Kind::Download:
        return downloadReply(request);
    case PanelRequest::Kind::Scan:
        return scanReply(request);
    case PanelRequest::Kind::Test:
        return testReply(request);
    case PanelRequest::Kind::LockOn:
    case PanelRequest::Kind::LockOff:
    case PanelRequest::Kind::Unrecognised:
        break;
    }
    return std::nullopt;
}

int PanelResponder::reading(int analogue, int noise)
{
    if (noise <= 0)
        return std::clamp(analogue, 0, Installation::MaxField);
    std::uniform_int_distribution<int> offset(-noise, noise);
    return std::clamp(analogue + offset(m_random), 0, Installation::MaxField);
}

// "(" code "DQR" "S" loop address(3) type zone(2) status description(21) "0" ")XZ": 41 characters.
// The sensor at the address is described; an address with only a module describes the module;
// an empty one reads as an unused device (type 1) in zone 00 with status 2.
QByteArray PanelResponder::downloadReply(const PanelRequest &request) const
{
    int type = 1;
    int zone = 0;
    int status = 2;
    QString description;
    if (const auto sensor = m_installation.sensor(request.loop, request.address)) {
        type = sensor->type;
        zone = sensor->zone;
        status = sensor->status;
        description = sensor->description;
    } else if (const auto module = m_installation.module(request.loop, request.address)) {
        type = module->type;
        zone = module->zone;
        status = 0;
        description = module->description;
    }
    return '(' + request.boardCode + "DQRS" + digit(request.loop) + digits(request.address, 3)
        + digit(type) + digits(zone, 2) + digit(status) + paddedDescription(description) + "0)XZ";
}

// "(" code "6AR" loop kind address(2) analogue(3) current(3) "000000000" ")XZ": 29 characters.
// An empty address reads 000 with no current.
QByteArray PanelResponder::scanReply(const PanelRequest &request)
{
    int analogue = 0;
    int current = 0;
    const bool isSensor = request.device == protocol::DeviceKind::Sensor;
    if (isSensor) {
        if (const auto sensor = m_installation.sensor(request.loop, request.address)) {
            analogue = reading(sensor->analogue, sensor->noise);
            current = sensor->current;
        }
    } else if (const auto module = m_installation.module(request.loop, request.address)) {
        analogue = reading(module->analogue, module->noise);
        current = module->current;
    }
    return '(' + request.boardCode + "6AR" + digit(request.loop) + (isSensor ? "0" : "2")
        + digits(request.address, 2) + digits(analogue, 3) + digits(current, 3) + "000000000)XZ";
}

// "(" code "6" result(2) loop "0" address(2) ")XZ": 14 characters. An empty address has no
// result ("T?").
QByteArray PanelResponder::testReply(const PanelRequest &request) const
{
    QByteArray result = "T?";
    if (const auto sensor = m_installation.sensor(request.loop, request.address))
        result = sensor->test.toLatin1().leftJustified(2, '?', true);
    return '(' + request.boardCode + '6' + result + digit(request.loop) + '0'
        + digits(request.address, 2) + ")XZ";
}

} // namespace testloop::sim
