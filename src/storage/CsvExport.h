#pragma once

#include <QByteArray>
#include <QStringList>

namespace testloop {

class CommunicationCounters;
struct LoopData;
struct Settings;

// The column names of the CSV export, in order.
QStringList csvExportHeader();

// The readings of both loops as a table for Italian spreadsheets: UTF-8 with a byte-order mark,
// ";" between fields, CR LF after every row, a decimal comma. A header row, then one row per
// loop, kind and address: loop 1 sensors 1..99, loop 1 modules, loop 2 sensors, loop 2 modules.
// Each row holds what the tables say of the address (configuration, latest reading, verdict,
// sensor statistics; the sensor columns are empty on module rows) and the communication
// counters of the address. Response times are empty before a valid reply, the share of valid
// replies before a request.
QByteArray exportCsv(const LoopData &data, const Settings &settings,
                     const CommunicationCounters &counters);

} // namespace testloop
