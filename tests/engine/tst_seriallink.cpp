// The serial link against the simulated panel over a real pseudo-terminal.
#include "link/PanelProtocol.h"
#include "link/PortFailure.h"
#include "link/PortNames.h"
#include "link/SerialLink.h"
#include "sim/PanelServer.h"
#include "tests/support/TestInstallation.h"
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

const QString Code = u"j00"_s;

QByteArray scanRequest(int address)
{
    return protocol::scanRequest(Code, u"1"_s, protocol::DeviceKind::Sensor,
                                 protocol::twoDigitAddress(address));
}

// Bytes waiting in the input queue of the terminal's device, seen through a descriptor of our own.
int bytesWaitingOn(const QString &device)
{
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    int waiting = -1;
    if (fd < 0 || ::ioctl(fd, FIONREAD, &waiting) != 0)
        waiting = -1;
    ::close(fd);
    return waiting;
}

struct Bench
{
    explicit Bench(sim::ServerOptions options = {})
        : server(testsupport::testInstallation(), options)
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

} // namespace

class TestSerialLink : public QObject
{
    Q_OBJECT
private slots:
    void replyTakenAtItsThreshold_data();
    void replyTakenAtItsThreshold();
    void lateReplyThenPanelGoingAway();
    void failuresTyped_data();
    void failuresTyped();
    void portNames();
    void whichDevice();
};

// Each reply, in whatever pieces, is handed on once and whole. Too few characters: tst_scancycle.
void TestSerialLink::replyTakenAtItsThreshold_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<int>("threshold");
    QTest::addColumn<sim::Delivery>("delivery");
    QTest::addColumn<int>("writes"); // 0: at the pace of a 9600-baud line
    using namespace protocol;
    using enum sim::Delivery;
    const QByteArray download = downloadRequest(Code, u"S"_s, u"1"_s, 3);
    const auto row
        = [](const char *name, const QByteArray &request, int threshold, sim::Delivery delivery,
             int writes) { QTest::newRow(name) << request << threshold << delivery << writes; };
    row("scan, whole", scanRequest(3), ScanReplyLength, Whole, 1);
    row("test, in halves", testRequest(Code, u"1"_s, u"03"_s), TestReplyLength, Halves, 2);
    row("download, byte by byte", download, DownloadReplyLength, ByteByByte, DownloadReplyLength);
    row("download, halves, paced", download, DownloadReplyLength, Halves, 0);
    // What arrived with the characters that crossed the threshold is the reply's too.
    row("scan, threshold below its length", scanRequest(3), TestReplyLength, Whole, 1);
}

void TestSerialLink::replyTakenAtItsThreshold()
{
    QFETCH(QByteArray, request);
    QFETCH(int, threshold);
    QFETCH(sim::Delivery, delivery);
    QFETCH(int, writes);
    sim::ServerOptions options;
    options.delivery = delivery;
    options.linePacing = writes == 0;
    options.pieceGap = 2ms;
    Bench bench(options);
    QVERIFY(bench.started);
    QSignalSpy written(&bench.server, &sim::PanelServer::bytesWritten);
    QList<ExchangeEvent::Kind> events;
    connect(&bench.link, &Transport::exchangeEvent, this,
            [&](const ExchangeEvent &event) { events.append(event.kind); });

    bench.link.setReceiveThreshold(threshold);
    QVERIFY(bench.link.send(request, {ExchangeTag::Kind::Scan, 1, 3}));
    QVERIFY(bench.link.isOpen());
    QTRY_COMPARE_WITH_TIMEOUT(bench.replies.size(), 1, 5000);
    if (writes > 0)
        QCOMPARE(written.size(), writes);
    QTest::qWait(50);
    QCOMPARE(bench.replies, bench.server.replies()); // once, whole
    QCOMPARE(bench.server.requests(), QList<QByteArray> {request});
    using K = ExchangeEvent::Kind;
    QCOMPARE(events, (QList<K> {K::PortOpened, K::RequestOut, K::ReplyIn}));
}

// A late reply is not taken for the next one; a panel that goes away is told once.
void TestSerialLink::lateReplyThenPanelGoingAway()
{
    sim::ServerOptions options;
    options.lateDelay = 100ms;
    Bench bench(options);
    QVERIFY(bench.started);
    bench.server.queueFault(sim::Fault::Late);
    QSignalSpy received(&bench.server, &sim::PanelServer::requestReceived);

    bench.link.setReceiveThreshold(protocol::ScanReplyLength);
    QVERIFY(bench.link.send(scanRequest(1)));
    QVERIFY(received.wait(5000));
    bench.link.close(); // the reply timer struck
    QTRY_COMPARE_WITH_TIMEOUT(bytesWaitingOn(bench.server.devicePath()), protocol::ScanReplyLength,
                              5000);

    QVERIFY(bench.link.send(scanRequest(2)));
    QTRY_VERIFY_WITH_TIMEOUT(!bench.replies.isEmpty(), 5000);
    QTest::qWait(50);
    QCOMPARE(bench.replies, bench.server.replies().mid(1)); // not the late one
    QCOMPARE(protocol::decodeScanReply(protocol::replyText(bench.replies[0])).address, 2.0);

    // The panel side disappears while a reply is awaited: closed before anyone is told, once.
    const QString device = bench.server.devicePath();
    bench.server.queueFault(sim::Fault::Silence);
    QSignalSpy lost(&bench.link, &Transport::linkLost);
    bool openWhenLost = true;
    connect(&bench.link, &Transport::linkLost, this, [&] { openWhenLost = bench.link.isOpen(); });
    QVERIFY(bench.link.send(scanRequest(6)));
    QTRY_COMPARE_WITH_TIMEOUT(received.count(), 3, 5000);
    bench.server.stop();
    QVERIFY(lost.wait(5000));
    QVERIFY(!openWhenLost);
    QTest::qWait(300);
    QCOMPARE(lost.count(), 1);
    QCOMPARE(lost.first().first().value<PortFailure>().device, device);
}

