// The simulated panel: request parsing, replies, installation files, faults, and the server
// over a real pseudo-terminal opened here with plain POSIX calls.

#include "link/PanelProtocol.h"
#include "sim/FaultPlanner.h"
#include "sim/Installation.h"
#include "sim/LinePacer.h"
#include "sim/PanelRequest.h"
#include "sim/PanelResponder.h"
#include "sim/PanelServer.h"
#include "sim/RequestFramer.h"

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

Sensor sensor(int type, int zone, int status, const char *description, int analogue, int current,
              const char *test, int noise = 0)
{
    return Sensor {type,     zone,    status, QString::fromLatin1(description),
                   analogue, current, noise,  QString::fromLatin1(test)};
}

Module module(int type, int zone, const char *description, int analogue, int current)
{
    return Module {type, zone, QString::fromLatin1(description), analogue, current, 0};
}

// A small installation whose replies are written out by hand below.
Installation fixture()
{
    Installation installation;
    installation.setSensor(1, 1, sensor(2, 1, 0, "INGRESSO", 52, 15, "TY"));
    installation.setSensor(1, 5, sensor(2, 3, 0, "UFFICIO 3", 45, 15, "TY"));
    installation.setSensor(1, 6, sensor(2, 3, 0, "UFFICIO 4", 70, 14, "TY"));
    installation.setSensor(1, 7, sensor(4, 0, 2, "MAGAZZINO SUD", 200, 40, "TN"));
    installation.setSensor(1, 9, sensor(7, 12, 1, "CORRIDOIO PIANO 1", 5, 120, "T?"));
    installation.setSensor(1, 99, sensor(2, 9, 0, "FINE LINEA", 80, 15, "TY"));
    installation.setSensor(2, 5, sensor(3, 10, 0, "AULA 1", 60, 16, "TN"));
    installation.setModule(1, 6, module(6, 3, "SERRANDA", 300, 15));
    installation.setModule(1, 8, module(6, 4, "PULSANTE SCALA A", 8, 35));
    return installation;
}

const QByteArray scan105 = "(j006AR1005045015000000000)XZ";
const QByteArray scan106 = "(j006AR1006070014000000000)XZ";
const QByteArray scan205 = "(j006AR2005060016000000000)XZ";
const QByteArray scan101 = "(j006AR1001052015000000000)XZ";
const QByteArray scan199 = "(j006AR1099080015000000000)XZ";
const QByteArray scan209 = "(j006AR2009000000000000000)XZ";

// The device side of the pseudo-terminal, as the program would hold it.
class DeviceSide
{
public:
    explicit DeviceSide(const QString &path)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK))
    { }
    ~DeviceSide() { close(); }
    DeviceSide(const DeviceSide &) = delete;
    DeviceSide &operator=(const DeviceSide &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    void close()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

    bool write(const QByteArray &bytes)
    {
        qsizetype done = 0;
        QDeadlineTimer deadline(ReadTimeoutMs);
        while (done < bytes.size() && !deadline.hasExpired()) {
            const ssize_t count
                = ::write(m_fd, bytes.constData() + done, size_t(bytes.size() - done));
            if (count > 0)
                done += count;
            else if (count < 0 && errno != EAGAIN && errno != EINTR)
                return false;
            else
                QTest::qWait(1);
        }
        return done == bytes.size();
    }

    // Reads exactly count bytes (fewer only on timeout), keeping the event loop running.
    QByteArray read(qsizetype count)
    {
        QByteArray received;
        QDeadlineTimer deadline(ReadTimeoutMs);
        while (received.size() < count && !deadline.hasExpired()) {
            char buffer[256];
            const auto wanted = size_t(std::min<qsizetype>(count - received.size(), sizeof buffer));
            const ssize_t got = ::read(m_fd, buffer, wanted);
            if (got > 0)
                received.append(buffer, got);
            else
                QTest::qWait(2);
        }
        return received;
    }

    void discardInput() { ::tcflush(m_fd, TCIFLUSH); }

    // Whatever is there right now.
    QByteArray readAvailable()
    {
        QByteArray received;
        char buffer[4096];
        ssize_t got = 0;
        while ((got = ::read(m_fd, buffer, sizeof buffer)) > 0)
            received.append(buffer, got);
        return received;
    }

private:
    int m_fd = -1;
};

QList<QByteArray> logLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().split('\n');
}

} // namespace

class TestPanelSim : public QObject
{
    Q_OBJECT

private slots:
    // Requests and replies.
    void parsesRequests_data();
    void parsesRequests();
    void replies_data();
    void replies();
    void replyFieldsAtTheirPositions();
    void noReply_data();
    void noReply();
    void noiseStaysWithinBounds_data();
    void noiseStaysWithinBounds();
    void noiseRepeatsWithSeed();

    // Installations.
    void defaultInstallationShowsEveryState();
    void jsonGood();
    void jsonRejected_data();
    void jsonRejected();

    // Pieces of the server.
    void framer_data();
    void framer();
    void pacerCharactersDue_data();
    void pacerCharactersDue();
    void faultPlanner();

