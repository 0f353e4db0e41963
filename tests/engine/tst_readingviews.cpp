// The readings seen against something else: an earlier visit's readings, and what the
// panel's configuration expects; and the scan passing over the addresses the download found
// unused. The drift on the buttons is the window tests' (tst_readingsmenu).
#include "scan/CommunicationCounters.h"
#include "scan/ExpectedFound.h"
#include "scan/ReadingsComparison.h"
#include "tests/support/EngineBench.h"

#include <QTest>

using namespace testloop;
using namespace testsupport;

class TestReadingViews : public QObject
{
    Q_OBJECT
private slots:
    void driftsFromTwoVisits();
    void expectedAgainstFound();
    void scanPassesOverUnusedAddresses();
};

// Two visits with known differences at addresses 1..6 of loop 1: the marks and the order of
// the list are exactly the ones the differences give.
void TestReadingViews::driftsFromTwoVisits()
{
    LoopData reference;
    LoopData current;
    const int before[] = {500, 500, 500, 500, 800, 0};
    const int now[] = {500, 650, 399, 600, 0, 250};
    for (int address = 1; address <= 6; ++address) {
        reference.SensorAnalogue.set(address, 1, qint16(before[address - 1]));
        current.SensorAnalogue.set(address, 1, qint16(now[address - 1]));
    }
    const QList<Drift> drifts
        = readingDrifts(current, reference, 1, DeviceSide::Sensor, DefaultDriftLimit);
    QCOMPARE(drifts.size(), 99);
    const QList<std::tuple<int, int, bool>> expected = {
        {5, -800, true}, {6, 250, true}, {2, 150, true}, {3, -101, true},
        {4, 100, false}, {1, 0, false},  {7, 0, false}, // then the unchanged addresses in order
    };
    for (qsizetype i = 0; i < expected.size(); ++i) {
        const auto &[address, drift, marked] = expected[i];
        QCOMPARE(drifts[i].address, address);
        QCOMPARE(drifts[i].drift, drift);
        QCOMPARE(drifts[i].marked, marked);
    }
    QCOMPARE(std::count_if(drifts.cbegin(), drifts.cend(), [](const Drift &d) { return d.marked; }),
             4);
    // A limit set higher marks less.
    QCOMPARE(readingDrift(current, reference, 1, 2, DeviceSide::Sensor, 200).marked, false);
    QCOMPARE(driftLine(-101), QStringLiteral("\u0394-101"));
    QCOMPARE(driftLine(150), QStringLiteral("\u0394+150"));
}

// After a download and a pass over loop 1, with two changes to the installation since the
// download: a device removed at 30, one fitted at an address the download found unused (loop 2).
void TestReadingViews::expectedAgainstFound()
{
    EngineBench b;
    CommunicationCounters counters(b.link);
    b.download.start();
    QVERIFY(waitUntil([&] { return !b.download.isRunning(); }));
    QVERIFY(!findingsReadiness(*b.data, counters, 1).passed);
    b.data->DeviceType.set(30, 1, QStringLiteral("AUTOMATICO"));
    b.data->DeviceText.set(30, 1, QStringLiteral("CORRIDOIO"));
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
    QCOMPARE(findings[1].text,
             QStringLiteral("Indirizzo 30 (AUTOMATICO) \"CORRIDOIO\": atteso, mai letto"));

    // Loop 2: a reading where the download lists nothing.
    b.data->SensorAnalogue.set(70, 2, 450);
    b.data->SensorCurrent.set(70, 2, 15);
    const QList<Finding> second
        = testloop::expectedAgainstFound(*b.data, b.shared.settings, 2, DeviceSide::Sensor);
    QCOMPARE(std::count_if(second.cbegin(), second.cend(),
                           [](const Finding &f) { return f.kind == Finding::Kind::Unexpected; }),
             1);
    QCOMPARE(second.last().kind, Finding::Kind::Unexpected);
    QCOMPARE(second.last().address, 70);
}

void TestReadingViews::scanPassesOverUnusedAddresses()
{
    EngineBench b;
    b.download.start();
    QVERIFY(waitUntil([&] { return !b.download.isRunning(); }));
    b.cycle.setSkipUnused(true);
    b.cycle.RefreshGrid(2); // loop 2: sensors at 1..50 only
    QCOMPARE(b.grid.at(51).caption, QStringLiteral("assente"));
    QCOMPARE(b.grid.at(50).caption, QStringLiteral("N 50\nVA0\n[0] "));
    b.cycle.start();
    QVERIFY(b.scanFor(52));
    const QStringList asked = b.asked().mid(198); // after the download's requests
    QCOMPARE(asked.mid(0, 50), addresses(2, 1, 50));
    QCOMPARE(asked.mid(50), (QStringList {QStringLiteral("2.01"), QStringLiteral("2.02")}));
    QCOMPARE(b.cycle.passNumber(), 2);

    // With the whole loop unused there is nothing to ask.
    for (int address = 1; address <= 50; ++address)
        b.data->DeviceType.set(address, 2, UnusedType);
    const qsizetype asking = b.link.requests().size();
    b.cycle.start();
    QVERIFY(waitUntil([&] { return !b.cycle.isRunning(); }));
    QCOMPARE(b.link.requests().size(), asking);
    QCOMPARE(b.prompts.messages.last().text,
             QStringLiteral("nessun indirizzo configurato su questo loop"));
}

QTEST_GUILESS_MAIN(TestReadingViews)
#include "tst_readingviews.moc"
