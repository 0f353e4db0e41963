// The serial link against the simulated panel over a real pseudo-terminal: receive thresholds,
// replies in pieces, stale input, failures typed by their reason and a panel that goes away.
#include "link/PanelProtocol.h"
#include "link/PortFailure.h"
#include "link/PortNames.h"
#include "link/SerialLink.h"
#include "sim/PanelServer.h"
#include "ui/PortMessages.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

using namespace testloop;
using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
namespace sim = testloop::sim;

Q_DECLARE_METATYPE(testloop::sim::Delivery)
Q_DECLARE_METATYPE(testloop::PortFailure::Reason)

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
    {
        QString error;
        started = server.start(&error);
        if (!started)
            qWarning() << "panel simulator did not start:" << error;
        link.setPortOverride(server.devicePath());
        link.setPortNumber(1);
        QObject::connect(&link, &Transport::replyReady, &link,
                         [this](const QByteArray &reply) { replies.append(reply); });
    }

    sim::PanelServer server;
    SerialLink link;
    QList<QByteArray> replies;
    bool started = false;
};

// A link on a device of its own, with its failures recorded.
struct LoneLink
{
    explicit LoneLink(const QString &device)
        : failed(&link, &Transport::portFailed)
    {
        link.setPortOverride(device);
    }

    PortFailure::Reason reason() const
    {
        return failed.isEmpty() ? PortFailure::Reason::Other
                                : failed.first().first().value<PortFailure>().reason;
    }

    SerialLink link;
    QSignalSpy failed;
};

} // namespace

class TestSerialLink : public QObject
{
    Q_OBJECT
private slots:
    void replyTakenAtItsThreshold_data();
    void replyTakenAtItsThreshold();
    void extraBytesBelongToTheReply();
    void noReplyWithoutAWholeOne_data();
    void noReplyWithoutAWholeOne();
    void lateReplyIsNotTakenForTheNextOne();
    void portNumberChangesOnlyWhileClosed();
    void missingDevice();
    void portInUse();
    void exclusiveAccess();
    void permissionDenied();
    void panelGoingAwayIsReportedOnce();
    void portNames_data();
    void portNames();
    void chosenDevice();
    void failureMessages_data();
    void failureMessages();
};

void TestSerialLink::replyTakenAtItsThreshold_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<int>("threshold");
    QTest::addColumn<sim::Delivery>("delivery");
    QTest::newRow("scan, whole") << scanRequest(3) << protocol::ScanReplyLength
                                 << sim::Delivery::Whole;
    QTest::newRow("test, in halves")
        << protocol::testRequest(Code, QStringLiteral("1"), QStringLiteral("03"))
        << protocol::TestReplyLength << sim::Delivery::Halves;
    QTest::newRow("download, byte by byte")
        << protocol::downloadRequest(Code, QStringLiteral("S"), QStringLiteral("1"), 3)
        << protocol::DownloadReplyLength << sim::Delivery::ByteByByte;
}

void TestSerialLink::replyTakenAtItsThreshold()
{
    QFETCH(QByteArray, request);
    QFETCH(int, threshold);
    QFETCH(sim::Delivery, delivery);

    sim::ServerOptions options;
    options.delivery = delivery;
    options.pieceGap = 2ms;
    Bench bench(options);
    QVERIFY(bench.started);
    QSignalSpy sent(&bench.server, &sim::PanelServer::replySent);
    QList<ExchangeEvent::Kind> events;
    connect(&bench.link, &Transport::exchangeEvent, this,
            [&](const ExchangeEvent &event) { events.append(event.kind); });

    bench.link.setReceiveThreshold(threshold);
    QVERIFY(bench.link.send(request, {ExchangeTag::Kind::Scan, 1, 3}));
    QVERIFY(bench.link.isOpen());
    QTRY_COMPARE_WITH_TIMEOUT(bench.replies.size(), 1, 5000);
    QVERIFY(sent.count() == 1 || sent.wait(5000));

    // Handed on exactly once, whole.
    QCOMPARE(bench.replies[0], sent.first().first().toByteArray());
    QCOMPARE(bench.replies[0].size(), threshold);
    QTest::qWait(50);
    QCOMPARE(bench.replies.size(), 1);
    QCOMPARE(bench.server.requests(), QList<QByteArray> {request});
    QCOMPARE(events,
             (QList<ExchangeEvent::Kind> {ExchangeEvent::Kind::PortOpened,
                                          ExchangeEvent::Kind::RequestOut,
                                          ExchangeEvent::Kind::ReplyIn}));
    QCOMPARE(bench.link.currentTag().address, 3);
}

