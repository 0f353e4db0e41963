#include "sim/RequestFramer.h"

namespace testloop::sim {

QList<QByteArray> RequestFramer::feed(const QByteArray &bytes)
{
    QList<QByteArray> requests;
    m_pending.append(bytes);
    for (;;) {
        dropUntilStart(0);
        if (m_pending.isEmpty())
            break;
        const qsizetype end = m_pending.indexOf(")XZ");
        if (end >= 0 && end + 3 <= MaxRequestLength) {
            requests.append(m_pending.left(end + 3));
            m_pending.remove(0, end + 3);
            continue;
        }
        if (m_pending.size() < MaxRequestLength)
            break;
        // No end within reach: give up this "(" and look for the next one.
        dropUntilStart(1);
    }
    return requests;
}

qsizetype RequestFramer::takeDiscardedCount()
{
    const qsizetype count = m_discarded;
    m_discarded = 0;
    return count;
}

void RequestFramer::dropUntilStart(qsizetype from)
{
    qsizetype start = m_pending.indexOf('(', from);
    if (start < 0)
        start = m_pending.size();
    m_discarded += start;
    m_pending.remove(0, start);
}

} // namespace testloop::sim
