#include "sim/LinePacer.h"

namespace testloop::sim {

LinePacer::LinePacer(QObject *parent)
    : QObject(parent)
{
    m_tick.setTimerType(Qt::PreciseTimer);
    m_tick.setInterval(std::chrono::milliseconds(1));
    connect(&m_tick, &QTimer::timeout, this, &LinePacer::onTick);
}

void LinePacer::send(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    if (!m_paced) {
        emit output(bytes);
        return;
    }
    m_queue.append(bytes);
    if (!m_tick.isActive()) {
        // The line was idle: the first character starts now.
        m_clock.start();
        m_sentSinceStart = 0;
        m_tick.start();
    }
}

void LinePacer::clear()
{
    m_tick.stop();
    m_queue.clear();
}

qint64 LinePacer::charactersDue(std::chrono::nanoseconds elapsed)
{
    if (elapsed.count() <= 0)
        return 0;
    return elapsed.count() * BaudRate / (BitsPerCharacter * 1'000'000'000);
}

void LinePacer::onTick()
{
    const qint64 due
        = charactersDue(std::chrono::nanoseconds(m_clock.nsecsElapsed())) - m_sentSinceStart;
    if (due > 0) {
        const QByteArray piece = m_queue.left(due);
        m_queue.remove(0, piece.size());
        m_sentSinceStart += piece.size();
        if (m_queue.isEmpty())
            m_tick.stop();
        emit output(piece);
    }
}

} // namespace testloop::sim
