// The soak: scans, sensor tests and downloads with every panel fault at 10 %, in the same process
// and over a pseudo-terminal to panelsim with the cable pulled during a scan; after each part the
// tables are checked against what the panel sent whole. Prints Markdown table rows, exits with 1
// when an invariant fails. soak [--short | --long] [--seed N]: --short (the default) 5,000 and
// 1,000 exchanges, 10 pulls; --long (scripts/bench) 100,000, 20,000 and 100, and the memory.
#include "link/PanelProtocol.h"
#include "link/SerialLink.h"
#include "loopdata/NumberText.h"
#include "scan/LinkRecovery.h"
#include "sim/FaultPlanner.h"
#include "tests/support/EngineBench.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocale>
#include <QLoggingCategory>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <numeric>
#include <random>
#include <set>

using namespace testloop;
using namespace std::chrono_literals;
using namespace Qt::StringLiterals;
using sim::Fault;
using testsupport::waitUntil;
using Kind = ExchangeEvent::Kind;
using ms = std::chrono::milliseconds;

namespace {

struct Form
{
    const char *name;
    qint64 inProcess, overTerminal; // exchanges in each part
    int pulls;
};
constexpr Form Short {"short", 5000, 1000, 10}, Long {"long", 100000, 20000, 100};
constexpr double FaultRate = 0.1;
constexpr Fault Faults[] = {Fault::Silence, Fault::Late,      Fault::Partial,
                            Fault::Garbage, Fault::OtherLoop, Fault::OtherAddress};
constexpr int WarmUp = 1000; // exchanges before the memory is first looked at
// The stretches of a run, in turn (loop 0: a download); a short run goes through them all.
constexpr std::pair<ScanMode, int> Plan[] = {
    {ScanMode::Sensors, 1},    {ScanMode::SensorTest, 1}, {ScanMode::Modules, 2},
    {ScanMode::Sensors, 0},    {ScanMode::Sensors, 2},    {ScanMode::Modules, 1},
    {ScanMode::SensorTest, 2}, {ScanMode::Sensors, 1},    {ScanMode::Modules, 2},
    {ScanMode::Sensors, 2},    {ScanMode::Sensors, 0},    {ScanMode::Modules, 1},
};
enum DeviceKind { Sensor, Module };

QStringList failures; // in words, for standard error

// The format with %1, %2 .. filled in by the arguments in turn, whole numbers as "5,000".
template<typename... Args> QString say(const char *format, const Args &...args)
{
    const auto text = [](const auto &arg) {
        if constexpr (std::is_integral_v<std::decay_t<decltype(arg)>>)
            return QLocale(QLocale::English).toString(qlonglong(arg));
        else
            return QString(arg);
    };
    QString said = QString::fromUtf8(format);
    ((said = said.arg(text(args))), ...);
    return said;
}

// "| figure | measured | goal | met |"; a figure that decides nothing leaves "met" empty.
void row(const QString &figure, const QString &measured, const QString &goal = {},
         std::optional<bool> met = {})
{
    std::printf("| %s | %s | %s | %s |\n", qUtf8Printable(figure), qUtf8Printable(measured),
                qUtf8Printable(goal), met ? (*met ? "yes" : "**no**") : "");
    std::fflush(stdout);
}

qint64 residentKiB()
{
    QFile status(u"/proc/self/status"_s);
    const QByteArray text = status.open(QIODevice::ReadOnly) ? status.readAll() : QByteArray();
    const qsizetype at = text.indexOf("VmRSS:") + 6;
    return text.mid(at, text.indexOf('\n', at) - at).trimmed().split(' ').value(0).toLongLong();
}

// Milliseconds everywhere: a reply delayed past its time-out on a loaded machine is a late one.
Timings soakTimings(ms pause, ms timeout, ms deviceCheck)
{
    Timings t = testsupport::shortTimings(timeout);
    t.requestPause = pause;
    t.deviceCheck = deviceCheck;
    return t;
}

// Each whole scan reply sent: loop, address, kind, analogue value and current (also as -1: any).
using Sent = std::set<std::tuple<int, int, int, int, int>>;

void record(Sent &sent, const QByteArray &reply)
{
    if (!protocol::isWholeReply(reply, protocol::ScanReplyLength))
        return;
    const QString text = protocol::replyText(reply);
    const protocol::ScanReply scan = protocol::decodeScanReply(text);
    const QString kind = protocol::field(text, 9, 1); // of the request: 0 sensor, 2 module
    if (kind != u"0" && kind != u"2")
        return;
    for (const int current : {-1, toWhole(scan.current)})
        sent.emplace(loopIndex(scan.loop), toWhole(scan.address), kind == u"0" ? Sensor : Module,
                     toWhole(scan.analogue), current);
}

// panelsim, killed and restarted on the same link path; its log tells faults, replies and quiet.
struct PanelProcess
{
    // The error when the panel does not serve.
    QString start(std::uint32_t seed)
    {
        process.start(QStringLiteral(PANELSIM_PATH),
                      QStringList(options) << u"--seed"_s << QString::number(seed));
        QByteArray first;
        while (!first.contains('\n') && process.waitForReadyRead(30000))
            first += process.readAllStandardOutput();
        return first.startsWith("panelsim: serving on ")
            ? QString()
            : say("panelsim did not start: %1 %2", QString::fromLocal8Bit(first),
                  QString::fromLocal8Bit(process.readAllStandardError()));
    }

