// The scan cycle against the simulator's responder in the same process: the order of the
// requests, what is stored, counted and painted, and what happens to missing, bad and
// misdirected replies.
#include "tests/support/EngineBench.h"

#include <QSignalSpy>
#include <QTest>

using namespace testloop;
using namespace testsupport;
using C = ButtonColour;
using Kind = ExchangeEvent::Kind;

Q_DECLARE_METATYPE(testloop::DiscardReason)

class TestScanCycle : public QObject
{
    Q_OBJECT
private slots:
    void sensorPass();
    void modulePass();
    void badRepliesAskTheSameAddressAgain_data();
    void badRepliesAskTheSameAddressAgain();
    void fourTimeoutsInARowShowTheMessageOnce();
    void stopDuringThePauseCancelsTheRequest();
    void testMode();
    void testModeWithNothingActivated();
    void portThatCannotBeOpenedStopsTheStart();
    void clickStartsTheRetriesAfresh();
    void lockDuringAScanAsksTheSameAddressAgain();
    void verificationFromScannedStatistics();
};

// One pass over loop 1 with the default settings: every address in turn, the faulty sensor
// asked FaultRetries (3) times, then address 1 again.
void TestScanCycle::sensorPass()
{
    EngineBench b;
    b.cycle.start();
    QVERIFY(b.scanFor(102));
    QCOMPARE(b.asked(),
             addresses(1, 1, 6) + words("1.06 1.06") + addresses(1, 7, 99) + words("1.01"));

    // One button of each colour; the evaluation's boundaries are its own test's.
    QCOMPARE(b.grid.at(2).colour, C::Green);
    QCOMPARE(b.grid.at(3).colour, C::Yellow);
    QCOMPARE(b.grid.at(6).colour, C::Red);
    QCOMPARE(b.grid.at(7).colour, C::White);
    QCOMPARE(b.grid.at(3).caption, QStringLiteral("N 3\nVA300\n[15] "));
    QCOMPARE(b.grid.at(7).caption, QStringLiteral("N 7\nVA500\n[42] X2"));
    QCOMPARE(b.grid.at(6).captions.mid(0, 5), words("X + X + X"));

    const LoopData &d = *b.data;
    QCOMPARE(d.OkCount.at(2, 1), qint16(1));
    QCOMPARE(d.OutOfRangeCount.at(3, 1), qint16(1));
    QCOMPARE(d.FaultCount.at(6, 1), qint16(1));
    QCOMPARE(d.SensorReadCount.at(6, 1), qint16(1));
    QCOMPARE(d.SensorHistogram.at(100, 6, 1), qint16(3)); // every re-read is in the distribution
    QCOMPARE(d.LastReadings[1].at(8, 1), qint16(2000));
    QCOMPARE(d.RingSlot.at(8, 1), qint16(1));
    QCOMPARE(d.SensorAnalogue.at(1, 2), qint16(0)); // loop 2 untouched
    QCOMPARE(b.eventCount(Kind::ReRead), 2);
    QCOMPARE(b.cycle.retryCount(), 0);
}

void TestScanCycle::modulePass()
{
    EngineBench b;
    b.cycle.setMode(ScanMode::Modules);
    b.cycle.start();
    QVERIFY(b.scanFor(13));
    QCOMPARE(b.link.requests().first(), QByteArray("(j006AQ1201)XZ"));
    QCOMPARE(b.grid.at(11).toolTip, QStringLiteral("MODULO N° 11 LOOP 1 GUASTO"));
    QCOMPARE(b.grid.at(12).caption, QStringLiteral("N 12\nVA600\n[30] X2"));
    QCOMPARE(b.data->ModuleHistogram.at(600, 12, 1), qint16(1));
    QCOMPARE(b.data->SensorReadCount.at(10, 1), qint16(0)); // modules are not counted
}

// The first request gets no reply of its own; what arrives instead is discarded, nothing of it
// is stored, and the same address is asked again.
void TestScanCycle::badRepliesAskTheSameAddressAgain_data()
{
    QTest::addColumn<QByteArray>("arrives");
    QTest::addColumn<DiscardReason>("reason");

    const QByteArray whole = "(j006AR1001999015000000000)XZ";
    QTest::newRow("other loop") << QByteArray("(j006AR2001999015000000000)XZ")
                                << DiscardReason::OtherLoop;
    QTest::newRow("short reply joined to a late one")
        << whole.left(14) + whole << DiscardReason::Garbled;
    QTest::newRow("noise of the right length") << QByteArray(29, 'A') << DiscardReason::Garbled;
    QTest::newRow("short, then silence") << whole.left(14) << DiscardReason::Short;
}

