#include "sim/FaultPlanner.h"

#include <utility>

namespace testloop::sim {

FaultPlanner::FaultPlanner(FaultRates rates, std::uint32_t seed)
    : m_rates(rates)
    , m_random(seed)
{ }

Fault FaultPlanner::next()
{
    if (!m_queued.empty()) {
        const Fault fault = m_queued.front();
        m_queued.pop_front();
        return fault;
    }
    const std::pair<double, Fault> chances[] = {
        {m_rates.silence, Fault::Silence},     {m_rates.late, Fault::Late},
        {m_rates.partial, Fault::Partial},     {m_rates.garbage, Fault::Garbage},
        {m_rates.otherLoop, Fault::OtherLoop}, {m_rates.otherAddress, Fault::OtherAddress},
    };
    double total = 0;
    for (const auto &chance : chances)
        total += chance.first;
    if (total <= 0)
        return Fault::None;
    const double draw = std::uniform_real_distribution<double>(0.0, 1.0)(m_random);
    double bound = 0;
    for (const auto &chance : chances) {
        bound += chance.first;
        if (draw < bound)
            return chance.second;
    }
    return Fault::None;
}

QByteArray FaultPlanner::garbage(qsizetype length)
{
    std::uniform_int_distribution<int> printable(0x20, 0x7e);
    QByteArray bytes;
    bytes.reserve(length);
    for (qsizetype i = 0; i < length; ++i)
        bytes.append(char(printable(m_random)));
    return bytes;
}

} // namespace testloop::sim