    // The server over a pseudo-terminal.
    void serverAnswers_data();
    void serverAnswers();
    void deliveryGivesSameBytes_data();
    void deliveryGivesSameBytes();
    void queuedFaults_data();
    void queuedFaults();
    void garbageFault();
    void lockAndUnrecognisedGetNoReply();
    void requestSplitAndNoise();
    void symlinkLifetime();
    void linkRefusesRegularFile();
    void deviceReopenedRepeatedly();
    void logRecordsTraffic();
    void fullDeviceInputIsDiscarded();
    void stopDropsPendingReply();

    // The command.
    void commandServesAndStopsOnSignal();
    void commandRejectsBadInstallation();
};

void TestPanelSim::parsesRequests_data()
{
    using Kind = PanelRequest::Kind;
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QByteArray>("boardCode");
    QTest::addColumn<int>("loop");
    QTest::addColumn<int>("address");
    QTest::addColumn<bool>("isModule");

    QTest::newRow("download") << QByteArray("(j00DQBS2015)XZ") << Kind::Download
                              << QByteArray("j00") << 2 << 15 << false;
    QTest::newRow("scan sensor") << QByteArray("(j006AQ1005)XZ") << Kind::Scan << QByteArray("j00")
                                 << 1 << 5 << false;
    QTest::newRow("scan module") << QByteArray("(j006AQ1208)XZ") << Kind::Scan << QByteArray("j00")
                                 << 1 << 8 << true;
    QTest::newRow("test") << QByteArray("(abc6TS1031)XZ") << Kind::Test << QByteArray("abc") << 1
                          << 31 << false;
    QTest::newRow("lock on") << QByteArray("(j006PIS000)XZ") << Kind::LockOn << QByteArray("j00")
                             << 0 << 0 << false;
    QTest::newRow("lock off") << QByteArray("(j006PFS000)XZ") << Kind::LockOff << QByteArray("j00")
                              << 0 << 0 << false;
    QTest::newRow("scan kind 1") << QByteArray("(j006AQ1108)XZ") << Kind::Unrecognised
                                 << QByteArray("j00") << 0 << 0 << false;
    QTest::newRow("test of a module") << QByteArray("(j006TS1231)XZ") << Kind::Unrecognised
                                      << QByteArray("j00") << 0 << 0 << false;
    QTest::newRow("letter in address") << QByteArray("(j006AQ10A5)XZ") << Kind::Unrecognised
                                       << QByteArray("j00") << 0 << 0 << false;
    QTest::newRow("download kind T") << QByteArray("(j00DQBT2015)XZ") << Kind::Unrecognised
                                     << QByteArray("j00") << 0 << 0 << false;
    QTest::newRow("one digit too many") << QByteArray("(j006AQ10055)XZ") << Kind::Unrecognised
                                        << QByteArray("j00") << 0 << 0 << false;
    QTest::newRow("no end") << QByteArray("(j006AQ1005)X") << Kind::Unrecognised << QByteArray()
                            << 0 << 0 << false;
}

void TestPanelSim::parsesRequests()
{
    QFETCH(QByteArray, request);
    QFETCH(PanelRequest::Kind, kind);
    QFETCH(QByteArray, boardCode);
    QFETCH(int, loop);
    QFETCH(int, address);
    QFETCH(bool, isModule);

    const PanelRequest parsed = PanelRequest::parse(request);
    QCOMPARE(parsed.kind, kind);
    QCOMPARE(parsed.boardCode, boardCode);
    QCOMPARE(parsed.loop, loop);
    QCOMPARE(parsed.address, address);
    QCOMPARE(parsed.device == protocol::DeviceKind::Module, isModule);
}

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
    QTest::newRow("download empty")
        << QByteArray("(j00DQBS1050)XZ") << "(j00DQRS10501002" + desc("") + "0)XZ" << download;
    QTest::newRow("download board code")
        << QByteArray("(X1ZDQBS2015)XZ") << "(X1ZDQRS20151002" + desc("") + "0)XZ" << download;
    QTest::newRow("scan sensor") << QByteArray("(j006AQ1005)XZ") << scan105 << scan;
    QTest::newRow("scan conflict")
        << QByteArray("(j006AQ1007)XZ") << QByteArray("(j006AR1007200040000000000)XZ") << scan;
    QTest::newRow("scan fault") << QByteArray("(j006AQ1009)XZ")
                                << QByteArray("(j006AR1009005120000000000)XZ") << scan;
    QTest::newRow("scan module") << QByteArray("(j006AQ1208)XZ")
                                 << QByteArray("(j006AR1208008035000000000)XZ") << scan;
    QTest::newRow("scan module where only a sensor is")
        << QByteArray("(j006AQ1205)XZ") << QByteArray("(j006AR1205000000000000000)XZ") << scan;
    QTest::newRow("scan empty") << QByteArray("(j006AQ1050)XZ")
                                << QByteArray("(j006AR1050000000000000000)XZ") << scan;
    QTest::newRow("scan loop 2") << QByteArray("(j006AQ2005)XZ") << scan205 << scan;
    QTest::newRow("test passes") << QByteArray("(j006TS1005)XZ") << QByteArray("(j006TY1005)XZ")
                                 << test;
    QTest::newRow("test fails") << QByteArray("(j006TS1007)XZ") << QByteArray("(j006TN1007)XZ")
                                << test;
    QTest::newRow("test no result")
        << QByteArray("(j006TS1009)XZ") << QByteArray("(j006T?1009)XZ") << test;
    QTest::newRow("test empty") << QByteArray("(Q9.6TS2050)XZ") << QByteArray("(Q9.6T?2050)XZ")
                                << test;
}

