// The simulated panel: replies, installation files, and the server over a real pseudo-terminal
// opened here with plain POSIX calls, as the program's serial port opens it.

#include "link/PanelProtocol.h"
#include "sim/Installation.h"
#include "sim/PanelResponder.h"
#include "sim/PanelServer.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <memory>
#include <set>
#include <termios.h>
#include <unistd.h>

using namespace testloop;
using namespace testloop::sim;
using namespace std::chrono_literals;

namespace {

constexpr int ReadTimeoutMs = 10000;

QByteArray desc(const char *text)
{
    return QByteArray(text).leftJustified(Installation::DescriptionLength, ' ');
}

// A small installation whose replies are written out by hand below. Loading it from its file
// form also checks that form: omitted keys take the defaults (type 2, zone 1, status 0,
// analogue 45, current 15, test "TY").
Installation installation(const QByteArray &json)
{
    QString error;
    const std::optional<Installation> loaded = Installation::fromJson(json, &error);
    if (!loaded)
        qFatal("%s", qPrintable(error));
    return *loaded;
}

Installation fixture()
{
    return installation(R"({"loops": {
        "1": {"sensors": {"1": {"analogue": 52},
                          "5": {"zone": 3, "description": "UFFICIO 3"},
                          "6": {"zone": 3, "analogue": 70, "current": 14},
                          "7": {"type": 4, "zone": 0, "status": 2, "description": "MAGAZZINO SUD",
                                "analogue": 200, "current": 40, "test": "TN"},
                          "9": {"type": 7, "zone": 12, "status": 1, "analogue": 5, "current": 120,
                                "description": "CORRIDOIO PIANO 1", "test": "T?"},
                          "99": {"zone": 9, "analogue": 80}},
              "modules": {"8": {"type": 6, "zone": 4, "description": "PULSANTE SCALA A",
                                "analogue": 8, "current": 35}}},
        "2": {"sensors": {"5": {"type": 3, "zone": 10, "analogue": 60, "current": 16,
                                "test": "TN"}}}}})");
}

const QByteArray scan105 = "(j006AR1005045015000000000)XZ";
const QByteArray scan106 = "(j006AR1006070014000000000)XZ";
const QByteArray scan205 = "(j006AR2005060016000000000)XZ";
const QByteArray scan101 = "(j006AR1001052015000000000)XZ";
const QByteArray scan199 = "(j006AR1099080015000000000)XZ";
const QByteArray scan209 = "(j006AR2009000000000000000)XZ";

bool started(PanelServer &server)
{
    QString error;
    const bool ok = server.start(&error);
    if (!ok)
        qWarning("%s", qPrintable(error));
    return ok;
}

// The device side of the pseudo-terminal, as the program holds it.
struct DeviceSide
{
    explicit DeviceSide(const QString &path)
        : fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK))
    { }
    ~DeviceSide() { ::close(fd); }

    bool write(const QByteArray &bytes)
    {
        qsizetype done = 0;
        for (QDeadlineTimer deadline(ReadTimeoutMs); done < bytes.size() && !deadline.hasExpired();
             QTest::qWait(1)) {
            const ssize_t count
                = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
            if (count < 0 && errno != EAGAIN && errno != EINTR)
                return false;
            done += std::max<ssize_t>(count, 0);
        }
        return done == bytes.size();
    }

    // Whatever is there right now.
    QByteArray readAvailable()
    {
        QByteArray received;
        char buffer[4096];
        for (ssize_t got = 0; (got = ::read(fd, buffer, sizeof buffer)) > 0;)
            received.append(buffer, got);
        return received;
    }

    // At least count bytes (fewer only on timeout), keeping the event loop running.
    QByteArray read(qsizetype count)
    {
        QByteArray received;
        for (QDeadlineTimer deadline(ReadTimeoutMs);
             received.size() < count && !deadline.hasExpired(); QTest::qWait(2))
            received += readAvailable();
        return received;
    }

    int fd = -1;
};

} // namespace

