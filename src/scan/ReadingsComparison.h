#pragma once

#include "scan/AddressFacts.h"

#include <QList>
#include <QtGlobal>

namespace testloop {

struct LoopData;

// How far the latest reading of an address has moved since an earlier visit, whose readings
// file serves as the reference.
struct Drift
{
    int address = 0;
    qint16 current = 0;
    qint16 reference = 0;
    int drift = 0; // current - reference, in stored units (ten times the panel's value)
    bool marked = false; // beyond the limit, either way
};

// The drift limit a technician starts from: ten of the panel's units.
inline constexpr int DefaultDriftLimit = 100;

// The drift of one address of a loop, for sensors or modules.
Drift readingDrift(const LoopData &current, const LoopData &reference, int loop, int address,
                   DeviceSide side, int limit);

// The drifts of addresses 1..99, the largest first (by size, either way); equal drifts in
// address order.
QList<Drift> readingDrifts(const LoopData &current, const LoopData &reference, int loop,
                           DeviceSide side, int limit);

// The caption line a button shows under its reading while a reference is open: "Δ+120",
// "Δ-30", "Δ0".
QString driftLine(int drift);

} // namespace testloop