void TestPanelSim::replies()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    QFETCH(int, length);

    PanelResponder responder(fixture());
    const std::optional<QByteArray> answer = responder.replyTo(request);
    QVERIFY(answer.has_value());
    QCOMPARE(*answer, reply);
    QCOMPARE(answer->size(), length);
}

void TestPanelSim::replyFieldsAtTheirPositions()
{
    PanelResponder responder(fixture());

    const QString download = protocol::replyText(*responder.replyTo(QByteArray("(j00DQBS1009)XZ")));
    const protocol::DownloadReply decoded = protocol::decodeDownloadReply(download);
    QCOMPARE(decoded.address, 9.0);
    QCOMPARE(decoded.typeDigit, QStringLiteral("7"));
    QCOMPARE(decoded.zone, 12.0);
    QCOMPARE(decoded.status, 1.0);
    QCOMPARE(decoded.description, QStringLiteral("CORRIDOIO PIANO 1    "));
    QCOMPARE(protocol::deviceTypeLabel(decoded.typeDigit).value_or(QString()),
             QStringLiteral("KELVARO"));
    QCOMPARE(protocol::field(download, 38, 1), QStringLiteral("0"));

    const QString empty = protocol::replyText(*responder.replyTo(QByteArray("(j00DQBS2077)XZ")));
    const protocol::DownloadReply emptyDecoded = protocol::decodeDownloadReply(empty);
    QCOMPARE(protocol::deviceTypeLabel(emptyDecoded.typeDigit).value_or(QString()),
             QStringLiteral("NON USATO"));
    QVERIFY(protocol::isNotActivated(emptyDecoded.zone, emptyDecoded.status));

    const QString scan = protocol::replyText(*responder.replyTo(QByteArray("(j006AQ1208)XZ")));
    const protocol::ScanReply scanned = protocol::decodeScanReply(scan);
    QCOMPARE(scanned.loop, QStringLiteral("1"));
    QCOMPARE(scanned.address, 8.0);
    QCOMPARE(scanned.analogue, 8.0);
    QCOMPARE(scanned.current, 35.0);
    QCOMPARE(protocol::field(scan, 18, 9), QStringLiteral("000000000"));

    const QString test = protocol::replyText(*responder.replyTo(QByteArray("(j006TS2005)XZ")));
    const protocol::TestReply tested = protocol::decodeTestReply(test);
    QCOMPARE(tested.result, QStringLiteral("TN"));
    QCOMPARE(tested.loop, QStringLiteral("2"));
    QCOMPARE(tested.address, 5.0);
}

void TestPanelSim::noReply_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::newRow("lock on") << QByteArray("(j006PIS000)XZ");
    QTest::newRow("lock off") << QByteArray("(j006PFS000)XZ");
    QTest::newRow("unknown body") << QByteArray("(j006XX1005)XZ");
    QTest::newRow("short") << QByteArray("(j0)XZ");
    QTest::newRow("empty") << QByteArray();
}

void TestPanelSim::noReply()
{
    QFETCH(QByteArray, request);
    PanelResponder responder(fixture());
    QVERIFY(!responder.replyTo(request).has_value());
}

void TestPanelSim::noiseStaysWithinBounds_data()
{
    QTest::addColumn<int>("analogue");
    QTest::addColumn<int>("noise");
    QTest::addColumn<int>("lowest");
    QTest::addColumn<int>("highest");
    QTest::newRow("middle") << 60 << 3 << 57 << 63;
    QTest::newRow("held at 0") << 2 << 5 << 0 << 7;
    QTest::newRow("held at 999") << 997 << 5 << 992 << 999;
    QTest::newRow("no noise") << 45 << 0 << 45 << 45;
}

void TestPanelSim::noiseStaysWithinBounds()
{
    QFETCH(int, analogue);
    QFETCH(int, noise);
    QFETCH(int, lowest);
    QFETCH(int, highest);

    Installation installation;
    installation.setSensor(1, 4, sensor(2, 1, 0, "", analogue, 15, "TY", noise));
    PanelResponder responder(installation, 42);
    std::set<int> seen;
    for (int i = 0; i < 400; ++i) {
        const QByteArray reply = *responder.replyTo(QByteArray("(j006AQ1004)XZ"));
        QCOMPARE(reply.size(), protocol::ScanReplyLength);
        seen.insert(reply.mid(11, 3).toInt());
    }
    // Both ends come up in 400 readings; nothing outside them does.
    QCOMPARE(*seen.begin(), lowest);
    QCOMPARE(*seen.rbegin(), highest);
}

void TestPanelSim::noiseRepeatsWithSeed()
{
    Installation installation;
    installation.setModule(2, 30, Module {6, 1, QString(), 100, 15, 20});
    const auto readings = [&](std::uint32_t seed) {
        PanelResponder responder(installation, seed);
        QList<QByteArray> replies;
        for (int i = 0; i < 50; ++i)
            replies.append(*responder.replyTo(QByteArray("(j006AQ2230)XZ")));
        return replies;
    };
    QCOMPARE(readings(7), readings(7));
    QVERIFY(readings(7) != readings(8));
}

