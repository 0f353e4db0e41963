// The configuration download against the simulated panel over a real pseudo-terminal.
#include "link/PanelProtocol.h"
#include "link/SerialLink.h"
#include "loopdata/LoopTables.h"
#include "loopdata/SharedState.h"
#include "scan/ConfigurationDownload.h"
#include "scan/ScanCycle.h"
#include "sim/PanelServer.h"
#include "tests/support/FakeGrid.h"
#include "tests/support/FakePrompts.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace testloop;
using namespace std::chrono_literals;
namespace sim = testloop::sim;

namespace {

sim::Installation installation()
{
    sim::Installation inst;
    auto sensor = [](int type, int zone, int status, const char *description) {
        sim::Sensor s;
        s.type = type;
        s.zone = zone;
        s.status = status;
        s.description = QString::fromLatin1(description);
        return s;
    };
    inst.setSensor(1, 3, sensor(9, 4, 0, "TIPO SCONOSCIUTO")); // a digit outside 1..7
    inst.setSensor(1, 5, sensor(2, 3, 0, "UFFICIO 3"));
    inst.setSensor(1, 6, sensor(2, 0, 1, "ZONA ZERO"));
    inst.setSensor(1, 7, sensor(3, 5, 2, "STATO DUE"));
    inst.setSensor(1, 99, sensor(6, 12, 0, "ULTIMO"));
    inst.setSensor(2, 1, sensor(7, 5, 0, "LOOP DUE"));
    return inst;
}

Timings fastTimings(std::chrono::milliseconds resend = 3000ms)
{
    Timings t;
    t.requestPause = 1ms;
    t.downloadStartWait = 1ms;
    t.downloadResend = resend;
    return t;
}

struct Bench
{
    explicit Bench(Timings timings = fastTimings())
        : server(installation())
        , data(std::make_unique<LoopData>())
        , link(shared, prompts)
        , cycle(shared, *data, link, grid, prompts, timings)
        , download(shared, *data, link, cycle, prompts, timings)
    {
        QString error;
        started = server.start(&error);
        link.setPortOverride(server.devicePath());
    }

    QStringList asked() const
    {
        QStringList list;
        for (const QByteArray &request : server.requests())
            list.append(QString::fromLatin1(request.mid(8, 4))); // loop digit + address
        return list;
    }

    sim::PanelServer server;
    SharedState shared;
    std::unique_ptr<LoopData> data;
    FakeGrid grid;
    FakePrompts prompts;
    SerialLink link;
    ScanCycle cycle;
    ConfigurationDownload download;
    bool started = false;
};

} // namespace

class TestDownload : public QObject
{
    Q_OBJECT
private slots:
    void fullDownload();
    void silentPanelIsAskedAgainOnEveryTick();
    void abortKeepsWhatWasStored();
    void replyNamingAnotherAddressMovesTheDownload();
    void scanKeptRunningStopsWhenTheDownloadBegins();
};

void TestDownload::fullDownload()
{
    Bench b;
    QVERIFY(b.started);
    b.data->DeviceType.set(3, 1, QStringLiteral("KELVARO"));
    QSignalSpy started(&b.download, &ConfigurationDownload::started);
    QSignalSpy ended(&b.download, &ConfigurationDownload::ended);
    QSignalSpy progress(&b.download, &ConfigurationDownload::progressChanged);
    b.download.start();
    QCOMPARE(b.prompts.questions, QStringList {QStringLiteral("Stop|Fermare la comunicazione?")});
    QVERIFY(b.download.isRunning());
    QTRY_VERIFY_WITH_TIMEOUT(!b.download.isRunning(), 30000);

    QStringList expected;
    for (int loop = 1; loop <= 2; ++loop) {
        for (int address = 1; address <= 99; ++address)
            expected.append(QString::number(loop) + protocol::threeDigitAddress(address));
    }
    QCOMPARE(b.asked(), expected);
    QCOMPARE(b.server.requests().first(), QByteArray("(j00DQBS1001)XZ"));
    QCOMPARE(b.download.progress(), ConfigurationDownload::ProgressMaximum);
    QCOMPARE(progress.last().first().toInt(), 198);
    QCOMPARE(started.count(), 1);
    QCOMPARE(ended.count(), 1);
    QCOMPARE(b.prompts.messages.size(), 1);
    QCOMPARE(b.prompts.messages[0].text, QStringLiteral("Download completato"));
    QVERIFY(!b.shared.DownloadActive);

    QCOMPARE(b.data->DeviceType.at(5, 1), QStringLiteral("AUTOMATICO"));
    QCOMPARE(b.data->DeviceZone.at(5, 1), qint16(3));
    QCOMPARE(b.data->DeviceText.at(5, 1), QStringLiteral("UFFICIO 3            "));
    QCOMPARE(b.data->NotActivated.at(5, 1), qint16(0));
    QCOMPARE(b.data->NotActivated.at(6, 1), qint16(1)); // zone 0
    QCOMPARE(b.data->NotActivated.at(7, 1), qint16(1)); // status 2
    QCOMPARE(b.data->DeviceType.at(3, 1), QStringLiteral("KELVARO")); // unknown digit: kept
    QCOMPARE(b.data->DeviceZone.at(3, 1), qint16(4));
    QCOMPARE(b.data->DeviceType.at(99, 1), QStringLiteral("BASI INDIRIZZATE"));
    QCOMPARE(b.data->DeviceType.at(1, 2), QStringLiteral("KELVARO"));
    QCOMPARE(b.data->DeviceType.at(50, 2), QStringLiteral("NON USATO"));
    QCOMPARE(b.data->NotActivated.at(50, 2), qint16(1));

    // Test mode now knows which sensors take part.
    b.cycle.setMode(ScanMode::SensorTest);
    b.cycle.RefreshGrid(3);
    QVERIFY(b.grid.at(5).visible);
    QVERIFY(!b.grid.at(6).visible);
    QVERIFY(!b.grid.at(50).visible);
    QCOMPARE(b.grid.at(5).toolTip,
             QStringLiteral("Sensore N° 5 Tipo:AUTOMATICO Zona: 3 <UFFICIO 3            >"));
}