    // At once when the cable is pulled; otherwise as the panel is switched off.
    void stop(bool pulled = false)
    {
        if (!pulled)
            process.terminate();
        if (pulled || !process.waitForFinished(30000))
            process.kill();
        process.waitForFinished(30000);
    }

    // The lines the log gained since the last look, after their timestamps.
    void follow()
    {
        if (!log.isOpen() && !log.open(QIODevice::ReadOnly))
            return; // not written yet
        partial += log.readAll();
        const qsizetype end = partial.lastIndexOf('\n') + 1;
        for (const QByteArray &line : partial.first(end).split('\n'))
            take(line.sliced(line.indexOf(' ') + 1));
        partial.remove(0, end);
    }

    void take(QByteArray line)
    {
        const bool request = line.startsWith("> "), reply = line.startsWith("< ");
        const bool silence = line == "  (no reply: silence)";
        if (line.startsWith("serving on "))
            received = owed = 0; // a panel started afresh owes nothing
        received += request ? 1 : 0;
        // A download, scan or test request is owed a reply until it is sent or dropped.
        owed += request && (line.contains("DQB") || line.contains("6AQ") || line.contains("6TS"));
        owed -= reply || silence;
        if (silence)
            ++faults[u"silence"_s];
        else if (line.startsWith("  fault: "))
            ++faults[QString::fromLatin1(line.sliced(9, line.indexOf(',') - 9))];
        if (!reply)
            return;
        // A faulty reply ends with "   [fault]"; the log writes \ and anything unprintable as \xNN.
        if (line.endsWith(']'))
            line.truncate(line.lastIndexOf("   ["));
        line = line.sliced(2).replace('%', "%25").replace("\\x", "%");
        record(sent, QByteArray::fromPercentEncoding(line));
    }

    QStringList options; // all but --seed
    QFile log;
    QProcess process;
    QByteArray partial; // a line not yet ended
    qint64 received = 0, owed = 0; // requests read, and replies yet to send, by the panel now
    QMap<QString, qint64> faults; // by name, of every panel started
    Sent sent; // by every panel started
};

// One part: the engine wired as in the main window, its exchange events kept as counts only.
struct Rig
{
    Rig(QString name, qint64 wanted, Transport &link, Timings timings)
        : name(std::move(name))
        , wanted(wanted)
        , cycle(shared, *data, link, grid, prompts, timings)
        , download(shared, *data, link, cycle, prompts, timings)
        , recovery(link, cycle, download, timings)
    {
        clock.start();
        QObject::connect(&link, &Transport::exchangeEvent, &cycle,
                         [this](const ExchangeEvent &e) { take(e); });
    }

    qint64 count(Kind kind) const { return events[int(kind)]; }
    qint64 requests() const { return count(Kind::RequestOut); }
    qint64 losses() const { return count(Kind::LinkLost) + count(Kind::PortFailed); }
    bool fail(const QString &what)
    {
        failures.append(name + u": "_s + what);
        return false;
    }
    bool settle()
    {
        return waitUntil(lineQuiet)
            || fail(u"replies were still on their way 30 s after the exchange stopped"_s);
    }

