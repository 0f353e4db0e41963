#include "scan/CommunicationCounters.h"

#include "link/Transport.h"
#include "loopdata/LoopTables.h"

#include <QLocale>

#include <numeric>

namespace testloop {

namespace {

constexpr std::size_t CellsPerLoop = LastAddress + 1;
constexpr std::size_t Loops = 2;

bool isScanExchange(const ExchangeTag &tag)
{
    return tag.kind == ExchangeTag::Kind::Scan || tag.kind == ExchangeTag::Kind::Test;
}

} // namespace

int AddressCounters::discardedTotal() const
{
    return std::accumulate(discarded.begin(), discarded.end(), 0);
}

double AddressCounters::meanResponseMs() const
{
    return validReplies > 0 ? totalResponseMs / validReplies : 0;
}

double AddressCounters::validPercent() const
{
    return requests > 0 ? 100.0 * validReplies / requests : 0;
}

CommunicationCounters::CommunicationCounters(Transport &link, QObject *parent)
    : QObject(parent)
    , m_cells(CellsPerLoop * Loops)
{
    connect(&link, &Transport::exchangeEvent, this, &CommunicationCounters::count);
}

AddressCounters *CommunicationCounters::cell(const ExchangeTag &tag)
{
    if (!isScanExchange(tag) || tag.loop < 1 || tag.loop > int(Loops) || tag.address < FirstAddress
        || tag.address > LastAddress)
        return nullptr;
    return &m_cells[std::size_t(tag.loop - 1) * CellsPerLoop + std::size_t(tag.address)];
}

const AddressCounters &CommunicationCounters::at(int address, int loop) const
{
    static const AddressCounters none;
    if (loop < 1 || loop > int(Loops) || address < FirstAddress || address > LastAddress)
        return none;
    return m_cells[std::size_t(loop - 1) * CellsPerLoop + std::size_t(address)];
}

AddressCounters CommunicationCounters::loopTotal(int loop) const
{
    AddressCounters total;
    for (int address = FirstAddress; address <= LastAddress; ++address) {
        const AddressCounters &c = at(address, loop);
        total.requests += c.requests;
        total.validReplies += c.validReplies;
        total.timeouts += c.timeouts;
        for (std::size_t reason = 0; reason < total.discarded.size(); ++reason)
            total.discarded[reason] += c.discarded[reason];
        total.reReads += c.reReads;
        total.totalResponseMs += c.totalResponseMs;
    }
    return total;
}

void CommunicationCounters::clear()
{
    std::fill(m_cells.begin(), m_cells.end(), AddressCounters {});
    for (int loop = 1; loop <= int(Loops); ++loop) {
        for (int address = FirstAddress; address <= LastAddress; ++address)
            emit changed(address, loop);
    }
}

bool CommunicationCounters::restore(const std::vector<AddressCounters> &cells)
{
    if (cells.size() != m_cells.size())
        return false;
    m_cells = cells;
    for (int loop = 1; loop <= int(Loops); ++loop) {
        for (int address = FirstAddress; address <= LastAddress; ++address)
            emit changed(address, loop);
    }
    return true;
}

void CommunicationCounters::count(const ExchangeEvent &event)
{
    AddressCounters *counters = cell(event.tag);
    if (!counters)
        return;
    switch (event.kind) {
    case ExchangeEvent::Kind::RequestOut:
        ++counters->requests;
        m_requestUs = event.elapsedUs;
        break;
    case ExchangeEvent::Kind::ReplyAccepted:
        ++counters->validReplies;
        counters->lastResponseMs = double(event.elapsedUs - m_requestUs) / 1000.0;
        counters->totalResponseMs += counters->lastResponseMs;
        break;
    case ExchangeEvent::Kind::ReplyDiscarded:
        ++counters->discarded[std::size_t(event.reason)];
        break;
    case ExchangeEvent::Kind::TimedOut:
        ++counters->timeouts;
        break;
    case ExchangeEvent::Kind::ReRead:
        ++counters->reReads;
        break;
    default:
        return;
    }
    emit changed(event.tag.address, event.tag.loop);
}

QString scanSummaryText(int loop, int address, int pass, double lastPassSeconds,
                        const AddressCounters &loopTotal)
{
    const QLocale italian(QLocale::Italian);
    const QString dot = QStringLiteral(" \u00b7 ");
    QString text = QStringLiteral("Loop %1").arg(loop) + dot
        + QStringLiteral("indirizzo %1/%2").arg(address).arg(LastAddress) + dot
        + QStringLiteral("giro %1").arg(pass);
    if (lastPassSeconds > 0)
        text += dot
            + QStringLiteral("ultimo giro %1 s").arg(italian.toString(lastPassSeconds, 'f', 1));
    if (loopTotal.requests > 0) {
        text += dot
            + QStringLiteral("risposte valide %1 %")
                  .arg(italian.toString(loopTotal.validPercent(), 'f', 1));
    }
    return text;
}

} // namespace testloop
