// The session snapshot the autosave keeps: every table and counter back as it was, and a file
// cut short or damaged refused rather than half taken.
#include "link/Transport.h"
#include "storage/SessionSnapshot.h"

#include <QTest>

using namespace testloop;

namespace {

// A line that never opens: only there for the counters to listen to.
class Silent : public Transport
{
public:
    QString deviceName() const override { return {}; }
    bool isOpen() const override { return false; }
    bool findDevice() override { return false; }

protected:
    std::optional<PortFailure> openDevice() override { return PortFailure {}; }
    void closeDevice() override { }
    bool writeDevice(const QByteArray &) override { return false; }
};

} // namespace

class TestSession : public QObject
{
    Q_OBJECT
private slots:
    void roundTrip();
    void damagedSessionsAreRefused_data();
    void damagedSessionsAreRefused();

private:
    QByteArray busySession();
};

QByteArray TestSession::busySession()
{
    LoopData data;
    data.DeviceType.set(5, 2, QStringLiteral("KELVARO"));
    data.DeviceText.set(5, 2, QStringLiteral("UFFICIO è 5         "));
    data.SensorAnalogue.set(99, 1, -32768);
    data.FaultCount.set(3, 1, 32767);
    data.LastReadings[3].set(7, 2, 450);
    data.SensorHistogram.set(4000, 99, 2, 12);
    data.ModuleHistogram.set(0, 1, 1, 3);
    Silent line;
    CommunicationCounters counters(line);
    ExchangeEvent out
        = ExchangeEvent::now(ExchangeEvent::Kind::RequestOut, {ExchangeTag::Kind::Scan, 1, 4});
    line.report(out);
    line.report(ExchangeEvent::now(ExchangeEvent::Kind::TimedOut, out.tag));
    return writeSession(data, counters, QDateTime(QDate(2026, 12, 6), QTime(15, 0), Qt::UTC));
}

void TestSession::roundTrip()
{
    const QByteArray bytes = busySession();
    const std::optional<SessionSnapshot> read = readSession(bytes);
    QVERIFY(read.has_value());
    QCOMPARE(read->taken, QDateTime(QDate(2026, 12, 6), QTime(15, 0), Qt::UTC));
    QCOMPARE(read->data->DeviceText.at(5, 2), QStringLiteral("UFFICIO è 5         "));
    QCOMPARE(read->data->SensorHistogram.at(4000, 99, 2), qint16(12));
    QCOMPARE(read->counters[4].timeouts, 1);
    // Written again from what was read, the same bytes.
    Silent line;
    CommunicationCounters counters(line);
    QVERIFY(counters.restore(read->counters));
    QCOMPARE(writeSession(*read->data, counters, read->taken), bytes);
}

void TestSession::damagedSessionsAreRefused_data()
{
    QTest::addColumn<int>("cut"); // bytes cut from the end; -1 all
    QTest::addColumn<int>("flip"); // offset of a byte turned over; -1 none
    QTest::newRow("empty") << -1 << -1;
    QTest::newRow("cut by one byte") << 1 << -1;
    QTest::newRow("a byte of a table changed") << 0 << 100;
    QTest::newRow("the mark changed") << 0 << 0;
}

void TestSession::damagedSessionsAreRefused()
{
    QFETCH(int, cut);
    QFETCH(int, flip);
    QByteArray bytes = busySession();
    bytes.chop(cut < 0 ? bytes.size() : cut);
    if (flip >= 0)
        bytes[flip] = char(~bytes[flip]);
    QVERIFY(!readSession(bytes).has_value());
}

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
