#pragma once

#include "scan/ScanMode.h"
#include "scan/Timings.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

namespace testloop {

class DeviceGrid;
class GridPainter;
class Prompts;
class SerialLink;
struct LoopData;
struct SharedState;

// The scan cycle: asks the panel for one address after another of the selected loop, for
// ever, stores and counts each reading and paints it on the grid; also the stop command, the
// lock toggle, the device-button click, the grid redraw and the reset of the readings.
// One state machine on the GUI thread: idle, pausing before a request, awaiting a reply.
class ScanCycle : public QObject
{
    Q_OBJECT
public:
    enum class Activity { Idle, Pausing, AwaitingReply };

    ScanCycle(SharedState &shared, LoopData &data, SerialLink &link, DeviceGrid &grid,
              Prompts &prompts, Timings timings = {}, QObject *parent = nullptr);
    ~ScanCycle() override;

    ScanMode mode() const { return m_mode; }
    // The device-kind option; redraw separately with RefreshGrid(3).
    void setMode(ScanMode mode) { m_mode = mode; }

    Activity activity() const { return m_activity; }
    // Started and not stopped since, even while a message holds the cycle between requests.
    bool isRunning() const { return m_running; }
    // What the cycle is doing, in the user's words, for the status bar.
    QString statusText() const;

    // "INIZIO TEST": starts the cycle at address 1 in the current mode.
    void start();
    // "ARRESTA SCANSIONE": asks, and stops the cycle on Yes. True on Yes.
    bool stop();
    // Stops at once without asking (the configuration was opened, or the link was lost).
    void halt();
    // "LOCKED ON" / "LOCKED OFF": asks the stop question, then sends the other lock request.
    void toggleLock();
    // A click on device button index: redraws from the stored readings and moves the scan
    // there, starting it if it was idle.
    void deviceClicked(int index);
    // Loop option 1 or 2, or 3 to redraw the grid for the selected loop.
    void RefreshGrid(int index);
    // "RESETTA LETTURE": asks, clears the readings on Yes, redraws either way.
    void resetReadings();
    // "VERIFICA IMPIANTO": in sensor mode only, asks the stop question, then shows the share
    // of readings in range, out of range and faulty of every sensor of the loop.
    void verifyInstallation();

signals:
    void activityChanged();
    // Each reply as received, for the reply box.
    void replyShown(const QString &reply);
    void lockedChanged(bool lockedOn);

private:
    void SendScanRequest();
    void sendChosenRequest();
    void HandleScanReply();
    void onReplyTimeout();
    bool storeSensorReading(int address, int loop, qint16 stored, qint16 current);
    int selectedLoop() const;
    bool chooseAddress();
    void setActivity(Activity activity);
    void stopExchange();
    void moveTo(int address);

    SharedState &m_shared;
    LoopData &m_data;
    SerialLink &m_link;
    DeviceGrid &m_grid;
    Prompts &m_prompts;
    std::unique_ptr<GridPainter> m_painter;
    Timings m_timings;
    ScanMode m_mode = ScanMode::Sensors;
    Activity m_activity = Activity::Idle;
    QTimer m_replyTimer; // Timer1
    QTimer m_pauseTimer; // the pause before each request
    // Counts stops; a handler that waited on a message goes on only if no stop came meanwhile.
    quint64 m_generation = 0;
    bool m_running = false;
    bool m_stopped = false; // the last cycle was stopped (for the status bar)
};

} // namespace testloop
