// The per-address tables: the limits of the data model, the reset and the ring of readings.
#include "loopdata/LoopTables.h"

#include <QTest>

#include <memory>

using namespace testloop;

class TestLoopTables : public QObject
{
    Q_OBJECT
private slots:
    void writesOutsideTheTablesAreRefused_data();
    void writesOutsideTheTablesAreRefused();
    void countsSaturate();
    void histogramLimits_data();
    void histogramLimits();
    void resetClearsReadingsButKeepsRingAndBinZero();
    void ringOfLastReadings();
};

void TestLoopTables::writesOutsideTheTablesAreRefused_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("loop");
    QTest::addColumn<bool>("inside");
    QTest::newRow("address 0") << 0 << 1 << true;
    QTest::newRow("address 100") << 100 << 2 << true;
    QTest::newRow("loop 0") << 5 << 0 << true;
    QTest::newRow("address 101") << 101 << 1 << false;
    QTest::newRow("address -1") << -1 << 1 << false;
    QTest::newRow("loop 3") << 5 << 3 << false;
}

void TestLoopTables::writesOutsideTheTablesAreRefused()
{
    QFETCH(int, address);
    QFETCH(int, loop);
    QFETCH(bool, inside);
    const auto data = std::make_unique<LoopData>();
    QCOMPARE(data->SensorAnalogue.set(address, loop, 450), inside);
    QCOMPARE(data->SensorAnalogue.at(address, loop), inside ? qint16(450) : qint16(0));
    QCOMPARE(data->FaultCount.increment(address, loop), inside);
    QCOMPARE(data->SensorHistogram.add(450, address, loop), inside);
    QCOMPARE(data->pushLastReading(address, loop, 450), inside);
    QCOMPARE(data->DeviceType.set(address, loop, QStringLiteral("KELVARO")), inside);
}

void TestLoopTables::countsSaturate()
{
    const auto data = std::make_unique<LoopData>();
    data->SensorReadCount.set(3, 1, 32766);
    QVERIFY(data->SensorReadCount.increment(3, 1));
    QVERIFY(data->SensorReadCount.increment(3, 1));
    QCOMPARE(data->SensorReadCount.at(3, 1), qint16(32767));
    data->ModuleHistogram.set(100, 3, 1, 32767);
    QVERIFY(data->ModuleHistogram.add(100, 3, 1));
    QCOMPARE(data->ModuleHistogram.at(100, 3, 1), qint16(32767));
}

void TestLoopTables::histogramLimits_data()
{
    QTest::addColumn<int>("reading");
    QTest::addColumn<bool>("counted");
    QTest::newRow("0") << 0 << true;
    QTest::newRow("4000, a received 400") << 4000 << true;
    QTest::newRow("4010, a received 401") << 4010 << false;
    QTest::newRow("negative") << -10 << false;
}

void TestLoopTables::histogramLimits()
{
    QFETCH(int, reading);
    QFETCH(bool, counted);
    const auto data = std::make_unique<LoopData>();
    QCOMPARE(data->SensorHistogram.add(reading, 12, 1), counted);
    QCOMPARE(data->SensorHistogram.at(reading, 12, 1), counted ? qint16(1) : qint16(0));
    // Nothing spilled into the neighbouring addresses.
    QCOMPARE(data->SensorHistogram.at(0, 13, 1), qint16(0));
    QCOMPARE(data->SensorHistogram.at(4000, 11, 1), qint16(0));
}

void TestLoopTables::resetClearsReadingsButKeepsRingAndBinZero()
{
    const auto data = std::make_unique<LoopData>();
    data->SensorAnalogue.set(5, 1, 450);
    data->ModuleCurrent.set(5, 2, 30);
    data->OkCount.increment(5, 1);
    data->FaultCount.increment(99, 2);
    data->pushLastReading(5, 1, 450);
    data->DeviceType.set(5, 2, QStringLiteral("KELVARO"));
    data->NotActivated.set(5, 2, 1);
    data->SensorHistogram.add(0, 5, 1);
    data->SensorHistogram.add(4000, 5, 1);
    data->ModuleHistogram.add(1, 99, 2);
    data->SensorAnalogue.set(100, 1, 77); // never shown, never cleared
    data->clearReadings();
    QCOMPARE(data->SensorAnalogue.at(5, 1), qint16(0));
    QCOMPARE(data->ModuleCurrent.at(5, 2), qint16(0));
    QCOMPARE(data->OkCount.at(5, 1), qint16(0));
    QCOMPARE(data->FaultCount.at(99, 2), qint16(0));
    QCOMPARE(data->LastReadings[1].at(5, 1), qint16(0));
    QVERIFY(data->DeviceType.at(5, 2).isEmpty());
    QCOMPARE(data->NotActivated.at(5, 2), qint16(0));
    QCOMPARE(data->SensorHistogram.at(4000, 5, 1), qint16(0));
    QCOMPARE(data->ModuleHistogram.at(1, 99, 2), qint16(0));
    QCOMPARE(data->SensorHistogram.at(0, 5, 1), qint16(1));
    QCOMPARE(data->RingSlot.at(5, 1), qint16(1));
    QCOMPARE(data->SensorAnalogue.at(100, 1), qint16(77));
}

void TestLoopTables::ringOfLastReadings()
{
    const auto data = std::make_unique<LoopData>();
    QList<qint16> seen;
    for (const qint16 reading : {100, 200, 300, 400}) {
        data->pushLastReading(9, 1, reading);
        seen.append(data->RingSlot.at(9, 1));
    }
    QCOMPARE(seen, (QList<qint16> {1, 2, 3, 1}));
    QCOMPARE(data->LastReadings[1].at(9, 1), qint16(400));
    QCOMPARE(data->LastReadings[2].at(9, 1), qint16(200));
    QCOMPARE(data->LastReadings[3].at(9, 1), qint16(300));
    QCOMPARE(data->LastReadings[0].at(9, 1), qint16(0));

    // A slot loaded from a file that is out of the ring starts it again at 1.
    data->RingSlot.set(9, 1, -4);
    data->pushLastReading(9, 1, 500);
    QCOMPARE(data->RingSlot.at(9, 1), qint16(1));
    QCOMPARE(data->LastReadings[1].at(9, 1), qint16(500));
}

QTEST_GUILESS_MAIN(TestLoopTables)
#include "tst_looptables.moc"