void TestDownload::silentPanelIsAskedAgainOnEveryTick()
{
    Bench b(fastTimings(60ms));
    QVERIFY(b.started);
    for (int i = 0; i < 3; ++i)
        b.server.queueFault(sim::Fault::Silence);
    connect(&b.server, &sim::PanelServer::requestReceived, this, [&] {
        if (b.asked().size() == 5)
            b.download.abort();
    });
    b.download.start();
    QTRY_VERIFY_WITH_TIMEOUT(!b.download.isRunning(), 10000);
    QCOMPARE(b.asked().mid(0, 5),
             (QStringList {QStringLiteral("1001"), QStringLiteral("1001"), QStringLiteral("1001"),
                           QStringLiteral("1001"), QStringLiteral("1002")}));
    QVERIFY(b.prompts.messages.isEmpty()); // no message for a silent panel
}

void TestDownload::abortKeepsWhatWasStored()
{
    Bench b;
    QVERIFY(b.started);
    b.data->DeviceType.set(10, 1, QStringLiteral("KELVARO"));
    QSignalSpy ended(&b.download, &ConfigurationDownload::ended);
    connect(&b.download, &ConfigurationDownload::progressChanged, this, [&](int value) {
        if (value == 6)
            b.download.abort();
    });
    b.download.start();
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 10000);
    QTest::qWait(100);
    QVERIFY(!b.download.isRunning());
    QVERIFY(!b.shared.DownloadActive);
    QVERIFY(!b.link.isOpen());
    QCOMPARE(b.download.progress(), ConfigurationDownload::ProgressMaximum);
    QCOMPARE(b.data->DeviceType.at(5, 1), QStringLiteral("AUTOMATICO"));
    QCOMPARE(b.data->DeviceType.at(10, 1), QStringLiteral("KELVARO"));
    QCOMPARE(b.asked().size(), 6); // nothing asked after the abort
    QVERIFY(b.prompts.messages.isEmpty());
}

void TestDownload::replyNamingAnotherAddressMovesTheDownload()
{
    Bench b;
    QVERIFY(b.started);
    b.server.queueFault(sim::Fault::None);
    b.server.queueFault(sim::Fault::OtherAddress); // the request for 002 is answered for 003
    b.download.start();
    QTRY_VERIFY_WITH_TIMEOUT(b.asked().size() >= 3, 10000);
    b.download.abort();
    QCOMPARE(
        b.asked().mid(0, 3),
        (QStringList {QStringLiteral("1001"), QStringLiteral("1002"), QStringLiteral("1004")}));
}

void TestDownload::scanKeptRunningStopsWhenTheDownloadBegins()
{
    Timings timings = fastTimings();
    timings.downloadStartWait = 100ms;
    timings.requestPause = 200ms; // ample for the scan's last reply to come back
    Bench b(timings);
    QVERIFY(b.started);
    b.cycle.start();
    QTRY_VERIFY_WITH_TIMEOUT(b.server.requests().size() >= 2, 10000);
    b.prompts.answers = {false}; // keep the scan running
    b.download.start();
    QVERIFY(b.cycle.activity() != ScanCycle::Activity::Idle); // still running during the wait
    QTRY_VERIFY_WITH_TIMEOUT(!b.download.isRunning(), 30000);
    QCOMPARE(b.cycle.activity(), ScanCycle::Activity::Idle);
    // Every download reply was taken whole: the entries are the installation's.
    QCOMPARE(b.data->DeviceType.at(5, 1), QStringLiteral("AUTOMATICO"));
    QCOMPARE(b.data->DeviceText.at(5, 1), QStringLiteral("UFFICIO 3            "));
    QCOMPARE(b.data->DeviceType.at(1, 2), QStringLiteral("KELVARO"));
    QCOMPARE(b.prompts.messages.last().text, QStringLiteral("Download completato"));
}

QTEST_GUILESS_MAIN(TestDownload)
#include "tst_download.moc"
