// The simulated panel's replies and faults, and its server over a real pseudo-terminal.
#include "link/PanelProtocol.h"
#include "sim/PanelServer.h"
#include "sim/SimulatedPanel.h"
#include "tests/support/Files.h"
#include "tests/support/TestInstallation.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

using namespace testloop;
using namespace Qt::StringLiterals;
using namespace testloop::sim;
using namespace std::chrono_literals;
using namespace testfiles;
using testsupport::testInstallation;

namespace {

constexpr int ReadTimeoutMs = 10000;

QByteArray download(const char *head, const char *description)
{
    return head + QByteArray(description).leftJustified(21, ' ') + "0)XZ";
}

const QByteArray scan105 = "(j006AR1005050015000000000)XZ";
const QByteArray scan106 = "(j006AR1006010015000000000)XZ";
const QByteArray scan205 = "(j006AR2005060015000000000)XZ";

// The device side of the pseudo-terminal, opened with plain POSIX calls as the program does.
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
    // What is there now, or at least count bytes (fewer only on timeout), events running.
    QByteArray read(qsizetype count = 0)
    {
        QByteArray received;
        char buffer[4096];
        for (QDeadlineTimer deadline(ReadTimeoutMs);; QTest::qWait(2)) {
            for (ssize_t got = 0; (got = ::read(fd, buffer, sizeof buffer)) > 0;)
                received.append(buffer, got);
            if (received.size() >= count || deadline.hasExpired())
                return received;
        }
    }
    QByteArray ask(const QByteArray &request) { return write(request) ? read(29) : QByteArray(); }

    int fd = -1;
};

bool started(PanelServer &server)
{
    QString error;
    if (!server.start(&error))
        qWarning("%s", qPrintable(error));
    return server.isServing();
}

} // namespace

class TestPanelSim : public QObject
{
    Q_OBJECT

private slots:
    void answers_data();
    void answers();
    void fullDeviceInputIsDiscarded();
    void lifetime();
    void command();
};

// The simulator's server and the in-process transport both answer through this.
void TestPanelSim::answers_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply"); // empty: none; '?': any printable character
    QTest::addColumn<Fault>("fault");
    const auto row = [](const char *name, const char *request, const QByteArray &reply,
                        Fault fault = Fault::None) {
        QTest::newRow(name) << QByteArray(request) << reply << fault;
    };
    const char *const scan = "(j006AQ1005)XZ";
    row("download sensor", "(j00DQBS1005)XZ", download("(j00DQRS10053030", "UFFICIO 3"));
    row("download empty, board code echoed", "(X1ZDQBS2060)XZ", download("(X1ZDQRS20601002", ""));
    row("scan module", "(j006AQ1212)XZ", "(j006AR1212060030000000000)XZ");
    row("scan module where a sensor is", "(j006AQ1205)XZ", "(j006AR1205000000000000000)XZ");
    row("test passes", "(j006TS1005)XZ", "(j006TY1005)XZ");
    row("test fails", "(j006TS1006)XZ", "(j006TN1006)XZ");
    row("test of an empty address", "(Q9.6TS2060)XZ", "(Q9.6T?2060)XZ");
    row("scan of device kind 1", "(j006AQ1108)XZ", {});
    row("test of a module", "(j006TS1231)XZ", {});
    row("silence", scan, {}, Fault::Silence);
    row("late", scan, scan105, Fault::Late);
    row("partial", scan, scan105.left(14), Fault::Partial);
    row("garbage", scan, QByteArray(29, '?'), Fault::Garbage);
    row("other loop", scan, scan205, Fault::OtherLoop);
    row("other loop, from loop 2", "(j006AQ2005)XZ", scan105, Fault::OtherLoop);
    row("other address", scan, scan106, Fault::OtherAddress);
    row("other address after 99", "(j006AQ1099)XZ", "(j006AR1001050015000000000)XZ",
        Fault::OtherAddress);
}

void TestPanelSim::answers()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    QFETCH(Fault, fault);
    ServerOptions options;
    options.replyDelay = 20ms;
    options.lateDelay = 300ms;
    SimulatedPanel panel(testInstallation(), options);
    panel.queueFault(fault);
    const SimulatedPanel::Answer answer = panel.answer(request);
    QCOMPARE(answer.fault, fault);
    QByteArray received = answer.reply;
    if (fault == Fault::Garbage) {
        QVERIFY(received != scan105);
        for (char &c : received)
            c = c >= 0x20 && c <= 0x7e ? '?' : c;
    }
    QCOMPARE(received, reply);
    QCOMPARE(answer.delay.count(), reply.isEmpty() ? 0 : fault == Fault::Late ? 300 : 20);
    // The fault was for that request alone.
    QCOMPARE(panel.answer("(j006AQ1006)XZ").reply, scan106);
}

void TestPanelSim::fullDeviceInputIsDiscarded()
{
    PanelServer server(testInstallation());
    QVERIFY(started(server));
    // Nobody reads the device: its input fills up long before 3000 replies.
    constexpr int Count = 3000;
    DeviceSide device(server.devicePath());
    for (int i = 0; i < Count / 100; ++i)
        QVERIFY(device.write(QByteArray("(j006AQ1005)XZ").repeated(100)));
    QTRY_COMPARE_WITH_TIMEOUT(server.replies().size(), Count, 60000);

    // Drained until quiet, any straggler dropped; the line is still good afterwards.
    qsizetype unread = 0;
    for (int quiet = 0; quiet < 5; QTest::qWait(20)) {
        const qsizetype size = device.read().size();
        unread += size;
        quiet = size == 0 ? quiet + 1 : 0;
    }
    ::tcflush(device.fd, TCIFLUSH);
    QVERIFY(unread > 0 && unread < qsizetype(Count) * protocol::ScanReplyLength);
    QCOMPARE(device.ask("(j006AQ1006)XZ"), scan106);
}

