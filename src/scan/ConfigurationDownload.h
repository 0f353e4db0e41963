#pragma once

#include "scan/Timings.h"

#include <QObject>
#include <QTimer>

namespace testloop {

class Prompts;
class ScanCycle;
class SerialLink;
struct LoopData;
struct SharedState;

// Reads from the panel, address by address, the type, zone, description and test
// participation of every device of loop 1 and then loop 2. An unanswered request is sent
// again on every resend tick until a reply comes or the user aborts.
class ConfigurationDownload : public QObject
{
    Q_OBJECT
public:
    static constexpr int ProgressMaximum = 198; // 99 addresses on each of two loops

    ConfigurationDownload(SharedState &shared, LoopData &data, SerialLink &link, ScanCycle &cycle,
                          Prompts &prompts, Timings timings = {}, QObject *parent = nullptr);

    // "DOWNLOAD": asks the stop question, waits, then downloads both loops.
    void start();
    // "Abort": stops at once; what was stored stays.
    void abort();

    bool isRunning() const { return m_running; }
    int progress() const { return m_progress; }

signals:
    // The progress window opens (and the main window goes out of use) ...
    void started();
    void progressChanged(int value);
    // ... and closes (the main window back in use) on completion or abort.
    void ended();

private:
    void begin();
    void SendDownloadRequest();
    void DecodeDownloadReply();
    void finish();

    SharedState &m_shared;
    LoopData &m_data;
    SerialLink &m_link;
    ScanCycle &m_cycle;
    Prompts &m_prompts;
    Timings m_timings;
    QTimer m_startWait;
    QTimer m_resendTimer; // Timer2
    bool m_running = false;
    int m_progress = 0;
};

} // namespace testloop