void TestSerialLink::extraBytesBelongToTheReply()
{
    Bench bench;
    QVERIFY(bench.started);
    QSignalSpy sent(&bench.server, &sim::PanelServer::replySent);
    // A threshold below the reply's length: the characters that arrived with the ones that
    // crossed it are part of the reply too.
    bench.link.setReceiveThreshold(protocol::TestReplyLength);
    QVERIFY(bench.link.send(scanRequest(4)));
    QTRY_COMPARE_WITH_TIMEOUT(bench.replies.size(), 1, 5000);
    QVERIFY(sent.count() == 1 || sent.wait(5000));
    QCOMPARE(bench.replies[0], sent.first().first().toByteArray());
    QCOMPARE(bench.replies[0].size(), protocol::ScanReplyLength);
}

void TestSerialLink::noReplyWithoutAWholeOne_data()
{
    QTest::addColumn<sim::Fault>("fault");
    QTest::newRow("silence") << sim::Fault::Silence;
    QTest::newRow("partial reply") << sim::Fault::Partial;
}

void TestSerialLink::noReplyWithoutAWholeOne()
{
    QFETCH(sim::Fault, fault);
    Bench bench;
    QVERIFY(bench.started);
    bench.server.queueFault(fault);
    QSignalSpy received(&bench.server, &sim::PanelServer::requestReceived);
    bench.link.setReceiveThreshold(protocol::ScanReplyLength);
    QVERIFY(bench.link.send(scanRequest(5)));
    QVERIFY(received.wait(5000));
    QTest::qWait(200);
    QVERIFY(bench.replies.isEmpty());
    QVERIFY(bench.link.gathered().size() < protocol::ScanReplyLength);
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

    QVERIFY(bench.link.send(scanRequest(2)));
    QTRY_COMPARE_WITH_TIMEOUT(sent.count(), 2, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(!bench.replies.isEmpty(), 5000);
    QTest::qWait(50);
    // One reply handed on, and it is the one for address 2.
    QCOMPARE(bench.replies.size(), 1);
    QCOMPARE(bench.replies[0].size(), protocol::ScanReplyLength);
    QCOMPARE(protocol::decodeScanReply(protocol::replyText(bench.replies[0])).address, 2.0);
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

void TestSerialLink::missingDevice()
{
    LoneLink lone(QStringLiteral("/dev/testloop-no-such-device"));
    QVERIFY(!lone.link.send(scanRequest(1)));
    QVERIFY(!lone.link.isOpen());
    QCOMPARE(lone.failed.count(), 1);
    QCOMPARE(lone.reason(), PortFailure::Reason::Missing);
    QCOMPARE(lone.failed.first().first().value<PortFailure>().device,
             QStringLiteral("/dev/testloop-no-such-device"));
}

void TestSerialLink::portInUse()
{
    Bench bench;
    QVERIFY(bench.started);
    QVERIFY(bench.link.open());
    LoneLink second(bench.server.devicePath());
    QVERIFY(!second.link.open());
    QCOMPARE(second.reason(), PortFailure::Reason::InUse);
    QCOMPARE(bench.server.requests().size(), 0);
}

void TestSerialLink::exclusiveAccess()
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
    LoneLink lone(bench.server.devicePath());
    const bool opened = lone.link.open();
    ::ioctl(holder, TIOCNXCL);
    ::close(holder);
    QVERIFY(!opened);
    QCOMPARE(lone.reason(), PortFailure::Reason::InUse);
}

void TestSerialLink::permissionDenied()
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
    LoneLink lone(device);
    QVERIFY(!lone.link.open());
    QCOMPARE(lone.reason(), PortFailure::Reason::NoPermission);
}