    // The warm-up, then the rest; between stretches the line settles so no reply crosses over.
    bool soak(std::mt19937 &random)
    {
        for (const bool warmUp : {true, false}) {
            const qint64 count = warmUp ? WarmUp : wanted - requests(), end = requests() + count;
            const int longest = int(std::clamp<qint64>(count / 8, 40, 600));
            std::uniform_int_distribution<int> scanLength(longest / 4, longest);
            std::uniform_int_distribution<int> testLength(longest / 6, longest / 2);
            while (requests() < end) {
                const auto [mode, loop] = Plan[step++ % std::size(Plan)];
                auto &length = mode == ScanMode::SensorTest ? testLength : scanLength;
                target = loop == 0 ? end : std::min(end, requests() + length(random));
                if (loop == 0) {
                    ++downloads;
                    download.start();
                } else {
                    cycle.setMode(mode);
                    cycle.RefreshGrid(loop);
                    ++(mode == ScanMode::SensorTest ? sensorTests : scans);
                    cycle.start();
                }
                waitUntil([&] { return !cycle.isRunning() && !download.isRunning(); });
                if (cycle.isRunning() || download.isRunning()
                    || (loop != 0 && requests() < target)) {
                    fail(say("a stretch on loop %1 stood still or stopped %2 requests short: %3",
                             loop, target - requests(), cycle.statusText()));
                    cycle.halt();
                    download.abort();
                    return false;
                }
                if (!settle())
                    return false;
                grid = {};
                prompts = {};
            }
            (warmUp ? startKiB : endKiB) = residentKiB();
        }
        return true;
    }

    // Once the line is quiet, nothing may happen for several times the longest wait.
    void stopAndListen()
    {
        cycle.halt();
        download.abort();
        if (!settle())
            return;
        const qint64 before = std::accumulate(std::begin(events), std::end(events), qint64(0));
        waitUntil([] { return false; }, 200);
        QStringList left;
        if (const qint64 after = std::accumulate(std::begin(events), std::end(events), -before))
            left.append(say("%1 exchange events after everything stopped", after));
        if (cycle.activity() != ScanCycle::Activity::Idle || cycle.isRunning())
            left.append(u"the scan cycle still running"_s);
        if (download.isRunning() || shared.DownloadActive)
            left.append(u"the download still running"_s);
        if (recovery.isWatching())
            left.append(u"the link recovery still looking for the device"_s);
        stopped = left.isEmpty()
            || fail(u"invariant \"no timer left running\" fails: "_s + left.join(u"; "_s));
    }

    // Every invariant at every address; only the first ten failures are told.
    qint64 checkTables(const Sent &sent, qint64 &failed)
    {
        const LoopData &d = *data;
        const Histogram *histogram[] = {&d.SensorHistogram, &d.ModuleHistogram};
        const AddressTable<qint16> *analogue[] = {&d.SensorAnalogue, &d.ModuleAnalogue};
        const AddressTable<qint16> *current[] = {&d.SensorCurrent, &d.ModuleCurrent};
        qint64 checks = 0;
        for (int l = 1; l <= 2; ++l) {
            for (int a = FirstAddress; a <= LastAddress; ++a) {
                const auto expect = [&](bool holds, const char *invariant, const QString &detail) {
                    ++checks;
                    if (!holds && ++failed <= 10)
                        fail(say("invariant \"%1\" fails at loop %2 address %3: %4",
                                 QLatin1String(invariant), l, a, detail));
                };
                // Where taken, ten times an analogue value sent whole; elsewhere nothing.
                const auto stored = [&](bool taken, int kind, int value, int current,
                                        QString what) {
                    expect(taken ? value % 10 == 0 && sent.count({l, a, kind, value / 10, current})
                                 : value == 0 && current <= 0,
                           "no stored reading the panel never sent whole", what);
                };
                const int counted = d.SensorReadCount.at(a, l), inRange = d.OkCount.at(a, l);
                const int outOfRange = d.OutOfRangeCount.at(a, l), faulty = d.FaultCount.at(a, l);
                expect(counted == inRange + outOfRange + faulty,
                       "readings counted = in range + out of range + faulty",
                       say("%1 counted, %2 + %3 + %4", counted, inRange, outOfRange, faulty));
                const int slot = d.RingSlot.at(a, l);
                expect(counted == 0 ? slot == 0 : slot >= 1 && slot <= RingSlots,
                       "ring slot within 1..3", say("slot %1 after %2 readings", slot, counted));
                for (int s = 1; s <= RingSlots; ++s) {
                    const int value = d.LastReadings[std::size_t(s)].at(a, l);
                    stored(counted >= s, Sensor, value, -1, say("%1 in ring slot %2", value, s));
                }
                for (const int kind : {Sensor, Module}) {
                    const auto bins = histogram[kind]->counts(a, l);
                    const int total = std::accumulate(bins.begin(), bins.end(), 0);
                    const int taken = accepted[kind][l - 1][a];
                    expect(total == taken, "distribution total = readings accepted",
                           say("%1 in the distribution, %2 accepted", total, taken));
                    for (std::size_t bin = 0; bin < bins.size(); ++bin) {
                        if (bins[bin] != 0)
                            stored(true, kind, int(bin), -1, say("%1 in the distribution", bin));
                    }
                    const int value = analogue[kind]->at(a, l), draw = current[kind]->at(a, l);
                    stored(taken > 0, kind, value, draw, say("latest %1, current %2", value, draw));
                }
            }
        }
        return checks;
    }

