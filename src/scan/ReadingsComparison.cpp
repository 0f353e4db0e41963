#include "scan/ReadingsComparison.h"

#include "loopdata/LoopTables.h"

#include <algorithm>
#include <cstdlib>

namespace testloop {

Drift readingDrift(const LoopData &current, const LoopData &reference, int loop, int address,
                   DeviceSide side, int limit)
{
    const auto analogue = [&](const LoopData &data) {
        return side == DeviceSide::Sensor ? data.SensorAnalogue.at(address, loop)
                                          : data.ModuleAnalogue.at(address, loop);
    };
    Drift drift;
    drift.address = address;
    drift.current = analogue(current);
    drift.reference = analogue(reference);
    drift.drift = int(drift.current) - int(drift.reference);
    drift.marked = std::abs(drift.drift) > limit;
    return drift;
}

QList<Drift> readingDrifts(const LoopData &current, const LoopData &reference, int loop,
                           DeviceSide side, int limit)
{
    QList<Drift> drifts;
    for (int address = FirstAddress; address <= LastAddress; ++address)
        drifts.append(readingDrift(current, reference, loop, address, side, limit));
    std::stable_sort(drifts.begin(), drifts.end(), [](const Drift &a, const Drift &b) {
        return std::abs(a.drift) > std::abs(b.drift);
    });
    return drifts;
}

QString driftLine(int drift)
{
    const QString sign = drift > 0 ? QStringLiteral("+") : QString();
    return QStringLiteral("\u0394") + sign + QString::number(drift);
}

} // namespace testloop
