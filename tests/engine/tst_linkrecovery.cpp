// A port that goes away and comes back: the in-process responder unplugged and plugged in
// again, and panelsim killed and started again on the same link over a real pseudo-terminal.
#include "link/SerialLink.h"
#include "scan/CommunicationCounters.h"
#include "scan/LinkRecovery.h"
#include "tests/support/EngineBench.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace testloop;
using namespace Qt::StringLiterals;
using namespace testsupport;
using Kind = ExchangeEvent::Kind;

const Timings RecoveryTimings = [] {
    Timings timings = shortTimings();
    timings.deviceCheck = 5ms;
    return timings;
}();

class TestLinkRecovery : public QObject
{
    Q_OBJECT
private slots:
    void scanResumesWhereItStopped_data();
    void scanResumesWhereItStopped();
    void stopEndsTheWatching();
    void downloadMayStartAgain_data();
    void downloadMayStartAgain();
    void panelKilledAndStartedAgain();
};

void TestLinkRecovery::scanResumesWhereItStopped_data()
{
    QTest::addColumn<bool>("atWrite");
    QTest::addColumn<int>("written"); // requests on the line before the loss
    QTest::addColumn<QString>("status");
    QTest::newRow("lost while waiting for the reply")
        << false << 5 << u"Scansione fermata: collegamento con la centrale perso"_s;
    QTest::newRow("lost as the request is written")
        << true << 4 << u"Scansione fermata: porta seriale non disponibile"_s;
}

void TestLinkRecovery::scanResumesWhereItStopped()
{
    QFETCH(bool, atWrite);
    QFETCH(int, written);
    QFETCH(QString, status);
    EngineBench b(RecoveryTimings);
    LinkRecovery recovery(b.link, b.cycle, b.download, RecoveryTimings);
    QSignalSpy watching(&recovery, &LinkRecovery::watching);
    QSignalSpy returned(&recovery, &LinkRecovery::returned);
    b.atRequest(written, [&] { atWrite ? b.link.unplugAtNextWrite() : b.link.unplug(); });
    b.cycle.start();
    QVERIFY(waitUntil([&] { return recovery.isWatching(); }));
    QCOMPARE(b.cycle.interruptedAt(), std::optional<int>(5));
    QCOMPARE(b.cycle.statusText(), status);
    QTest::qWait(50); // several checks find nothing, and nothing is sent
    QCOMPARE(b.scanRequests(), written);
    QCOMPARE(watching.count(), 1);

    b.link.plugIn();
    QVERIFY(b.scanFor(written + 3));
    QCOMPARE(returned.count(), 1);
    QVERIFY(!recovery.isWatching());
    // 5 again, then the faulty sensor at 6 read again as usual.
    QCOMPARE(b.asked(), addresses(1, 1, written) + words("1.05 1.06 1.06"));
    QCOMPARE(b.data->SensorReadCount.at(4, 1), qint16(1)); // read before the loss, kept
    QCOMPARE(b.data->SensorReadCount.at(5, 1), qint16(1));
    QCOMPARE(b.eventCount(Kind::LinkBack), 1);
    QVERIFY(b.prompts.messages.isEmpty()); // telling of the loss is the window's part
}