void TestPanelSim::defaultInstallationShowsEveryState()
{
    const Installation installation = Installation::defaultInstallation();
    QVERIFY(installation.sensorCount(1) >= 35 && installation.sensorCount(1) <= 45);
    QVERIFY(installation.moduleCount(1) >= 8);
    QVERIFY(installation.sensorCount(2) > 0
            && installation.sensorCount(2) < installation.sensorCount(1));
    QVERIFY(installation.moduleCount(2) > 0);

    for (int loop = 1; loop <= 2; ++loop) {
        std::set<int> types;
        std::set<QString> tests;
        bool fault = false, inRange = false, outOfRange = false, conflict = false;
        bool noCurrentLine = false, zoneZero = false, statusTwo = false, emptyBetween = false;
        for (int address = 1; address <= Installation::AddressCount; ++address) {
            const auto s = installation.sensor(loop, address);
            if (!s) {
                emptyBetween = emptyBetween || installation.sensor(loop, address + 1).has_value();
                continue;
            }
            QVERIFY(s->description.size() <= Installation::DescriptionLength);
            types.insert(s->type);
            tests.insert(s->test);
            fault = fault || s->analogue < 20;
            inRange = inRange || (s->analogue >= 40 && s->analogue <= 150);
            outOfRange = outOfRange || (s->analogue >= 20 && s->analogue < 40) || s->analogue > 150;
            conflict = conflict || (s->current >= 20 && s->current <= 99);
            noCurrentLine = noCurrentLine || s->current >= 100;
            zoneZero = zoneZero || s->zone == 0;
            statusTwo = statusTwo || s->status == 2;
        }
        QVERIFY(fault && inRange && outOfRange && conflict && noCurrentLine);
        QVERIFY(zoneZero && statusTwo && emptyBetween);
        QVERIFY(tests.count(QStringLiteral("TY")) && tests.count(QStringLiteral("TN")));
        QVERIFY(!installation.sensor(loop, 99) && !installation.module(loop, 99));
        if (loop == 1)
            QCOMPARE(types, (std::set<int> {1, 2, 3, 4, 5, 6, 7}));

        bool moduleFault = false, moduleInRange = false, moduleOut = false, moduleConflict = false;
        for (int address = 1; address <= Installation::AddressCount; ++address) {
            if (const auto m = installation.module(loop, address)) {
                moduleFault = moduleFault || m->analogue < 20;
                moduleInRange = moduleInRange || (m->analogue >= 40 && m->analogue <= 250);
                moduleOut
                    = moduleOut || (m->analogue >= 20 && m->analogue < 40) || m->analogue > 250;
                moduleConflict = moduleConflict || (m->current >= 20 && m->current <= 99);
            }
        }
        QVERIFY(moduleFault && moduleInRange && moduleOut && moduleConflict);
    }
}

void TestPanelSim::jsonGood()
{
    const QByteArray json = R"({"loops": {
        "1": {"sensors": {"5": {"type": 3, "zone": 4, "status": 2, "description": "UFFICIO 3",
                                "analogue": 61, "current": 40, "noise": 2, "test": "TN"},
                          "99": {}},
              "modules": {"8": {"description": "PULSANTE", "analogue": 250}}},
        "2": {"modules": {"1": {"type": 6, "zone": 0, "current": 120, "noise": 1}}}}})";
    QString error;
    const std::optional<Installation> loaded = Installation::fromJson(json, &error);
    QVERIFY2(loaded.has_value(), qPrintable(error));

    Installation expected;
    expected.setSensor(1, 5, sensor(3, 4, 2, "UFFICIO 3", 61, 40, "TN", 2));
    expected.setSensor(1, 99, Sensor {});
    expected.setModule(1, 8, Module {2, 1, QStringLiteral("PULSANTE"), 250, 15, 0});
    expected.setModule(2, 1, Module {6, 0, QString(), 45, 120, 1});
    QVERIFY(*loaded == expected);
    QCOMPARE(loaded->sensorCount(1), 2);
    QCOMPARE(loaded->sensorCount(2), 0);

    QVERIFY(Installation::fromJson(R"({"loops": {}})", &error).has_value());
}