// One portFailed() naming the device, typed, nothing sent; the message names device and remedy.
void TestSerialLink::failuresTyped_data()
{
    QTest::addColumn<PortFailure::Reason>("reason");
    QTest::addColumn<QString>("remedy");
    using R = PortFailure::Reason;
    QTest::newRow("missing") << R::Missing << u"adattatore USB"_s;
    QTest::newRow("in use") << R::InUse << u"un altro programma"_s;
    // Another program holding the line exclusively, without a lock file.
    QTest::newRow("exclusive") << R::InUse << u"un altro programma"_s;
    QTest::newRow("permission") << R::NoPermission << u"dialout"_s;
}

void TestSerialLink::failuresTyped()
{
    const QString how = QString::fromLatin1(QTest::currentDataTag());
    QFETCH(PortFailure::Reason, reason);
    QFETCH(QString, remedy);
    if ((how == u"exclusive"_s || how == u"permission"_s) && ::geteuid() == 0)
        QSKIP("root is never refused; scripts/test runs this as an unprivileged user");
    Bench bench;
    QVERIFY(bench.started);
    QTemporaryDir dir;
    QString device = bench.server.devicePath();
    int holder = -1;
    if (how == u"missing"_s) {
        device = u"/dev/testloop-no-such-device"_s;
    } else if (how == u"in use"_s) {
        QVERIFY(bench.link.open());
    } else if (how == u"exclusive"_s) {
        holder = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        QCOMPARE(::ioctl(holder, TIOCEXCL), 0);
    } else {
        device = dir.filePath(u"ttyLocked"_s);
        QFile file(device);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.setPermissions({}));
    }
    SerialLink lone;
    lone.setPortOverride(device);
    QSignalSpy failed(&lone, &Transport::portFailed);
    const bool sent = lone.send(scanRequest(1));
    if (holder >= 0) {
        ::ioctl(holder, TIOCNXCL);
        ::close(holder);
    }
    QVERIFY(!sent && !lone.isOpen());
    QCOMPARE(failed.count(), 1);
    const PortFailure failure = failed.first().first().value<PortFailure>();
    QCOMPARE(failure.reason, reason);
    QCOMPARE(failure.device, device);
    QVERIFY(bench.server.requests().isEmpty());
    const QString text = portFailureMessage(failure);
    QVERIFY2(text.contains(device) && text.contains(remedy), qPrintable(text));
}

void TestSerialLink::portNames()
{
    const auto resolved = [](int comPort, const QString &override, const char *existing = "") {
        const QStringList present = QString::fromLatin1(existing).split(u' ');
        return resolvePortName(comPort, override,
                               [&](const QString &p) { return present.contains(p); });
    };
    QCOMPARE(resolved(2, u"/dev/pts/7"_s, "/dev/ttyUSB1"), u"/dev/pts/7"_s);
    QCOMPARE(resolved(1, {}, "/dev/ttyUSB0 /dev/ttyS0"), u"/dev/ttyUSB0"_s);
    QCOMPARE(resolved(2, {}, "/dev/ttyACM1 /dev/ttyS1"), u"/dev/ttyACM1"_s);
    QCOMPARE(resolved(3, {}, "/dev/ttyS2"), u"/dev/ttyS2"_s);
    QCOMPARE(resolved(1, {}), u"/dev/ttyUSB0"_s); // nothing present: the USB adapter's name
}

// The port number changes only while closed; command line's device, then chosen, then number's.
void TestSerialLink::whichDevice()
{
    Bench bench;
    QVERIFY(bench.started);
    SerialLink &link = bench.link;
    QVERIFY(link.open());
    QVERIFY(!link.setPortNumber(0));
    QCOMPARE(link.portNumber(), 1);
    link.close();
    QVERIFY(link.setPortNumber(0)); // no device of its own: port 0 is no port
    QCOMPARE(link.deviceName(), bench.server.devicePath()); // the override serves every number
    link.setPortOverride({});
    QCOMPARE(link.deviceName(), QString());
    link.setChosenDevice(u"/dev/serial/by-id/usb-FTDI"_s);
    QCOMPARE(link.deviceName(), u"/dev/serial/by-id/usb-FTDI"_s);
    link.setPortOverride(u"/dev/pts/7"_s);
    QCOMPARE(link.deviceName(), u"/dev/pts/7"_s);
}

QTEST_GUILESS_MAIN(TestSerialLink)
#include "tst_seriallink.moc"
