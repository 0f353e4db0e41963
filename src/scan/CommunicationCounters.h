#pragma once

#include "link/ExchangeEvent.h"

#include <QObject>
#include <QString>

#include <array>
#include <vector>

namespace testloop {

class Transport;

// How the panel answered the scan at one address: requests, valid replies, time-outs,
// discarded replies by reason, fault re-reads, and the response times of the valid replies.
struct AddressCounters
{
    int requests = 0;
    int validReplies = 0;
    int timeouts = 0;
    std::array<int, 4> discarded {}; // indexed by DiscardReason
    int reReads = 0;
    double lastResponseMs = 0; // of the last valid reply; 0 before the first
    double totalResponseMs = 0;

    int discardedTotal() const;
    double meanResponseMs() const;
    // Valid replies per request, 0..100; 0 before the first request.
    double validPercent() const;
};

// The communication counters of the scan and the sensor test, per loop and address, kept
// from the exchange events of the link. Cleared with the readings.
class CommunicationCounters : public QObject
{
    Q_OBJECT
public:
    explicit CommunicationCounters(Transport &link, QObject *parent = nullptr);

    // Empty counters for an address outside loops 1..2, addresses 1..99.
    const AddressCounters &at(int address, int loop) const;
    // The counters of every address of a loop added up.
    AddressCounters loopTotal(int loop) const;
    void clear();

    // Every cell, loop 1 then loop 2, addresses 0..99 each: for saving the session, and for
    // taking a saved one back (a list of another size is refused).
    const std::vector<AddressCounters> &cells() const { return m_cells; }
    bool restore(const std::vector<AddressCounters> &cells);

signals:
    void changed(int address, int loop);

private:
    void count(const ExchangeEvent &event);
    AddressCounters *cell(const ExchangeTag &tag);

    std::vector<AddressCounters> m_cells;
    qint64 m_requestUs = 0; // when the request in progress was written
};

// The status bar's summary of a running scan: "Loop 1 · indirizzo 23/99 · giro 3 · ultimo giro
// 51,2 s · risposte valide 98,7 %". The last pass is left out before the first has ended, the
// valid share before the first request.
QString scanSummaryText(int loop, int address, int pass, double lastPassSeconds,
                        const AddressCounters &loopTotal);

} // namespace testloop