void TestPanelSim::jsonRejected_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("message");

    const auto sensorWith = [](const char *entry) {
        return QByteArray(R"({"loops": {"1": {"sensors": {"5": {)") + entry + "}}}}}";
    };
    QTest::newRow("bad JSON") << QByteArray(R"({"loops": {)") << QStringLiteral("not valid JSON");
    QTest::newRow("not an object") << QByteArray("[1]") << QStringLiteral("JSON object");
    QTest::newRow("no loops") << QByteArray("{}") << QStringLiteral("missing key \"loops\"");
    QTest::newRow("unknown top key")
        << QByteArray(R"({"loops": {}, "loop": 1})") << QStringLiteral("unknown key \"loop\"");
    QTest::newRow("loop 3") << QByteArray(R"({"loops": {"3": {}}})")
                            << QStringLiteral("loops.3: loop must be 1 or 2");
    QTest::newRow("address 0") << QByteArray(R"({"loops": {"1": {"sensors": {"0": {}}}}})")
                               << QStringLiteral("loops.1.sensors.0: address must be 1..99");
    QTest::newRow("address 100") << QByteArray(R"({"loops": {"2": {"modules": {"100": {}}}}})")
                                 << QStringLiteral("loops.2.modules.100: address must be 1..99");
    QTest::newRow("address text") << QByteArray(R"({"loops": {"1": {"sensors": {"x": {}}}}})")
                                  << QStringLiteral("loops.1.sensors.x: address");
    QTest::newRow("sensors not object") << QByteArray(R"({"loops": {"1": {"sensors": []}}})")
                                        << QStringLiteral("loops.1.sensors: must be a JSON object");
    QTest::newRow("type 8") << sensorWith(R"("type": 8)")
                            << QStringLiteral("loops.1.sensors.5.type: 8 is out of range 1..7");
    QTest::newRow("type 0") << sensorWith(R"("type": 0)")
                            << QStringLiteral("loops.1.sensors.5.type");
    QTest::newRow("zone 100") << sensorWith(R"("zone": 100)")
                              << QStringLiteral("loops.1.sensors.5.zone");
    QTest::newRow("status 10") << sensorWith(R"("status": 10)")
                               << QStringLiteral("loops.1.sensors.5.status");
    QTest::newRow("analogue 1000")
        << sensorWith(R"("analogue": 1000)") << QStringLiteral("loops.1.sensors.5.analogue");
    QTest::newRow("current -1") << sensorWith(R"("current": -1)")
                                << QStringLiteral("loops.1.sensors.5.current");
    QTest::newRow("noise fraction")
        << sensorWith(R"("noise": 1.5)")
        << QStringLiteral("loops.1.sensors.5.noise: must be a whole number");
    QTest::newRow("zone as text") << sensorWith(
        R"("zone": "3")") << QStringLiteral("loops.1.sensors.5.zone: must be a whole number");
    QTest::newRow("description 22") << sensorWith(R"("description": "ABCDEFGHIJKLMNOPQRSTUV")")
                                    << QStringLiteral("loops.1.sensors.5.description");
    QTest::newRow("test 1 character")
        << sensorWith(R"("test": "T")") << QStringLiteral("loops.1.sensors.5.test");
    QTest::newRow("unknown device key")
        << sensorWith(R"("colour": 1)")
        << QStringLiteral("loops.1.sensors.5: unknown key \"colour\"");
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

void TestPanelSim::framer_data()
{
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<QList<QByteArray>>("requests");
    QTest::addColumn<int>("discarded");

    const QByteArray scan = "(j006AQ1005)XZ";
    const QByteArray lock = "(j006PIS000)XZ";
    QTest::newRow("one") << QList<QByteArray> {scan} << QList<QByteArray> {scan} << 0;
    QTest::newRow("noise before") << QList<QByteArray> {"\r\n\x01" + scan}
                                  << QList<QByteArray> {scan} << 3;
    QTest::newRow("split") << QList<QByteArray> {"(j006A", "Q1005)", "XZ"}
                           << QList<QByteArray> {scan} << 0;
    QTest::newRow("two at once") << QList<QByteArray> {lock + scan}
                                 << QList<QByteArray> {lock, scan} << 0;
    QTest::newRow("unfinished") << QList<QByteArray> {"(j006AQ1005)X"} << QList<QByteArray> {} << 0;
    QTest::newRow("stray start") << QList<QByteArray> {"(" + QByteArray(70, 'x'), scan}
                                 << QList<QByteArray> {scan} << 71;
}

void TestPanelSim::framer()
{
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(QList<QByteArray>, requests);
    QFETCH(int, discarded);

    RequestFramer framer;
    QList<QByteArray> found;
    for (const QByteArray &chunk : chunks)
        found += framer.feed(chunk);
    QCOMPARE(found, requests);
    QCOMPARE(framer.takeDiscardedCount(), qsizetype(discarded));
}

