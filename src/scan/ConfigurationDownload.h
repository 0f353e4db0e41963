#pragma once

#include "link/ExchangeEvent.h"
#include "scan/Timings.h"

#include <QObject>
#include <QString>
#include <QTimer>

namespace testloop {

class Prompts;
class ScanCycle;
class Transport;
struct LoopData;
struct SharedState;

// Reads from the panel, address by address, the type, zone, description and test
// participation of every device of loop 1 and then loop 2. An unanswered request is sent
// again on every resend tick until a reply comes or the user aborts. It owns the position of
// the download: the loop and the address asked next.
class ConfigurationDownload : public QObject
{
    Q_OBJECT
public:
    static constexpr int ProgressMaximum = 198; // 99 addresses on each of two loops
    // DownloadAddress after the last address of a loop.
    static constexpr int EndOfLoop = 100;

    ConfigurationDownload(SharedState &shared, LoopData &data, Transport &link, ScanCycle &cycle,
                          Prompts &prompts, Timings timings = {}, QObject *parent = nullptr);

    // "DOWNLOAD": asks the stop question, waits, then downloads both loops.
    void start();
    // "Abort": stops at once; what was stored stays.
    void abort();
    // Whether the last download ended because the port went away, and nobody has decided
    // yet whether to start it again.
    bool wasInterrupted() const { return m_interrupted; }
    void forgetInterruption() { m_interrupted = false; }
    // Downloads both loops again from the start, without the stop question: the port that
    // interrupted the last download is back.
    void restart();

    bool isRunning() const { return m_running; }
    int progress() const { return m_progress; }
    int downloadAddress() const { return DownloadAddress; }
    const QString &downloadLoop() const { return DownloadLoop; }

signals:
    // The progress window opens (and the main window goes out of use) ...
    void started();
    void progressChanged(int value);
    // ... and closes (the main window back in use) on completion or abort.
    void ended();

private:
    void begin();
    void SendDownloadRequest();
    void resend();
    void DecodeDownloadReply(const QByteArray &bytes);
    void finish();
    void interrupt();
    void report(ExchangeEvent::Kind kind, const QByteArray &bytes = {},
                DiscardReason reason = DiscardReason::Garbled);

    SharedState &m_shared;
    LoopData &m_data;
    Transport &m_link;
    ScanCycle &m_cycle;
    Prompts &m_prompts;
    Timings m_timings;
    QTimer m_startWait; // the wait before the first request
    QTimer m_resendTimer; // Timer2: sends an unanswered request again
    bool m_running = false;
    bool m_interrupted = false;
    int m_progress = 0;

    qint16 DownloadAddress = 1;
    QString DownloadLoop = QStringLiteral("1");
    const QString DownloadKind = QStringLiteral("S");
};

} // namespace testloop
