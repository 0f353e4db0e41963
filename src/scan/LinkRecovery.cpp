#include "scan/LinkRecovery.h"

#include "link/Transport.h"
#include "scan/ConfigurationDownload.h"
#include "scan/ScanCycle.h"

namespace testloop {

LinkRecovery::LinkRecovery(Transport &link, ScanCycle &cycle, ConfigurationDownload &download,
                           Timings timings, QObject *parent)
    : QObject(parent)
    , m_link(link)
    , m_cycle(cycle)
    , m_download(download)
{
    m_check.setInterval(timings.deviceCheck);
    connect(&m_check, &QTimer::timeout, this, &LinkRecovery::check);
    // Queued: the scan cycle and the download have taken the loss in by then and know what
    // they were doing.
    connect(&m_link, &Transport::linkLost, this, &LinkRecovery::lost, Qt::QueuedConnection);
    connect(&m_link, &Transport::portFailed, this, &LinkRecovery::lost, Qt::QueuedConnection);
}

void LinkRecovery::lost()
{
    if (m_check.isActive() || (!m_cycle.interruptedAt() && !m_download.wasInterrupted()))
        return;
    m_check.start();
    emit watching(m_link.deviceName());
}

void LinkRecovery::check()
{
    // A scan started since the download was cut: the download is not taken up again.
    if (m_cycle.isRunning())
        m_download.forgetInterruption();
    const bool scan = m_cycle.interruptedAt().has_value();
    const bool download = m_download.wasInterrupted();
    if (!scan && !download) {
        m_check.stop();
        emit gaveUp();
        return;
    }
    if (!m_link.findDevice())
        return;
    m_check.stop();
    ExchangeEvent back = ExchangeEvent::now(ExchangeEvent::Kind::LinkBack);
    back.device = m_link.deviceName();
    m_link.report(back);
    if (scan) {
        m_cycle.resume();
        emit returned(back.device);
    } else {
        emit downloadMayRestart(back.device);
    }
}

} // namespace testloop
