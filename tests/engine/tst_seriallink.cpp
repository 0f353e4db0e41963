// The serial link against the simulated panel over a real pseudo-terminal: receive thresholds,
// replies in pieces, routing, stale input, open failures and a panel that goes away.
#include "link/PanelProtocol.h"
#include "link/PortFailure.h"
#include "link/PortNames.h"
#include "link/SerialLink.h"
#include "loopdata/SharedState.h"
#include "sim/PanelServer.h"
#include "tests/support/FakePrompts.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

using namespace testloop;
using namespace std::chrono_literals;
namespace sim = testloop::sim;

Q_DECLARE_METATYPE(testloop::sim::Delivery)

namespace {

const QString Code = QStringLiteral("j00");

sim::Installation smallInstallation()
{
    sim::Installation installation;
    for (int address = 1; address <= 9; ++address) {
        sim::Sensor sensor;
        sensor.analogue = 40 + address;
        sensor.current = 10 + address;
        installation.setSensor(1, address, sensor);
    }
    return installation;
}

QByteArray scanRequest(int address)
{
    return protocol::scanRequest(Code, QStringLiteral("1"), protocol::DeviceKind::Sensor,
                                 protocol::twoDigitAddress(address));
}

// Bytes waiting in the input queue of the terminal's device, seen through a descriptor of our
// own: lets a test know a reply has reached the line before it reopens the port.
int bytesWaitingOn(const QString &device)
{
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return -1;
    int waiting = 0;
    if (::ioctl(fd, FIONREAD, &waiting) != 0)
        waiting = -1;
    ::close(fd);
    return waiting;
}

struct Bench
{
    explicit Bench(sim::ServerOptions options = {})
        : server(smallInstallation(), options)
        , link(shared, prompts)
    {
        QString error;
        started = server.start(&error);
        if (!started)
            qWarning() << "panel simulator did not start:" << error;
        link.setPortOverride(server.devicePath());
        link.setPortNumber(1);
    }

    sim::PanelServer server;
    SharedState shared;
    FakePrompts prompts;
    SerialLink link;
    bool started = false;
};

} // namespace

class TestSerialLink : public QObject
{
    Q_OBJECT
private slots:
    void replyTakenAtItsThreshold_data();
    void replyTakenAtItsThreshold();
    void extraBytesBelongToTheReply();
    void noEventWithoutAWholeReply_data();
    void noEventWithoutAWholeReply();
    void lateReplyIsNotTakenForTheNextOne();
    void portNumberChangesOnlyWhileClosed();
    void missingDeviceIsToldAndNothingSent();
    void portInUseIsTold();
    void exclusiveAccessIsTold();
    void permissionDeniedIsTold();
    void panelGoingAwayIsReportedOnce();
    void portNames_data();
    void portNames();
    void openFailureMessages_data();
    void openFailureMessages();
};

void TestSerialLink::replyTakenAtItsThreshold_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<int>("threshold");
    QTest::addColumn<bool>("downloading");
    QTest::addColumn<sim::Delivery>("delivery");

    const struct
    {
        const char *name;
        QByteArray request;
        int threshold;
        bool downloading;
    } exchanges[] = {
        {"scan 29", scanRequest(3), protocol::ScanReplyLength, false},
        {"test 14", protocol::testRequest(Code, QStringLiteral("1"), QStringLiteral("03")),
         protocol::TestReplyLength, false},
        {"download 41",
         protocol::downloadRequest(Code, QStringLiteral("S"), QStringLiteral("1"), 3),
         protocol::DownloadReplyLength, true},
    };
    const struct
    {
        const char *name;
        sim::Delivery delivery;
    } deliveries[] = {{"whole", sim::Delivery::Whole},
                      {"halves", sim::Delivery::Halves},
                      {"byte by byte", sim::Delivery::ByteByByte}};
    for (const auto &exchange : exchanges) {
        for (const auto &delivery : deliveries) {
            QTest::addRow("%s, %s", exchange.name, delivery.name)
                << exchange.request << exchange.threshold << exchange.downloading
                << delivery.delivery;
        }
    }
}

