// A port that goes away and comes back: in the same process with the simulator's responder
// unplugged and plugged in again, and over a real pseudo-terminal with panelsim killed and
// started again on the same link.
#include "link/SerialLink.h"
#include "scan/CommunicationCounters.h"
#include "scan/LinkRecovery.h"
#include "tests/support/EngineBench.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace testloop;
using namespace testsupport;
using Kind = ExchangeEvent::Kind;

namespace {

Timings recoveryTimings()
{
    Timings timings = shortTimings();
    timings.deviceCheck = 5ms;
    return timings;
}

} // namespace

class TestLinkRecovery : public QObject
{
    Q_OBJECT
private slots:
    void scanResumesWhereItStopped();
    void stopEndsTheWatching();
    void downloadMayStartAgain();
    void panelKilledAndStartedAgain();
};

void TestLinkRecovery::scanResumesWhereItStopped()
{
    EngineBench b(recoveryTimings());
    LinkRecovery recovery(b.link, b.cycle, b.download, recoveryTimings());
    QSignalSpy watching(&recovery, &LinkRecovery::watching);
    QSignalSpy returned(&recovery, &LinkRecovery::returned);
    b.atRequest(5, [&] { b.link.unplug(); }); // the request for address 5
    b.cycle.start();
    QVERIFY(waitUntil([&] { return recovery.isWatching(); }));
    QCOMPARE(b.cycle.interruptedAt(), std::optional<int>(5));
    QCOMPARE(b.cycle.statusText(),
             QStringLiteral("Scansione fermata: collegamento con la centrale perso"));
    QTest::qWait(50); // several checks find nothing, and nothing is sent
    QCOMPARE(b.scanRequests(), 5);
    QCOMPARE(watching.count(), 1);

    b.link.plugIn();
    QVERIFY(b.scanFor(8));
    QCOMPARE(returned.count(), 1);
    QVERIFY(!recovery.isWatching());
    // 5 again, then the faulty sensor at 6 read again as usual.
    QCOMPARE(b.asked(), addresses(1, 1, 5) + words("1.05 1.06 1.06"));
    QCOMPARE(b.data->SensorReadCount.at(4, 1), qint16(1)); // read before the loss, kept
    QCOMPARE(b.data->SensorReadCount.at(5, 1), qint16(1));
    QCOMPARE(b.eventCount(Kind::LinkBack), 1);
    QVERIFY(b.prompts.messages.isEmpty()); // telling of the loss is the window's part
}

void TestLinkRecovery::stopEndsTheWatching()
{
    EngineBench b(recoveryTimings());
    LinkRecovery recovery(b.link, b.cycle, b.download, recoveryTimings());
    QSignalSpy gaveUp(&recovery, &LinkRecovery::gaveUp);
    b.atRequest(3, [&] { b.link.unplug(); });
    b.cycle.start();
    QVERIFY(waitUntil([&] { return recovery.isWatching(); }));
    QVERIFY(b.cycle.askToStop());
    QVERIFY(waitUntil([&] { return !recovery.isWatching(); }));
    QCOMPARE(gaveUp.count(), 1);
    b.link.plugIn();
    QTest::qWait(50);
    QCOMPARE(b.scanRequests(), 3);
    QVERIFY(!b.cycle.isRunning());
}

void TestLinkRecovery::downloadMayStartAgain()
{
    EngineBench b(recoveryTimings());
    LinkRecovery recovery(b.link, b.cycle, b.download, recoveryTimings());
    QSignalSpy mayRestart(&recovery, &LinkRecovery::downloadMayRestart);
    b.atRequest(30, [&] { b.link.unplug(); });
    b.download.start();
    QVERIFY(waitUntil([&] { return recovery.isWatching(); }));
    QVERIFY(!b.download.isRunning());
    QVERIFY(b.download.wasInterrupted());
    b.link.plugIn();
    QVERIFY(waitUntil([&] { return mayRestart.count() == 1; }));
    QVERIFY(!b.download.isRunning()); // starting again is the user's choice
    b.download.restart();
    QVERIFY(waitUntil([&] { return !b.download.isRunning(); }));
    QCOMPARE(b.prompts.messages.last().text, QStringLiteral("Download completato"));
    QCOMPARE(b.link.requests().size(), 30 + 198);
}

