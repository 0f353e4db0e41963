// The built programs as processes: panelsim serving a pseudo-terminal, testloop on it with --port.
#include "config/ConfigurationFile.h"
#include "storage/SessionSnapshot.h"
#include "tests/support/Files.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using testfiles::readBytes;
using namespace Qt::StringLiterals;

namespace {

constexpr int Patience = 60000; // ms; only a broken program waits this long

// Whether the process has a handler of its own for the signal (Linux: SigCgt in its status).
bool catchesSignal(qint64 pid, int signalNumber)
{
    QFile status(u"/proc/%1/status"_s.arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:")) {
            bool ok = false;
            const qulonglong mask = line.mid(7).trimmed().toULongLong(&ok, 16);
            return ok && (mask & (1ULL << (signalNumber - 1))) != 0;
        }
    }
    return false;
}

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startsQuietlyAndEndsOnSignal_data();
    void startsQuietlyAndEndsOnSignal();
    void autostartAfterTheSplashScansThePanel();
    void killedInTheMiddleLeavesTheSession();
    void helpAndVersionNeedNoDisplay();

private:
    void startTestLoop(const QStringList &extraArguments);
    void endTestLoop(int signalNumber);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QProcess> m_panel;
    std::unique_ptr<QProcess> m_program;
    QString m_device;
    QString m_log;
};

void TestEndToEnd::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(!testloop::SaveConfiguration({}, m_dir->filePath(u"TestLoop.ini"_s)));

    m_log = m_dir->filePath(u"panel.log"_s);
    m_panel = std::make_unique<QProcess>();
    m_panel->setProcessChannelMode(QProcess::SeparateChannels);
    m_panel->start(QStringLiteral(PANELSIM_PATH), {u"--log"_s, m_log});
    QVERIFY2(m_panel->waitForStarted(Patience), qPrintable(m_panel->errorString()));
    QTRY_VERIFY_WITH_TIMEOUT(m_panel->canReadLine(), Patience);
    const QString first = QString::fromLocal8Bit(m_panel->readLine()).trimmed();
    const QRegularExpressionMatch match
        = QRegularExpression(u"^panelsim: serving on (\\S+)$"_s).match(first);
    QVERIFY2(match.hasMatch(), qPrintable(first));
    m_device = match.captured(1);
}

void TestEndToEnd::cleanup()
{
    if (m_program && m_program->state() != QProcess::NotRunning) {
        m_program->kill();
        m_program->waitForFinished(Patience);
    }
    m_program.reset();
    if (m_panel && m_panel->state() != QProcess::NotRunning) {
        m_panel->terminate();
        if (!m_panel->waitForFinished(Patience))
            m_panel->kill();
        m_panel->waitForFinished(Patience);
    }
    m_panel.reset();
}

void TestEndToEnd::startTestLoop(const QStringList &extraArguments)
{
    m_program = std::make_unique<QProcess>();
    m_program->setWorkingDirectory(m_dir->path());
    // Offscreen, with the test's own data folder (the session kept against a crash).
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    environment.insert(u"XDG_DATA_HOME"_s, m_dir->filePath(u"data"_s));
    m_program->setProcessEnvironment(environment);
    m_program->start(QStringLiteral(TESTLOOP_PATH),
                     QStringList {u"--port"_s, m_device} + extraArguments);
    QVERIFY2(m_program->waitForStarted(Patience), qPrintable(m_program->errorString()));
    // From here on a signal ends it cleanly.
    QTRY_VERIFY_WITH_TIMEOUT(catchesSignal(m_program->processId(), SIGTERM), Patience);
}

void TestEndToEnd::endTestLoop(int signalNumber)
{
    QCOMPARE(::kill(pid_t(m_program->processId()), signalNumber), 0);
    QVERIFY(m_program->waitForFinished(Patience));
    QCOMPARE(m_program->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_program->exitCode(), 0);
}

// Without TestLoop.ini the message box shown does not block the end, and no file is written.
void TestEndToEnd::startsQuietlyAndEndsOnSignal_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::addColumn<bool>("withIni");
    QTest::newRow("SIGTERM") << SIGTERM << true;
    QTest::newRow("SIGINT") << SIGINT << true;
    QTest::newRow("SIGTERM, no TestLoop.ini") << SIGTERM << false;
}

void TestEndToEnd::startsQuietlyAndEndsOnSignal()
{
    QFETCH(int, signalNumber);
    QFETCH(bool, withIni);
    const QString ini = m_dir->filePath(u"TestLoop.ini"_s);
    if (!withIni)
        QVERIFY(QFile::remove(ini));
    startTestLoop({u"--no-splash"_s});
    QVERIFY(!m_program->waitForFinished(1000)); // still running: nothing fatal at start-up
    endTestLoop(signalNumber);
    QVERIFY(!readBytes(m_log).contains("(j006")); // nothing asked without a scan
    QCOMPARE(m_panel->state(), QProcess::Running);
    QCOMPARE(QFile::exists(ini), withIni);
}

// The main window follows the splash, and --autostart scans the panel at once.
void TestEndToEnd::autostartAfterTheSplashScansThePanel()
{
    startTestLoop({u"--autostart"_s});
    for (const char *request : {"(j006AQ1001)XZ", "(j006AQ1002)XZ", "(j006AQ1003)XZ"})
        QTRY_VERIFY2_WITH_TIMEOUT(readBytes(m_log).contains(request), request, Patience);
    QVERIFY(readBytes(m_log).contains("(j006AR1001"));
    endTestLoop(SIGTERM);
    const QByteArray after = readBytes(m_log); // the port was let go: no more requests
    QTest::qWait(300);
    QCOMPARE(readBytes(m_log).count("(j006AQ"), after.count("(j006AQ"));
}

// Killed in the middle of a scan, it leaves its autosave whole (tst_fieldtools restores it).
void TestEndToEnd::killedInTheMiddleLeavesTheSession()
{
    const QString session = m_dir->filePath(u"data/TestLoop/sessione-interrotta.tlsession"_s);
    startTestLoop({u"--no-splash"_s, u"--autostart"_s, u"--autosave-ms"_s, u"100"_s});
    QTRY_VERIFY_WITH_TIMEOUT(readBytes(m_log).count("(j006AQ") >= 3, Patience);
    // Saved more than once, so that the kill lands between two saves or during one.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(session), Patience);
    const QByteArray first = readBytes(session);
    QTRY_VERIFY_WITH_TIMEOUT(readBytes(session) != first, Patience);
    QCOMPARE(::kill(pid_t(m_program->processId()), SIGKILL), 0);
    QVERIFY(m_program->waitForFinished(Patience));

    const std::optional<testloop::SessionSnapshot> left = testloop::readSession(readBytes(session));
    QVERIFY(left && left->data->SensorReadCount.at(1, 1) > 0); // readings taken before the kill
}

void TestEndToEnd::helpAndVersionNeedNoDisplay()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        environment.remove(QString::fromLatin1(name));
    // Each option, what it prints and what it does not.
    const QStringList runs[] = {
        {u"--help"_s, u"--port <DEVICE>"_s, u"autostart"_s},
        {u"--version"_s, u"TestLoop " TESTLOOP_VERSION ""_s, u"--port"_s},
    };
    for (const QStringList &run : runs) {
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(TESTLOOP_PATH), {run[0]});
        QVERIFY(program.waitForFinished(Patience));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        const QString printed = QString::fromLocal8Bit(program.readAllStandardOutput());
        QVERIFY2(printed.contains(run[1]) && !printed.contains(run[2]), qPrintable(printed));
    }
}

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