// Whole requests only, a reopen per request, every reply logged; stop, restart, refused start.
void TestPanelSim::lifetime()
{
    QTemporaryDir dir;
    ServerOptions options;
    options.lateDelay = 200ms;
    options.logPath = dir.filePath(u"panel.log"_s);
    PanelServer server(testInstallation(), options);
    QVERIFY(started(server));
    server.queueFault(Fault::OtherLoop);
    // Noise, locks, an unknown request, a split scan: only the scan answered, with the fault.
    {
        DeviceSide device(server.devicePath());
        QVERIFY(device.write("\r\n~(" + QByteArray(70, 'x')
                             + "(j006PIS000)XZ(j00HELLO)XZ(j006PFS000)XZ(j006A"));
        QTest::qWait(20);
        QCOMPARE(device.ask("Q1005)XZ"), scan205);
    }
    QCOMPARE(server.requests().mid(3), QList<QByteArray> {"(j006AQ1005)XZ"}); // 4th and last
    QCOMPARE(server.lockRequestCount(), 2);
    QCOMPARE(server.unrecognisedRequestCount(), 1);
    for (int round = 0; round < 5; ++round) {
        QTest::qWait(20);
        QCOMPARE(DeviceSide(server.devicePath()).ask("(j006AQ1005)XZ"), scan105);
    }
    server.queueFault(Fault::Late);
    {
        DeviceSide device(server.devicePath());
        QVERIFY(device.write("(j006AQ1005)XZ"));
        QTRY_COMPARE_WITH_TIMEOUT(server.requests().size(), 10, ReadTimeoutMs);
    }
    server.stop();
    const QByteArray lines = readBytes(options.logPath);
    QVERIFY2(!lines.contains(" ! "), lines.constData());
    QCOMPARE(lines.count(" < " + scan105 + '\n'), 5);

    // Started again at once, it serves afresh; the late reply from before is never sent.
    QVERIFY(started(server));
    {
        DeviceSide device(server.devicePath());
        QCOMPARE(device.ask("(j006AQ1006)XZ"), scan106);
        QTest::qWait(400);
        QVERIFY(device.read().isEmpty());
        QCOMPARE(server.replies(),
                 QList<QByteArray> {scan205} + QList<QByteArray>(5, scan105) << scan106);
    }
    server.stop();

    // A regular file in the link's place is left alone, and the server does not start.
    options.linkPath = dir.filePath(u"panel"_s);
    QVERIFY(writeBytes(options.linkPath, {}));
    PanelServer refused(testInstallation(), options);
    QString error;
    QVERIFY(!refused.start(&error));
    QVERIFY2(error.contains(options.linkPath), qPrintable(error));
    QVERIFY(!refused.isServing() && !QFileInfo(options.linkPath).isSymLink());
}

void TestPanelSim::command()
{
    QTemporaryDir dir;
    const QString link = dir.filePath(u"panel"_s);
    const QString path = dir.filePath(u"installation.json"_s);
    const auto start = [&](const QByteArray &json, QProcess &process, QStringList arguments = {}) {
        QVERIFY(writeBytes(path, json));
        process.start(QStringLiteral(PANELSIM_PATH), arguments << u"--installation"_s << path);
    };

    // A bad installation is named on standard error and stops the command with exit code 2.
    QProcess rejected;
    start(R"({"loops": {"1": {"sensors": {"120": {}}}}})", rejected);
    QVERIFY(rejected.waitForFinished(ReadTimeoutMs));
    QCOMPARE(rejected.exitCode(), 2);
    QVERIFY(rejected.readAllStandardOutput().isEmpty());
    QVERIFY(rejected.readAllStandardError().contains("loops.1.sensors.120"));

    // Replies as for the next address: 2/6 answered by 2/7. A link left behind is replaced.
    QVERIFY(QFile::link(u"/dev/null"_s, link));
    QProcess process;
    start(R"({"loops": {"2": {"modules": {"7": {"analogue": 123, "current": 45}}}}})", process,
          {u"--link"_s, link, u"--reply-delay-ms"_s, u"0"_s, u"--delivery"_s, u"halves"_s,
           u"--other-address"_s, u"1"_s});
    for (QDeadlineTimer deadline(ReadTimeoutMs); !process.canReadLine() && !deadline.hasExpired();)
        process.waitForReadyRead(100);
    const QString line = QString::fromUtf8(process.readLine()).trimmed();
    const auto match
        = QRegularExpression(uR"(^panelsim: serving on (/dev/pts/\d+)$)"_s).match(line);
    QVERIFY2(match.hasMatch(), qPrintable(line));
    QCOMPARE(QFileInfo(link).symLinkTarget(), match.captured(1));
    QCOMPARE(DeviceSide(match.captured(1)).ask("(j006AQ2206)XZ"),
             QByteArray("(j006AR2207123045000000000)XZ"));
    // SIGTERM ends it cleanly and removes the link.
    QCOMPARE(::kill(pid_t(process.processId()), SIGTERM), 0);
    QVERIFY(process.waitForFinished(ReadTimeoutMs));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
}

QTEST_GUILESS_MAIN(TestPanelSim)
#include "tst_panelsim.moc"
