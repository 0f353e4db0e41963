#include "scan/AddressFacts.h"

#include "loopdata/LoopTables.h"
#include "loopdata/NumberText.h"
#include "loopdata/Settings.h"
#include "scan/Evaluation.h"

namespace testloop {

QString verdictText(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Ok:
        return QStringLiteral("OK");
    case Verdict::OutOfRange:
        return QStringLiteral("FUORI RANGE");
    case Verdict::Fault:
        return QStringLiteral("GUASTO");
    case Verdict::Conflict:
        return QStringLiteral("CONFLITTO INDIRIZZI");
    case Verdict::Silent:
        break;
    }
    return QStringLiteral("NON RISPONDE");
}

AddressFacts addressFacts(const LoopData &data, const Settings &settings, int loop, int address,
                          DeviceSide side)
{
    AddressFacts facts;
    facts.loop = loop;
    facts.address = address;
    facts.side = side;
    facts.type = data.DeviceType.at(address, loop);
    facts.zone = data.DeviceZone.at(address, loop);
    facts.description = data.DeviceText.at(address, loop).trimmed();
    facts.leftOutOfTest = data.NotActivated.at(address, loop) == 1;
    const bool sensor = side == DeviceSide::Sensor;
    facts.analogue
        = sensor ? data.SensorAnalogue.at(address, loop) : data.ModuleAnalogue.at(address, loop);
    facts.current
        = sensor ? data.SensorCurrent.at(address, loop) : data.ModuleCurrent.at(address, loop);
    if (sensor) {
        facts.counted = data.SensorReadCount.at(address, loop);
        facts.inRange = data.OkCount.at(address, loop);
        facts.outOfRange = data.OutOfRangeCount.at(address, loop);
        facts.faulty = data.FaultCount.at(address, loop);
        for (int slot = 1; slot <= RingSlots; ++slot)
            facts.lastReadings[slot - 1] = data.LastReadings[std::size_t(slot)].at(address, loop);
    }
    const ButtonView view = sensor
        ? EvaluateSensor(address, facts.analogue, facts.current,
                         {settings.GSMax, settings.VaSMin, settings.VaSMax})
        : EvaluateModule(address, plainForm(loop), facts.analogue, facts.current,
                         {settings.GMMax, settings.VaMMin, settings.VaMMax});
    facts.colour = view.colour;
    if (facts.analogue == 0 && facts.current == 0) {
        facts.verdict = Verdict::Silent;
        return facts;
    }
    switch (view.colour) {
    case ButtonColour::Green:
        facts.verdict = Verdict::Ok;
        break;
    case ButtonColour::Yellow:
        facts.verdict = Verdict::OutOfRange;
        break;
    case ButtonColour::White:
        facts.verdict = Verdict::Conflict;
        break;
    default:
        facts.verdict = Verdict::Fault;
        break;
    }
    return facts;
}

} // namespace testloop