void TestLinkRecovery::stopEndsTheWatching()
{
    EngineBench b(RecoveryTimings);
    LinkRecovery recovery(b.link, b.cycle, b.download, RecoveryTimings);
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

// Back, the download may start again; when the user went on with a scan instead, it is let go.
void TestLinkRecovery::downloadMayStartAgain_data()
{
    QTest::addColumn<bool>("scanInstead");
    QTest::newRow("started again") << false;
    QTest::newRow("a scan instead") << true;
}

void TestLinkRecovery::downloadMayStartAgain()
{
    QFETCH(bool, scanInstead);
    EngineBench b(RecoveryTimings);
    LinkRecovery recovery(b.link, b.cycle, b.download, RecoveryTimings);
    QSignalSpy mayRestart(&recovery, &LinkRecovery::downloadMayRestart);
    b.atRequest(30, [&] { b.link.unplug(); });
    b.download.start();
    QVERIFY(waitUntil([&] { return recovery.isWatching(); }));
    QVERIFY(!b.download.isRunning());
    QVERIFY(b.download.wasInterrupted());
    b.link.plugIn();
    if (scanInstead) {
        b.cycle.start();
        QVERIFY(waitUntil([&] { return !recovery.isWatching(); }));
        QVERIFY(!b.download.wasInterrupted());
        QCOMPARE(mayRestart.count(), 0);
        return;
    }
    QVERIFY(waitUntil([&] { return mayRestart.count() == 1; }));
    QVERIFY(!b.download.isRunning()); // starting again is the user's choice
    b.download.restart();
    QVERIFY(waitUntil([&] { return !b.download.isRunning(); }));
    QCOMPARE(b.prompts.messages.last().text, u"Download completato"_s);
    QCOMPARE(b.link.requests().size(), 30 + 198);
}

// panelsim killed twenty times during a scan and started again on the same link path.
void TestLinkRecovery::panelKilledAndStartedAgain()
{
    QTemporaryDir dir;
    const QString link = dir.filePath(u"centrale"_s);
    QProcess panel;
    const auto startPanel = [&] {
        panel.start(QStringLiteral(PANELSIM_PATH),
                    {u"--link"_s, link, u"--reply-delay-ms"_s, u"0"_s});
        return panel.waitForReadyRead(10000)
            && panel.readAllStandardOutput().startsWith("panelsim: serving on ");
    };
    QVERIFY(startPanel());

    Timings timings = RecoveryTimings;
    timings.requestPause = 1ms;
    BasicEngineBench<SerialLink> b(timings);
    b.link.setPortOverride(link);
    LinkRecovery recovery(b.link, b.cycle, b.download, timings);
    CommunicationCounters counters(b.link);
    const auto count = [&](Kind kind, qsizetype from = 0) {
        return std::ranges::count(b.events.mid(from), kind, &ExchangeEvent::kind);
    };

    b.cycle.start();
    constexpr int Pulls = 20;
    QList<int> lostAt;
    for (int pull = 0; pull < Pulls; ++pull) {
        const qsizetype before = b.events.size();
        QVERIFY(waitUntil([&] { return count(Kind::ReplyAccepted, before) >= 7; }));
        panel.kill();
        QVERIFY(panel.waitForFinished(5000));
        QVERIFY(waitUntil([&] { return recovery.isWatching(); }));
        lostAt.append(*b.cycle.interruptedAt());
        QVERIFY(startPanel());
        QVERIFY(waitUntil([&] { return b.cycle.isRunning() && !recovery.isWatching(); }));
    }
    QVERIFY(waitUntil([&] { return count(Kind::LinkBack) == Pulls; }));
    QVERIFY(waitUntil([&] { return counters.loopTotal(1).validReplies > 7 * Pulls + 3; }));
    b.cycle.halt();
    panel.kill();
    panel.waitForFinished(5000);

    // One loss reported per pull: lost while open, or found missing at the next opening.
    QCOMPARE(count(Kind::LinkLost) + count(Kind::PortFailed), Pulls);
    // After each return the first request is for the address the scan was asking; requests and
    // replies alternate: no request goes out twice for one wait.
    QList<int> resumedAt;
    bool awaiting = false, back = false;
    for (const ExchangeEvent &e : std::as_const(b.events)) {
        back = back || e.kind == Kind::LinkBack;
        if (e.kind == Kind::RequestOut) {
            if (std::exchange(back, false))
                resumedAt.append(e.tag.address);
            QVERIFY2(!awaiting, "two requests without a reply between them");
            awaiting = true;
        } else if (e.kind == Kind::ReplyIn || e.kind == Kind::LinkLost
                   || e.kind == Kind::TimedOut) {
            awaiting = false;
        }
    }
    QCOMPARE(resumedAt, lostAt);
    // Every reading taken is in the tables: the counters and the statistics agree.
    int read = 0;
    for (int address = 1; address <= 99; ++address)
        read += b.data->SensorReadCount.at(address, 1);
    const AddressCounters total = counters.loopTotal(1);
    QCOMPARE(read, total.validReplies - total.reReads);
    QVERIFY(b.prompts.messages.isEmpty());
}

QTEST_GUILESS_MAIN(TestLinkRecovery)
#include "tst_linkrecovery.moc"