void TestScanCycle::badRepliesAskTheSameAddressAgain()
{
    QFETCH(QByteArray, arrives);
    QFETCH(DiscardReason, reason);
    EngineBench b(shortTimings(50ms));
    b.link.queueFault(sim::Fault::Silence);
    // Once the request is on the line and the cycle waits for its reply.
    b.atRequest(1, [&] {
        QMetaObject::invokeMethod(
            &b.link, [&] { b.link.arrive(arrives); }, Qt::QueuedConnection);
    });
    b.cycle.start();
    QVERIFY(b.scanFor(3));
    QCOMPARE(b.asked(), words("1.01 1.01 1.02"));
    QCOMPARE(b.eventCount(Kind::ReplyDiscarded), 1);
    const auto discarded = std::find_if(b.events.cbegin(), b.events.cend(), [](const auto &e) {
        return e.kind == Kind::ReplyDiscarded;
    });
    QCOMPARE(discarded->reason, reason);
    // Only the clean second reply was stored and counted.
    QCOMPARE(b.data->SensorAnalogue.at(1, 1), qint16(500));
    QCOMPARE(b.data->SensorHistogram.at(500, 1, 1), qint16(1));
    QCOMPARE(b.data->SensorReadCount.at(1, 1), qint16(1));
    QCOMPARE(b.data->SensorAnalogue.at(1, 2), qint16(0));
}

// Three time-outs at address 1, its reply, then four at address 2: the reply cleared the
// count, so the message comes once, at the fourth time-out in a row, with the reply timer held
// while it is open.
void TestScanCycle::fourTimeoutsInARowShowTheMessageOnce()
{
    EngineBench b(shortTimings(20ms));
    using sim::Fault;
    for (const Fault fault : {Fault::Silence, Fault::Silence, Fault::Silence, Fault::None,
                              Fault::Silence, Fault::Silence, Fault::Silence, Fault::Silence})
        b.link.queueFault(fault);
    qsizetype timedOutAtMessage = -1;
    qsizetype askedWhileOpen = -1;
    b.prompts.whileMessageOpen = [&] {
        timedOutAtMessage = b.eventCount(Kind::TimedOut);
        const qsizetype before = b.scanRequests();
        QTest::qWait(200); // several reply time-outs long
        askedWhileOpen = b.scanRequests() - before;
    };
    b.cycle.start();
    QVERIFY(b.scanFor(10));

    QCOMPARE(b.asked(), words("1.01 1.01 1.01 1.01 1.02 1.02 1.02 1.02 1.02 1.03"));
    QCOMPARE(b.grid.at(2).captions.mid(0, 8), words("X * X * X * X *"));
    QCOMPARE(b.prompts.messages.size(), 1);
    QCOMPARE(timedOutAtMessage, 7);
    QCOMPARE(b.prompts.messages[0].text, QStringLiteral("(TimeOut)\rLa centrale non risponde..."));
    QCOMPARE(b.prompts.messages[0].title, QStringLiteral("Anomalia"));
    QCOMPARE(b.prompts.messages[0].icon, Prompts::Icon::Critical);
    QCOMPARE(askedWhileOpen, 0); // the reply timer was held while the message was open
}

void TestScanCycle::stopDuringThePauseCancelsTheRequest()
{
    Timings timings = shortTimings();
    timings.requestPause = 50ms;
    EngineBench b(timings);
    b.cycle.start();
    QCOMPARE(b.cycle.activity(), ScanCycle::Activity::Pausing);
    QVERIFY(b.cycle.askToStop());
    QTest::qWait(200);
    QVERIFY(b.link.requests().isEmpty());
    QCOMPARE(b.cycle.statusText(), QStringLiteral("Scansione fermata"));
}

// The first request always goes to address 1, left out or not, and waits the first time-out,
// not the later one: with the later one a minute long, the request after its silence can only
// come from the shorter wait. Then the addresses left out are skipped.
void TestScanCycle::testMode()
{
    Timings timings = shortTimings(60000ms);
    timings.firstReplyTimeout = 20ms;
    EngineBench b(timings);
    for (int address = 1; address <= 5; ++address)
        b.data->NotActivated.set(address, 1, 1);
    b.link.queueFault(sim::Fault::Silence);
    b.cycle.setMode(ScanMode::SensorTest);
    b.cycle.start();
    QVERIFY(b.scanFor(4));
    QCOMPARE(b.asked(), words("1.01 1.06 1.07 1.08"));
    QCOMPARE(b.link.requests().first(), QByteArray("(j006TS1001)XZ"));
    QVERIFY(!b.grid.at(3).visible);
    QCOMPARE(b.grid.at(6).caption, QStringLiteral("6\nFAIL !"));
}

// Loop 2 with nothing activated: a test switched to it stops, and one started there never
// asks the panel.
void TestScanCycle::testModeWithNothingActivated()
{
    EngineBench b;
    for (int address = 1; address <= 99; ++address)
        b.data->NotActivated.set(address, 2, 1);
    b.cycle.setMode(ScanMode::SensorTest);
    b.cycle.start();
    QVERIFY(waitUntil([&] { return b.scanRequests() >= 2; }));
    b.prompts.answers = {false}; // the redraw's stop question: keep going
    b.cycle.RefreshGrid(2);
    QVERIFY(waitUntil([&] { return b.cycle.activity() == ScanCycle::Activity::Idle; }));
    const qsizetype asked = b.scanRequests();
    b.cycle.start();
    QTest::qWait(50);
    QCOMPARE(b.scanRequests(), asked);
    QCOMPARE(b.cycle.activity(), ScanCycle::Activity::Idle);
    QVERIFY(!b.link.isOpen());
    QCOMPARE(b.prompts.messages.size(), 2);
    QCOMPARE(b.prompts.messages[1].text, QStringLiteral("nessun sensore attivato su questo loop"));
}

