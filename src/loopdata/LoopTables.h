#pragma once

#include <QString>
#include <QtGlobal>

#include <array>
#include <cstdlib>
#include <limits>
#include <memory>
#include <span>

namespace testloop {

// Table dimensions: addresses 0..100 and loops 0..2; only addresses 1..99 of loops 1 and 2
// are ever shown, saved or printed.
inline constexpr int MaxAddressIndex = 100;
inline constexpr int MaxLoopIndex = 2;
inline constexpr int FirstAddress = 1;
inline constexpr int LastAddress = 99;
inline constexpr int MaxHistogramReading = 4000;
inline constexpr qint16 MaxCount = std::numeric_limits<qint16>::max();

constexpr bool isTableIndex(int address, int loop)
{
    return address >= 0 && address <= MaxAddressIndex && loop >= 0 && loop <= MaxLoopIndex;
}

// One value per (address, loop). Reads outside the table give a default value; writes outside
// it are refused, so nothing a panel reply or a file says can reach past the table.
template<typename T> class AddressTable
{
public:
    T at(int address, int loop) const
    {
        return isTableIndex(address, loop) ? m_cells[index(address, loop)] : T {};
    }

    bool set(int address, int loop, T value)
    {
        if (!isTableIndex(address, loop))
            return false;
        m_cells[index(address, loop)] = std::move(value);
        return true;
    }

    void fill(const T &value) { m_cells.fill(value); }

private:
    static constexpr std::size_t index(int address, int loop)
    {
        return std::size_t(loop) * (MaxAddressIndex + 1) + std::size_t(address);
    }
    std::array<T, (MaxAddressIndex + 1) * (MaxLoopIndex + 1)> m_cells {};
};

// A counter per (address, loop) that stops at 32767 instead of wrapping negative.
class CountTable : public AddressTable<qint16>
{
public:
    bool increment(int address, int loop)
    {
        if (!isTableIndex(address, loop))
            return false;
        const qint16 current = at(address, loop);
        if (current < MaxCount)
            set(address, loop, qint16(current + 1));
        return true;
    }
};

// How often each stored reading 0..4000 occurred at each (address, loop).
class Histogram
{
public:
    Histogram();
    Histogram(const Histogram &other);
    Histogram &operator=(const Histogram &other);
    ~Histogram() = default;

    qint16 at(int reading, int address, int loop) const;
    // The counts of readings 0..4000 at one address, in order; empty outside the tables.
    std::span<const qint16> counts(int address, int loop) const;
    // Counts one occurrence, saturating at 32767. A reading outside 0..4000 or an address
    // outside the tables is not counted; the result says whether it was.
    bool add(int reading, int address, int loop);
    bool set(int reading, int address, int loop, qint16 value);
    // Clears the counts of readings from..to (inclusive) at one address.
    void clearReadings(int from, int to, int address, int loop);

private:
    static bool inRange(int reading, int address, int loop);
    static std::size_t index(int reading, int address, int loop);
    struct Free
    {
        void operator()(qint16 *counts) const { std::free(counts); }
    };
    // 2.4 MB of counts, taken zeroed from the system: pages no reading ever reached cost no
    // memory.
    std::unique_ptr<qint16[], Free> m_counts;
};

// Slots 1..3 of the last classified readings of each sensor; slot 0 is never written.
inline constexpr int RingSlots = 3;

// The per-address tables of both loops. Owned by the main window; the scan, the download and
// the readings file write them.
struct LoopData
{
    // Configuration of each device, written by the download.
    AddressTable<QString> DeviceType;
    AddressTable<qint16> DeviceZone;
    AddressTable<QString> DeviceText;
    AddressTable<qint16> NotActivated;

    // Latest readings.
    AddressTable<qint16> SensorAnalogue;
    AddressTable<qint16> SensorCurrent;
    AddressTable<qint16> ModuleAnalogue;
    AddressTable<qint16> ModuleCurrent;

    // Sensor statistics.
    CountTable SensorReadCount;
    CountTable OkCount;
    CountTable OutOfRangeCount;
    CountTable FaultCount;
    std::array<AddressTable<qint16>, RingSlots + 1> LastReadings; // indexed by slot 0..3
    AddressTable<qint16> RingSlot;

    Histogram SensorHistogram;
    Histogram ModuleHistogram;

    // Stores a classified sensor reading in the ring of the last three readings.
    bool pushLastReading(int address, int loop, qint16 reading);
    // Clears the readings, statistics, distributions and configuration of addresses 1..99 of
    // both loops. The ring position and the count of readings of 0 stay.
    void clearReadings();
};

} // namespace testloop
