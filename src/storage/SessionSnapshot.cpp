#include "storage/SessionSnapshot.h"

#include <QDataStream>
#include <QIODevice>

#include <array>

namespace testloop {

namespace {

constexpr quint32 Mark = 0x544c5353; // "TLSS"
constexpr quint16 Version = 1;
constexpr int Cells = (MaxAddressIndex + 1) * (MaxLoopIndex + 1);

// The tables of numbers, in a fixed order that the reader follows; for writing or reading.
template<typename Data> auto numberTables(Data &data)
{
    return std::array {static_cast<decltype(&data.DeviceZone)>(&data.DeviceZone),
                       &data.NotActivated,
                       &data.SensorAnalogue,
                       &data.SensorCurrent,
                       &data.ModuleAnalogue,
                       &data.ModuleCurrent,
                       static_cast<decltype(&data.DeviceZone)>(&data.SensorReadCount),
                       static_cast<decltype(&data.DeviceZone)>(&data.OkCount),
                       static_cast<decltype(&data.DeviceZone)>(&data.OutOfRangeCount),
                       static_cast<decltype(&data.DeviceZone)>(&data.FaultCount),
                       &data.LastReadings[1],
                       &data.LastReadings[2],
                       &data.LastReadings[3],
                       &data.RingSlot};
}

template<typename Visit> void eachCell(Visit visit)
{
    for (int loop = 0; loop <= MaxLoopIndex; ++loop) {
        for (int address = 0; address <= MaxAddressIndex; ++address)
            visit(address, loop);
    }
}

// A distribution as the count of readings that occurred, then each as reading and count.
void writeHistogram(QDataStream &out, const Histogram &histogram)
{
    QList<std::pair<qint32, qint16>> entries;
    eachCell([&](int address, int loop) {
        const std::span<const qint16> counts = histogram.counts(address, loop);
        for (std::size_t reading = 0; reading < counts.size(); ++reading) {
            if (counts[reading] != 0) {
                entries.append(
                    {qint32((loop * (MaxAddressIndex + 1) + address) * (MaxHistogramReading + 1)
                            + int(reading)),
                     counts[reading]});
            }
        }
    });
    out << qint32(entries.size());
    for (const auto &[index, count] : entries)
        out << index << count;
}

bool readHistogram(QDataStream &in, Histogram &histogram)
{
    constexpr qint32 Bins = (MaxHistogramReading + 1);
    qint32 size = 0;
    in >> size;
    if (size < 0 || size > Cells * Bins)
        return false;
    for (qint32 entry = 0; entry < size && in.status() == QDataStream::Ok; ++entry) {
        qint32 index = 0;
        qint16 count = 0;
        in >> index >> count;
        if (index < 0 || index >= Cells * Bins)
            return false;
        const int cell = index / Bins;
        histogram.set(index % Bins, cell % (MaxAddressIndex + 1), cell / (MaxAddressIndex + 1),
                      count);
    }
    return in.status() == QDataStream::Ok;
}

void writeCounters(QDataStream &out, const std::vector<AddressCounters> &cells)
{
    out << qint32(cells.size());
    for (const AddressCounters &c : cells) {
        out << qint32(c.requests) << qint32(c.validReplies) << qint32(c.timeouts);
        for (const int discarded : c.discarded)
            out << qint32(discarded);
        out << qint32(c.reReads) << c.lastResponseMs << c.totalResponseMs;
    }
}

bool readCounters(QDataStream &in, std::vector<AddressCounters> &cells)
{
    qint32 size = 0;
    in >> size;
    if (size < 0 || size > 4 * Cells)
        return false;
    cells.resize(std::size_t(size));
    for (AddressCounters &c : cells) {
        qint32 requests = 0, valid = 0, timeouts = 0, reReads = 0;
        in >> requests >> valid >> timeouts;
        for (int &discarded : c.discarded) {
            qint32 value = 0;
            in >> value;
            discarded = value;
        }
        in >> reReads >> c.lastResponseMs >> c.totalResponseMs;
        c.requests = requests;
        c.validReplies = valid;
        c.timeouts = timeouts;
        c.reReads = reReads;
    }
    return in.status() == QDataStream::Ok;
}

} // namespace

QByteArray writeSession(const LoopData &data, const CommunicationCounters &counters,
                        const QDateTime &taken)
{
    QByteArray payload;
    QDataStream out(&payload, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    out << Mark << Version << taken.toUTC().toMSecsSinceEpoch();
    for (const AddressTable<qint16> *table : numberTables(data))
        eachCell([&](int address, int loop) { out << table->at(address, loop); });
    for (const AddressTable<QString> *table : {&data.DeviceType, &data.DeviceText})
        eachCell([&](int address, int loop) { out << table->at(address, loop); });
    writeHistogram(out, data.SensorHistogram);
    writeHistogram(out, data.ModuleHistogram);
    writeCounters(out, counters.cells());
    out << qChecksum(payload);
    return payload;
}

std::optional<SessionSnapshot> readSession(QByteArrayView bytes)
{
    // The checksum covers everything before its own two bytes.
    if (bytes.size() < 2)
        return std::nullopt;
    const QByteArrayView payload = bytes.first(bytes.size() - 2);
    QDataStream sum(QByteArray(bytes.last(2).data(), 2));
    quint16 checksum = 0;
    sum >> checksum;
    if (checksum != qChecksum(payload))
        return std::nullopt;

    const QByteArray copy = payload.toByteArray();
    QDataStream in(copy);
    in.setVersion(QDataStream::Qt_6_4);
    quint32 mark = 0;
    quint16 version = 0;
    qint64 taken = 0;
    in >> mark >> version >> taken;
    if (mark != Mark || version != Version)
        return std::nullopt;
    SessionSnapshot snapshot;
    snapshot.taken = QDateTime::fromMSecsSinceEpoch(taken, Qt::UTC);
    for (AddressTable<qint16> *table : numberTables(*snapshot.data)) {
        eachCell([&](int address, int loop) {
            qint16 value = 0;
            in >> value;
            table->set(address, loop, value);
        });
    }
    for (AddressTable<QString> *table : {&snapshot.data->DeviceType, &snapshot.data->DeviceText}) {
        eachCell([&](int address, int loop) {
            QString value;
            in >> value;
            table->set(address, loop, value);
        });
    }
    if (in.status() != QDataStream::Ok || !readHistogram(in, snapshot.data->SensorHistogram)
        || !readHistogram(in, snapshot.data->ModuleHistogram)
        || !readCounters(in, snapshot.counters) || !in.atEnd())
        return std::nullopt;
    return snapshot;
}

} // namespace testloop
