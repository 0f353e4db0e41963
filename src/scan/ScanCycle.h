#pragma once

#include "link/ExchangeEvent.h"
#include "scan/ScanMode.h"
#include "scan/Timings.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>

namespace testloop {

class DeviceGrid;
class GridPainter;
class Prompts;
class Transport;
struct LoopData;
struct PortFailure;
struct SharedState;

// The scan cycle: asks the panel for one address after another of the selected loop, for
// ever, stores and counts each reading and paints it on the grid; also the stop command, the
// lock toggle, the device-button click, the grid redraw and the reset of the readings.
// One state machine on the GUI thread: idle, pausing before a request, awaiting a reply.
// It owns the exchange state of the scan: the address asked, the re-reads spent on it, the
// time-outs in a row, the last reply and the state of the panel lock.
class ScanCycle : public QObject
{
    Q_OBJECT
public:
    enum class Activity { Idle, Pausing, AwaitingReply };

    // RefreshGrid's index that redraws the grid without changing the loop.
    static constexpr int RedrawSelectedLoop = 3;
    // Time-outs in a row that pass without a message; every further one shows "Anomalia".
    static constexpr int SilentTimeouts = 3;

    ScanCycle(SharedState &shared, LoopData &data, Transport &link, DeviceGrid &grid,
              Prompts &prompts, Timings timings = {}, QObject *parent = nullptr);
    ~ScanCycle() override;

    ScanMode mode() const { return m_mode; }
    // "Salta indirizzi non configurati": the scan passes over the addresses the download found
    // unused, and their buttons show "assente". Redraw separately.
    void setSkipUnused(bool skip);
    bool skipsUnused() const { return m_skipUnused; }
    // The readings of an earlier visit the buttons show their drift from (nothing: none), and
    // the drift beyond which a button is marked. Redraw separately.
    void setReference(const LoopData *reference, int limit);
    // The device-kind option; redraw separately with RefreshGrid(RedrawSelectedLoop).
    void setMode(ScanMode mode) { m_mode = mode; }

    Activity activity() const { return m_activity; }
    // Started and not stopped since, even while a message holds the cycle between requests.
    bool isRunning() const { return m_running; }
    // What the cycle is doing, in the user's words, for the status bar.
    QString statusText() const;

    int scanAddress() const { return ScanAddress; }
    // Passes over the loop since the start: 1 during the first; 0 before any start.
    int passNumber() const { return m_pass; }
    // How long the last whole pass took, in seconds; 0 before the first ended.
    double lastPassSeconds() const { return m_lastPassSeconds; }
    int retryCount() const { return RetryCount; }
    int timeoutCount() const { return TimeoutCount; }
    bool isLockedOn() const { return LockedOn; }

    // "INIZIO TEST": starts the cycle at address 1 in the current mode.
    void start();
    // "ARRESTA SCANSIONE": asks "Fermare la comunicazione?" and stops the cycle on Yes. True
    // on Yes.
    bool askToStop();
    // Stops at once without asking (the configuration was opened, or the window closes).
    void halt();
    // "LOCKED ON" / "LOCKED OFF": asks the stop question, then sends the other lock request.
    void toggleLock();
    // A click on device button index: redraws from the stored readings and moves the scan
    // there, starting it if it was idle.
    void deviceClicked(int index);
    // The address a running scan or test was at when the port went away; nothing once the
    // user stopped or started anew.
    std::optional<int> interruptedAt() const { return m_interruptedAt; }
    // Goes on with a scan or test the port interrupted, at the address where it stopped,
    // without a question. Nothing when none was interrupted.
    void resume();
    // Loop option 1 or 2, or RedrawSelectedLoop to redraw the grid for the selected loop.
    void RefreshGrid(int index);
    // "RESETTA LETTURE": asks, clears the readings on Yes, redraws either way.
    void resetReadings();
    // "VERIFICA IMPIANTO": in sensor mode only, asks the stop question, then shows the share
    // of readings in range, out of range and faulty of every sensor of the loop.
    void verifyInstallation();

signals:
    void activityChanged();
    // "RESETTA LETTURE" was confirmed: the readings are cleared.
    void readingsCleared();
    // Each reply as received, for the reply box.
    void replyShown(const QString &reply);
    void lockedChanged(bool lockedOn);

private:
    void SendScanRequest();
    void sendChosenRequest();
    void HandleScanReply(const QByteArray &bytes);
    void onReplyTimeout();
    bool storeSensorReading(int address, int loop, qint16 stored, qint16 current);
    int selectedLoop() const;
    bool chooseAddress();
    bool passesOver(int address) const;
    void setActivity(Activity activity);
    void stopExchange();
    void stopWith(const QString &reason);
    void interrupt(const QString &reason);
    void moveTo(int address);
    ExchangeTag tagFor(ExchangeTag::Kind kind) const;
    void report(ExchangeEvent::Kind kind, const QByteArray &bytes = {});
    void discard(DiscardReason reason, const QByteArray &bytes);

    SharedState &m_shared;
    LoopData &m_data;
    Transport &m_link;
    DeviceGrid &m_grid;
    Prompts &m_prompts;
    std::unique_ptr<GridPainter> m_painter;
    Timings m_timings;
    ScanMode m_mode = ScanMode::Sensors;
    bool m_skipUnused = false;
    Activity m_activity = Activity::Idle;
    QTimer m_replyTimer; // Timer1: the time allowed for the panel's reply
    QTimer m_pauseTimer; // the pause before each request

    qint16 ScanAddress = 1;
    QString ScanAddressText;
    qint16 RetryCount = 0;
    qint16 TimeoutCount = 0;
    QString ReplyText;
    bool LockedOn = false;

    // Counts stops; a handler that waited on a message goes on only if no stop came meanwhile.
    quint64 m_generation = 0;
    bool m_running = false;
    // Why the last cycle ended, for the status bar; empty while running or before any start.
    QString m_stopReason;
    std::optional<int> m_interruptedAt;
    int m_pass = 0;
    QElapsedTimer m_passClock;
    double m_lastPassSeconds = 0;
};

} // namespace testloop