class TestPanelSim : public QObject
{
    Q_OBJECT

private slots:
    // Requests and replies.
    void replies_data();
    void replies();
    void replyFieldsAtTheirPositions();
    void noReply_data();
    void noReply();
    void noiseHeldWithinTheField();

    // Installation files that are refused.
    void jsonRejected_data();
    void jsonRejected();

    // The server over a pseudo-terminal.
    void deliveryGivesSameBytes_data();
    void deliveryGivesSameBytes();
    void queuedFaults_data();
    void queuedFaults();
    void onlyWholeRequestsAreAnswered();
    void deviceReopenedRepeatedly();
    void fullDeviceInputIsDiscarded();
    void lifetime();

    // The command.
    void command();
};

void TestPanelSim::replies_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("length");

    const int download = protocol::DownloadReplyLength;
    const int scan = protocol::ScanReplyLength;
    const int test = protocol::TestReplyLength;
    QTest::newRow("download sensor") << QByteArray("(j00DQBS1005)XZ")
                                     << "(j00DQRS10052030" + desc("UFFICIO 3") + "0)XZ" << download;
    QTest::newRow("download not activated")
        << QByteArray("(j00DQBS1007)XZ") << "(j00DQRS10074002" + desc("MAGAZZINO SUD") + "0)XZ"
        << download;
    QTest::newRow("download module only")
        << QByteArray("(j00DQBS1008)XZ") << "(j00DQRS10086040" + desc("PULSANTE SCALA A") + "0)XZ"
        << download;
    QTest::newRow("download empty, board code echoed")
        << QByteArray("(X1ZDQBS2015)XZ") << "(X1ZDQRS20151002" + desc("") + "0)XZ" << download;
    QTest::newRow("scan sensor") << QByteArray("(j006AQ1005)XZ") << scan105 << scan;
    QTest::newRow("scan module") << QByteArray("(j006AQ1208)XZ")
                                 << QByteArray("(j006AR1208008035000000000)XZ") << scan;
    QTest::newRow("scan module where only a sensor is")
        << QByteArray("(j006AQ1205)XZ") << QByteArray("(j006AR1205000000000000000)XZ") << scan;
    QTest::newRow("scan empty") << QByteArray("(j006AQ1050)XZ")
                                << QByteArray("(j006AR1050000000000000000)XZ") << scan;
    QTest::newRow("test passes") << QByteArray("(j006TS1005)XZ") << QByteArray("(j006TY1005)XZ")
                                 << test;
    QTest::newRow("test fails") << QByteArray("(j006TS1007)XZ") << QByteArray("(j006TN1007)XZ")
                                << test;
    QTest::newRow("test empty") << QByteArray("(Q9.6TS2050)XZ") << QByteArray("(Q9.6T?2050)XZ")
                                << test;
}

void TestPanelSim::replies()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    QFETCH(int, length);

    const std::optional<QByteArray> answer = PanelResponder(fixture()).replyTo(request);
    QVERIFY(answer.has_value());
    QCOMPARE(*answer, reply);
    QCOMPARE(answer->size(), length);
}

// The program's own decoding reads each field where the simulator put it.
void TestPanelSim::replyFieldsAtTheirPositions()
{
    PanelResponder responder(fixture());
    const auto text = [&](const char *request) {
        return protocol::replyText(*responder.replyTo(QByteArray(request)));
    };

    const protocol::DownloadReply download = protocol::decodeDownloadReply(text("(j00DQBS1009)XZ"));
    QCOMPARE(download.address, 9.0);
    QCOMPARE(download.typeDigit, QStringLiteral("7"));
    QCOMPARE(download.zone, 12.0);
    QCOMPARE(download.status, 1.0);
    QCOMPARE(download.description, QStringLiteral("CORRIDOIO PIANO 1    "));

    const protocol::DownloadReply empty = protocol::decodeDownloadReply(text("(j00DQBS2077)XZ"));
    QCOMPARE(protocol::deviceTypeLabel(empty.typeDigit).value_or(QString()),
             QStringLiteral("NON USATO"));
    QVERIFY(protocol::isNotActivated(empty.zone, empty.status));

    const protocol::ScanReply scan = protocol::decodeScanReply(text("(j006AQ1208)XZ"));
    QCOMPARE(scan.loop, QStringLiteral("1"));
    QCOMPARE(scan.address, 8.0);
    QCOMPARE(scan.analogue, 8.0);
    QCOMPARE(scan.current, 35.0);

    const protocol::TestReply test = protocol::decodeTestReply(text("(j006TS2005)XZ"));
    QCOMPARE(test.result, QStringLiteral("TN"));
    QCOMPARE(test.loop, QStringLiteral("2"));
    QCOMPARE(test.address, 5.0);
}

