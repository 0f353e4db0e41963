// The scan cycle against the simulated panel over a real pseudo-terminal, with scaled timings
// and a recording grid and prompts.
#include "link/PanelProtocol.h"
#include "link/SerialLink.h"
#include "loopdata/LoopTables.h"
#include "loopdata/SharedState.h"
#include "scan/ScanCycle.h"
#include "sim/PanelServer.h"
#include "tests/support/FakeGrid.h"
#include "tests/support/FakePrompts.h"

#include <QTest>

#include <memory>

using namespace testloop;
using namespace std::chrono_literals;
namespace sim = testloop::sim;

namespace {

using C = ButtonColour;

// Loop 1: in-range sensors everywhere but 2 (faulty), 3 (out of range) and 4 (conflict);
// modules at 8 (in range) and 9 (faulty). Loop 2: in-range sensors at 1..50 only.
sim::Installation installation()
{
    sim::Installation inst;
    for (int address = 1; address <= 99; ++address) {
        sim::Sensor sensor;
        sensor.analogue = 45;
        sensor.current = 15;
        inst.setSensor(1, address, sensor);
        if (address <= 50)
            inst.setSensor(2, address, sensor);
    }
    sim::Sensor faulty;
    faulty.analogue = 5;
    faulty.test = QStringLiteral("TN");
    inst.setSensor(1, 2, faulty);
    sim::Sensor high;
    high.analogue = 200;
    inst.setSensor(1, 3, high);
    sim::Sensor conflict;
    conflict.current = 42;
    inst.setSensor(1, 4, conflict);
    sim::Module module;
    module.analogue = 60;
    module.current = 30;
    inst.setModule(1, 8, module);
    module.analogue = 0;
    module.current = 10;
    inst.setModule(1, 9, module);
    return inst;
}

Timings fastTimings(std::chrono::milliseconds replyTimeout = 3000ms)
{
    Timings t;
    t.requestPause = 1ms;
    t.firstReplyTimeout = replyTimeout;
    t.replyTimeout = replyTimeout;
    return t;
}

struct Bench
{
    explicit Bench(Timings timings = fastTimings(), sim::ServerOptions options = {})
        : server(installation(), options)
        , data(std::make_unique<LoopData>())
        , link(shared, prompts)
        , cycle(shared, *data, link, grid, prompts, timings)
    {
        QString error;
        started = server.start(&error);
        link.setPortOverride(server.devicePath());
        shared.settings.FaultRetries = 1;
    }

    // Requests of one kind sent so far, as their two-digit addresses.
    QStringList addressesAsked() const
    {
        QStringList asked;
        for (const QByteArray &request : server.requests()) {
            if (request.contains("6AQ") || request.contains("6TS"))
                asked.append(QString::fromLatin1(request.mid(9, 2)));
        }
        return asked;
    }
    bool askedAtLeast(qsizetype count) const { return addressesAsked().size() >= count; }

    sim::PanelServer server;
    SharedState shared;
    std::unique_ptr<LoopData> data;
    FakeGrid grid;
    FakePrompts prompts;
    SerialLink link;
    ScanCycle cycle;
    bool started = false;
};

QStringList addresses(int from, int to)
{
    QStringList list;
    for (int a = from; a <= to; ++a)
        list.append(protocol::twoDigitAddress(a));
    return list;
}

} // namespace

class TestScanCycle : public QObject
{
    Q_OBJECT
private slots:
    void fullSensorPass();
    void modulePass();
    void faultReadingIsAskedAgain();
    void fourTimeoutsInARowShowTheMessageOnce();
    void replyAfterTimeoutsClearsTheCount();
    void replyFromTheOtherLoopAsksAgain();
    void stopDuringThePauseCancelsTheRequest();
    void testModeSkipsAddressesLeftOut();
    void testModeWithNothingActivated();
    void loopChangedDuringTestStops();
    void portThatCannotBeOpenedStopsTheStart();
    void clickStartsTheRetriesAfresh();
    void lockDuringAScanAsksTheSameAddressAgain();
    void lostLinkStopsOnceAndKeepsReadings();
    void verificationFromScannedStatistics();
};

