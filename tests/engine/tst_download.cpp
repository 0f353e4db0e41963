// The configuration download against the in-process responder; the readings against an earlier
// visit's and the download's, the scan over unused addresses (buttons' drift: tst_readingsmenu).
#include "scan/CommunicationCounters.h"
#include "scan/ExpectedFound.h"
#include "scan/ReadingsComparison.h"
#include "tests/support/EngineBench.h"

#include <QSignalSpy>
#include <QTest>

using namespace testloop;
using namespace Qt::StringLiterals;
using namespace testsupport;
using Kind = ExchangeEvent::Kind;

class TestDownload : public QObject
{
    Q_OBJECT
private slots:
    void fullDownload();
    void unansweredRequestIsAskedAgain_data();
    void unansweredRequestIsAskedAgain();
    void lostLinkEndsTheDownload();
    void scanKeptRunningStopsWhenTheDownloadBegins();
    void driftsFromTwoVisits();
    void expectedAgainstFound();
    void scanPassesOverUnusedAddresses();
};

void TestDownload::fullDownload()
{
    EngineBench b;
    b.data->DeviceType.set(9, 1, u"KELVARO"_s);
    QSignalSpy started(&b.download, &ConfigurationDownload::started);
    QSignalSpy ended(&b.download, &ConfigurationDownload::ended);
    QSignalSpy progress(&b.download, &ConfigurationDownload::progressChanged);
    b.download.start();
    QCOMPARE(b.prompts.questions, QStringList {u"Stop|Fermare la comunicazione?"_s});
    QVERIFY(waitUntil([&] { return !b.download.isRunning(); }));

    QCOMPARE(b.asked(), addresses(1, 1, 99, 3) + addresses(2, 1, 99, 3));
    QCOMPARE(b.link.requests().first(), QByteArray("(j00DQBS1001)XZ"));
    QCOMPARE(progress.last().first().toInt(), ConfigurationDownload::ProgressMaximum);
    QCOMPARE(started.count(), 1);
    QCOMPARE(ended.count(), 1);
    QCOMPARE(b.prompts.messages.size(), 1);
    QCOMPARE(b.prompts.messages[0].text, u"Download completato"_s);
    QVERIFY(!b.shared.DownloadActive && b.link.isOpen()); // a finished one leaves the port open

    // What each reply holds is tst_protocol's; here, that it lands at its address.
    const LoopData &d = *b.data;
    QCOMPARE(d.DeviceType.at(5, 1), u"FIAMMA ULTRAVIOLETTI"_s);
    QCOMPARE(d.DeviceZone.at(5, 1), qint16(3));
    QCOMPARE(d.DeviceText.at(5, 1), u"UFFICIO 3            "_s);
    QCOMPARE(d.NotActivated.at(20, 1), qint16(1)); // status 2
    QCOMPARE(d.DeviceType.at(9, 1), u"KELVARO"_s); // unknown digit: kept
    QCOMPARE(d.DeviceType.at(60, 2), u"NON USATO"_s);

    // Test mode now knows which sensors take part.
    b.cycle.setMode(ScanMode::SensorTest);
    b.cycle.RefreshGrid(ScanCycle::RedrawSelectedLoop);
    QVERIFY(b.grid.at(5).visible);
    QVERIFY(!b.grid.at(20).visible);
    QCOMPARE(b.grid.at(5).toolTip,
             u"Sensore N° 5 Tipo:FIAMMA ULTRAVIOLETTI Zona: 3 <UFFICIO 3            >"_s);
}

// Twice no reply, or not whole: asked again. Twice one for the next address: stored there, and
// the download goes on after it. Aborted as the fifth request goes out: ended for good.
void TestDownload::unansweredRequestIsAskedAgain_data()
{
    QTest::addColumn<sim::Fault>("fault");
    QTest::addColumn<QString>("asked");
    const QString again = u"1.001 1.002 1.002 1.002 1.003"_s;
    QTest::newRow("silence") << sim::Fault::Silence << again;
    QTest::newRow("noise") << sim::Fault::Garbage << again;
    QTest::newRow("half a reply") << sim::Fault::Partial << again;
    QTest::newRow("other address")
        << sim::Fault::OtherAddress << u"1.001 1.002 1.004 1.006 1.007"_s;
}

