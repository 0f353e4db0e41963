#include "ui/MainWindowStatus.h"

#include "link/Transport.h"
#include "loopdata/NumberText.h"
#include "loopdata/SharedState.h"
#include "scan/CommunicationCounters.h"
#include "scan/ScanCycle.h"

#include <QLabel>
#include <QStatusBar>

namespace testloop {

namespace {

QLabel *label(QStatusBar *bar, const QString &name)
{
    auto *shown = new QLabel(bar);
    shown->setObjectName(name);
    return shown;
}

} // namespace

MainWindowStatus::MainWindowStatus(QStatusBar *bar, const Transport &link, const ScanCycle &cycle,
                                   const CommunicationCounters &counters, const SharedState &shared)
    : QObject(bar)
    , m_link(link)
    , m_cycle(cycle)
    , m_counters(counters)
    , m_shared(shared)
    , m_scan(label(bar, QStringLiteral("ScanStatus")))
    , m_summary(label(bar, QStringLiteral("ScanSummary")))
    , m_linkNews(label(bar, QStringLiteral("LinkStatus")))
    , m_device(label(bar, QStringLiteral("DeviceStatus")))
{
    bar->addWidget(m_scan, 1);
    bar->addWidget(m_summary);
    bar->addWidget(m_linkNews);
    bar->addPermanentWidget(m_device);
    bar->setSizeGripEnabled(false);
    m_linkNews->hide();
}

void MainWindowStatus::refresh()
{
    m_device->setText(QStringLiteral("Porta seriale: %1").arg(m_link.deviceName()));
    m_scan->setText(m_cycle.statusText());
    if (!m_cycle.isRunning()) {
        m_summary->hide();
        return;
    }
    const int loop = loopIndex(m_shared.SelectedLoop);
    m_summary->setText(scanSummaryText(loop, m_cycle.scanAddress(), m_cycle.passNumber(),
                                       m_cycle.lastPassSeconds(), m_counters.loopTotal(loop)));
    m_summary->show();
}

void MainWindowStatus::showLink(const QString &text)
{
    m_linkNews->setText(text);
    m_linkNews->setVisible(!text.isEmpty());
}

} // namespace testloop