// panelsim killed twenty times during a scan and started again on the same link path: after
// each return the scan goes on at the address it was asking, every request but the lost ones
// gets its reply, and each loss is reported once.
void TestLinkRecovery::panelKilledAndStartedAgain()
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("centrale"));
    QProcess panel;
    const auto startPanel = [&] {
        panel.start(QStringLiteral(PANELSIM_PATH),
                    {QStringLiteral("--link"), link, QStringLiteral("--reply-delay-ms"),
                     QStringLiteral("0")});
        return panel.waitForReadyRead(10000)
            && panel.readAllStandardOutput().startsWith("panelsim: serving on ");
    };
    QVERIFY(startPanel());

    Timings timings = recoveryTimings();
    timings.requestPause = 1ms;
    SharedState shared;
    auto data = std::make_unique<LoopData>();
    FakeGrid grid;
    FakePrompts prompts;
    SerialLink serial;
    serial.setPortOverride(link);
    ScanCycle cycle(shared, *data, serial, grid, prompts, timings);
    ConfigurationDownload download(shared, *data, serial, cycle, prompts, timings);
    LinkRecovery recovery(serial, cycle, download, timings);
    CommunicationCounters counters(serial);
    QList<ExchangeEvent> events;
    connect(&serial, &Transport::exchangeEvent, this,
            [&](const ExchangeEvent &event) { events.append(event); });
    const auto count = [&](Kind kind, qsizetype from = 0) {
        return std::count_if(events.cbegin() + from, events.cend(),
                             [kind](const auto &e) { return e.kind == kind; });
    };

    cycle.start();
    constexpr int Pulls = 20;
    QList<int> lostAt;
    for (int pull = 0; pull < Pulls; ++pull) {
        const qsizetype before = events.size();
        QVERIFY(waitUntil([&] { return count(Kind::ReplyAccepted, before) >= 7; }));
        panel.kill();
        QVERIFY(panel.waitForFinished(5000));
        QVERIFY(waitUntil([&] { return recovery.isWatching(); }));
        lostAt.append(*cycle.interruptedAt());
        QVERIFY(startPanel());
        QVERIFY(waitUntil([&] { return cycle.isRunning() && !recovery.isWatching(); }));
    }
    QVERIFY(waitUntil([&] { return count(Kind::LinkBack) == Pulls; }));
    QVERIFY(waitUntil([&] { return counters.loopTotal(1).validReplies > 7 * Pulls + 3; }));
    cycle.halt();
    panel.kill();
    panel.waitForFinished(5000);

    // One loss reported per pull: lost while open, or found missing at the next opening.
    QCOMPARE(count(Kind::LinkLost) + count(Kind::PortFailed), Pulls);
    // After each return, the first request is for the address the scan was asking.
    int back = 0;
    for (qsizetype i = 0; i < events.size(); ++i) {
        if (events[i].kind != Kind::LinkBack)
            continue;
        const auto next = std::find_if(events.cbegin() + i, events.cend(),
                                       [](const auto &e) { return e.kind == Kind::RequestOut; });
        QVERIFY(next != events.cend());
        QCOMPARE(next->tag.address, lostAt[back++]);
    }
    // Requests and replies alternate: no request goes out twice for one wait.
    bool awaiting = false;
    for (const ExchangeEvent &e : std::as_const(events)) {
        if (e.kind == Kind::RequestOut) {
            QVERIFY2(!awaiting, "two requests without a reply between them");
            awaiting = true;
        } else if (e.kind == Kind::ReplyIn || e.kind == Kind::LinkLost
                   || e.kind == Kind::TimedOut) {
            awaiting = false;
        }
    }
    // Every reading taken is in the tables: the counters and the statistics agree.
    int read = 0;
    for (int address = 1; address <= 99; ++address)
        read += data->SensorReadCount.at(address, 1);
    const AddressCounters total = counters.loopTotal(1);
    QCOMPARE(read, total.validReplies - total.reReads);
    QVERIFY(prompts.messages.isEmpty());
}

QTEST_GUILESS_MAIN(TestLinkRecovery)
#include "tst_linkrecovery.moc"