void TestPanelSim::noReply_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::newRow("lock on") << QByteArray("(j006PIS000)XZ");
    QTest::newRow("lock off") << QByteArray("(j006PFS000)XZ");
    QTest::newRow("unknown body") << QByteArray("(j006XX1005)XZ");
    QTest::newRow("short") << QByteArray("(j0)XZ");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("no end") << QByteArray("(j006AQ1005)X");
    QTest::newRow("scan kind 1") << QByteArray("(j006AQ1108)XZ");
    QTest::newRow("test of a module") << QByteArray("(j006TS1231)XZ");
    QTest::newRow("letter in address") << QByteArray("(j006AQ10A5)XZ");
}

void TestPanelSim::noReply()
{
    QFETCH(QByteArray, request);
    QVERIFY(!PanelResponder(fixture()).replyTo(request).has_value());
}

void TestPanelSim::noiseHeldWithinTheField()
{
    PanelResponder responder(
        installation(R"({"loops": {"1": {"sensors": {"4": {"analogue": 2, "noise": 5},
                                                     "5": {"analogue": 997, "noise": 5}}}}})"),
        42);
    std::set<int> seen;
    for (int i = 0; i < 400; ++i)
        for (const char *request : {"(j006AQ1004)XZ", "(j006AQ1005)XZ"})
            seen.insert(responder.replyTo(QByteArray(request))->mid(11, 3).toInt());
    // The full swing comes up in 400 readings, held at the field's ends.
    QVERIFY(seen.count(7) && seen.count(992));
    QCOMPARE(*seen.begin(), 0);
    QCOMPARE(*seen.rbegin(), 999);
}

void TestPanelSim::jsonRejected_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("message");

    const auto sensorWith = [](const char *entry) {
        return QByteArray(R"({"loops": {"1": {"sensors": {"5": {)") + entry + "}}}}}";
    };
    QTest::newRow("bad JSON") << QByteArray(R"({"loops": {)") << QStringLiteral("not valid JSON");
    QTest::newRow("no loops") << QByteArray("{}") << QStringLiteral("missing key \"loops\"");
    QTest::newRow("unknown top key")
        << QByteArray(R"({"loops": {}, "loop": 1})") << QStringLiteral("unknown key \"loop\"");
    QTest::newRow("loop 3") << QByteArray(R"({"loops": {"3": {}}})")
                            << QStringLiteral("loops.3: loop must be 1 or 2");
    QTest::newRow("address 100") << QByteArray(R"({"loops": {"2": {"modules": {"100": {}}}}})")
                                 << QStringLiteral("loops.2.modules.100: address must be 1..99");
    QTest::newRow("type 8") << sensorWith(R"("type": 8)")
                            << QStringLiteral("loops.1.sensors.5.type: 8 is out of range 1..7");
    QTest::newRow("noise fraction")
        << sensorWith(R"("noise": 1.5)")
        << QStringLiteral("loops.1.sensors.5.noise: must be a whole number");
    QTest::newRow("description 22") << sensorWith(R"("description": "ABCDEFGHIJKLMNOPQRSTUV")")
                                    << QStringLiteral("loops.1.sensors.5.description");
    QTest::newRow("test on a module")
        << QByteArray(R"({"loops": {"1": {"modules": {"5": {"test": "TY"}}}}})")
        << QStringLiteral("loops.1.modules.5: unknown key \"test\"");
}

