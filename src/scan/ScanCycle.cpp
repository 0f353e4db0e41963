#include "scan/ScanCycle.h"

#include "link/PanelProtocol.h"
#include "link/Transport.h"
#include "loopdata/LoopTables.h"
#include "loopdata/NumberText.h"
#include "loopdata/SharedState.h"
#include "scan/AddressFacts.h"
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
const QString Stopped = QStringLiteral("Scansione fermata");

} // namespace

ScanCycle::ScanCycle(SharedState &shared, LoopData &data, Transport &link, DeviceGrid &grid,
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
    // Both waits have lengths the panel relies on: a coarse timer may end them up to 5 %
    // early.
    m_replyTimer.setTimerType(Qt::PreciseTimer);
    m_pauseTimer.setTimerType(Qt::PreciseTimer);
    m_replyTimer.setSingleShot(true);
    m_pauseTimer.setSingleShot(true);
    connect(&m_replyTimer, &QTimer::timeout, this, &ScanCycle::onReplyTimeout);
    connect(&m_pauseTimer, &QTimer::timeout, this, &ScanCycle::sendChosenRequest);
    connect(&m_link, &Transport::replyReady, this, &ScanCycle::HandleScanReply);
    connect(&m_link, &Transport::linkLost, this, [this] {
        interrupt(QStringLiteral("Scansione fermata: collegamento con la centrale perso"));
    });
    // A port that cannot be opened between two requests went away as surely as one lost
    // while open (the cable was pulled during the pause).
    connect(&m_link, &Transport::portFailed, this, [this] {
        interrupt(QStringLiteral("Scansione fermata: porta seriale non disponibile"));
    });
}

ScanCycle::~ScanCycle() = default;

int ScanCycle::selectedLoop() const
{
    return loopIndex(m_shared.SelectedLoop);
}

ExchangeTag ScanCycle::tagFor(ExchangeTag::Kind kind) const
{
    return {kind, selectedLoop(), ScanAddress};
}

void ScanCycle::report(ExchangeEvent::Kind kind, const QByteArray &bytes)
{
    m_link.report(m_link.newEvent(kind, bytes));
}

void ScanCycle::discard(DiscardReason reason, const QByteArray &bytes)
{
    ExchangeEvent event = m_link.newEvent(ExchangeEvent::Kind::ReplyDiscarded, bytes);
    event.reason = reason;
    m_link.report(event);
}

void ScanCycle::interrupt(const QString &reason)
{
    if (!m_running)
        return;
    m_interruptedAt = ScanAddress;
    stopWith(reason);
}

void ScanCycle::resume()
{
    if (!m_interruptedAt)
        return;
    const int address = *m_interruptedAt;
    m_interruptedAt.reset();
    stopExchange();
    moveTo(address);
    m_running = true;
    m_stopReason.clear();
    SendScanRequest();
}

