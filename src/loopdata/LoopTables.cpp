#include "loopdata/LoopTables.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace testloop {

namespace {
constexpr std::size_t HistogramBins = MaxHistogramReading + 1;
constexpr std::size_t HistogramCells = HistogramBins * (MaxAddressIndex + 1) * (MaxLoopIndex + 1);
} // namespace

Histogram::Histogram()
    : m_counts(static_cast<qint16 *>(std::calloc(HistogramCells, sizeof(qint16))))
{
    if (!m_counts)
        throw std::bad_alloc();
}

Histogram::Histogram(const Histogram &other)
    : Histogram()
{
    std::memcpy(m_counts.get(), other.m_counts.get(), HistogramCells * sizeof(qint16));
}

Histogram &Histogram::operator=(const Histogram &other)
{
    if (this != &other)
        std::memcpy(m_counts.get(), other.m_counts.get(), HistogramCells * sizeof(qint16));
    return *this;
}

bool Histogram::inRange(int reading, int address, int loop)
{
    return reading >= 0 && reading <= MaxHistogramReading && isTableIndex(address, loop);
}

// Laid out loop, then address, then reading, so one address's distribution is contiguous.
std::size_t Histogram::index(int reading, int address, int loop)
{
    return (std::size_t(loop) * (MaxAddressIndex + 1) + std::size_t(address)) * HistogramBins
        + std::size_t(reading);
}

qint16 Histogram::at(int reading, int address, int loop) const
{
    return inRange(reading, address, loop) ? m_counts[index(reading, address, loop)] : 0;
}

std::span<const qint16> Histogram::counts(int address, int loop) const
{
    if (!isTableIndex(address, loop))
        return {};
    return {m_counts.get() + index(0, address, loop), HistogramBins};
}

bool Histogram::add(int reading, int address, int loop)
{
    if (!inRange(reading, address, loop))
        return false;
    qint16 &count = m_counts[index(reading, address, loop)];
    if (count < MaxCount)
        ++count;
    return true;
}

bool Histogram::set(int reading, int address, int loop, qint16 value)
{
    if (!inRange(reading, address, loop))
        return false;
    m_counts[index(reading, address, loop)] = value;
    return true;
}

void Histogram::clearReadings(int from, int to, int address, int loop)
{
    from = std::max(from, 0);
    to = std::min(to, MaxHistogramReading);
    if (from > to || !isTableIndex(address, loop))
        return;
    qint16 *const first = m_counts.get() + index(from, address, loop);
    std::fill(first, first + (to - from + 1), qint16(0));
}

bool LoopData::pushLastReading(int address, int loop, qint16 reading)
{
    if (!isTableIndex(address, loop))
        return false;
    int slot = RingSlot.at(address, loop) + 1;
    if (slot > RingSlots || slot < 1)
        slot = 1;
    RingSlot.set(address, loop, qint16(slot));
    LastReadings[std::size_t(slot)].set(address, loop, reading);
    return true;
}

void LoopData::clearReadings()
{
    const std::initializer_list<AddressTable<qint16> *> cleared
        = {&SensorAnalogue,  &ModuleAnalogue, &SensorCurrent, &ModuleCurrent, &SensorReadCount,
           &OutOfRangeCount, &OkCount,        &FaultCount,    &NotActivated,  &DeviceZone};
    for (int loop = 1; loop <= MaxLoopIndex; ++loop) {
        for (int address = FirstAddress; address <= LastAddress; ++address) {
            for (AddressTable<qint16> *table : cleared)
                table->set(address, loop, 0);
            DeviceType.set(address, loop, QString());
            DeviceText.set(address, loop, QString());
            for (int slot = 1; slot <= RingSlots; ++slot)
                LastReadings[std::size_t(slot)].set(address, loop, 0);
            SensorHistogram.clearReadings(1, MaxHistogramReading, address, loop);
            ModuleHistogram.clearReadings(1, MaxHistogramReading, address, loop);
        }
    }
}

} // namespace testloop