void TestPanelSim::jsonRejected()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, message);
    QString error;
    QVERIFY(!Installation::fromJson(json, &error).has_value());
    QVERIFY2(error.contains(message), qPrintable(error));
}

void TestPanelSim::deliveryGivesSameBytes_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<Delivery>("delivery");
    QTest::addColumn<bool>("paced");

    const QByteArray download = "(j00DQRS10052030" + desc("UFFICIO 3") + "0)XZ";
    QTest::newRow("download, whole")
        << QByteArray("(j00DQBS1005)XZ") << download << Delivery::Whole << false;
    QTest::newRow("scan, halves") << QByteArray("(j006AQ1005)XZ") << scan105 << Delivery::Halves
                                  << false;
    QTest::newRow("test, bytes") << QByteArray("(j006TS1007)XZ") << QByteArray("(j006TN1007)XZ")
                                 << Delivery::ByteByByte << false;
    QTest::newRow("scan, whole, paced")
        << QByteArray("(j006AQ1005)XZ") << scan105 << Delivery::Whole << true;
    QTest::newRow("download, halves, paced")
        << QByteArray("(j00DQBS1005)XZ") << download << Delivery::Halves << true;
}

void TestPanelSim::deliveryGivesSameBytes()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    QFETCH(Delivery, delivery);
    QFETCH(bool, paced);

    ServerOptions options;
    options.delivery = delivery;
    options.linePacing = paced;
    options.pieceGap = 1ms;
    PanelServer server(fixture(), options);
    QVERIFY(started(server));
    QVERIFY(server.devicePath().startsWith(QStringLiteral("/dev/pts/")));
    QSignalSpy written(&server, &PanelServer::bytesWritten);

    DeviceSide device(server.devicePath());
    QVERIFY(device.write(request));
    QCOMPARE(device.read(reply.size()), reply);
    QByteArray joined;
    for (const QList<QVariant> &arguments : std::as_const(written))
        joined += arguments.first().toByteArray();
    QCOMPARE(joined, reply);
    if (!paced) // pacing may cut the pieces further
        QCOMPARE(written.size(),
                 delivery == Delivery::Whole        ? 1
                     : delivery == Delivery::Halves ? 2
                                                    : reply.size());
    QCOMPARE(server.requests(), QList<QByteArray> {request});
    QTRY_COMPARE_WITH_TIMEOUT(server.replies(), QList<QByteArray> {reply}, ReadTimeoutMs);
}

void TestPanelSim::queuedFaults_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("received"); // '?': any printable character

    // The faulted request is followed by a clean one, both written at once.
    const QByteArray request105 = "(j006AQ1005)XZ";
    const QByteArray request199 = "(j006AQ1099)XZ";
    QTest::newRow("silence") << Fault::Silence << request105 << scan209;
    QTest::newRow("late") << Fault::Late << request105 << scan209 + scan105;
    QTest::newRow("partial") << Fault::Partial << request105 << scan105.left(14) + scan209;
    QTest::newRow("garbage") << Fault::Garbage << request105 << QByteArray(29, '?') + scan209;
    QTest::newRow("other loop") << Fault::OtherLoop << request105 << scan205 + scan209;
    QTest::newRow("other address") << Fault::OtherAddress << request105 << scan106 + scan209;
    QTest::newRow("other address after 99")
        << Fault::OtherAddress << request199 << scan101 + scan209;
    QTest::newRow("no fault at 99") << Fault::None << request199 << scan199 + scan209;
}

void TestPanelSim::queuedFaults()
{
    QFETCH(Fault, fault);
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, received);

    ServerOptions options;
    options.lateDelay = 300ms;
    PanelServer server(fixture(), options);
    QVERIFY(started(server));
    server.queueFault(fault);

    DeviceSide device(server.devicePath());
    QVERIFY(device.write(first + "(j006AQ2009)XZ"));
    QByteArray bytes = device.read(received.size());
    if (fault == Fault::Garbage) {
        QVERIFY(bytes.left(29) != scan105);
        for (qsizetype i = 0; i < 29; ++i)
            bytes[i] = bytes[i] >= 0x20 && bytes[i] <= 0x7e ? '?' : bytes[i];
    }
    QCOMPARE(bytes, received);
    QCOMPARE(server.requests().size(), 2);
    QCOMPARE(server.replies().size(), fault == Fault::Silence ? 1 : 2);
}

