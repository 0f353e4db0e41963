#pragma once

#include "sim/ServerOptions.h"

#include <QByteArray>

#include <cstdint>
#include <deque>
#include <random>

namespace testloop::sim {

// Decides the fault for each replying request: faults queued by hand first, in order, then a
// draw against the rates from a seeded generator so that a run can be repeated.
class FaultPlanner
{
public:
    explicit FaultPlanner(FaultRates rates = {}, std::uint32_t seed = 1);

    void queue(Fault fault) { m_queued.push_back(fault); }
    qsizetype queuedCount() const { return qsizetype(m_queued.size()); }

    Fault next();
    // Printable ASCII characters, as many as asked for.
    QByteArray garbage(qsizetype length);

private:
    FaultRates m_rates;
    std::deque<Fault> m_queued;
    std::mt19937 m_random;
};

} // namespace testloop::sim