void TestPanelSim::pacerCharactersDue_data()
{
    QTest::addColumn<qint64>("nanoseconds");
    QTest::addColumn<qint64>("characters");
    QTest::newRow("start") << qint64(0) << qint64(0);
    QTest::newRow("just before the first") << qint64(1'041'666) << qint64(0);
    QTest::newRow("first") << qint64(1'041'667) << qint64(1);
    QTest::newRow("10 ms") << qint64(10'000'000) << qint64(9);
    QTest::newRow("one reply") << qint64(41 * 1'041'667) << qint64(41);
    QTest::newRow("one second") << qint64(1'000'000'000) << qint64(960);
}

void TestPanelSim::pacerCharactersDue()
{
    QFETCH(qint64, nanoseconds);
    QFETCH(qint64, characters);
    QCOMPARE(LinePacer::charactersDue(std::chrono::nanoseconds(nanoseconds)), characters);
}

void TestPanelSim::faultPlanner()
{
    FaultPlanner always(FaultRates {0, 0, 0, 0, 1, 0});
    always.queue(Fault::Late);
    always.queue(Fault::None);
    QCOMPARE(always.next(), Fault::Late);
    QCOMPARE(always.next(), Fault::None);
    QCOMPARE(always.next(), Fault::OtherLoop);

    QCOMPARE(FaultPlanner().next(), Fault::None);

    const auto draws = [](std::uint32_t seed) {
        FaultPlanner planner(FaultRates {0.3, 0, 0, 0.3, 0, 0}, seed);
        QList<Fault> faults;
        for (int i = 0; i < 100; ++i)
            faults.append(planner.next());
        return faults;
    };
    const QList<Fault> first = draws(5);
    QCOMPARE(draws(5), first);
    QVERIFY(first.contains(Fault::Silence) && first.contains(Fault::Garbage)
            && first.contains(Fault::None));
    QVERIFY(!first.contains(Fault::Late));

    const QByteArray garbage = FaultPlanner().garbage(29);
    QCOMPARE(garbage.size(), 29);
    for (char c : garbage)
        QVERIFY(c >= 0x20 && c <= 0x7e);
}

void TestPanelSim::serverAnswers_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("download") << QByteArray("(j00DQBS1005)XZ")
                              << "(j00DQRS10052030" + desc("UFFICIO 3") + "0)XZ";
    QTest::newRow("scan") << QByteArray("(j006AQ1005)XZ") << scan105;
    QTest::newRow("test") << QByteArray("(j006TS1007)XZ") << QByteArray("(j006TN1007)XZ");
}

void TestPanelSim::serverAnswers()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);

    PanelServer server(fixture());
    QString error;
    QVERIFY2(server.start(&error), qPrintable(error));
    QVERIFY(server.devicePath().startsWith(QStringLiteral("/dev/pts/")));
    QSignalSpy received(&server, &PanelServer::requestReceived);
    QSignalSpy sent(&server, &PanelServer::replySent);

    DeviceSide device(server.devicePath());
    QVERIFY(device.isOpen());
    QVERIFY(device.write(request));
    QCOMPARE(device.read(reply.size()), reply);
    QCOMPARE(received.size(), 1);
    QCOMPARE(received.first().first().toByteArray(), request);
    QTRY_COMPARE_WITH_TIMEOUT(sent.size(), 1, ReadTimeoutMs);
    QCOMPARE(server.requests(), QList<QByteArray> {request});
    QCOMPARE(server.replies(), QList<QByteArray> {reply});
}

void TestPanelSim::deliveryGivesSameBytes_data()
{
    QTest::addColumn<Delivery>("delivery");
    QTest::addColumn<bool>("paced");
    QTest::addColumn<int>("writes"); // -1: not fixed
    QTest::newRow("whole") << Delivery::Whole << false << 1;
    QTest::newRow("halves") << Delivery::Halves << false << 2;
    QTest::newRow("bytes") << Delivery::ByteByByte << false << 29;
    QTest::newRow("whole, paced") << Delivery::Whole << true << -1;
    QTest::newRow("halves, paced") << Delivery::Halves << true << -1;
}

void TestPanelSim::deliveryGivesSameBytes()
{
    QFETCH(Delivery, delivery);
    QFETCH(bool, paced);
    QFETCH(int, writes);

    ServerOptions options;
    options.delivery = delivery;
    options.linePacing = paced;
    options.pieceGap = 1ms;
    PanelServer server(fixture(), options);
    QString error;
    QVERIFY2(server.start(&error), qPrintable(error));
    QSignalSpy written(&server, &PanelServer::bytesWritten);

    DeviceSide device(server.devicePath());
    QVERIFY(device.write("(j006AQ1005)XZ"));
    QCOMPARE(device.read(scan105.size()), scan105);
    QByteArray joined;
    for (const QList<QVariant> &arguments : std::as_const(written))
        joined += arguments.first().toByteArray();
    QCOMPARE(joined, scan105);
    if (writes > 0)
        QCOMPARE(written.size(), writes);
}

void TestPanelSim::queuedFaults_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("received");

    // The faulted request is followed by a clean one, both written at once.
    const QByteArray request105 = "(j006AQ1005)XZ";
    const QByteArray request199 = "(j006AQ1099)XZ";
    QTest::newRow("none") << Fault::None << request105 << scan105 + scan209;
    QTest::newRow("silence") << Fault::Silence << request105 << scan209;
    QTest::newRow("late") << Fault::Late << request105 << scan209 + scan105;
    QTest::newRow("partial") << Fault::Partial << request105 << scan105.left(14) + scan209;
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
    QString error;
    QVERIFY2(server.start(&error), qPrintable(error));
    server.queueFault(fault);

    DeviceSide device(server.devicePath());
    QVERIFY(device.write(first + "(j006AQ2009)XZ"));
    QCOMPARE(device.read(received.size()), received);
    QCOMPARE(server.requests().size(), 2);
    QCOMPARE(server.replies().size(), fault == Fault::Silence ? 1 : 2);
}

