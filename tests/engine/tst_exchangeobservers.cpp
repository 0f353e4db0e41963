// What listens to the exchange without touching it: the communication counters and the
// traffic log, fed by a scan against the simulator's responder.
#include "link/TrafficLog.h"
#include "scan/CommunicationCounters.h"
#include "tests/support/EngineBench.h"

#include <QTest>

using namespace testloop;
using namespace testsupport;
using Kind = ExchangeEvent::Kind;

class TestExchangeObservers : public QObject
{
    Q_OBJECT
private slots:
    void countersPerAddress();
    void trafficLines_data();
    void trafficLines();
    void trafficIsBounded();
    void scanSummary_data();
    void scanSummary();
};

// Address 1 answers at once; address 2 first from the other loop, then not at all, then
// with noise, then cleanly; the faulty sensor at 6 is read three times. The scan stops as the
// request for 7 goes out.
void TestExchangeObservers::countersPerAddress()
{
    EngineBench b(shortTimings(20ms));
    CommunicationCounters counters(b.link);
    b.link.queueFault(sim::Fault::None);
    b.link.queueFault(sim::Fault::OtherLoop);
    b.link.queueFault(sim::Fault::Silence);
    b.link.queueFault(sim::Fault::Garbage);
    b.cycle.start();
    QVERIFY(b.scanFor(12));

    const AddressCounters &first = counters.at(1, 1);
    QCOMPARE(first.requests, 1);
    QCOMPARE(first.validReplies, 1);
    QVERIFY(first.lastResponseMs >= 0 && first.meanResponseMs() == first.lastResponseMs);

    const AddressCounters &second = counters.at(2, 1);
    QCOMPARE(second.requests, 4);
    QCOMPARE(second.validReplies, 1);
    QCOMPARE(second.timeouts, 1);
    QCOMPARE(second.discarded[std::size_t(DiscardReason::OtherLoop)], 1);
    QCOMPARE(second.discarded[std::size_t(DiscardReason::Garbled)], 1);
    QCOMPARE(second.validPercent(), 25.0);

    const AddressCounters &faulty = counters.at(6, 1);
    QCOMPARE(faulty.requests, 3);
    QCOMPARE(faulty.validReplies, 3);
    QCOMPARE(faulty.reReads, 2);

    const AddressCounters total = counters.loopTotal(1);
    QCOMPARE(total.requests, 12); // the last one went out as the scan stopped
    QCOMPARE(total.validReplies, 8);
    QCOMPARE(counters.at(1, 2).requests, 0);
}

void TestExchangeObservers::trafficLines_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("line"); // after the time

    const auto row = [](const char *name, Kind kind, const QByteArray &bytes, const QString &line) {
        QTest::newRow(name) << int(kind) << bytes << line;
    };
    row("reply with control bytes", Kind::ReplyIn, QByteArray("(j0\r\n\0\\\xe8", 8),
        QStringLiteral("  ←  (j0\\x0D\\x0A\\x00\\x5C\\xE8"));
    row("time-out", Kind::TimedOut, {},
        QStringLiteral("  !  nessuna risposta in tempo (loop 1, indirizzo 7)"));
    row("discarded", Kind::ReplyDiscarded, "(j00",
        QStringLiteral("  ×  risposta scartata (non valida): (j00"));
    row("link back", Kind::LinkBack, {},
        QStringLiteral("     collegamento ripristinato su /dev/ttyUSB0"));
    row("accepted: no line of its own", Kind::ReplyAccepted, {}, QString());
}

void TestExchangeObservers::trafficLines()
{
    QFETCH(int, kind);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, line);
    ExchangeEvent event = ExchangeEvent::now(Kind(kind), {ExchangeTag::Kind::Scan, 1, 7});
    event.bytes = bytes;
    event.device = QStringLiteral("/dev/ttyUSB0");
    event.time = QDateTime(QDate(2026, 12, 6), QTime(14, 3, 22, 517));
    const QString formatted = TrafficLog::format(event);
    QCOMPARE(formatted.isEmpty(), line.isEmpty());
    if (!line.isEmpty())
        QCOMPARE(formatted, QStringLiteral("14:03:22.517") + line);
}

// A pass over a loop makes far more events than the log keeps: the oldest are dropped and
// counted, the newest kept in order.
void TestExchangeObservers::trafficIsBounded()
{
    EngineBench b;
    TrafficLog log(b.link);
    b.cycle.start();
    QVERIFY(b.scanFor(2600)); // about four lines an exchange
    QCOMPARE(log.size(), TrafficLog::Capacity);
    QVERIFY(log.dropped() > 0);
    QCOMPARE(log.recorded(), log.dropped() + quint64(log.size()));
    // The last request, then the port closed by the stop.
    QVERIFY(log.line(log.size() - 2).contains(QStringLiteral("  →  (j006AQ1")));
    QVERIFY(log.line(log.size() - 1).endsWith(QStringLiteral("porta simulatore chiusa")));
    log.clear();
    QCOMPARE(log.size(), 0);
    QCOMPARE(log.dropped(), quint64(0));
}

void TestExchangeObservers::scanSummary_data()
{
    QTest::addColumn<int>("pass");
    QTest::addColumn<double>("lastPass");
    QTest::addColumn<int>("requests");
    QTest::addColumn<int>("valid");
    QTest::addColumn<QString>("text");
    QTest::newRow("before any reply")
        << 1 << 0.0 << 0 << 0 << QStringLiteral("Loop 2 · indirizzo 7/99 · giro 1");
    // The first pass, with its share of valid replies, is in tst_fieldtools.
    QTest::newRow("later pass") << 3 << 53.94 << 300 << 300
                                << QStringLiteral("Loop 2 · indirizzo 7/99 · giro 3 · ultimo giro "
                                                  "53,9 s · risposte valide 100,0 %");
}

void TestExchangeObservers::scanSummary()
{
    QFETCH(int, pass);
    QFETCH(double, lastPass);
    QFETCH(int, requests);
    QFETCH(int, valid);
    AddressCounters total;
    total.requests = requests;
    total.validReplies = valid;
    QTEST(scanSummaryText(2, 7, pass, lastPass, total), "text");
}

QTEST_GUILESS_MAIN(TestExchangeObservers)
#include "tst_exchangeobservers.moc"
