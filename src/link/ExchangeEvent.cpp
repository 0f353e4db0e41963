#include "link/ExchangeEvent.h"

#include <QElapsedTimer>

namespace testloop {

namespace {

qint64 monotonicMs()
{
    static const QElapsedTimer clock = [] {
        QElapsedTimer started;
        started.start();
        return started;
    }();
    return clock.elapsed();
}

} // namespace

ExchangeEvent ExchangeEvent::now(Kind kind, const ExchangeTag &tag)
{
    ExchangeEvent event;
    event.kind = kind;
    event.time = QDateTime::currentDateTimeUtc();
    event.elapsedMs = monotonicMs();
    event.tag = tag;
    return event;
}

} // namespace testloop
