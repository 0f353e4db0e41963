// The scan cycle on the in-process responder: the requests, what is stored, counted and painted,
// missing, bad and misdirected replies; and the counters and the traffic log listening in.
#include "link/TrafficLog.h"
#include "scan/CommunicationCounters.h"
#include "tests/support/EngineBench.h"

#include <QSignalSpy>
#include <QTest>

using namespace testloop;
using namespace Qt::StringLiterals;
using namespace testsupport;
using C = ButtonColour;
using Kind = ExchangeEvent::Kind;

Q_DECLARE_METATYPE(testloop::DiscardReason)

class TestScanCycle : public QObject
{
    Q_OBJECT
private slots:
    void passesAndVerification();
    void badRepliesAskTheSameAddressAgain_data();
    void badRepliesAskTheSameAddressAgain();
    void fourTimeoutsInARowShowTheMessageOnce();
    void startEndsWithoutAsking();
    void testMode();
    void clickStartsTheRetriesAfresh();
    void lockDuringAScanAsksTheSameAddressAgain();
    void countersPerAddress();
    void trafficLines();
    void trafficIsBounded();
    void scanSummary();
};

// A pass over loop 1 (the faulty sensor asked 3 times), its verification, a pass over modules.
void TestScanCycle::passesAndVerification()
{
    EngineBench b;
    b.cycle.start();
    QVERIFY(b.scanFor(102));
    QCOMPARE(b.asked(),
             addresses(1, 1, 6) + words("1.06 1.06") + addresses(1, 7, 99) + words("1.01"));
    // The evaluation's boundaries are its own test's: here, stored value and thresholds used.
    QCOMPARE(b.grid.at(3).caption, u"N 3\nVA300\n[15] "_s);
    QCOMPARE(b.grid.at(3).colour, C::Yellow);
    QCOMPARE(b.grid.at(7).caption, u"N 7\nVA500\n[42] X2"_s);
    QCOMPARE(b.grid.at(6).captions.mid(0, 5), words("X + X + X"));
    const LoopData &d = *b.data; // at 6 every re-read is in the distribution; loop 2 untouched
    QCOMPARE(
        (QList<int> {d.OkCount.at(2, 1), d.OutOfRangeCount.at(3, 1), d.FaultCount.at(6, 1),
                     d.SensorReadCount.at(6, 1), d.SensorHistogram.at(100, 6, 1),
                     d.LastReadings[1].at(8, 1), d.RingSlot.at(8, 1), d.SensorAnalogue.at(1, 2)}),
        (QList<int> {1, 1, 1, 1, 3, 2000, 1, 0}));
    QCOMPARE(b.eventCount(Kind::ReRead), 2);
    QCOMPARE(b.cycle.retryCount(), 0);

    b.prompts.answers = {false}; // the verification goes on whatever the answer
    b.cycle.verifyInstallation();
    QCOMPARE(b.prompts.questions, QStringList {u"Stop|Fermare la comunicazione?"_s});
    QCOMPARE(b.grid.at(1).caption, u"N° 1\n 100%\n 0%\n 0%"_s);
    QCOMPARE(b.grid.at(6).caption, u"N° 6\n 0%\n 0%\n 100%"_s);
    QCOMPARE(b.grid.at(6).colour, C::Red);
    QCOMPARE(b.grid.at(7).toolTip, u"N° 7 CONFLITTO INDIRIZZI"_s); // untouched

    b.cycle.setMode(ScanMode::Modules);
    const FakeGrid::Button before = b.grid.at(1);
    b.cycle.verifyInstallation(); // modules: nothing at all, not even the question
    QCOMPARE(b.prompts.questions.size(), 1);
    QCOMPARE(b.grid.at(1).caption, before.caption);
    b.cycle.start();
    QVERIFY(b.scanFor(102 + 13));
    QCOMPARE(b.link.requests().at(102), QByteArray("(j006AQ1201)XZ"));
    QCOMPARE(b.grid.at(11).toolTip, u"MODULO N° 11 LOOP 1 GUASTO"_s);
    QCOMPARE(b.grid.at(12).caption, u"N 12\nVA600\n[30] X2"_s);
    QCOMPARE(b.data->ModuleHistogram.at(600, 12, 1), qint16(1));
    QCOMPARE(b.data->SensorReadCount.at(10, 1), qint16(1)); // modules are not counted
}