void TestScanCycle::fullSensorPass()
{
    Bench b;
    QVERIFY(b.started);
    // 99 addresses, then the first of the next pass; stopped there, its reply is dropped.
    connect(&b.server, &sim::PanelServer::requestReceived, this, [&] {
        if (b.addressesAsked().size() == 100)
            b.cycle.halt();
    });
    b.cycle.start();
    QTRY_VERIFY_WITH_TIMEOUT(b.askedAtLeast(100), 30000);
    QTest::qWait(50);
    QCOMPARE(b.addressesAsked().mid(0, 100), addresses(1, 99) << QStringLiteral("01"));

    QCOMPARE(b.grid.at(1).caption, QStringLiteral("X")); // asked again in the next pass
    QCOMPARE(b.grid.at(5).colour, C::Green);
    QCOMPARE(b.grid.at(5).caption, QStringLiteral("N 5\nVA450\n[15] "));
    QCOMPARE(b.grid.at(2).colour, C::Red);
    QCOMPARE(b.grid.at(2).caption, QStringLiteral("N 2\nVA50\n[15] "));
    QCOMPARE(b.grid.at(3).colour, C::Yellow);
    QCOMPARE(b.grid.at(4).colour, C::White);
    QCOMPARE(b.grid.at(4).toolTip, QStringLiteral("N° 4 CONFLITTO INDIRIZZI"));
    QCOMPARE(b.grid.at(99).colour, C::Green);

    QCOMPARE(b.data->OkCount.at(1, 1), qint16(1));
    QCOMPARE(b.data->FaultCount.at(2, 1), qint16(1));
    QCOMPARE(b.data->OutOfRangeCount.at(3, 1), qint16(1));
    QCOMPARE(b.data->SensorReadCount.at(50, 1), qint16(1));
    QCOMPARE(b.data->SensorHistogram.at(450, 1, 1), qint16(1));
    QCOMPARE(b.data->LastReadings[1].at(3, 1), qint16(2000));
    QCOMPARE(b.data->SensorAnalogue.at(1, 2), qint16(0)); // loop 2 untouched
}

void TestScanCycle::modulePass()
{
    Bench b;
    QVERIFY(b.started);
    b.cycle.setMode(ScanMode::Modules);
    b.cycle.start();
    QTRY_VERIFY_WITH_TIMEOUT(b.askedAtLeast(10), 10000);
    b.cycle.halt();
    QVERIFY(b.server.requests().first().startsWith("(j006AQ1201)XZ"));
    QCOMPARE(b.grid.at(8).colour, C::White);
    QCOMPARE(b.grid.at(8).caption, QStringLiteral("N 8\nVA600\n[30] X2"));
    QCOMPARE(b.grid.at(8).toolTip, QStringLiteral("MODULO N° 8 LOOP 1 OK CONFLITTO INDIRIZZI"));
    QCOMPARE(b.grid.at(9).colour, C::Red);
    QCOMPARE(b.grid.at(9).toolTip, QStringLiteral("MODULO N° 9 LOOP 1 GUASTO"));
    QCOMPARE(b.data->ModuleHistogram.at(600, 8, 1), qint16(1));
    QCOMPARE(b.data->SensorReadCount.at(8, 1), qint16(0)); // modules are not counted
}

void TestScanCycle::faultReadingIsAskedAgain()
{
    Bench b;
    QVERIFY(b.started);
    b.shared.settings.FaultRetries = 3;
    b.cycle.start();
    QTRY_VERIFY_WITH_TIMEOUT(b.addressesAsked().contains(QStringLiteral("03")), 10000);
    b.cycle.halt();
    QCOMPARE(b.addressesAsked().mid(0, 5),
             (QStringList {QStringLiteral("01"), QStringLiteral("02"), QStringLiteral("02"),
                           QStringLiteral("02"), QStringLiteral("03")}));
    QCOMPARE(b.grid.at(2).captions.mid(0, 5),
             (QStringList {QStringLiteral("X"), QStringLiteral("+"), QStringLiteral("X"),
                           QStringLiteral("+"), QStringLiteral("X")}));
    QCOMPARE(b.data->FaultCount.at(2, 1), qint16(1));
    QCOMPARE(b.data->SensorReadCount.at(2, 1), qint16(1));
    QCOMPARE(b.data->SensorHistogram.at(50, 2, 1), qint16(3));
    QCOMPARE(b.data->RetryCount, qint16(0));
}

