#include "sim/Installation.h"

namespace testloop::sim {

bool Installation::isValidLocation(int loop, int address)
{
    return loop >= 1 && loop <= LoopCount && address >= 1 && address <= AddressCount;
}

std::size_t Installation::slot(int loop, int address)
{
    return std::size_t((loop - 1) * AddressCount + (address - 1));
}

std::optional<Sensor> Installation::sensor(int loop, int address) const
{
    if (!isValidLocation(loop, address))
        return std::nullopt;
    return m_sensors[slot(loop, address)];
}

std::optional<Module> Installation::module(int loop, int address) const
{
    if (!isValidLocation(loop, address))
        return std::nullopt;
    return m_modules[slot(loop, address)];
}

void Installation::setSensor(int loop, int address, std::optional<Sensor> sensor)
{
    if (isValidLocation(loop, address))
        m_sensors[slot(loop, address)] = std::move(sensor);
}

void Installation::setModule(int loop, int address, std::optional<Module> module)
{
    if (isValidLocation(loop, address))
        m_modules[slot(loop, address)] = std::move(module);
}

int Installation::sensorCount(int loop) const
{
    int count = 0;
    for (int address = 1; address <= AddressCount; ++address)
        count += sensor(loop, address).has_value() ? 1 : 0;
    return count;
}

int Installation::moduleCount(int loop) const
{
    int count = 0;
    for (int address = 1; address <= AddressCount; ++address)
        count += module(loop, address).has_value() ? 1 : 0;
    return count;
}

} // namespace testloop::sim