void TestScanCycle::portThatCannotBeOpenedStopsTheStart()
{
    EngineBench b(shortTimings(20ms));
    b.link.unplug();
    QSignalSpy failed(&b.link, &Transport::portFailed);
    b.cycle.start();
    QTest::qWait(100); // longer than a reply time-out: no timer may strike
    QCOMPARE(failed.count(), 1);
    QCOMPARE(b.cycle.activity(), ScanCycle::Activity::Idle);
    QCOMPARE(b.eventCount(Kind::TimedOut), 0);
    QVERIFY(b.link.requests().isEmpty());
    QVERIFY(b.prompts.messages.isEmpty()); // telling the user is the window's part
    QCOMPARE(b.cycle.statusText(),
             QStringLiteral("Scansione fermata: porta seriale non disponibile"));
}

// A click on the faulty sensor right after its first re-read was asked: the requests spent
// on it before the click do not count. Of the FaultRetries (3) requests after it, the second
// goes unanswered: a time-out spends one of them too.
void TestScanCycle::clickStartsTheRetriesAfresh()
{
    EngineBench b(shortTimings(20ms));
    for (int i = 0; i < 7; ++i)
        b.link.queueFault(sim::Fault::None);
    b.link.queueFault(sim::Fault::Silence);
    connect(&b.link, &Transport::exchangeEvent, this, [&](const ExchangeEvent &event) {
        if (event.kind == Kind::ReRead && b.eventCount(Kind::ReRead) == 1)
            b.cycle.deviceClicked(6);
    });
    b.cycle.start();
    QVERIFY(b.scanFor(10));
    QCOMPARE(b.asked(), addresses(1, 1, 6) + words("1.06 1.06 1.06 1.07"));
    QCOMPARE(b.eventCount(Kind::TimedOut), 1);
    QCOMPARE(b.data->FaultCount.at(6, 1), qint16(1));
}

void TestScanCycle::lockDuringAScanAsksTheSameAddressAgain()
{
    EngineBench b;
    b.link.queueFault(sim::Fault::Silence); // the scan waits for a reply that never comes
    b.cycle.start();
    QVERIFY(waitUntil([&] { return b.cycle.activity() == ScanCycle::Activity::AwaitingReply; }));
    b.prompts.answers = {false}; // keep scanning
    b.cycle.toggleLock();
    QVERIFY(b.cycle.isLockedOn());
    QVERIFY(waitUntil([&] { return b.link.requests().size() >= 4; }));
    b.cycle.halt();
    QCOMPARE(b.link.requests().mid(0, 4),
             (QList<QByteArray> {"(j006AQ1001)XZ", "(j006PIS000)XZ", "(j006AQ1001)XZ",
                                 "(j006AQ1002)XZ"}));
    QCOMPARE(b.eventCount(Kind::TimedOut), 0);
    b.cycle.toggleLock();
    QVERIFY(!b.cycle.isLockedOn());
    QCOMPARE(b.link.requests().last(), QByteArray("(j006PFS000)XZ"));
}

void TestScanCycle::verificationFromScannedStatistics()
{
    EngineBench b;
    b.cycle.start();
    QVERIFY(b.scanFor(12));
    b.cycle.setMode(ScanMode::Modules);
    const FakeGrid::Button before = b.grid.at(1);
    b.cycle.verifyInstallation(); // modules: nothing at all, not even the question
    QVERIFY(b.prompts.questions.isEmpty());
    QCOMPARE(b.grid.at(1).caption, before.caption);

    b.cycle.setMode(ScanMode::Sensors);
    b.prompts.answers = {false}; // the verification goes on whatever the answer
    b.cycle.verifyInstallation();
    QCOMPARE(b.prompts.questions, QStringList {QStringLiteral("Stop|Fermare la comunicazione?")});
    // The verdicts themselves are the verification's own test; here, that they come from the
    // scanned statistics of each address.
    QCOMPARE(b.grid.at(1).caption, QStringLiteral("N° 1\n 100%\n 0%\n 0%"));
    QCOMPARE(b.grid.at(6).caption, QStringLiteral("N° 6\n 0%\n 0%\n 100%"));
    QCOMPARE(b.grid.at(6).colour, C::Red);
    QCOMPARE(b.grid.at(7).toolTip, QStringLiteral("N° 7 CONFLITTO INDIRIZZI")); // untouched
}

QTEST_GUILESS_MAIN(TestScanCycle)
#include "tst_scancycle.moc"