void TestSerialLink::panelGoingAwayIsReportedOnce()
{
    Bench bench;
    QVERIFY(bench.started);
    const QString device = bench.server.devicePath();
    bench.server.queueFault(sim::Fault::Silence);
    QSignalSpy received(&bench.server, &sim::PanelServer::requestReceived);
    QSignalSpy lost(&bench.link, &Transport::linkLost);
    bool openWhenLost = true;
    connect(&bench.link, &Transport::linkLost, this, [&] { openWhenLost = bench.link.isOpen(); });

    bench.link.setReceiveThreshold(protocol::ScanReplyLength);
    QVERIFY(bench.link.send(scanRequest(6)));
    QVERIFY(received.wait(5000));
    bench.server.stop(); // the panel side of the line disappears

    QVERIFY(lost.wait(5000));
    // Closed before anyone is told, then told once, however long the events keep coming.
    QVERIFY(!openWhenLost);
    QTest::qWait(300);
    QCOMPARE(lost.count(), 1);
    QCOMPARE(lost.first().first().value<PortFailure>().device, device);
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
}

void TestSerialLink::portNames()
{
    QFETCH(int, comPort);
    QFETCH(QString, override);
    QFETCH(QStringList, existing);
    auto exists = [&](const QString &path) { return existing.contains(path); };
    QTEST(resolvePortName(comPort, override, exists), "expected");
}

// The device chosen in the configuration serves instead of the port number's; the command
// line's wins over both.
void TestSerialLink::chosenDevice()
{
    SerialLink link;
    link.setPortNumber(0); // no device of its own
    QCOMPARE(link.deviceName(), QString());
    link.setChosenDevice(u"/dev/serial/by-id/usb-FTDI"_s);
    QCOMPARE(link.deviceName(), u"/dev/serial/by-id/usb-FTDI"_s);
    link.setPortOverride(u"/dev/pts/7"_s);
    QCOMPARE(link.deviceName(), u"/dev/pts/7"_s);
    link.setPortOverride({});
    link.setChosenDevice({});
    QCOMPARE(link.deviceName(), QString());
}

// What the window says for each reason: the device, the system's words and the remedy.
void TestSerialLink::failureMessages_data()
{
    QTest::addColumn<PortFailure::Reason>("reason");
    QTest::addColumn<QString>("remedy");
    using R = PortFailure::Reason;
    QTest::newRow("missing") << R::Missing << QStringLiteral("adattatore USB");
    QTest::newRow("no permission") << R::NoPermission << QStringLiteral("dialout");
    QTest::newRow("in use") << R::InUse << QStringLiteral("un altro programma");
    QTest::newRow("anything else") << R::Other << QStringLiteral("motivo");
    QTest::newRow("lost on a write") << R::WriteFailed << QStringLiteral("errore di scrittura");
}

void TestSerialLink::failureMessages()
{
    QFETCH(PortFailure::Reason, reason);
    QFETCH(QString, remedy);
    const QString text
        = portFailureMessage({reason, QStringLiteral("/dev/ttyUSB0"), QStringLiteral("motivo")});
    QVERIFY(text.contains(QStringLiteral("/dev/ttyUSB0")));
    QVERIFY2(text.contains(remedy), qPrintable(text));
}

QTEST_GUILESS_MAIN(TestSerialLink)
#include "tst_seriallink.moc"