void ScanCycle::start()
{
    m_interruptedAt.reset();
    stopExchange();
    m_running = false;
    m_link.setPortNumber(m_shared.settings.ComPort);
    moveTo(1);
    ScanAddressText = protocol::twoDigitAddress(1);
    if (!m_link.open()) { // the link has reported which device and why
        stopWith(QStringLiteral("Scansione fermata: porta seriale non disponibile"));
        return;
    }
    m_running = true;
    m_stopReason.clear();
    m_pass = 1;
    m_lastPassSeconds = 0;
    m_passClock.start();
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
    const quint64 generation = m_generation;
    if (!m_link.send(protocol::testRequest(m_shared.settings.BoardCode, m_shared.SelectedLoop,
                                           ScanAddressText),
                     tagFor(ExchangeTag::Kind::Test))) {
        interrupt(QStringLiteral("Scansione fermata: porta seriale non disponibile"));
        return;
    }
    if (generation != m_generation)
        return; // an observer of the request stopped the cycle
    // The reply timer runs only once a request is on the line: a port that could not be
    // opened is told once, not again at every time-out.
    m_replyTimer.start(m_timings.firstReplyTimeout);
    m_grid.setCaption(ScanAddress, QStringLiteral("X"));
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

void ScanCycle::setSkipUnused(bool skip)
{
    m_skipUnused = skip;
    m_painter->setSkipUnused(skip);
}

void ScanCycle::setReference(const LoopData *reference, int limit)
{
    m_painter->setReference(reference, limit);
}

// In test mode the addresses left out of the test; with the skipping on, the addresses the
// download found unused.
bool ScanCycle::passesOver(int address) const
{
    if (m_mode == ScanMode::SensorTest)
        return m_data.NotActivated.at(address, selectedLoop()) == 1;
    return m_skipUnused && m_data.DeviceType.at(address, selectedLoop()) == UnusedType;
}

bool ScanCycle::chooseAddress()
{
    for (int tried = 0; tried <= LastAddress; ++tried) {
        if (ScanAddress > LastAddress || ScanAddress < FirstAddress) {
            ScanAddress = FirstAddress;
            // Round to the first address again: a pass has ended.
            m_lastPassSeconds = double(m_passClock.restart()) / 1000.0;
            ++m_pass;
        }
        ScanAddressText = protocol::twoDigitAddress(ScanAddress);
        if (!passesOver(ScanAddress))
            return true;
        ++ScanAddress;
    }
    return false;
}

void ScanCycle::sendChosenRequest()
{
    if (!chooseAddress()) {
        // Every address of this loop is passed over (the loop was changed during a test, or
        // the download found the whole loop unused): stop instead of searching for ever.
        halt();
        m_prompts.showMessage(m_mode == ScanMode::SensorTest
                                  ? NoSensorActivated
                                  : QStringLiteral("nessun indirizzo configurato su questo loop"),
                              QString(), Prompts::Icon::Information);
        return;
    }
    const Settings &settings = m_shared.settings;
    QByteArray request;
    ExchangeTag::Kind kind = ExchangeTag::Kind::Test;
    if (m_mode == ScanMode::SensorTest) {
        m_link.setReceiveThreshold(protocol::TestReplyLength);
        request = protocol::testRequest(settings.BoardCode, m_shared.SelectedLoop, ScanAddressText);
    } else {
        kind = ExchangeTag::Kind::Scan;
        m_link.setReceiveThreshold(protocol::ScanReplyLength);
        const auto device = m_mode == ScanMode::Sensors ? protocol::DeviceKind::Sensor
                                                        : protocol::DeviceKind::Module;
        request = protocol::scanRequest(settings.BoardCode, m_shared.SelectedLoop, device,
                                        ScanAddressText);
    }
    const quint64 generation = m_generation;
    // A failed send was reported by the link; the scan is taken up again when it is back.
    if (!m_link.send(request, tagFor(kind))) {
        interrupt(QStringLiteral("Scansione fermata: porta seriale non disponibile"));
        return;
    }
    if (generation != m_generation)
        return; // an observer of the request stopped the cycle
    m_replyTimer.start(m_timings.replyTimeout);
    m_grid.setCaption(ScanAddress, QStringLiteral("X"));
    setActivity(Activity::AwaitingReply);
}

void ScanCycle::HandleScanReply(const QByteArray &bytes)
{
    if (m_shared.DownloadActive)
        return; // the download's reply
    if (m_activity != Activity::AwaitingReply) {
        discard(DiscardReason::NotAwaited, bytes);
        return;
    }
    const int expected = m_link.currentTag().kind == ExchangeTag::Kind::Test
        ? protocol::TestReplyLength
        : protocol::ScanReplyLength;
    ReplyText = protocol::replyText(bytes);
    emit replyShown(ReplyText);
    m_link.close();
    m_replyTimer.stop();
    TimeoutCount = 0;
    qCDebug(lcScan) << "reply" << ReplyText;

    const protocol::ScanReply reply = protocol::decodeScanReply(ReplyText);
    const int address = toWhole(reply.address);
    const int loop = selectedLoop();

    // A reply that is not whole, from the other loop, or naming an address outside the tables
    // is discarded and the same address asked again.
    bool advance = false;
    if (!protocol::isWholeReply(bytes, expected) || !isTableIndex(address, loop)) {
        discard(DiscardReason::Garbled, bytes);
    } else if (reply.loop != m_shared.SelectedLoop) {
        discard(DiscardReason::OtherLoop, bytes);
    } else {
        ExchangeEvent accepted = m_link.newEvent(ExchangeEvent::Kind::ReplyAccepted, bytes);
        accepted.repliedAddress = address == ScanAddress ? 0 : address;
        m_link.report(accepted);
        advance = true;
        switch (m_mode) {
        case ScanMode::SensorTest:
            m_painter->EvaluateSensorTest(address, protocol::field(ReplyText, 6, 2));
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
        ++ScanAddress;
        RetryCount = 0;
    }
    ReplyText.clear();
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
        RetryCount = plusOne(RetryCount);
        if (RetryCount < s.FaultRetries) {
            m_grid.setCaption(address, QStringLiteral("+"));
            report(ExchangeEvent::Kind::ReRead);
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
    if (!m_link.gathered().isEmpty())
        discard(DiscardReason::Short, m_link.gathered());
    report(ExchangeEvent::Kind::TimedOut);
    TimeoutCount = plusOne(TimeoutCount);
    m_grid.setCaption(ScanAddress, QStringLiteral("*"));
    m_link.close();
    setActivity(Activity::Idle);
    if (TimeoutCount > SilentTimeouts) {
        // The reply timer is single-shot and not re-armed until the message is closed, so no
        // second message stacks on this one.
        const quint64 generation = m_generation;
        m_prompts.showMessage(QStringLiteral("(TimeOut)\rLa centrale non risponde..."),
                              QStringLiteral("Anomalia"), Prompts::Icon::Critical);
        if (generation != m_generation)
            return; // stopped while the message was open
    }
    RetryCount = plusOne(RetryCount);
    SendScanRequest();
}

bool ScanCycle::askToStop()
{
    if (!m_prompts.askYesNo(QStringLiteral("Fermare la comunicazione?"), QStringLiteral("Stop")))
        return false;
    halt();
    return true;
}

void ScanCycle::halt()
{
    m_interruptedAt.reset();
    stopWith(Stopped);
}

void ScanCycle::stopWith(const QString &reason)
{
    stopExchange();
    m_running = false;
    m_stopReason = reason;
    emit activityChanged();
}

void ScanCycle::moveTo(int address)
{
    ScanAddress = qint16(address);
    RetryCount = 0; // the requests spent so far were for another address
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
    askToStop();
    // A scan kept running loses the reply it waits for when the port closes after the lock
    // request: its address is asked again at once rather than after a time-out.
    const bool interrupted = m_activity == Activity::AwaitingReply;
    const int threshold = m_link.receiveThreshold();
    const bool turnOn = !LockedOn;
    m_link.setReceiveThreshold(protocol::LockThreshold);
    const bool sent = m_link.send(protocol::lockRequest(m_shared.settings.BoardCode, turnOn),
                                  {ExchangeTag::Kind::Lock, 0, 0});
    if (sent) {
        LockedOn = turnOn;
        emit lockedChanged(turnOn);
        m_link.close(); // no reply is awaited
    } else {
        m_link.setReceiveThreshold(threshold);
    }
    // (not sent: the link has reported why, and the caption keeps naming the state last
    // commanded)
    if (sent && interrupted)
        SendScanRequest();
}

void ScanCycle::deviceClicked(int index)
{
    if (m_mode != ScanMode::SensorTest)
        m_painter->redraw(m_mode);
    moveTo(std::clamp(index, FirstAddress, LastAddress));
    m_interruptedAt.reset();
    stopExchange(); // whatever exchange was under way is dropped
    if (!m_running) {
        m_pass = 1;
        m_lastPassSeconds = 0;
        m_passClock.start();
    }
    m_running = true;
    m_stopReason.clear();
    SendScanRequest();
}

void ScanCycle::RefreshGrid(int index)
{
    const QString previous = m_shared.SelectedLoop;
    if (index == 1 || index == 2)
        m_shared.SelectedLoop = plainForm(index);
    if (index != RedrawSelectedLoop && m_shared.SelectedLoop == previous)
        return;
    const int visible = m_painter->redraw(m_mode);
    if (m_mode == ScanMode::SensorTest && visible == 0) {
        // Nothing on this loop can be tested: no request goes out while the message is open.
        stopExchange();
        m_prompts.showMessage(NoSensorActivated, QString(), Prompts::Icon::Information);
        askToStop();
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
        emit readingsCleared();
    }
    RefreshGrid(RedrawSelectedLoop);
}

void ScanCycle::verifyInstallation()
{
    if (m_mode != ScanMode::Sensors)
        return;
    askToStop();
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
    const QString where
        = QStringLiteral(" del loop %1, indirizzo %2").arg(m_shared.SelectedLoop).arg(ScanAddress);
    switch (m_activity) {
    case Activity::Pausing:
        return what + where + QStringLiteral(": pausa prima della richiesta");
    case Activity::AwaitingReply:
        return what + where + QStringLiteral(": in attesa di risposta");
    case Activity::Idle:
        break;
    }
    if (m_running) {
        // Held on a message between two requests.
        return what + where
            + (TimeoutCount > SilentTimeouts ? QStringLiteral(": la centrale non risponde")
                                             : QStringLiteral(": in attesa"));
    }
    return m_stopReason.isEmpty() ? QStringLiteral("Pronto") : m_stopReason;
}

} // namespace testloop
