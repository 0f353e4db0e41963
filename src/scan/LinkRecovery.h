#pragma once

#include "scan/Timings.h"

#include <QObject>
#include <QTimer>

namespace testloop {

class ConfigurationDownload;
class ScanCycle;
class Transport;

// After the port went away in the middle of a scan, a test or a download, looks once a check
// interval (a second) for the same device to come back. When it does, an interrupted scan or
// test goes on at the address where it stopped; for a download, the window is asked to offer
// starting it again. The watching ends as soon as nothing is left to resume: the user stopped,
// started something else, or the device came back.
class LinkRecovery : public QObject
{
    Q_OBJECT
public:
    LinkRecovery(Transport &link, ScanCycle &cycle, ConfigurationDownload &download,
                 Timings timings = {}, QObject *parent = nullptr);

    bool isWatching() const { return m_check.isActive(); }

signals:
    // The device went away: looking for it from now on.
    void watching(const QString &device);
    // The device is back; an interrupted scan or test has been resumed.
    void returned(const QString &device);
    // The device is back after it interrupted a download, which may start again.
    void downloadMayRestart(const QString &device);
    // Nothing is left to resume (the user stopped or started anew): no longer looking.
    void gaveUp();

private:
    void lost();
    void check();

    Transport &m_link;
    ScanCycle &m_cycle;
    ConfigurationDownload &m_download;
    QTimer m_check;
};

} // namespace testloop
