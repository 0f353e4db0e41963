#pragma once
// The scan cycle and the download on the in-process responder: short waits, fakes, all events.
#include "link/PanelProtocol.h"
#include "loopdata/LoopTables.h"
#include "loopdata/SharedState.h"
#include "scan/ConfigurationDownload.h"
#include "scan/ScanCycle.h"
#include "sim/ResponderTransport.h"
#include "tests/support/FakeGrid.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/TestInstallation.h"

#include <QEventLoop>
#include <QTimer>

#include <functional>
#include <memory>

namespace testsupport {

using namespace std::chrono_literals;

inline constexpr int Patience = 30000; // ms; only a broken exchange ever waits this long

// Unlike QTRY_* and qWaitFor, never sleeps between looks: the exchange runs at full speed.
inline bool waitUntil(const std::function<bool()> &done, int patience = Patience)
{
    if (done())
        return true;
    QEventLoop loop;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    look.start(1);
    QTimer::singleShot(patience, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

// No pauses; time-outs long enough that no reply is taken for missing on a loaded machine.
inline testloop::Timings shortTimings(std::chrono::milliseconds replyTimeout = 5000ms)
{
    testloop::Timings t;
    t.requestPause = t.downloadStartWait = 0ms;
    t.firstReplyTimeout = t.replyTimeout = t.downloadResend = replyTimeout;
    return t;
}

// On the responder by default; on any other transport made without arguments.
template<typename Link = testloop::sim::ResponderTransport> struct BasicEngineBench
{
    explicit BasicEngineBench(testloop::Timings timings = shortTimings(),
                              [[maybe_unused]] testloop::sim::ServerOptions options = {})
        : data(std::make_unique<testloop::LoopData>())
        , link([&] {
            if constexpr (std::is_same_v<Link, testloop::sim::ResponderTransport>)
                return Link(testInstallation(), options);
            else
                return Link();
        }())
        , cycle(shared, *data, link, grid, prompts, timings)
        , download(shared, *data, link, cycle, prompts, timings)
    {
        QObject::connect(&link, &testloop::Transport::exchangeEvent, &link,
                         [this](const testloop::ExchangeEvent &event) { events.append(event); });
    }

    // The loop digit and two-digit address of every scan and test request, as "1.05".
    QStringList asked() const
    {
        QStringList list;
        for (const QByteArray &request : link.requests()) {
            if (request.contains("6AQ") || request.contains("6TS"))
                list.append(QString::fromLatin1(request.mid(7, 1) + '.' + request.mid(9, 2)));
            else if (request.contains("DQB"))
                list.append(QString::fromLatin1(request.mid(8, 1) + '.' + request.mid(9, 3)));
        }
        return list;
    }

    qsizetype scanRequests() const // scan or test requests sent so far
    {
        return std::ranges::count_if(link.requests(), [](const QByteArray &r) {
            return r.contains("6AQ") || r.contains("6TS");
        });
    }

    // Stops the cycle as the count-th scan or test request goes out: its reply is lost.
    bool scanFor(qsizetype count)
    {
        const auto halting
            = QObject::connect(&link, &testloop::Transport::exchangeEvent, &link,
                               [this, count](const testloop::ExchangeEvent &event) {
                                   if (event.kind == testloop::ExchangeEvent::Kind::RequestOut
                                       && scanRequests() >= count)
                                       cycle.halt();
                               });
        const bool reached = waitUntil([&] { return scanRequests() >= count; });
        QObject::disconnect(halting);
        cycle.halt();
        return reached && waitUntil([&] { return link.repliesUnderWay() == 0; });
    }

    // Runs act once, as the request numbered n (from 1) goes out.
    void atRequest(qsizetype n, std::function<void()> act)
    {
        QObject::connect(&link, &testloop::Transport::exchangeEvent, &link,
                         [this, n, act](const testloop::ExchangeEvent &event) {
                             if (event.kind == testloop::ExchangeEvent::Kind::RequestOut
                                 && link.requests().size() == n)
                                 act();
                         });
    }

    qsizetype eventCount(testloop::ExchangeEvent::Kind kind) const
    {
        return std::ranges::count(events, kind, &testloop::ExchangeEvent::kind);
    }

    testloop::SharedState shared;
    std::unique_ptr<testloop::LoopData> data;
    FakeGrid grid;
    FakePrompts prompts;
    Link link;
    testloop::ScanCycle cycle;
    testloop::ConfigurationDownload download;
    QList<testloop::ExchangeEvent> events;
};
using EngineBench = BasicEngineBench<>;

// The words of a text, as "1.01 1.01 1.02" for a list of requests.
inline QStringList words(const char *text)
{
    return QString::fromLatin1(text).split(u' ', Qt::SkipEmptyParts);
}

// "1.01" .. for the addresses from..to of a loop, as asked() gives them ("1.001" downloading).
inline QStringList addresses(int loop, int from, int to, int digits = 2)
{
    QStringList list;
    for (int a = from; a <= to; ++a)
        list.append(QStringLiteral("%1.%2").arg(loop).arg(a, digits, 10, QLatin1Char('0')));
    return list;
}

} // namespace testsupport