void TestScanCycle::fourTimeoutsInARowShowTheMessageOnce()
{
    Bench b(fastTimings(100ms));
    QVERIFY(b.started);
    for (int i = 0; i < 4; ++i)
        b.server.queueFault(sim::Fault::Silence);
    qsizetype askedWhileOpen = -1;
    b.prompts.whileMessageOpen = [&] {
        const qsizetype before = b.addressesAsked().size();
        QTest::qWait(400); // several reply time-outs long
        askedWhileOpen = b.addressesAsked().size() - before;
    };
    b.cycle.start();
    QTRY_VERIFY_WITH_TIMEOUT(b.askedAtLeast(6), 10000);
    b.cycle.halt();

    QCOMPARE(b.addressesAsked().mid(0, 6),
             (QStringList {QStringLiteral("01"), QStringLiteral("01"), QStringLiteral("01"),
                           QStringLiteral("01"), QStringLiteral("01"), QStringLiteral("02")}));
    QCOMPARE(b.grid.at(1).captions.mid(0, 8),
             (QStringList {QStringLiteral("X"), QStringLiteral("*"), QStringLiteral("X"),
                           QStringLiteral("*"), QStringLiteral("X"), QStringLiteral("*"),
                           QStringLiteral("X"), QStringLiteral("*")}));
    QCOMPARE(b.prompts.messages.size(), 1);
    QCOMPARE(b.prompts.messages[0].text, QStringLiteral("(TimeOut)\rLa centrale non risponde..."));
    QCOMPARE(b.prompts.messages[0].title, QStringLiteral("Anomalia"));
    QCOMPARE(b.prompts.messages[0].icon, Prompts::Icon::Critical);
    QCOMPARE(askedWhileOpen, 0); // the reply timer was held while the message was open
}

void TestScanCycle::replyAfterTimeoutsClearsTheCount()
{
    Bench b(fastTimings(100ms));
    QVERIFY(b.started);
    for (int i = 0; i < 3; ++i)
        b.server.queueFault(sim::Fault::Silence);
    b.server.queueFault(sim::Fault::None);
    b.server.queueFault(sim::Fault::Silence);
    b.cycle.start();
    QTRY_VERIFY_WITH_TIMEOUT(b.askedAtLeast(7), 10000);
    b.cycle.halt();
    // Three time-outs, a reply, then one more time-out: no message at all.
    QCOMPARE(b.prompts.messages.size(), 0);
    QCOMPARE(b.addressesAsked().mid(0, 6),
             (QStringList {QStringLiteral("01"), QStringLiteral("01"), QStringLiteral("01"),
                           QStringLiteral("01"), QStringLiteral("02"), QStringLiteral("02")}));
}

void TestScanCycle::replyFromTheOtherLoopAsksAgain()
{
    Bench b;
    QVERIFY(b.started);
    b.server.queueFault(sim::Fault::None);
    b.server.queueFault(sim::Fault::OtherLoop);
    b.cycle.start();
    QTRY_VERIFY_WITH_TIMEOUT(b.askedAtLeast(4), 10000);
    b.cycle.halt();
    QCOMPARE(b.addressesAsked().mid(0, 4),
             (QStringList {QStringLiteral("01"), QStringLiteral("02"), QStringLiteral("02"),
                           QStringLiteral("03")}));
    QCOMPARE(b.data->SensorAnalogue.at(2, 2), qint16(0)); // nothing stored for loop 2
    QCOMPARE(b.data->SensorReadCount.at(2, 1), qint16(1));
}

void TestScanCycle::stopDuringThePauseCancelsTheRequest()
{
    Timings timings = fastTimings();
    timings.requestPause = 300ms;
    Bench b(timings);
    QVERIFY(b.started);
    b.cycle.start();
    QCOMPARE(b.cycle.activity(), ScanCycle::Activity::Pausing);
    QVERIFY(b.cycle.stop());
    QTest::qWait(500);
    QCOMPARE(b.server.requests().size(), 0);
}