void TestSerialLink::replyTakenAtItsThreshold()
{
    QFETCH(QByteArray, request);
    QFETCH(int, threshold);
    QFETCH(bool, downloading);
    QFETCH(sim::Delivery, delivery);

    sim::ServerOptions options;
    options.delivery = delivery;
    options.pieceGap = 2ms;
    Bench bench(options);
    QVERIFY(bench.started);
    bench.shared.DownloadActive = downloading;
    QSignalSpy scanReady(&bench.link, &SerialLink::scanReplyReady);
    QSignalSpy downloadReady(&bench.link, &SerialLink::downloadReplyReady);
    QSignalSpy sent(&bench.server, &sim::PanelServer::replySent);

    QByteArray taken;
    auto take = [&] { taken = bench.link.readAll(); };
    connect(&bench.link, &SerialLink::scanReplyReady, this, take);
    connect(&bench.link, &SerialLink::downloadReplyReady, this, take);

    bench.link.setReceiveThreshold(threshold);
    QVERIFY(bench.link.send(request));
    QVERIFY(bench.link.isOpen());
    QSignalSpy &ready = downloading ? downloadReady : scanReady;
    QVERIFY(ready.wait(5000));
    QVERIFY(sent.count() == 1 || sent.wait(5000));

    // Handed on exactly once, whole, to the side DownloadActive names.
    QCOMPARE(taken.size(), threshold);
    QCOMPARE(taken, sent.first().first().toByteArray());
    QCOMPARE(taken.mid(1, 3), Code.toLatin1());
    QTest::qWait(50);
    QCOMPARE(ready.count(), 1);
    QCOMPARE((downloading ? scanReady : downloadReady).count(), 0);
    QCOMPARE(bench.server.requests(), QList<QByteArray> {request});
    QVERIFY(bench.prompts.messages.isEmpty());
}

void TestSerialLink::extraBytesBelongToTheReply()
{
    sim::ServerOptions options;
    options.delivery = sim::Delivery::Whole;
    Bench bench(options);
    QVERIFY(bench.started);
    QSignalSpy sent(&bench.server, &sim::PanelServer::replySent);
    QByteArray taken;
    connect(&bench.link, &SerialLink::scanReplyReady, this, [&] { taken = bench.link.readAll(); });
    // A threshold below the reply's length: the characters that arrived with the ones that
    // crossed it are part of the reply too.
    bench.link.setReceiveThreshold(protocol::TestReplyLength);
    QVERIFY(bench.link.send(scanRequest(4)));
    QTRY_VERIFY_WITH_TIMEOUT(!taken.isEmpty(), 5000);
    QVERIFY(sent.count() == 1 || sent.wait(5000));
    QCOMPARE(taken, sent.first().first().toByteArray());
    QCOMPARE(taken.size(), protocol::ScanReplyLength);
    const protocol::ScanReply decoded = protocol::decodeScanReply(protocol::replyText(taken));
    QCOMPARE(decoded.address, 4.0);
    QCOMPARE(decoded.analogue, 44.0);
}

void TestSerialLink::noEventWithoutAWholeReply_data()
{
    QTest::addColumn<sim::Fault>("fault");
    QTest::newRow("silence") << sim::Fault::Silence;
    QTest::newRow("partial reply") << sim::Fault::Partial;
}

void TestSerialLink::noEventWithoutAWholeReply()
{
    QFETCH(sim::Fault, fault);
    Bench bench;
    QVERIFY(bench.started);
    bench.server.queueFault(fault);
    QSignalSpy ready(&bench.link, &SerialLink::scanReplyReady);
    QSignalSpy received(&bench.server, &sim::PanelServer::requestReceived);
    bench.link.setReceiveThreshold(protocol::ScanReplyLength);
    QVERIFY(bench.link.send(scanRequest(5)));
    QVERIFY(received.wait(5000));
    QTest::qWait(200);
    QCOMPARE(ready.count(), 0);
    QVERIFY(bench.link.readAll().size() < protocol::ScanReplyLength);
}