// What arrives instead of the first reply is discarded, and the same address asked again.
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
    b.atRequest(1, [&] {
        QMetaObject::invokeMethod(
            &b.link, [&] { b.link.arrive(arrives); }, Qt::QueuedConnection);
    });
    b.cycle.start();
    QVERIFY(b.scanFor(3));
    QCOMPARE(b.asked(), words("1.01 1.01 1.02"));
    QCOMPARE(b.eventCount(Kind::ReplyDiscarded), 1);
    QCOMPARE(std::ranges::find(b.events, Kind::ReplyDiscarded, &ExchangeEvent::kind)->reason,
             reason);
    const LoopData &d = *b.data;
    QCOMPARE((QList<int> {d.SensorAnalogue.at(1, 1), d.SensorHistogram.at(500, 1, 1),
                          d.SensorReadCount.at(1, 1), d.SensorAnalogue.at(1, 2)}),
             (QList<int> {500, 1, 1, 0}));
}

// Three time-outs at 1, its reply, then four at 2: one message, at the fourth in a row.
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
    QCOMPARE(b.prompts.messages[0].text, u"(TimeOut)\rLa centrale non risponde..."_s);
    QCOMPARE(b.prompts.messages[0].title, u"Anomalia"_s);
    QCOMPARE(b.prompts.messages[0].icon, Prompts::Icon::Critical);
    QCOMPARE(askedWhileOpen, 0); // the reply timer was held while the message was open
}

// Stopped in the first pause, or the port cannot be opened: nothing asked, no timer strikes.
void TestScanCycle::startEndsWithoutAsking()
{
    for (const bool unplugged : {false, true}) {
        Timings timings = shortTimings(20ms);
        timings.requestPause = 50ms;
        EngineBench b(timings);
        QSignalSpy failed(&b.link, &Transport::portFailed);
        if (unplugged)
            b.link.unplug();
        b.cycle.start();
        QVERIFY(unplugged || b.cycle.askToStop());
        QTest::qWait(200); // longer than the pause and a reply time-out
        QCOMPARE(failed.count(), int(unplugged));
        QCOMPARE(b.cycle.activity(), ScanCycle::Activity::Idle);
        QCOMPARE(b.eventCount(Kind::TimedOut), 0);
        QVERIFY(b.link.requests().isEmpty() && b.prompts.messages.isEmpty());
        QCOMPARE(b.cycle.statusText(),
                 unplugged ? u"Scansione fermata: porta seriale non disponibile"_s
                           : u"Scansione fermata"_s);
    }
}

// The first request goes to 1, left out or not, and waits the shorter first time-out (the later
// is a minute); the others left out are skipped. On loop 2, nothing activated: nothing asked.
void TestScanCycle::testMode()
{
    Timings timings = shortTimings(60000ms);
    timings.firstReplyTimeout = 20ms;
    EngineBench b(timings);
    for (int address = 1; address <= 99; ++address) {
        b.data->NotActivated.set(address, 1, address <= 5);
        b.data->NotActivated.set(address, 2, 1);
    }
    b.link.queueFault(sim::Fault::Silence);
    b.cycle.setMode(ScanMode::SensorTest);
    b.cycle.start();
    QVERIFY(b.scanFor(4));
    QCOMPARE(b.asked(), words("1.01 1.06 1.07 1.08"));
    QCOMPARE(b.link.requests().first(), QByteArray("(j006TS1001)XZ"));
    QVERIFY(!b.grid.at(3).visible);
    QCOMPARE(b.grid.at(6).caption, u"6\nFAIL !"_s);

    b.cycle.start();
    QVERIFY(waitUntil([&] { return b.scanRequests() >= 6; }));
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
    QCOMPARE(b.prompts.messages[1].text, u"nessun sensore attivato su questo loop"_s);
}

// A click on the faulty sensor after its first re-read starts its 3 requests afresh; the second
// goes unanswered, and a time-out spends one of them too.
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

