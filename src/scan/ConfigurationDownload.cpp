#include "scan/ConfigurationDownload.h"

#include "link/PanelProtocol.h"
#include "link/Transport.h"
#include "loopdata/LoopTables.h"
#include "loopdata/NumberText.h"
#include "loopdata/SharedState.h"
#include "scan/Prompts.h"
#include "scan/ScanCycle.h"

#include <algorithm>

namespace testloop {

ConfigurationDownload::ConfigurationDownload(SharedState &shared, LoopData &data, Transport &link,
                                             ScanCycle &cycle, Prompts &prompts, Timings timings,
                                             QObject *parent)
    : QObject(parent)
    , m_shared(shared)
    , m_data(data)
    , m_link(link)
    , m_cycle(cycle)
    , m_prompts(prompts)
    , m_timings(timings)
{
    m_startWait.setTimerType(Qt::PreciseTimer);
    m_resendTimer.setTimerType(Qt::PreciseTimer);
    m_startWait.setSingleShot(true);
    connect(&m_startWait, &QTimer::timeout, this, &ConfigurationDownload::begin);
    connect(&m_resendTimer, &QTimer::timeout, this, &ConfigurationDownload::resend);
    connect(&m_link, &Transport::replyReady, this, &ConfigurationDownload::DecodeDownloadReply);
    connect(&m_link, &Transport::linkLost, this, &ConfigurationDownload::interrupt);
}

void ConfigurationDownload::report(ExchangeEvent::Kind kind, const QByteArray &bytes,
                                   DiscardReason reason)
{
    ExchangeEvent event = m_link.newEvent(kind, bytes);
    event.reason = reason;
    m_link.report(event);
}

void ConfigurationDownload::start()
{
    if (m_running)
        return;
    m_cycle.askToStop(); // the download goes on whatever the answer
    restart();
}

void ConfigurationDownload::restart()
{
    if (m_running)
        return;
    m_interrupted = false;
    m_running = true;
    m_progress = 0;
    // The wait before the first request is a timer; the main window is already out of use.
    emit started();
    emit progressChanged(m_progress);
    m_startWait.start(m_timings.downloadStartWait);
}

void ConfigurationDownload::begin()
{
    // The scan and the download cannot share the line: a scan reply would be taken into a
    // download reply and both would be stored wrongly. A scan the user chose to keep running
    // stops here, and the download waits one request pause more, so that a reply to the
    // scan's last request arrives on the closed port and is dropped when it opens again.
    if (m_cycle.isRunning()) {
        m_cycle.halt();
        m_startWait.start(m_timings.requestPause);
        return;
    }
    DownloadLoop = QStringLiteral("1");
    DownloadAddress = 1;
    SendDownloadRequest();
}

void ConfigurationDownload::SendDownloadRequest()
{
    m_link.setReceiveThreshold(protocol::DownloadReplyLength);
    m_shared.DownloadActive = true;
    const ExchangeTag tag {ExchangeTag::Kind::Download, loopIndex(DownloadLoop), DownloadAddress};
    if (!m_link.send(protocol::downloadRequest(m_shared.settings.BoardCode, DownloadKind,
                                               DownloadLoop, DownloadAddress),
                     tag)) {
        interrupt(); // the link has reported why the port could not be used
        return;
    }
    if (!m_running)
        return; // aborted by someone watching the request go out
    m_resendTimer.start(m_timings.downloadResend);
}

// No reply came within the resend time: the same request goes out again.
void ConfigurationDownload::resend()
{
    if (!m_link.gathered().isEmpty())
        report(ExchangeEvent::Kind::ReplyDiscarded, m_link.gathered(), DiscardReason::Short);
    report(ExchangeEvent::Kind::TimedOut);
    SendDownloadRequest();
}

void ConfigurationDownload::DecodeDownloadReply(const QByteArray &bytes)
{
    if (!m_shared.DownloadActive)
        return; // a scan reply
    if (!protocol::isWholeReply(bytes, protocol::DownloadReplyLength)) {
        // Pieces of two replies, or noise: nothing is stored and the same address is asked
        // again at once.
        report(ExchangeEvent::Kind::ReplyDiscarded, bytes, DiscardReason::Garbled);
        m_resendTimer.stop();
        SendDownloadRequest();
        return;
    }
    if (m_progress < ProgressMaximum)
        emit progressChanged(++m_progress);
    m_resendTimer.stop();
    report(ExchangeEvent::Kind::ReplyAccepted, bytes);

    const protocol::DownloadReply decoded
        = protocol::decodeDownloadReply(protocol::replyText(bytes));
    const int address = toWhole(decoded.address);
    const int loop = loopIndex(DownloadLoop);
    // Entries outside the tables are refused by the tables themselves.
    if (const auto label = protocol::deviceTypeLabel(decoded.typeDigit))
        m_data.DeviceType.set(address, loop, *label);
    const qint16 zone = toInt16(decoded.zone);
    m_data.DeviceZone.set(address, loop, zone);
    m_data.DeviceText.set(address, loop, decoded.description);
    m_data.NotActivated.set(address, loop, protocol::isNotActivated(zone, decoded.status) ? 1 : 0);

    // The next request follows the address the reply names, not the one asked; a reply
    // naming no address (or a negative one) starts the loop again at address 1.
    DownloadAddress = qint16(std::clamp(address + 1, 1, 32767));
    if (DownloadKind == u"S" && DownloadLoop == u"2" && DownloadAddress >= EndOfLoop) {
        finish();
        return;
    }
    if (DownloadLoop == u"1" && DownloadAddress >= EndOfLoop) {
        DownloadLoop = QStringLiteral("2");
        DownloadAddress = 1;
    }
    if (m_shared.DownloadActive)
        SendDownloadRequest();
}

void ConfigurationDownload::finish()
{
    m_shared.DownloadActive = false;
    m_running = false;
    emit ended();
    m_prompts.showMessage(QStringLiteral("Download completato"), QString(), Prompts::Icon::None);
    m_cycle.RefreshGrid(ScanCycle::RedrawSelectedLoop);
}

void ConfigurationDownload::interrupt()
{
    if (!m_running)
        return;
    abort();
    m_interrupted = true;
}

void ConfigurationDownload::abort()
{
    m_interrupted = false;
    if (!m_running)
        return;
    m_progress = ProgressMaximum;
    emit progressChanged(m_progress);
    m_startWait.stop();
    m_resendTimer.stop();
    m_link.close();
    m_shared.DownloadActive = false;
    m_running = false;
    emit ended();
}

} // namespace testloop
