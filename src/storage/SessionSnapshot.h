#pragma once

#include "loopdata/LoopTables.h"
#include "scan/CommunicationCounters.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>

#include <memory>
#include <optional>
#include <vector>

namespace testloop {

// Everything a session has gathered, as the autosave keeps it against a crash: every table of
// both loops (readings, statistics, distributions, the configuration from the download) and
// the communication counters, with the moment they were taken.
struct SessionSnapshot
{
    QDateTime taken; // UTC
    std::unique_ptr<LoopData> data = std::make_unique<LoopData>();
    std::vector<AddressCounters> counters;
};

// The snapshot as bytes: a mark and a version, the tables, the counters and a checksum of it
// all, so that a file cut short or damaged is known for what it is.
QByteArray writeSession(const LoopData &data, const CommunicationCounters &counters,
                        const QDateTime &taken);

// The snapshot the bytes hold; nothing when they are not a whole snapshot of this version.
std::optional<SessionSnapshot> readSession(QByteArrayView bytes);

} // namespace testloop