void TestPanelSim::onlyWholeRequestsAreAnswered()
{
    PanelServer server(fixture());
    QVERIFY(started(server));
    // A queued fault is kept for the next request that has a reply.
    server.queueFault(Fault::OtherLoop);

    // Line noise, a stray start that never ends, locks, an unknown request, and a request
    // split in two pieces: only the two scans are answered.
    DeviceSide device(server.devicePath());
    QVERIFY(device.write("\r\n~(" + QByteArray(70, 'x')
                         + "(j006PIS000)XZ(j006AQ1005)XZ(j00HELLO)XZ(j006PFS000)XZ(j006A"));
    QTest::qWait(20);
    QVERIFY(device.write("Q1005)XZ"));
    QCOMPARE(device.read(2 * 29), scan205 + scan105);
    // Nothing else was sent before the next clean reply.
    QVERIFY(device.write("(j006AQ1006)XZ"));
    QCOMPARE(device.read(29), scan106);
    QCOMPARE(server.requests().size(), 6);
    QCOMPARE(server.requests().at(4), QByteArray("(j006AQ1005)XZ"));
    QCOMPARE(server.lockRequestCount(), 2);
    QCOMPARE(server.unrecognisedRequestCount(), 1);
}

void TestPanelSim::deviceReopenedRepeatedly()
{
    QTemporaryDir dir;
    ServerOptions options;
    options.logPath = dir.filePath(QStringLiteral("panel.log"));
    PanelServer server(fixture(), options);
    QVERIFY(started(server));

    // The program opens the port, sends, reads and closes it for every request.
    for (int round = 0; round < 5; ++round) {
        QTest::qWait(20);
        DeviceSide device(server.devicePath());
        QVERIFY(device.write("(j006AQ1005)XZ"));
        QCOMPARE(device.read(29), scan105);
    }
    QVERIFY(server.isServing());
    server.stop();

    // Every reply logged, and no error in between.
    QFile log(options.logPath);
    QVERIFY(log.open(QIODevice::ReadOnly));
    int replies = 0;
    for (const QByteArray &line : log.readAll().split('\n')) {
        QVERIFY2(!line.contains(" ! "), line.constData());
        replies += line.endsWith(" < " + scan105) ? 1 : 0;
    }
    QCOMPARE(replies, 5);
}

void TestPanelSim::fullDeviceInputIsDiscarded()
{
    PanelServer server(fixture());
    QVERIFY(started(server));

    // Nobody reads the device: its input fills up long before 3000 replies.
    constexpr int Count = 3000;
    DeviceSide device(server.devicePath());
    for (int i = 0; i < Count / 100; ++i)
        QVERIFY(device.write(QByteArray("(j006AQ1005)XZ").repeated(100)));
    QTRY_COMPARE_WITH_TIMEOUT(server.replies().size(), Count, 60000);

    // Drain until the line has been quiet for a while, then drop any straggler.
    qsizetype unread = 0;
    for (int quiet = 0; quiet < 5; QTest::qWait(20)) {
        const qsizetype size = device.readAvailable().size();
        unread += size;
        quiet = size == 0 ? quiet + 1 : 0;
    }
    ::tcflush(device.fd, TCIFLUSH);
    QVERIFY(unread > 0 && unread < qsizetype(Count) * protocol::ScanReplyLength);

    // The line is still good afterwards.
    QVERIFY(device.write("(j006AQ1006)XZ"));
    QCOMPARE(device.read(29), scan106);
}