void TestPanelSim::garbageFault()
{
    PanelServer server(fixture());
    QString error;
    QVERIFY2(server.start(&error), qPrintable(error));
    server.queueFault(Fault::Garbage);
    server.queueFault(Fault::Garbage);

    DeviceSide device(server.devicePath());
    QVERIFY(device.write("(j006TS1005)XZ(j00DQBS1005)XZ(j006AQ1005)XZ"));
    const QByteArray bytes = device.read(protocol::TestReplyLength + protocol::DownloadReplyLength
                                         + protocol::ScanReplyLength);
    QCOMPARE(bytes.size(), 14 + 41 + 29);
    QVERIFY(bytes.left(14) != "(j006TY1005)XZ");
    for (char c : bytes.left(14 + 41))
        QVERIFY(c >= 0x20 && c <= 0x7e);
    // Queued faults are used up in order; the third request is clean again.
    QCOMPARE(bytes.right(29), scan105);
}

void TestPanelSim::lockAndUnrecognisedGetNoReply()
{
    PanelServer server(fixture());
    QString error;
    QVERIFY2(server.start(&error), qPrintable(error));
    // A queued fault is kept for the next request that has a reply.
    server.queueFault(Fault::OtherLoop);

    DeviceSide device(server.devicePath());
    QVERIFY(device.write("(j006PIS000)XZ(j006AQ1005)XZ(j00HELLO)XZ(j006PFS000)XZ(j006AQ1005)XZ"));
    QCOMPARE(device.read(2 * 29), scan205 + scan105);
    // Nothing else was sent before the next clean reply.
    QVERIFY(device.write("(j006AQ1006)XZ"));
    QCOMPARE(device.read(29), scan106);
    QCOMPARE(server.requests().size(), 6);
    QCOMPARE(server.lockRequestCount(), 2);
    QCOMPARE(server.unrecognisedRequestCount(), 1);
    QCOMPARE(server.requests().at(2), QByteArray("(j00HELLO)XZ"));
}

void TestPanelSim::requestSplitAndNoise()
{
    PanelServer server(fixture());
    QString error;
    QVERIFY2(server.start(&error), qPrintable(error));

    DeviceSide device(server.devicePath());
    QVERIFY(device.write("\r\n~~(j006A"));
    QTest::qWait(20);
    QVERIFY(device.write("Q1005)XZ"));
    QCOMPARE(device.read(29), scan105);
    QCOMPARE(server.requests(), QList<QByteArray> {"(j006AQ1005)XZ"});
}

void TestPanelSim::symlinkLifetime()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("panel"));
    QVERIFY(QFile::link(QStringLiteral("/dev/null"), link));

    ServerOptions options;
    options.linkPath = link;
    PanelServer server(fixture(), options);
    QString error;
    QVERIFY2(server.start(&error), qPrintable(error));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(QFileInfo(link).symLinkTarget(), server.devicePath());
    QCOMPARE(server.linkPath(), link);

    DeviceSide device(link);
    QVERIFY(device.write("(j006AQ1005)XZ"));
    QCOMPARE(device.read(29), scan105);
    device.close();

    server.stop();
    QVERIFY(!server.isServing());
    QVERIFY(!QFileInfo(link).isSymLink());
    QVERIFY(!QFileInfo::exists(link));
}

void TestPanelSim::linkRefusesRegularFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("panel"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    ServerOptions options;
    options.linkPath = path;
    PanelServer server(fixture(), options);
    QString error;
    QVERIFY(!server.start(&error));
    QVERIFY2(error.contains(path), qPrintable(error));
    QVERIFY(!server.isServing());
    QVERIFY(QFileInfo(path).isFile());
}

void TestPanelSim::deviceReopenedRepeatedly()
{
    QTemporaryDir dir;
    ServerOptions options;
    options.logPath = dir.filePath(QStringLiteral("panel.log"));
    PanelServer server(fixture(), options);
    QString error;
    QVERIFY2(server.start(&error), qPrintable(error));

    // The program opens the port, sends, reads and closes it for every request.
    for (int round = 0; round < 5; ++round) {
        DeviceSide device(server.devicePath());
        QVERIFY(device.isOpen());
        QVERIFY(device.write("(j006AQ1005)XZ"));
        QCOMPARE(device.read(29), scan105);
        device.close();
        QTest::qWait(20);
    }
    QVERIFY(server.isServing());
    for (const QByteArray &line : logLines(options.logPath))
        QVERIFY2(!line.contains(" ! "), line.constData());
}

void TestPanelSim::logRecordsTraffic()
{
    QTemporaryDir dir;
    ServerOptions options;
    options.logPath = dir.filePath(QStringLiteral("panel.log"));
    PanelServer server(fixture(), options);
    QString error;
    QVERIFY2(server.start(&error), qPrintable(error));
    server.queueFault(Fault::Silence);

    DeviceSide device(server.devicePath());
    QVERIFY(device.write("(j006TS1005)XZ(j006PIS000)XZ(j006AQ1005)XZ"));
    QCOMPARE(device.read(29), scan105);
    server.stop();

    QStringList texts;
    const QRegularExpression stamp(
        QStringLiteral(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}\S* (.*)$)"));
    for (const QByteArray &line : logLines(options.logPath)) {
        if (line.isEmpty())
            continue;
        const QRegularExpressionMatch match = stamp.match(QString::fromUtf8(line));
        QVERIFY2(match.hasMatch(), line.constData());
        texts.append(match.captured(1));
    }
    const QStringList expected = {
        QStringLiteral("> (j006TS1005)XZ"), QStringLiteral("  (no reply: silence)"),
        QStringLiteral("> (j006PIS000)XZ"), QStringLiteral("  (no reply: lock on)"),
        QStringLiteral("> (j006AQ1005)XZ"), QStringLiteral("< ") + QString::fromLatin1(scan105),
    };
    QCOMPARE(texts.mid(1, expected.size()), expected);
}