void TestScanCycle::testModeSkipsAddressesLeftOut()
{
    Bench b;
    QVERIFY(b.started);
    for (int address = 1; address <= 5; ++address)
        b.data->NotActivated.set(address, 1, 1);
    b.data->NotActivated.set(7, 1, 1);
    b.cycle.setMode(ScanMode::SensorTest);
    b.cycle.start();
    QTRY_VERIFY_WITH_TIMEOUT(b.askedAtLeast(4), 10000);
    b.cycle.halt();
    // The first request always goes to address 1; then the addresses left out are skipped.
    QCOMPARE(b.addressesAsked().mid(0, 4),
             (QStringList {QStringLiteral("01"), QStringLiteral("06"), QStringLiteral("08"),
                           QStringLiteral("09")}));
    QCOMPARE(b.server.requests().first(), QByteArray("(j006TS1001)XZ"));
    QVERIFY(!b.grid.at(3).visible);
    QVERIFY(b.grid.at(6).visible);
    QCOMPARE(b.grid.at(6).caption, QStringLiteral("6\nOK"));
    QCOMPARE(b.grid.at(6).colour, C::Green);
    QCOMPARE(b.grid.at(6).toolTip, QStringLiteral("Sensore N°6 Tipo: Zona: 0 <> TEST SENSORE OK"));
}

void TestScanCycle::testModeWithNothingActivated()
{
    Bench b;
    QVERIFY(b.started);
    for (int address = 1; address <= 99; ++address)
        b.data->NotActivated.set(address, 1, 1);
    b.cycle.setMode(ScanMode::SensorTest);
    b.cycle.start();
    QCOMPARE(b.prompts.messages.size(), 1);
    QCOMPARE(b.prompts.messages[0].text, QStringLiteral("nessun sensore attivato su questo loop"));
    QTest::qWait(100);
    QCOMPARE(b.server.requests().size(), 0);
    QCOMPARE(b.cycle.activity(), ScanCycle::Activity::Idle);
    QVERIFY(!b.link.isOpen());
}

void TestScanCycle::loopChangedDuringTestStops()
{
    Bench b;
    QVERIFY(b.started);
    for (int address = 1; address <= 99; ++address)
        b.data->NotActivated.set(address, 2, 1);
    b.cycle.setMode(ScanMode::SensorTest);
    b.cycle.start();
    QTRY_VERIFY_WITH_TIMEOUT(b.askedAtLeast(2), 10000);
    b.prompts.answers = {false}; // the redraw's stop question: keep going
    b.cycle.RefreshGrid(2);
    QTRY_COMPARE_WITH_TIMEOUT(b.cycle.activity(), ScanCycle::Activity::Idle, 10000);
    QCOMPARE(b.prompts.messages.last().text,
             QStringLiteral("nessun sensore attivato su questo loop"));
    const qsizetype asked = b.addressesAsked().size();
    QTest::qWait(100);
    QCOMPARE(b.addressesAsked().size(), asked);
}

void TestScanCycle::portThatCannotBeOpenedStopsTheStart()
{
    Bench b(fastTimings(50ms));
    QVERIFY(b.started);
    b.link.setPortOverride(QStringLiteral("/dev/testloop-missing"));
    // The message stays open longer than a reply time-out: no timer may strike meanwhile.
    b.prompts.whileMessageOpen = [] { QTest::qWait(300); };
    b.cycle.start();
    QCOMPARE(b.prompts.messages.size(), 1);
    QVERIFY(b.prompts.messages[0].text.contains(QStringLiteral("/dev/testloop-missing")));
    QCOMPARE(b.cycle.activity(), ScanCycle::Activity::Idle);
    QVERIFY(!b.cycle.isRunning());
    QCOMPARE(b.shared.TimeoutCount, qint16(0));
    QCOMPARE(b.server.requests().size(), 0);
}

void TestScanCycle::clickStartsTheRetriesAfresh()
{
    Bench b;
    QVERIFY(b.started);
    b.shared.settings.FaultRetries = 3;
    b.data->RetryCount = 2; // spent on another address
    b.cycle.deviceClicked(2); // the faulty sensor
    QTRY_VERIFY_WITH_TIMEOUT(b.addressesAsked().contains(QStringLiteral("03")), 10000);
    b.cycle.halt();
    QCOMPARE(b.addressesAsked().mid(0, 4),
             (QStringList {QStringLiteral("02"), QStringLiteral("02"), QStringLiteral("02"),
                           QStringLiteral("03")}));
    QCOMPARE(b.data->FaultCount.at(2, 1), qint16(1));
}

