// How fast and how exactly the scan cycle talks to the panel: exchanges per second with the
// pause at 0, in the same process and over a real pseudo-terminal to the simulator, and the
// pause before each request over paced exchanges with the real waits.
//   bench_exchange [--paced N]   (N paced exchanges, 200 by default; 0 skips them)
#include "bench/Figures.h"
#include "link/SerialLink.h"
#include "loopdata/LoopTables.h"
#include "loopdata/SharedState.h"
#include "scan/DeviceGrid.h"
#include "scan/Prompts.h"
#include "scan/ScanCycle.h"
#include "sim/PanelServer.h"
#include "sim/ResponderTransport.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>

#include <memory>

using namespace testloop;
using namespace std::chrono_literals;
using benchfigures::print;
using benchfigures::quantile;

namespace {

class NullGrid : public DeviceGrid
{
public:
    void setCaption(int, const QString &) override { }
    void setColour(int, ButtonColour) override { }
    void setToolTip(int, const QString &) override { }
    void setVisible(int, bool) override { }
    void setMarked(int, bool) override { }
};

class YesPrompts : public Prompts
{
public:
    bool askYesNo(const QString &, const QString &) override { return true; }
    void showMessage(const QString &, const QString &, Icon) override { }
    void beep() override { }
    std::optional<QString> askText(const QString &, const QString &) override { return {}; }
};

sim::Installation everyAddressInRange()
{
    sim::Installation installation;
    for (int address = 1; address <= 99; ++address)
        installation.setSensor(1, address, sim::Sensor {});
    return installation;
}

// Runs a scan over the link until count requests have gone out; the times, in nanoseconds
// on one clock, of every request written and every reply gathered.
struct Run
{
    std::vector<qint64> requests;
    std::vector<qint64> replies;
    double seconds = 0;
};

Run scan(Transport &link, const Timings &timings, int count)
{
    SharedState shared;
    auto data = std::make_unique<LoopData>();
    NullGrid grid;
    YesPrompts prompts;
    ScanCycle cycle(shared, *data, link, grid, prompts, timings);
    Run run;
    QElapsedTimer clock;
    QEventLoop loop;
    QObject::connect(&link, &Transport::exchangeEvent, &loop, [&](const ExchangeEvent &event) {
        if (event.kind == ExchangeEvent::Kind::RequestOut) {
            run.requests.push_back(clock.nsecsElapsed());
            if (int(run.requests.size()) > count)
                loop.quit();
        } else if (event.kind == ExchangeEvent::Kind::ReplyIn) {
            run.replies.push_back(clock.nsecsElapsed());
        }
    });
    clock.start();
    cycle.start();
    loop.exec();
    cycle.halt();
    run.seconds = double(run.requests.back() - run.requests.front()) / 1e9;
    return run;
}

Timings noPause()
{
    Timings timings;
    timings.requestPause = 0ms;
    return timings;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    int paced = 200;
    const QStringList arguments = app.arguments();
    if (const qsizetype at = arguments.indexOf(QStringLiteral("--paced"));
        at > 0 && at + 1 < arguments.size())
        paced = arguments[at + 1].toInt();

    {
        sim::ResponderTransport link(everyAddressInRange());
        constexpr int Count = 20000;
        const Run run = scan(link, noPause(), Count);
        print("Exchanges per second, pause 0, in the same process", Count / run.seconds, "/s");
    }
    {
        // panelsim in a process of its own, as the program meets it.
        QProcess panel;
        panel.start(QStringLiteral(PANELSIM_PATH),
                    {QStringLiteral("--reply-delay-ms"), QStringLiteral("0")});
        QByteArray first;
        while (!first.contains('\n') && panel.waitForReadyRead(10000))
            first += panel.readAllStandardOutput();
        const QByteArray prefix = "panelsim: serving on ";
        if (!first.startsWith(prefix)) {
            std::fprintf(stderr, "bench_exchange: panelsim did not start\n");
            return 1;
        }
        SerialLink link;
        link.setPortOverride(QString::fromLocal8Bit(first.mid(prefix.size()).trimmed()));
        constexpr int Count = 5000;
        const Run run = scan(link, noPause(), Count);
        const double rate = Count / run.seconds;
        print("Exchanges per second, pause 0, over a pseudo-terminal to panelsim", rate, "/s",
              ">= 3000 /s", rate >= 3000);
        panel.terminate();
        panel.waitForFinished(5000);
    }
    if (paced <= 0)
        return 0;

    // The real waits, the panel answering at once at the pace of a 9600-baud line.
    sim::ServerOptions options;
    options.linePacing = true;
    sim::PanelServer server(everyAddressInRange(), options);
    QString error;
    if (!server.start(&error)) {
        std::fprintf(stderr, "bench_exchange: %s\n", qPrintable(error));
        return 1;
    }
    SerialLink link;
    link.setPortOverride(server.devicePath());
    const Run run = scan(link, Timings {}, paced);
    std::vector<double> pauses;
    for (std::size_t i = 0; i + 1 < run.requests.size() && i < run.replies.size(); ++i)
        pauses.push_back(double(run.requests[i + 1] - run.replies[i]) / 1e6);
    const double shortest = quantile(pauses, 0);
    print("Pause before a request, shortest of the paced exchanges", shortest, "ms", ">= 500.0 ms",
          shortest >= 500.0);
    print("Pause before a request, median", quantile(pauses, 0.5), "ms");
    print("Pause before a request, 99th percentile", quantile(pauses, 0.99), "ms");
    print("Pause before a request, longest", quantile(pauses, 1), "ms");
    if (run.requests.size() > 99) {
        // One pass of 99 exchanges against what the line allows: the pause and 43 characters
        // (request and reply) at ten bits each at 9600 baud.
        const double pass = double(run.requests[99] - run.requests[0]) / 1e9;
        const double limit = 99 * (0.5 + 43 * 10.0 / 9600.0);
        print("Pass over 99 addresses, time against the line's limit", pass / limit, "x",
              "<= 1.005", pass / limit <= 1.005);
    }
    return 0;
}