void TestPanelSim::fullDeviceInputIsDiscarded()
{
    PanelServer server(fixture());
    QString error;
    QVERIFY2(server.start(&error), qPrintable(error));

    // Nobody reads the device: its input fills up long before 3000 replies.
    constexpr int Count = 3000;
    DeviceSide device(server.devicePath());
    for (int i = 0; i < Count / 100; ++i)
        QVERIFY(device.write(QByteArray("(j006AQ1005)XZ").repeated(100)));
    QTRY_COMPARE_WITH_TIMEOUT(server.replies().size(), Count, 60000);

    // Drain until the line has been quiet for a while, then drop any straggler.
    qsizetype unread = 0;
    for (int quiet = 0; quiet < 5;) {
        const QByteArray chunk = device.readAvailable();
        unread += chunk.size();
        quiet = chunk.isEmpty() ? quiet + 1 : 0;
        QTest::qWait(20);
    }
    device.discardInput();
    QVERIFY(unread > 0);
    QVERIFY(unread < qsizetype(Count) * protocol::ScanReplyLength);

    // The line is still good afterwards.
    QVERIFY(device.write("(j006AQ1006)XZ"));
    QCOMPARE(device.read(29), scan106);
    QVERIFY(device.readAvailable().isEmpty());
}

void TestPanelSim::stopDropsPendingReply()
{
    ServerOptions options;
    options.lateDelay = 50ms;
    PanelServer server(fixture(), options);
    QString error;
    QVERIFY2(server.start(&error), qPrintable(error));
    server.queueFault(Fault::Late);
    QSignalSpy received(&server, &PanelServer::requestReceived);
    QSignalSpy sent(&server, &PanelServer::replySent);

    DeviceSide device(server.devicePath());
    QVERIFY(device.write("(j006AQ1005)XZ"));
    QVERIFY(received.wait(ReadTimeoutMs));
    server.stop();
    QTest::qWait(200);
    QCOMPARE(sent.size(), 0);

    // Started again it serves afresh.
    QVERIFY2(server.start(&error), qPrintable(error));
    DeviceSide again(server.devicePath());
    QVERIFY(again.write("(j006AQ1006)XZ"));
    QCOMPARE(again.read(29), scan106);
    QCOMPARE(sent.size(), 1);
}

void TestPanelSim::commandServesAndStopsOnSignal()
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("panel"));
    const QString installationPath = dir.filePath(QStringLiteral("installation.json"));
    QFile file(installationPath);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(R"({"loops": {"2": {"modules": {"7": {"analogue": 123, "current": 45}}}}})");
    file.close();

    QProcess process;
    process.start(QStringLiteral(PANELSIM_PATH),
                  {QStringLiteral("--link"), link, QStringLiteral("--installation"),
                   installationPath, QStringLiteral("--reply-delay-ms"), QStringLiteral("0"),
                   QStringLiteral("--delivery"), QStringLiteral("halves")});
    QVERIFY2(process.waitForStarted(ReadTimeoutMs), qPrintable(process.errorString()));
    QDeadlineTimer deadline(ReadTimeoutMs);
    while (!process.canReadLine() && !deadline.hasExpired())
        process.waitForReadyRead(100);
    const QString line = QString::fromUtf8(process.readLine()).trimmed();
    const QRegularExpression serving(QStringLiteral(R"(^panelsim: serving on (/dev/pts/\d+)$)"));
    const QRegularExpressionMatch match = serving.match(line);
    QVERIFY2(match.hasMatch(), qPrintable(line));
    const QString devicePath = match.captured(1);
    QVERIFY(QFileInfo::exists(devicePath));
    QCOMPARE(QFileInfo(link).symLinkTarget(), devicePath);

    {
        DeviceSide device(devicePath);
        QVERIFY(device.write("(j006AQ2207)XZ"));
        QCOMPARE(device.read(29), QByteArray("(j006AR2207123045000000000)XZ"));
    }

    QCOMPARE(::kill(pid_t(process.processId()), SIGTERM), 0);
    QVERIFY(process.waitForFinished(ReadTimeoutMs));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
}

void TestPanelSim::commandRejectsBadInstallation()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("installation.json"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(R"({"loops": {"1": {"sensors": {"120": {}}}}})");
    file.close();

    QProcess process;
    process.start(QStringLiteral(PANELSIM_PATH), {QStringLiteral("--installation"), path});
    QVERIFY(process.waitForFinished(ReadTimeoutMs));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 2);
    QVERIFY(process.readAllStandardOutput().isEmpty());
    const QByteArray message = process.readAllStandardError();
    QVERIFY2(message.contains("loops.1.sensors.120"), message.constData());
}

QTEST_GUILESS_MAIN(TestPanelSim)
#include "tst_panelsim.moc"
