#include "scan/ScanCycle.h"

#include "link/PanelProtocol.h"
#include "link/SerialLink.h"
#include "loopdata/LoopTables.h"
#include "loopdata/NumberText.h"
#include "loopdata/SharedState.h"
#include "scan/DeviceGrid.h"
#include "scan/GridPainter.h"
#include "scan/Prompts.h"
#include "scan/Verification.h"

#include <QLoggingCategory>

#include <algorithm>

Q_LOGGING_CATEGORY(lcScan, "testloop.scan", QtInfoMsg)

namespace testloop {

namespace {

const QString NoSensorActivated = QStringLiteral("nessun sensore attivato su questo loop");

} // namespace

ScanCycle::ScanCycle(SharedState &shared, LoopData &data, SerialLink &link, DeviceGrid &grid,
                     Prompts &prompts, Timings timings, QObject *parent)
    : QObject(parent)
    , m_shared(shared)
    , m_data(data)
    , m_link(link)
    , m_grid(grid)
    , m_prompts(prompts)
    , m_painter(std::make_unique<GridPainter>(shared, data, grid))
    , m_timings(timings)
{
    m_replyTimer.setSingleShot(true);
    m_pauseTimer.setSingleShot(true);
    connect(&m_replyTimer, &QTimer::timeout, this, &ScanCycle::onReplyTimeout);
    connect(&m_pauseTimer, &QTimer::timeout, this, &ScanCycle::sendChosenRequest);
    connect(&m_link, &SerialLink::scanReplyReady, this, &ScanCycle::HandleScanReply);
    connect(&m_link, &SerialLink::linkLost, this, &ScanCycle::halt);
}

ScanCycle::~ScanCycle() = default;

int ScanCycle::selectedLoop() const
{
    return loopIndex(m_shared.SelectedLoop);
}

void ScanCycle::start()
{
    stopExchange();
    m_link.setPortNumber(m_shared.settings.ComPort);
    moveTo(1);
    m_data.ScanAddressText = protocol::twoDigitAddress(1);
    if (!m_link.open()) { // the user has been told which device and why
        halt();
        return;
    }
    m_running = true;
    m_stopped = false;
    m_link.setReceiveThreshold(protocol::ScanReplyLength);
    if (m_mode != ScanMode::SensorTest) {
        SendScanRequest();
        return;
    }

    int visible = 0;
    for (int address = FirstAddress; address <= LastAddress; ++address) {
        const bool takesPart = m_data.NotActivated.at(address, selectedLoop()) != 1;
        m_grid.setVisible(address, takesPart);
        visible += takesPart ? 1 : 0;
    }
    if (visible == 0) {
        halt();
        m_prompts.showMessage(NoSensorActivated, QString(), Prompts::Icon::Information);
        return;
    }
    // The first test request goes to address 1 whether or not it takes part, and waits for
    // the shorter first time-out.
    m_link.setReceiveThreshold(protocol::TestReplyLength);
    if (!m_link.send(protocol::testRequest(m_shared.settings.BoardCode, m_shared.SelectedLoop,
                                           m_data.ScanAddressText))) {
        halt();
        return;
    }
    // The reply timer runs only once a request is on the line: a port that could not be
    // opened is told once, not again at every time-out.
    m_replyTimer.start(m_timings.firstReplyTimeout);
    m_grid.setCaption(m_shared.ScanAddress, QStringLiteral("X"));
    setActivity(Activity::AwaitingReply);
}

// The pause before a request is a single-shot timer, not a wait: the window stays in use, and
// a stop or a click during it cancels the request.
void ScanCycle::SendScanRequest()
{
    m_replyTimer.stop();
    setActivity(Activity::Pausing);
    m_pauseTimer.start(m_timings.requestPause);
}

bool ScanCycle::chooseAddress()
{
    for (int tried = 0; tried <= LastAddress; ++tried) {
        if (m_shared.ScanAddress > LastAddress || m_shared.ScanAddress < FirstAddress)
            m_shared.ScanAddress = FirstAddress;
        m_data.ScanAddressText = protocol::twoDigitAddress(m_shared.ScanAddress);
        if (m_mode != ScanMode::SensorTest
            || m_data.NotActivated.at(m_shared.ScanAddress, selectedLoop()) != 1)
            return true;
        ++m_shared.ScanAddress;
    }
    return false;
}

void ScanCycle::sendChosenRequest()
{
    if (!chooseAddress()) {
        // Every address of this loop is left out of the test (the loop was changed during
        // a test): stop instead of searching for ever.
        halt();
        m_prompts.showMessage(NoSensorActivated, QString(), Prompts::Icon::Information);
        return;
    }
    const Settings &settings = m_shared.settings;
    QByteArray request;
    if (m_mode == ScanMode::SensorTest) {
        m_link.setReceiveThreshold(protocol::TestReplyLength);
        request = protocol::testRequest(settings.BoardCode, m_shared.SelectedLoop,
                                        m_data.ScanAddressText);
    } else {
        m_link.setReceiveThreshold(protocol::ScanReplyLength);
        const auto kind = m_mode == ScanMode::Sensors ? protocol::DeviceKind::Sensor
                                                      : protocol::DeviceKind::Module;
        request = protocol::scanRequest(settings.BoardCode, m_shared.SelectedLoop, kind,
                                        m_data.ScanAddressText);
    }
    if (!m_link.send(request)) { // the user has been told; nothing was sent
        halt();
        return;
    }
    m_replyTimer.start(m_timings.replyTimeout);
    m_grid.setCaption(m_shared.ScanAddress, QStringLiteral("X"));
    setActivity(Activity::AwaitingReply);
}

void ScanCycle::HandleScanReply()
{
    const QByteArray bytes = m_link.readAll();
    if (m_activity != Activity::AwaitingReply)
        return; // no request of ours is waiting for these characters
    m_shared.ReplyText = protocol::replyText(bytes);
    emit replyShown(m_shared.ReplyText);
    m_link.close();
    m_replyTimer.stop();
    m_shared.TimeoutCount = 0;
    qCDebug(lcScan) << "reply" << m_shared.ReplyText;

    const protocol::ScanReply reply = protocol::decodeScanReply(m_shared.ReplyText);
    m_shared.ReplyAddress = reply.address;
    m_shared.ReplyLoop = reply.loop;
    const int address = toWhole(reply.address);
    const int loop = selectedLoop();

    // A reply from the other loop, or naming an address outside the tables, is discarded and
    // the same address asked again.
    bool advance = reply.loop == m_shared.SelectedLoop && isTableIndex(address, loop);
    if (advance) {
        switch (m_mode) {
        case ScanMode::SensorTest:
            m_painter->EvaluateSensorTest(address, protocol::field(m_shared.ReplyText, 6, 2));
            break;
        case ScanMode::Sensors:
            advance = storeSensorReading(address, loop, toInt16(reply.analogue * 10),
                                         toInt16(reply.current));
            break;
        case ScanMode::Modules: {
            const qint16 stored = toInt16(reply.analogue * 10);
            m_data.ModuleAnalogue.set(address, loop, stored);
            m_data.ModuleCurrent.set(address, loop, toInt16(reply.current));
            m_data.ModuleHistogram.add(stored, address, loop);
            m_painter->EvaluateModule(address);
            break;
        }
        }
    }
    if (advance) {
        ++m_shared.ScanAddress;
        m_data.RetryCount = 0;
    }
    m_shared.ReplyText.clear();
    SendScanRequest();
}

// Stores and counts one sensor reading. A reading below the fault threshold is asked again
// until FaultRetries requests have been made; false while it is being asked again.
bool ScanCycle::storeSensorReading(int address, int loop, qint16 stored, qint16 current)
{
    const Settings &s = m_shared.settings;
    m_data.SensorAnalogue.set(address, loop, stored);
    m_data.SensorCurrent.set(address, loop, current);
    m_data.SensorHistogram.add(stored, address, loop);

    CountTable *counter = &m_data.OkCount;
    if (stored < s.GSMax) {
        m_data.RetryCount = plusOne(m_data.RetryCount);
        if (m_data.RetryCount < s.FaultRetries) {
            m_grid.setCaption(address, QStringLiteral("+"));
            return false;
        }
        counter = &m_data.FaultCount;
    } else if (stored < s.VaSMin || stored > s.VaSMax) {
        counter = &m_data.OutOfRangeCount;
    }
    counter->increment(address, loop);
    m_data.pushLastReading(address, loop, stored);
    m_data.SensorReadCount.increment(address, loop);
    m_painter->EvaluateSensor(address);
    return true;
}

void ScanCycle::onReplyTimeout()
{
    m_shared.TimeoutCount = plusOne(m_shared.TimeoutCount);
    m_grid.setCaption(m_shared.ScanAddress, QStringLiteral("*"));
    m_link.close();
    setActivity(Activity::Idle);
    if (m_shared.TimeoutCount > 3) {
        // The reply timer is single-shot and not re-armed until the message is closed, so no
        // second message stacks on this one.
        const quint64 generation = m_generation;
        m_prompts.showMessage(QStringLiteral("(TimeOut)\rLa centrale non risponde..."),
                              QStringLiteral("Anomalia"), Prompts::Icon::Critical);
        if (generation != m_generation)
            return; // stopped while the message was open
    }
    m_data.RetryCount = plusOne(m_data.RetryCount);
    SendScanRequest();
}

bool ScanCycle::stop()
{
    if (!m_prompts.askYesNo(QStringLiteral("Fermare la comunicazione?"), QStringLiteral("Stop")))
        return false;
    halt();
    return true;
}

void ScanCycle::halt()
{
    stopExchange();
    m_running = false;
    m_stopped = true;
    emit activityChanged();
}

void ScanCycle::moveTo(int address)
{
    m_shared.ScanAddress = qint16(address);
    m_data.RetryCount = 0; // the requests spent so far were for another address
}

void ScanCycle::stopExchange()
{
    ++m_generation;
    m_replyTimer.stop();
    m_pauseTimer.stop();
    m_link.close();
    setActivity(Activity::Idle);
}

void ScanCycle::toggleLock()
{
    stop();
    // A scan kept running loses the reply it waits for when the port closes after the lock
    // request: its address is asked again at once rather than after a time-out.
    const bool interrupted = m_activity == Activity::AwaitingReply;
    const int threshold = m_link.receiveThreshold();
    const bool turnOn = !m_data.LockedOn;
    m_link.setReceiveThreshold(protocol::LockThreshold);
    const bool sent = m_link.send(protocol::lockRequest(m_shared.settings.BoardCode, turnOn));
    if (sent) {
        m_data.LockedOn = turnOn;
        emit lockedChanged(turnOn);
        m_link.close(); // no reply is awaited
    } else {
        m_link.setReceiveThreshold(threshold);
    }
    // (not sent: the user was told, and the caption keeps naming the state last commanded)
    if (sent && interrupted)
        SendScanRequest();
}

void ScanCycle::deviceClicked(int index)
{
    if (m_mode != ScanMode::SensorTest)
        m_painter->redraw(m_mode);
    moveTo(std::clamp(index, FirstAddress, LastAddress));
    stopExchange(); // whatever exchange was under way is dropped
    m_running = true;
    m_stopped = false;
    SendScanRequest();
}

void ScanCycle::RefreshGrid(int index)
{
    const QString previous = m_shared.SelectedLoop;
    if (index == 1 || index == 2)
        m_shared.SelectedLoop = plainForm(index);
    if (index != 3 && m_shared.SelectedLoop == previous)
        return;
    const int visible = m_painter->redraw(m_mode);
    if (m_mode == ScanMode::SensorTest && visible == 0) {
        // Nothing on this loop can be tested: no request goes out while the message is open.
        stopExchange();
        m_prompts.showMessage(NoSensorActivated, QString(), Prompts::Icon::Information);
        stop();
        if (m_running && m_activity == Activity::Idle)
            halt(); // answered No, but there is nothing left to ask
    }
    moveTo(1);
    emit activityChanged();
}

void ScanCycle::resetReadings()
{
    if (m_prompts.askYesNo(QStringLiteral("Ripristino letture correnti?"),
                           QStringLiteral("Reset"))) {
        for (int address = FirstAddress; address <= LastAddress; ++address)
            m_grid.setColour(address, ButtonColour::LightGrey);
        m_data.clearReadings();
        moveTo(1);
    }
    RefreshGrid(3);
}

void ScanCycle::verifyInstallation()
{
    if (m_mode != ScanMode::Sensors)
        return;
    stop();
    const int loop = selectedLoop();
    for (int address = FirstAddress; address <= LastAddress; ++address) {
        const Verification v = verifySensor(
            address, m_data.SensorReadCount.at(address, loop), m_data.OkCount.at(address, loop),
            m_data.OutOfRangeCount.at(address, loop), m_data.FaultCount.at(address, loop));
        m_grid.setColour(address, v.colour);
        m_grid.setCaption(address, v.caption);
    }
}

void ScanCycle::setActivity(Activity activity)
{
    if (m_activity == activity)
        return;
    m_activity = activity;
    emit activityChanged();
}

QString ScanCycle::statusText() const
{
    const QString what = m_mode == ScanMode::SensorTest ? QStringLiteral("Test sensori")
        : m_mode == ScanMode::Modules                   ? QStringLiteral("Scansione moduli")
                                                        : QStringLiteral("Scansione sensori");
    const QString where = QStringLiteral(" del loop %1, indirizzo %2")
                              .arg(m_shared.SelectedLoop)
                              .arg(m_shared.ScanAddress);
    switch (m_activity) {
    case Activity::Pausing:
        return what + where + QStringLiteral(": pausa prima della richiesta");
    case Activity::AwaitingReply:
        return what + where + QStringLiteral(": in attesa di risposta");
    case Activity::Idle:
        break;
    }
    return m_stopped ? QStringLiteral("Scansione fermata") : QStringLiteral("Pronto");
}

} // namespace testloop