void TestDownload::unansweredRequestIsAskedAgain()
{
    QFETCH(sim::Fault, fault);
    QFETCH(QString, asked);
    EngineBench b(shortTimings(20ms));
    for (const sim::Fault queued : {sim::Fault::None, fault, fault})
        b.link.queueFault(queued);
    b.atRequest(5, [&] { b.download.abort(); });
    b.download.start();
    QVERIFY(waitUntil([&] { return !b.download.isRunning(); }));
    QTest::qWait(100); // five resend times: an abort must leave nothing to ask again
    QCOMPARE(b.asked().join(u' '), asked);
    const int stored = fault == sim::Fault::OtherAddress ? 3 : 2;
    QCOMPARE(b.data->DeviceZone.at(stored, 1), qint16(1));
    QCOMPARE(b.data->DeviceType.at(stored, 1), u"AUTOMATICO"_s);
    QCOMPARE(b.data->DeviceType.at(5 - stored, 1), QString());
    QVERIFY(b.prompts.messages.isEmpty()); // no message for a silent panel, nor for the abort
    QVERIFY(!b.link.isOpen() && !b.shared.DownloadActive);
    QCOMPARE(b.download.progress(), ConfigurationDownload::ProgressMaximum);
}

void TestDownload::lostLinkEndsTheDownload()
{
    EngineBench b;
    QSignalSpy ended(&b.download, &ConfigurationDownload::ended);
    b.atRequest(10, [&] { b.link.unplug(); });
    b.download.start();
    QVERIFY(waitUntil([&] { return ended.count() == 1; }));
    QTest::qWait(50);
    QVERIFY(!b.download.isRunning() && !b.shared.DownloadActive);
    QCOMPARE(b.link.requests().size(), 10);
    QCOMPARE(b.data->DeviceType.at(9, 1), QString()); // asked, never answered
    QCOMPARE(b.data->DeviceType.at(8, 1), u"AUTOMATICO"_s);
}

void TestDownload::scanKeptRunningStopsWhenTheDownloadBegins()
{
    Timings timings = shortTimings();
    timings.downloadStartWait = timings.requestPause = 20ms;
    EngineBench b(timings);
    b.cycle.start();
    QVERIFY(waitUntil([&] { return b.scanRequests() >= 2; }));
    b.prompts.answers = {false}; // keep the scan running
    b.download.start();
    QVERIFY(b.cycle.isRunning()); // still running during the wait
    QVERIFY(waitUntil([&] { return !b.download.isRunning(); }));
    QVERIFY(!b.cycle.isRunning());
    QCOMPARE(b.eventCount(Kind::ReplyDiscarded), 0); // every download reply taken whole
    QCOMPARE(b.prompts.messages.last().text, u"Download completato"_s);
}

// Two visits with known differences at addresses 1..6 of loop 1.
void TestDownload::driftsFromTwoVisits()
{
    LoopData reference, current;
    const int before[] = {500, 500, 500, 500, 800, 0};
    const int now[] = {500, 650, 399, 600, 0, 250};
    for (int address = 1; address <= 6; ++address) {
        reference.SensorAnalogue.set(address, 1, qint16(before[address - 1]));
        current.SensorAnalogue.set(address, 1, qint16(now[address - 1]));
    }
    const QList<Drift> drifts
        = readingDrifts(current, reference, 1, DeviceSide::Sensor, DefaultDriftLimit);
    QCOMPARE(drifts.size(), 99);
    QStringList shown; // the address and its drift, * when marked; then the unchanged in order
    for (const Drift &d : drifts.mid(0, 7))
        shown += u"%1:%2%3"_s.arg(d.address).arg(d.drift).arg(d.marked ? u"*"_s : QString());
    QCOMPARE(shown, words("5:-800* 6:250* 2:150* 3:-101* 4:100 1:0 7:0"));
    QCOMPARE(std::ranges::count(drifts, true, &Drift::marked), 4);
    // A limit set higher marks less.
    QCOMPARE(readingDrift(current, reference, 1, 2, DeviceSide::Sensor, 200).marked, false);
    QCOMPARE(driftLine(-101), u"\u0394-101"_s);
    QCOMPARE(driftLine(150), u"\u0394+150"_s);
}

