#pragma once

#include <QByteArray>
#include <QList>

namespace testloop::sim {

// Cuts the incoming byte stream into requests: bytes before "(" are dropped and a request ends
// at ")XZ". A start that runs on far longer than any request without an end is given up, so
// one stray "(" cannot swallow every request after it.
class RequestFramer
{
public:
    static constexpr qsizetype MaxRequestLength = 64;

    // The requests completed by these bytes, in order.
    QList<QByteArray> feed(const QByteArray &bytes);

    // Bytes dropped since the last call; for the log.
    qsizetype takeDiscardedCount();
    qsizetype pendingSize() const { return m_pending.size(); }

private:
    void dropUntilStart(qsizetype from);

    QByteArray m_pending;
    qsizetype m_discarded = 0;
};

} // namespace testloop::sim