    void report(const Sent &sent, bool memory)
    {
        row(name + u": exchanges"_s,
            say("%1 (%2 scans, %3 sensor tests, %4 downloads)", requests(), scans, sensorTests,
                downloads),
            say(">= %1", wanted), requests() >= wanted);
        QStringList drawn;
        for (const Fault f : Faults)
            drawn.append(say("%1 %2", sim::faultName(f), faults.value(sim::faultName(f))));
        row(name + u": faults drawn"_s, drawn.join(u", "_s), u"10 % each"_s);
        const auto lost = [&](DiscardReason r) { return discarded[int(r)]; };
        row(name + u": what became of the replies"_s,
            say("%1 accepted (%2 asked again), %3 time-outs; discarded: %4 other loop, %5 short, "
                "%6 garbled, %7 not awaited",
                count(Kind::ReplyAccepted), count(Kind::ReRead), count(Kind::TimedOut),
                lost(DiscardReason::OtherLoop), lost(DiscardReason::Short),
                lost(DiscardReason::Garbled), lost(DiscardReason::NotAwaited)));
        qint64 failed = misplacedReturns + (stopped ? 0 : 1);
        const qint64 checks = checkTables(sent, failed);
        row(name + u": invariants checked"_s,
            say("%1 on the tables, %2 returns, nothing running after the stop; %3 failed", checks,
                returnsChecked, failed),
            u"0 failed"_s, failed == 0);
        const auto mib = [](qint64 kib) { return QString::number(double(kib) / 1024, 'f', 1); };
        if (memory)
            row(name + u": resident memory after %1 exchanges and at the end"_s.arg(WarmUp),
                say("%1 → %2 MiB%3", mib(startKiB), mib(endKiB), besides));
        row(name + u": run time"_s,
            QString::number(double(clock.elapsed()) / 1000, 'f', 1) + u" s"_s);
    }

    void take(const ExchangeEvent &e)
    {
        ++events[int(e.kind)];
        // At its last request a scan halts at once, a download is aborted awaiting the reply.
        if (e.kind == Kind::RequestOut && requests() == target && cycle.isRunning())
            cycle.halt();
        else if (e.kind == Kind::RequestOut && requests() == target)
            QTimer::singleShot(0, &download, &ConfigurationDownload::abort);
        if (e.kind == Kind::ReplyDiscarded)
            ++discarded[int(e.reason)];
        // A scan reading is stored at the address it names, of the mode the cycle is in.
        const int address = e.repliedAddress != 0 ? e.repliedAddress : e.tag.address;
        if (e.kind == Kind::ReplyAccepted && e.tag.kind == ExchangeTag::Kind::Scan
            && cycle.mode() != ScanMode::SensorTest && e.tag.loop >= 1 && e.tag.loop <= 2
            && address >= 0 && address <= 99)
            ++accepted[cycle.mode() == ScanMode::Modules ? Module : Sensor][e.tag.loop - 1]
                      [address];
        // Told before the scan is taken up again, while it still knows where it stopped.
        if (e.kind == Kind::LinkBack && cycle.interruptedAt()) {
            ++returns;
            returnAddress = returnedAt = *cycle.interruptedAt();
        } else if (e.kind == Kind::RequestOut && returnAddress) {
            ++returnsChecked;
            if (e.tag.address != *returnAddress) {
                ++misplacedReturns;
                fail(say("invariant \"every return goes on at the same address\" fails at loop "
                         "%1 address %2: the scan asked address %3",
                         e.tag.loop, *returnAddress, e.tag.address));
            }
            returnAddress.reset();
        }
    }