void TestScanCycle::lockDuringAScanAsksTheSameAddressAgain()
{
    Bench b;
    QVERIFY(b.started);
    b.server.queueFault(sim::Fault::Silence); // the scan waits for a reply that never comes
    b.cycle.start();
    QTRY_VERIFY_WITH_TIMEOUT(b.server.requests().size() == 1, 10000);
    QCOMPARE(b.cycle.activity(), ScanCycle::Activity::AwaitingReply);
    b.prompts.answers = {false}; // keep scanning
    b.cycle.toggleLock();
    QTRY_VERIFY_WITH_TIMEOUT(b.server.requests().size() >= 4, 10000);
    b.cycle.halt();
    QCOMPARE(b.server.requests().mid(0, 4),
             (QList<QByteArray> {"(j006AQ1001)XZ", "(j006PIS000)XZ", "(j006AQ1001)XZ",
                                 "(j006AQ1002)XZ"}));
    QVERIFY(!b.grid.at(1).captions.contains(QStringLiteral("*"))); // no time-out counted
    QCOMPARE(b.shared.TimeoutCount, qint16(0));
}

void TestScanCycle::lostLinkStopsOnceAndKeepsReadings()
{
    Bench b;
    QVERIFY(b.started);
    b.cycle.start();
    QTRY_VERIFY_WITH_TIMEOUT(b.data->SensorReadCount.at(3, 1) == 1, 10000);
    b.server.stop();
    QTRY_COMPARE_WITH_TIMEOUT(b.cycle.activity(), ScanCycle::Activity::Idle, 5000);
    QTest::qWait(200);
    QCOMPARE(b.cycle.activity(), ScanCycle::Activity::Idle);
    QCOMPARE(b.prompts.messages.size(), 1);
    QCOMPARE(b.data->SensorAnalogue.at(1, 1), qint16(450));
    QCOMPARE(b.data->OkCount.at(1, 1), qint16(1));
}

void TestScanCycle::verificationFromScannedStatistics()
{
    Bench b;
    QVERIFY(b.started);
    b.cycle.start();
    QTRY_VERIFY_WITH_TIMEOUT(b.data->SensorReadCount.at(4, 1) == 1, 10000);
    b.cycle.halt();
    b.data->SensorReadCount.set(9, 1, 2); // one of two in range: exactly half
    b.data->OkCount.set(9, 1, 1);
    b.data->FaultCount.set(9, 1, 1);

    b.cycle.setMode(ScanMode::Modules);
    const FakeGrid::Button before = b.grid.at(1);
    b.cycle.verifyInstallation(); // modules: nothing at all, not even the question
    QVERIFY(b.prompts.questions.isEmpty());
    QCOMPARE(b.grid.at(1).caption, before.caption);

    b.cycle.setMode(ScanMode::Sensors);
    b.prompts.answers = {false}; // the verification goes on whatever the answer
    b.cycle.verifyInstallation();
    QCOMPARE(b.prompts.questions, QStringList {QStringLiteral("Stop|Fermare la comunicazione?")});
    QCOMPARE(b.grid.at(1).caption, QStringLiteral("N° 1\n 100%\n 0%\n 0%"));
    QCOMPARE(b.grid.at(1).colour, C::Green);
    QCOMPARE(b.grid.at(2).caption, QStringLiteral("N° 2\n 0%\n 0%\n 100%"));
    QCOMPARE(b.grid.at(2).colour, C::Red);
    QCOMPARE(b.grid.at(9).caption, QStringLiteral("N° 9\n 50%\n 0%\n 50%"));
    QCOMPARE(b.grid.at(9).colour, C::Red);
    QCOMPARE(b.grid.at(60).caption, QStringLiteral("N° 60\n 0%\n 0%\n 0%"));
    QCOMPARE(b.grid.at(60).colour, C::ButtonFace);
    QCOMPARE(b.grid.at(4).toolTip, QStringLiteral("N° 4 CONFLITTO INDIRIZZI")); // untouched
}

QTEST_GUILESS_MAIN(TestScanCycle)
#include "tst_scancycle.moc"
