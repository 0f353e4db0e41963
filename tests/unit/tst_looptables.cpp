// The per-address tables: the limits of the data model, the reset and the ring of readings; and
// the session snapshot the autosave keeps, a damaged one refused rather than half taken.
#include "link/SerialLink.h"
#include "loopdata/LoopTables.h"
#include "storage/SessionSnapshot.h"

#include <QTest>

#include <memory>

using namespace testloop;
using namespace Qt::StringLiterals;

class TestLoopTables : public QObject
{
    Q_OBJECT
private slots:
    void writesOutsideTheTablesAreRefused_data();
    void writesOutsideTheTablesAreRefused();
    void countsSaturate();
    void resetClearsReadingsButKeepsRingAndBinZero();
    void ringOfLastReadings();
    void sessionRoundTrip();
    void damagedSessionsAreRefused();

private:
    QByteArray busySession();
    SerialLink m_line; // never opened: only there for the counters to listen to
};

void TestLoopTables::writesOutsideTheTablesAreRefused_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("loop");
    QTest::addColumn<int>("reading"); // a histogram bin
    QTest::addColumn<bool>("inside");
    QTest::addColumn<bool>("counted"); // by the histogram
    QTest::newRow("address 0, reading 0") << 0 << 1 << 0 << true << true;
    QTest::newRow("address 100, reading 4000 (a received 400)") << 100 << 2 << 4000 << true << true;
    QTest::newRow("loop 0") << 5 << 0 << 450 << true << true;
    QTest::newRow("reading 4010") << 12 << 1 << 4010 << true << false;
    QTest::newRow("negative reading") << 12 << 1 << -10 << true << false;
    QTest::newRow("address 101") << 101 << 1 << 450 << false << false;
    QTest::newRow("address -1") << -1 << 1 << 450 << false << false;
    QTest::newRow("loop 3") << 5 << 3 << 450 << false << false;
}

void TestLoopTables::writesOutsideTheTablesAreRefused()
{
    QFETCH(int, address);
    QFETCH(int, loop);
    QFETCH(int, reading);
    QFETCH(bool, inside);
    QFETCH(bool, counted);
    const auto data = std::make_unique<LoopData>();
    QCOMPARE(data->SensorAnalogue.set(address, loop, 450), inside);
    QCOMPARE(data->SensorAnalogue.at(address, loop), inside ? qint16(450) : qint16(0));
    QCOMPARE(data->FaultCount.increment(address, loop), inside);
    QCOMPARE(data->pushLastReading(address, loop, 450), inside);
    QCOMPARE(data->DeviceType.set(address, loop, u"KELVARO"_s), inside);
    QCOMPARE(data->SensorHistogram.add(reading, address, loop), counted);
    QCOMPARE(data->SensorHistogram.at(reading, address, loop), qint16(counted));
    // Nothing spilled into the neighbouring addresses.
    QCOMPARE(data->SensorHistogram.at(reading, address + 1, loop), qint16(0));
    QCOMPARE(data->SensorHistogram.at(reading, address - 1, loop), qint16(0));
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

void TestLoopTables::resetClearsReadingsButKeepsRingAndBinZero()
{
    const auto data = std::make_unique<LoopData>();
    data->SensorAnalogue.set(5, 1, 450);
    data->ModuleCurrent.set(5, 2, 30);
    data->OkCount.increment(5, 1);
    data->FaultCount.increment(99, 2);
    data->pushLastReading(5, 1, 450);
    data->DeviceType.set(5, 2, u"KELVARO"_s);
    data->NotActivated.set(5, 2, 1);
    data->SensorHistogram.add(0, 5, 1);
    data->SensorHistogram.add(4000, 5, 1);
    data->ModuleHistogram.add(1, 99, 2);
    data->SensorAnalogue.set(100, 1, 77);
    data->clearReadings();
    const LoopData &d = *data;
    QCOMPARE(
        (QList<int> {d.SensorAnalogue.at(5, 1), d.ModuleCurrent.at(5, 2), d.OkCount.at(5, 1),
                     d.FaultCount.at(99, 2), d.LastReadings[1].at(5, 1), d.NotActivated.at(5, 2),
                     d.SensorHistogram.at(4000, 5, 1), d.ModuleHistogram.at(1, 99, 2)}),
        QList<int>(8, 0));
    QVERIFY(d.DeviceType.at(5, 2).isEmpty());
    // Kept: bin 0 of the distribution, the ring's slot, what lies beyond the shown addresses.
    QCOMPARE((QList<int> {d.SensorHistogram.at(0, 5, 1), d.RingSlot.at(5, 1),
                          d.SensorAnalogue.at(100, 1)}),
             (QList<int> {1, 1, 77}));
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
    QCOMPARE((QList<int> {data->LastReadings[0].at(9, 1), data->LastReadings[1].at(9, 1),
                          data->LastReadings[2].at(9, 1), data->LastReadings[3].at(9, 1)}),
             (QList<int> {0, 400, 200, 300}));

    // A slot loaded from a file that is out of the ring starts it again at 1.
    data->RingSlot.set(9, 1, -4);
    data->pushLastReading(9, 1, 500);
    QCOMPARE(data->RingSlot.at(9, 1), qint16(1));
    QCOMPARE(data->LastReadings[1].at(9, 1), qint16(500));
}

QByteArray TestLoopTables::busySession()
{
    LoopData data;
    data.DeviceType.set(5, 2, u"KELVARO"_s);
    data.DeviceText.set(5, 2, u"UFFICIO è 5         "_s);
    data.SensorAnalogue.set(99, 1, -32768);
    data.FaultCount.set(3, 1, 32767);
    data.LastReadings[3].set(7, 2, 450);
    data.SensorHistogram.set(4000, 99, 2, 12);
    data.ModuleHistogram.set(0, 1, 1, 3);
    CommunicationCounters counters(m_line);
    const ExchangeTag tag {ExchangeTag::Kind::Scan, 1, 4};
    m_line.report(ExchangeEvent::now(ExchangeEvent::Kind::RequestOut, tag));
    m_line.report(ExchangeEvent::now(ExchangeEvent::Kind::TimedOut, tag));
    return writeSession(data, counters, QDateTime(QDate(2026, 12, 6), QTime(15, 0), Qt::UTC));
}

void TestLoopTables::sessionRoundTrip()
{
    const QByteArray bytes = busySession();
    const std::optional<SessionSnapshot> read = readSession(bytes);
    QVERIFY(read.has_value());
    QCOMPARE(read->taken, QDateTime(QDate(2026, 12, 6), QTime(15, 0), Qt::UTC));
    QCOMPARE(read->data->DeviceText.at(5, 2), u"UFFICIO è 5         "_s);
    QCOMPARE(read->data->SensorHistogram.at(4000, 99, 2), qint16(12));
    QCOMPARE(read->counters[4].timeouts, 1);
    // Written again from what was read, the same bytes.
    CommunicationCounters counters(m_line);
    QVERIFY(counters.restore(read->counters));
    QCOMPARE(writeSession(*read->data, counters, read->taken), bytes);
}

void TestLoopTables::damagedSessionsAreRefused()
{
    const QByteArray bytes = busySession();
    QVERIFY(!readSession({}).has_value());
    QVERIFY(!readSession(bytes.chopped(1)).has_value());
    for (const int flip : {0, 100}) { // the mark, a byte of a table
        QByteArray damaged = bytes;
        damaged[flip] = char(~damaged[flip]);
        QVERIFY(!readSession(damaged).has_value());
    }
}

QTEST_GUILESS_MAIN(TestLoopTables)
#include "tst_looptables.moc"