// After a download and a pass: a device removed at 1.30, one fitted where loop 2 had none.
void TestDownload::expectedAgainstFound()
{
    EngineBench b;
    CommunicationCounters counters(b.link);
    b.download.start();
    QVERIFY(waitUntil([&] { return !b.download.isRunning(); }));
    QVERIFY(!findingsReadiness(*b.data, counters, 1).passed);
    b.data->DeviceType.set(30, 1, u"AUTOMATICO"_s);
    b.data->DeviceText.set(30, 1, u"CORRIDOIO"_s);
    b.cycle.start();
    QVERIFY(b.scanFor(103));
    b.data->SensorAnalogue.set(30, 1, 0); // it stopped answering
    b.data->SensorCurrent.set(30, 1, 0);
    const FindingsReadiness ready = findingsReadiness(*b.data, counters, 1);
    QVERIFY(ready.downloaded && ready.passed);

    const QList<Finding> findings
        = testloop::expectedAgainstFound(*b.data, b.shared.settings, 1, DeviceSide::Sensor);
    QCOMPARE(findings.size(), 2);
    QCOMPARE(findings[0].kind, Finding::Kind::Conflict);
    QCOMPARE(findings[0].address, 7);
    QCOMPARE(findings[1].kind, Finding::Kind::NeverRead);
    QCOMPARE(findings[1].text, u"Indirizzo 30 (AUTOMATICO) \"CORRIDOIO\": atteso, mai letto"_s);

    b.data->SensorAnalogue.set(70, 2, 450);
    b.data->SensorCurrent.set(70, 2, 15);
    const QList<Finding> second
        = testloop::expectedAgainstFound(*b.data, b.shared.settings, 2, DeviceSide::Sensor);
    QCOMPARE(std::ranges::count(second, Finding::Kind::Unexpected, &Finding::kind), 1);
    QCOMPARE(second.last().kind, Finding::Kind::Unexpected);
    QCOMPARE(second.last().address, 70);
}

void TestDownload::scanPassesOverUnusedAddresses()
{
    EngineBench b;
    b.download.start();
    QVERIFY(waitUntil([&] { return !b.download.isRunning(); }));
    b.cycle.setSkipUnused(true);
    b.cycle.RefreshGrid(2); // loop 2: sensors at 1..50 only
    QCOMPARE(b.grid.at(51).caption, u"assente"_s);
    QCOMPARE(b.grid.at(50).caption, u"N 50\nVA0\n[0] "_s);
    b.cycle.start();
    QVERIFY(b.scanFor(52));
    QCOMPARE(b.asked().mid(198), addresses(2, 1, 50) + words("2.01 2.02")); // after the download
    QCOMPARE(b.cycle.passNumber(), 2);

    // With the whole loop unused there is nothing to ask.
    for (int address = 1; address <= 50; ++address)
        b.data->DeviceType.set(address, 2, UnusedType);
    const qsizetype asking = b.link.requests().size();
    b.cycle.start();
    QVERIFY(waitUntil([&] { return !b.cycle.isRunning(); }));
    QCOMPARE(b.link.requests().size(), asking);
    QCOMPARE(b.prompts.messages.last().text, u"nessun indirizzo configurato su questo loop"_s);
}

QTEST_GUILESS_MAIN(TestDownload)
#include "tst_download.moc"