// Address 2 answered from the other loop, not at all, with noise, then cleanly; 6 read 3 times.
void TestScanCycle::countersPerAddress()
{
    EngineBench b(shortTimings(20ms));
    CommunicationCounters counters(b.link);
    for (const sim::Fault fault :
         {sim::Fault::None, sim::Fault::OtherLoop, sim::Fault::Silence, sim::Fault::Garbage})
        b.link.queueFault(fault);
    b.cycle.start();
    QVERIFY(b.scanFor(12));

    // Requests, valid replies, time-outs, re-reads, replies from the other loop, garbled ones.
    const auto figures = [](const AddressCounters &c) {
        return QList<int> {c.requests,
                           c.validReplies,
                           c.timeouts,
                           c.reReads,
                           c.discarded[std::size_t(DiscardReason::OtherLoop)],
                           c.discarded[std::size_t(DiscardReason::Garbled)]};
    };
    const AddressCounters &first = counters.at(1, 1);
    QCOMPARE(figures(first), (QList<int> {1, 1, 0, 0, 0, 0}));
    QVERIFY(first.lastResponseMs >= 0 && first.meanResponseMs() == first.lastResponseMs);
    QCOMPARE(figures(counters.at(2, 1)), (QList<int> {4, 1, 1, 0, 1, 1}));
    QCOMPARE(counters.at(2, 1).validPercent(), 25.0);
    QCOMPARE(figures(counters.at(6, 1)), (QList<int> {3, 3, 0, 2, 0, 0}));
    // The last request went out as the scan stopped.
    QCOMPARE(figures(counters.loopTotal(1)), (QList<int> {12, 8, 1, 2, 1, 1}));
    QCOMPARE(counters.at(1, 2).requests, 0);
}

void TestScanCycle::trafficLines()
{
    const auto line = [](Kind kind, const QByteArray &bytes = {}) {
        ExchangeEvent event = ExchangeEvent::now(kind, {ExchangeTag::Kind::Scan, 1, 7});
        event.bytes = bytes;
        event.device = u"/dev/ttyUSB0"_s;
        event.time = QDateTime(QDate(2026, 12, 6), QTime(14, 3, 22, 517));
        const QString text = TrafficLog::format(event);
        return text.isEmpty() || text.startsWith(u"14:03:22.517"_s) ? text.mid(12) : text;
    };
    QCOMPARE(line(Kind::ReplyIn, QByteArray("(j0\r\n\0\\\xe8", 8)),
             u"  ←  (j0\\x0D\\x0A\\x00\\x5C\\xE8"_s);
    QCOMPARE(line(Kind::TimedOut), u"  !  nessuna risposta in tempo (loop 1, indirizzo 7)"_s);
    QCOMPARE(line(Kind::ReplyDiscarded, "(j00"), u"  ×  risposta scartata (non valida): (j00"_s);
    QCOMPARE(line(Kind::LinkBack), u"     collegamento ripristinato su /dev/ttyUSB0"_s);
    QVERIFY(line(Kind::ReplyAccepted).isEmpty()); // no line of its own
}

// A pass makes far more events than the log keeps: the oldest dropped and counted.
void TestScanCycle::trafficIsBounded()
{
    EngineBench b;
    TrafficLog log(b.link);
    b.cycle.start();
    QVERIFY(b.scanFor(2600)); // about four lines an exchange
    QCOMPARE(log.size(), TrafficLog::Capacity);
    QVERIFY(log.dropped() > 0);
    QCOMPARE(log.recorded(), log.dropped() + quint64(log.size()));
    QVERIFY(log.line(log.size() - 2).contains(u"  →  (j006AQ1"_s));
    QVERIFY(log.line(log.size() - 1).endsWith(u"porta simulatore chiusa"_s));
    log.clear();
    QVERIFY(log.size() == 0 && log.dropped() == 0);
}

// The first pass, with its share of valid replies, is in tst_fieldtools.
void TestScanCycle::scanSummary()
{
    AddressCounters total;
    QCOMPARE(scanSummaryText(2, 7, 1, 0, total), u"Loop 2 · indirizzo 7/99 · giro 1"_s);
    total.requests = total.validReplies = 300;
    QCOMPARE(scanSummaryText(2, 7, 3, 53.94, total),
             u"Loop 2 · indirizzo 7/99 · giro 3 · ultimo giro 53,9 s · risposte "
             "valide 100,0 %"_s);
}

QTEST_GUILESS_MAIN(TestScanCycle)
#include "tst_scancycle.moc"