    const QString name;
    const qint64 wanted;
    QElapsedTimer clock;
    SharedState shared;
    std::unique_ptr<LoopData> data = std::make_unique<LoopData>();
    FakeGrid grid;
    FakePrompts prompts; // answers Yes
    ScanCycle cycle;
    ConfigurationDownload download;
    LinkRecovery recovery;
    std::function<bool()> lineQuiet; // no reply on its way; each part says how it knows
    QMap<QString, qint64> faults; // drawn, by name
    qint64 events[11] {}, discarded[4] {}; // by kind, by reason
    int accepted[2][2][100] {}; // scan replies, re-reads included: [kind][loop - 1][address]
    int scans = 0, sensorTests = 0, downloads = 0;
    std::size_t step = 0; // the next stretch of the plan
    qint64 target = 0; // the request the stretch under way ends with
    qint64 startKiB = 0, endKiB = 0; // resident after the warm-up, and after the exchanges
    QString besides; // what the memory at the end holds besides the engine
    qint64 returns = 0, returnsChecked = 0, misplacedReturns = 0;
    int returnedAt = 0; // the address the last return went on at
    std::optional<int> returnAddress; // where the first request after a return must ask
    bool stopped = false; // nothing ran and nothing fired after the stop
};

void inProcess(const Form &form, std::uint32_t seed)
{
    sim::ServerOptions options;
    options.lateDelay = 12ms;
    options.seed = seed;
    sim::ResponderTransport link(sim::Installation::defaultInstallation(), options);
    Rig rig(u"Soak, same process"_s, form.inProcess, link, soakTimings(0ms, 5ms, 2ms));
    rig.lineQuiet = [&] { return link.repliesUnderWay() == 0; };
    // The faults are drawn here and queued one request ahead, so that each is counted.
    sim::FaultPlanner planner({FaultRate, FaultRate, FaultRate, FaultRate, FaultRate, FaultRate},
                              seed);
    Fault next = planner.next();
    link.queueFault(next);
    QObject::connect(&link, &Transport::exchangeEvent, &link, [&](const ExchangeEvent &e) {
        if (e.kind == Kind::RequestOut) {
            ++rig.faults[sim::faultName(next)];
            link.queueFault(next = planner.next());
        }
    });
    std::mt19937 random(seed);
    rig.soak(random);
    rig.stopAndListen();
    qint64 kept = 0; // a block, its header and a list entry for each request and reply kept
    for (const QByteArray &bytes : link.requests() + link.replies())
        kept += bytes.capacity() + 64;
    rig.besides = say(", about %1 MiB of it the responder's record of each request and reply",
                      QString::number(double(kept) / (1 << 20), 'f', 1));
    Sent sent;
    for (const QByteArray &reply : link.replies())
        record(sent, reply);
    rig.report(sent, &form == &Long);
}

// The pause closes the port between requests, so a pulled cable is found opening it or awaiting.
void overTerminal(const Form &form, std::uint32_t seed)
{
    QTemporaryDir dir;
    PanelProcess panel;
    const QString linkPath = dir.filePath(u"centrale"_s);
    panel.log.setFileName(dir.filePath(u"panelsim.log"_s));
    panel.options
        = QStringList {u"--link"_s,           linkPath, u"--log"_s,     panel.log.fileName(),
                       u"--reply-delay-ms"_s, u"0"_s,   u"--late-ms"_s, u"40"_s};
    for (const Fault f : Faults)
        panel.options << u"--"_s + sim::faultName(f) << QString::number(FaultRate);
    SerialLink serial;
    serial.setPortOverride(linkPath);
    Rig rig(u"Soak, pseudo-terminal to panelsim"_s, form.overTerminal, serial,
            soakTimings(1ms, 15ms, 5ms));
    if (const QString error = panel.start(seed); !error.isEmpty()) {
        rig.fail(error);
        return;
    }
    qint64 base = 0; // requests sent before the panel now serving started
    // Quiet when the panel has read every request and sent or dropped every reply it owes.
    rig.lineQuiet = [&] {
        panel.follow();
        return panel.owed == 0 && panel.received == rig.requests() - base;
    };
    std::mt19937 random(seed);
    const bool ran = rig.soak(random);
    const qint64 lossesBefore = rig.losses();

    // Each pull: one loss told, and the scan goes on where it stopped (as take() checks).
    int pulls = 0;
    std::uniform_int_distribution<int> between(1, 8);
    const auto pullCables = [&] {
        rig.cycle.setMode(ScanMode::Sensors);
        rig.cycle.RefreshGrid(1);
        rig.cycle.start();
        for (;; ++pulls) {
            const qint64 readings = rig.count(Kind::ReplyAccepted) + between(random);
            waitUntil([&] {
                return rig.count(Kind::ReplyAccepted) >= readings || !rig.cycle.isRunning();
            });
            if (!rig.cycle.isRunning())
                return rig.fail(say("after pull %1 the scan stopped by itself: %2", pulls,
                                    rig.cycle.statusText()));
            if (rig.losses() - lossesBefore != pulls)
                return rig.fail(say("invariant \"one message per loss\" fails at pull %1, loop 1 "
                                    "address %2: %3 messages in all",
                                    pulls, rig.returnedAt, rig.losses() - lossesBefore));
            if (pulls == form.pulls)
                return true;
            const qint64 returns = rig.returns;
            panel.stop(true);
            if (!waitUntil([&] { return rig.recovery.isWatching(); }))
                return rig.fail(say("pull %1: the loss was never noticed", pulls + 1));
            if (const QString error = panel.start(seed + std::uint32_t(pulls + 1));
                !error.isEmpty())
                return rig.fail(error);
            base = rig.requests();
            if (!waitUntil([&] { return rig.returns > returns; }))
                return rig.fail(
                    say("pull %1: the scan did not go on when the panel came back", pulls + 1));
        }
    };
    if (ran)
        pullCables();
    rig.stopAndListen();
    panel.stop();
    panel.follow();
    rig.faults = panel.faults;
    rig.report(panel.sent, &form == &Long);
    const qint64 losses = rig.losses() - lossesBefore;
    row(u"Soak, pulled cable: pulls during a scan"_s, say("%1", pulls), say("%1", form.pulls),
        pulls == form.pulls);
    row(u"Soak, pulled cable: returns at the address where the scan stopped"_s,
        say("%1 of %2", rig.returnsChecked, rig.returns), u"all"_s,
        rig.returns == pulls && rig.returnsChecked == pulls && rig.misplacedReturns == 0);
    row(u"Soak, pulled cable: losses told"_s, say("%1", losses), u"one per pull"_s,
        losses == pulls);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // Every loss is counted and checked; a warning line for each would bury the figures.
    QLoggingCategory::setFilterRules(u"testloop.link.warning=false"_s);
    const QStringList arguments = app.arguments().mid(1);
    const Form *form = &Short;
    std::uint32_t seed = 1;
    bool ok = true;
    for (qsizetype i = 0; ok && i < arguments.size(); ++i) {
        if (arguments[i] == u"--long" || arguments[i] == u"--short")
            form = arguments[i] == u"--long" ? &Long : &Short;
        else if (arguments[i] == u"--seed" && i + 1 < arguments.size())
            seed = arguments[++i].toUInt(&ok);
        else
            ok = false;
    }
    if (!ok) {
        std::fprintf(stderr, "usage: soak [--short | --long] [--seed N]\n");
        return 2;
    }
    inProcess(*form, seed);
    overTerminal(*form, seed);
    for (const QString &failure : std::as_const(failures))
        std::fprintf(stderr, "soak: %s\n", qUtf8Printable(failure));
    if (!failures.isEmpty())
        std::fprintf(stderr, "soak: again with: soak --%s --seed %u\n", form->name, seed);
    return failures.isEmpty() ? 0 : 1;
}
