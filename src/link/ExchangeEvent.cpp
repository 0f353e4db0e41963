#include "link/ExchangeEvent.h"

#include <QElapsedTimer>

namespace testloop {

namespace {

qint64 monotonicUs()
{
    static const QElapsedTimer clock = [] {
        QElapsedTimer started;
        started.start();
        return started;
    }();
    return clock.nsecsElapsed() / 1000;
}

} // namespace

ExchangeEvent ExchangeEvent::now(Kind kind, const ExchangeTag &tag)
{
    ExchangeEvent event;
    event.kind = kind;
    event.time = QDateTime::currentDateTimeUtc();
    event.elapsedUs = monotonicUs();
    event.tag = tag;
    return event;
}

} // namespace testloop