void TestSerialLink::lateReplyIsNotTakenForTheNextOne()
{
    sim::ServerOptions options;
    options.lateDelay = 100ms;
    Bench bench(options);
    QVERIFY(bench.started);
    bench.server.queueFault(sim::Fault::Late);
    QSignalSpy received(&bench.server, &sim::PanelServer::requestReceived);
    QSignalSpy sent(&bench.server, &sim::PanelServer::replySent);

    bench.link.setReceiveThreshold(protocol::ScanReplyLength);
    QVERIFY(bench.link.send(scanRequest(1)));
    QVERIFY(received.wait(5000));
    bench.link.close(); // the reply timer struck
    QVERIFY(sent.wait(5000));
    // The late reply now sits in the closed port's input.
    QTRY_COMPARE_WITH_TIMEOUT(bytesWaitingOn(bench.server.devicePath()), protocol::ScanReplyLength,
                              5000);

    QList<QByteArray> taken;
    connect(&bench.link, &SerialLink::scanReplyReady, this,
            [&] { taken.append(bench.link.readAll()); });
    QVERIFY(bench.link.send(scanRequest(2)));
    QTRY_COMPARE_WITH_TIMEOUT(sent.count(), 2, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(!taken.isEmpty(), 5000);
    QTest::qWait(50);
    // One reply handed on, and it is the one for address 2.
    QCOMPARE(taken.size(), 1);
    QCOMPARE(taken[0].size(), protocol::ScanReplyLength);
    QCOMPARE(protocol::decodeScanReply(protocol::replyText(taken[0])).address, 2.0);
}

void TestSerialLink::portNumberChangesOnlyWhileClosed()
{
    Bench bench;
    QVERIFY(bench.started);
    QVERIFY(bench.link.open());
    QVERIFY(!bench.link.setPortNumber(2));
    QCOMPARE(bench.link.portNumber(), 1);
    bench.link.close();
    QVERIFY(bench.link.setPortNumber(2));
    QCOMPARE(bench.link.portNumber(), 2);
    // The override serves every port number.
    QCOMPARE(bench.link.deviceName(), bench.server.devicePath());
}

void TestSerialLink::missingDeviceIsToldAndNothingSent()
{
    SharedState shared;
    FakePrompts prompts;
    SerialLink link(shared, prompts);
    const QString device = QStringLiteral("/dev/testloop-no-such-device");
    link.setPortOverride(device);
    link.setReceiveThreshold(protocol::ScanReplyLength);
    QVERIFY(!link.send(scanRequest(1)));
    QVERIFY(!link.isOpen());
    QCOMPARE(prompts.messages.size(), 1);
    QCOMPARE(prompts.messages[0].icon, Prompts::Icon::Critical);
    QVERIFY(prompts.messages[0].text.contains(device));
    QVERIFY(prompts.messages[0].text.contains(QStringLiteral("non esiste")));
}

void TestSerialLink::portInUseIsTold()
{
    Bench bench;
    QVERIFY(bench.started);
    QVERIFY(bench.link.open());

    SharedState shared;
    FakePrompts prompts;
    SerialLink second(shared, prompts);
    second.setPortOverride(bench.server.devicePath());
    QVERIFY(!second.open());
    QCOMPARE(prompts.messages.size(), 1);
    QVERIFY(prompts.messages[0].text.contains(bench.server.devicePath()));
    QVERIFY2(prompts.messages[0].text.contains(QStringLiteral("già in uso")),
             qPrintable(prompts.messages[0].text));
    QCOMPARE(bench.server.requests().size(), 0);
}

void TestSerialLink::exclusiveAccessIsTold()
{
    if (::geteuid() == 0)
        QSKIP("root ignores exclusive access; scripts/test runs this as an unprivileged user");
    Bench bench;
    QVERIFY(bench.started);
    // Another program holding the line exclusively, without a lock file.
    const int holder = ::open(QFile::encodeName(bench.server.devicePath()).constData(),
                              O_RDWR | O_NOCTTY | O_NONBLOCK);
    QVERIFY(holder >= 0);
    QCOMPARE(::ioctl(holder, TIOCEXCL), 0);
    const bool opened = bench.link.open();
    ::ioctl(holder, TIOCNXCL);
    ::close(holder);
    QVERIFY(!opened);
    QCOMPARE(bench.prompts.messages.size(), 1);
    QVERIFY2(bench.prompts.messages[0].text.contains(QStringLiteral("già in uso")),
             qPrintable(bench.prompts.messages[0].text));
}

void TestSerialLink::permissionDeniedIsTold()
{
    if (::geteuid() == 0)
        QSKIP("root is never denied; scripts/test runs this as an unprivileged user");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString device = dir.filePath(QStringLiteral("ttyLocked"));
    QFile file(device);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(file.setPermissions({}));

    SharedState shared;
    FakePrompts prompts;
    SerialLink link(shared, prompts);
    link.setPortOverride(device);
    QVERIFY(!link.open());
    QCOMPARE(prompts.messages.size(), 1);
    QVERIFY2(prompts.messages[0].text.contains(QStringLiteral("dialout")),
             qPrintable(prompts.messages[0].text));
}

void TestSerialLink::panelGoingAwayIsReportedOnce()
{
    Bench bench;
    QVERIFY(bench.started);
    const QString device = bench.server.devicePath();
    bench.server.queueFault(sim::Fault::Silence);
    QSignalSpy received(&bench.server, &sim::PanelServer::requestReceived);
    QSignalSpy lost(&bench.link, &SerialLink::linkLost);
    int messagesWhenLost = -1;
    connect(&bench.link, &SerialLink::linkLost, this,
            [&] { messagesWhenLost = int(bench.prompts.messages.size()); });

    bench.link.setReceiveThreshold(protocol::ScanReplyLength);
    QVERIFY(bench.link.send(scanRequest(6)));
    QVERIFY(received.wait(5000));
    bench.server.stop(); // the panel side of the line disappears

    QVERIFY(lost.wait(5000));
    // Closed before anyone is told, then told once, however long the events keep coming.
    QCOMPARE(messagesWhenLost, 0);
    QTest::qWait(300);
    QCOMPARE(lost.count(), 1);
    QVERIFY(!bench.link.isOpen());
    QCOMPARE(bench.prompts.messages.size(), 1);
    QCOMPARE(bench.prompts.messages[0].title, SerialPortTitle);
    QVERIFY(bench.prompts.messages[0].text.contains(device));
}

void TestSerialLink::portNames_data()
{
    QTest::addColumn<int>("comPort");
    QTest::addColumn<QString>("override");
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("expected");
    QTest::newRow("override wins")
        << 2 << QStringLiteral("/dev/pts/7") << QStringList {QStringLiteral("/dev/ttyUSB1")}
        << QStringLiteral("/dev/pts/7");
    QTest::newRow("USB adapter first")
        << 1 << QString()
        << QStringList {QStringLiteral("/dev/ttyUSB0"), QStringLiteral("/dev/ttyS0")}
        << QStringLiteral("/dev/ttyUSB0");
    QTest::newRow("ACM before serial")
        << 2 << QString()
        << QStringList {QStringLiteral("/dev/ttyACM1"), QStringLiteral("/dev/ttyS1")}
        << QStringLiteral("/dev/ttyACM1");
    QTest::newRow("built-in serial") << 3 << QString() << QStringList {QStringLiteral("/dev/ttyS2")}
                                     << QStringLiteral("/dev/ttyS2");
    QTest::newRow("nothing present names the USB device")
        << 1 << QString() << QStringList {} << QStringLiteral("/dev/ttyUSB0");
    QTest::newRow("port 0 is no port") << 0 << QString() << QStringList {} << QString();
    QTest::newRow("negative port") << -3 << QString() << QStringList {} << QString();
}

void TestSerialLink::portNames()
{
    QFETCH(int, comPort);
    QFETCH(QString, override);
    QFETCH(QStringList, existing);
    auto exists = [&](const QString &path) { return existing.contains(path); };
    QTEST(resolvePortName(comPort, override, exists), "expected");
}

void TestSerialLink::openFailureMessages_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<int>("access");
    QTest::addColumn<QString>("remedy");
    QTest::newRow("missing") << int(QSerialPort::DeviceNotFoundError) << int(DeviceAccess::Missing)
                             << QStringLiteral("adattatore USB");
    QTest::newRow("no permission") << int(QSerialPort::PermissionError)
                                   << int(DeviceAccess::NoPermission) << QStringLiteral("dialout");
    QTest::newRow("busy or locked")
        << int(QSerialPort::PermissionError) << int(DeviceAccess::Accessible)
        << QStringLiteral("un altro programma");
    QTest::newRow("anything else") << int(QSerialPort::UnsupportedOperationError)
                                   << int(DeviceAccess::Accessible) << QStringLiteral("motivo");
}

void TestSerialLink::openFailureMessages()
{
    QFETCH(int, error);
    QFETCH(int, access);
    QFETCH(QString, remedy);
    const QString text
        = openFailureMessage(QStringLiteral("/dev/ttyUSB0"), QSerialPort::SerialPortError(error),
                             QStringLiteral("motivo"), DeviceAccess(access));
    QVERIFY(text.contains(QStringLiteral("/dev/ttyUSB0")));
    QVERIFY(text.contains(QStringLiteral("motivo")));
    QVERIFY2(text.contains(remedy), qPrintable(text));
}

QTEST_GUILESS_MAIN(TestSerialLink)
#include "tst_seriallink.moc"
