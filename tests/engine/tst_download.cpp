// The configuration download against the simulator's responder in the same process.
#include "tests/support/EngineBench.h"

#include <QSignalSpy>
#include <QTest>

using namespace testloop;
using namespace testsupport;
using Kind = ExchangeEvent::Kind;

class TestDownload : public QObject
{
    Q_OBJECT
private slots:
    void fullDownload();
    void unansweredRequestIsAskedAgain_data();
    void unansweredRequestIsAskedAgain();
    void replyNamingAnotherAddressMovesTheDownload();
    void lostLinkEndsTheDownload();
    void scanKeptRunningStopsWhenTheDownloadBegins();
};

void TestDownload::fullDownload()
{
    EngineBench b;
    b.data->DeviceType.set(9, 1, QStringLiteral("KELVARO"));
    QSignalSpy started(&b.download, &ConfigurationDownload::started);
    QSignalSpy ended(&b.download, &ConfigurationDownload::ended);
    QSignalSpy progress(&b.download, &ConfigurationDownload::progressChanged);
    b.download.start();
    QCOMPARE(b.prompts.questions, QStringList {QStringLiteral("Stop|Fermare la comunicazione?")});
    QVERIFY(waitUntil([&] { return !b.download.isRunning(); }));

    QStringList expected;
    for (int loop = 1; loop <= 2; ++loop) {
        for (int address = 1; address <= 99; ++address)
            expected.append(QString::number(loop) + u'.' + protocol::threeDigitAddress(address));
    }
    QCOMPARE(b.asked(), expected);
    QCOMPARE(b.link.requests().first(), QByteArray("(j00DQBS1001)XZ"));
    QCOMPARE(progress.last().first().toInt(), ConfigurationDownload::ProgressMaximum);
    QCOMPARE(started.count(), 1);
    QCOMPARE(ended.count(), 1);
    QCOMPARE(b.prompts.messages.size(), 1);
    QCOMPARE(b.prompts.messages[0].text, QStringLiteral("Download completato"));
    QVERIFY(!b.shared.DownloadActive);
    QVERIFY(b.link.isOpen()); // a finished download leaves the port open

    // What each reply holds is the protocol's test; here, that it lands at its address.
    const LoopData &d = *b.data;
    QCOMPARE(d.DeviceType.at(5, 1), QStringLiteral("FIAMMA ULTRAVIOLETTI"));
    QCOMPARE(d.DeviceZone.at(5, 1), qint16(3));
    QCOMPARE(d.DeviceText.at(5, 1), QStringLiteral("UFFICIO 3            "));
    QCOMPARE(d.NotActivated.at(20, 1), qint16(1)); // status 2
    QCOMPARE(d.DeviceType.at(9, 1), QStringLiteral("KELVARO")); // unknown digit: kept
    QCOMPARE(d.DeviceType.at(60, 2), QStringLiteral("NON USATO"));

    // Test mode now knows which sensors take part.
    b.cycle.setMode(ScanMode::SensorTest);
    b.cycle.RefreshGrid(ScanCycle::RedrawSelectedLoop);
    QVERIFY(b.grid.at(5).visible);
    QVERIFY(!b.grid.at(20).visible);
    QCOMPARE(
        b.grid.at(5).toolTip,
        QStringLiteral("Sensore N° 5 Tipo:FIAMMA ULTRAVIOLETTI Zona: 3 <UFFICIO 3            >"));
}

// No reply, or one that is not whole: the same address is asked again and nothing is stored.
// Aborted as the fifth request goes out, the download ends at once and keeps what it stored.
void TestDownload::unansweredRequestIsAskedAgain_data()
{
    QTest::addColumn<sim::Fault>("fault");
    QTest::newRow("silence") << sim::Fault::Silence;
    QTest::newRow("noise") << sim::Fault::Garbage;
    QTest::newRow("half a reply") << sim::Fault::Partial;
}

void TestDownload::unansweredRequestIsAskedAgain()
{
    QFETCH(sim::Fault, fault);
    Timings timings = shortTimings(20ms);
    EngineBench b(timings);
    b.link.queueFault(sim::Fault::None);
    for (int i = 0; i < 2; ++i)
        b.link.queueFault(fault);
    b.atRequest(5, [&] { b.download.abort(); });
    b.download.start();
    QVERIFY(waitUntil([&] { return !b.download.isRunning(); }));
    QTest::qWait(100); // five resend times: an abort must leave nothing to ask again
    QCOMPARE(b.asked(), words("1.001 1.002 1.002 1.002 1.003"));
    QCOMPARE(b.data->DeviceZone.at(2, 1), qint16(1));
    QCOMPARE(b.data->DeviceType.at(2, 1), QStringLiteral("AUTOMATICO"));
    QVERIFY(b.prompts.messages.isEmpty()); // no message for a silent panel, nor for the abort
    QVERIFY(!b.link.isOpen() && !b.shared.DownloadActive);
    QCOMPARE(b.download.progress(), ConfigurationDownload::ProgressMaximum);
}

void TestDownload::replyNamingAnotherAddressMovesTheDownload()
{
    EngineBench b;
    b.link.queueFault(sim::Fault::None);
    b.link.queueFault(sim::Fault::OtherAddress); // the request for 002 is answered for 003
    b.atRequest(3, [&] { b.download.abort(); });
    b.download.start();
    QVERIFY(waitUntil([&] { return !b.download.isRunning(); }));
    QCOMPARE(b.asked(), words("1.001 1.002 1.004"));
}

void TestDownload::lostLinkEndsTheDownload()
{
    EngineBench b;
    QSignalSpy ended(&b.download, &ConfigurationDownload::ended);
    b.atRequest(10, [&] { b.link.unplug(); });
    b.download.start();
    QVERIFY(waitUntil([&] { return ended.count() == 1; }));
    QTest::qWait(50);
    QVERIFY(!b.download.isRunning());
    QVERIFY(!b.shared.DownloadActive);
    QCOMPARE(b.link.requests().size(), 10);
    QCOMPARE(b.data->DeviceType.at(9, 1), QString()); // asked, never answered
    QCOMPARE(b.data->DeviceType.at(8, 1), QStringLiteral("AUTOMATICO"));
}

void TestDownload::scanKeptRunningStopsWhenTheDownloadBegins()
{
    Timings timings = shortTimings();
    timings.downloadStartWait = 20ms;
    timings.requestPause = 20ms;
    EngineBench b(timings);
    b.cycle.start();
    QVERIFY(waitUntil([&] { return b.scanRequests() >= 2; }));
    b.prompts.answers = {false}; // keep the scan running
    b.download.start();
    QVERIFY(b.cycle.isRunning()); // still running during the wait
    QVERIFY(waitUntil([&] { return !b.download.isRunning(); }));
    QVERIFY(!b.cycle.isRunning());
    // Every download reply was taken whole: the entries are the installation's.
    QCOMPARE(b.data->DeviceText.at(5, 1), QStringLiteral("UFFICIO 3            "));
    QCOMPARE(b.data->DeviceType.at(1, 2), QStringLiteral("KELVARO"));
    QCOMPARE(b.eventCount(Kind::ReplyDiscarded), 0);
    QCOMPARE(b.prompts.messages.last().text, QStringLiteral("Download completato"));
}

QTEST_GUILESS_MAIN(TestDownload)
#include "tst_download.moc"