// The link, a stop with a reply still due, a fresh start, and a start refused.
void TestPanelSim::lifetime()
{
    QTemporaryDir dir;
    ServerOptions options;
    options.linkPath = dir.filePath(QStringLiteral("panel"));
    options.lateDelay = 200ms;
    QVERIFY(QFile::link(QStringLiteral("/dev/null"), options.linkPath)); // an old link is replaced
    PanelServer server(fixture(), options);
    QVERIFY(started(server));
    QCOMPARE(QFileInfo(options.linkPath).symLinkTarget(), server.devicePath());
    server.queueFault(Fault::Late);
    QSignalSpy received(&server, &PanelServer::requestReceived);
    {
        DeviceSide device(options.linkPath);
        QVERIFY(device.write("(j006AQ1005)XZ"));
        QVERIFY(!received.isEmpty() || received.wait(ReadTimeoutMs));
    }
    server.stop();
    QVERIFY(!QFileInfo(options.linkPath).isSymLink());

    // Started again at once, it serves afresh; the late reply from before is never sent.
    QVERIFY(started(server));
    {
        DeviceSide device(options.linkPath);
        QVERIFY(device.write("(j006AQ1006)XZ"));
        QCOMPARE(device.read(29), scan106);
        QTest::qWait(400);
        QVERIFY(device.readAvailable().isEmpty());
        QCOMPARE(server.replies(), QList<QByteArray> {scan106});
    }
    server.stop();

    // A regular file in the link's place is left alone, and the server does not start.
    QFile file(options.linkPath);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QString error;
    QVERIFY(!server.start(&error));
    QVERIFY2(error.contains(options.linkPath), qPrintable(error));
    QVERIFY(!server.isServing());
    QVERIFY(QFileInfo(options.linkPath).isFile() && !QFileInfo(options.linkPath).isSymLink());
}

void TestPanelSim::command()
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("panel"));
    const QString path = dir.filePath(QStringLiteral("installation.json"));
    const auto run = [&](const QByteArray &json, const QStringList &arguments) {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(json);
        file.close();
        auto process = std::make_unique<QProcess>();
        process->start(QStringLiteral(PANELSIM_PATH),
                       QStringList {QStringLiteral("--installation"), path} + arguments);
        return process;
    };

    // A bad installation is named on standard error and stops the command with exit code 2.
    const auto rejected = run(R"({"loops": {"1": {"sensors": {"120": {}}}}})", {});
    QVERIFY(rejected->waitForFinished(ReadTimeoutMs));
    QCOMPARE(rejected->exitCode(), 2);
    QVERIFY(rejected->readAllStandardOutput().isEmpty());
    QVERIFY(rejected->readAllStandardError().contains("loops.1.sensors.120"));

    // Every reply drawn as one for the next address: asked for 2/6, the module at 2/7 answers.
    const auto process
        = run(R"({"loops": {"2": {"modules": {"7": {"analogue": 123, "current": 45}}}}})",
              {QStringLiteral("--link"), link, QStringLiteral("--reply-delay-ms"),
               QStringLiteral("0"), QStringLiteral("--delivery"), QStringLiteral("halves"),
               QStringLiteral("--other-address"), QStringLiteral("1")});
    for (QDeadlineTimer deadline(ReadTimeoutMs); !process->canReadLine() && !deadline.hasExpired();)
        process->waitForReadyRead(100);
    const QString line = QString::fromUtf8(process->readLine()).trimmed();
    const QRegularExpressionMatch match
        = QRegularExpression(QStringLiteral(R"(^panelsim: serving on (/dev/pts/\d+)$)"))
              .match(line);
    QVERIFY2(match.hasMatch(), qPrintable(line));
    QCOMPARE(QFileInfo(link).symLinkTarget(), match.captured(1));
    {
        DeviceSide device(match.captured(1));
        QVERIFY(device.write("(j006AQ2206)XZ"));
        QCOMPARE(device.read(29), QByteArray("(j006AR2207123045000000000)XZ"));
    }

    QCOMPARE(::kill(pid_t(process->processId()), SIGTERM), 0);
    QVERIFY(process->waitForFinished(ReadTimeoutMs));
    QCOMPARE(process->exitStatus(), QProcess::NormalExit);
    QCOMPARE(process->exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
}

QTEST_GUILESS_MAIN(TestPanelSim)
#include "tst_panelsim.moc"
