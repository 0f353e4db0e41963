#pragma once

#include <QObject>

class QLabel;
class QStatusBar;

namespace testloop {

class CommunicationCounters;
class ScanCycle;
class Transport;
struct SharedState;

// The main window's status bar: the serial device in use, what the scan is doing, a summary of
// a running scan (loop, address, pass, last pass time, valid replies) and news of the link
// (lost, being looked for, back).
class MainWindowStatus : public QObject
{
    Q_OBJECT
public:
    MainWindowStatus(QStatusBar *bar, const Transport &link, const ScanCycle &cycle,
                     const CommunicationCounters &counters, const SharedState &shared);

    // Brings the device, the scan and the summary up to date.
    void refresh();
    // News of the link; empty hides it.
    void showLink(const QString &text);

private:
    const Transport &m_link;
    const ScanCycle &m_cycle;
    const CommunicationCounters &m_counters;
    const SharedState &m_shared;
    QLabel *m_scan;
    QLabel *m_summary;
    QLabel *m_linkNews;
    QLabel *m_device;
};

} // namespace testloop
