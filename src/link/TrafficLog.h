#pragma once

#include "link/ExchangeEvent.h"

#include <QObject>
#include <QStringList>

#include <deque>

namespace testloop {

class Transport;

// The recent traffic with the panel, for the traffic window: every exchange event worth a line
// (requests, replies, time-outs, discarded replies and why, the port opened and closed, the
// link lost and back), the last Capacity of them. Recording goes on whether or not anyone
// looks; lines are formatted only when read.
class TrafficLog : public QObject
{
    Q_OBJECT
public:
    static constexpr qsizetype Capacity = 10000;

    explicit TrafficLog(Transport &link, QObject *parent = nullptr);

    qsizetype size() const { return qsizetype(m_events.size()); }
    // Events recorded since the last clear that no longer fit.
    quint64 dropped() const { return m_dropped; }
    // Events recorded since the last clear, dropped ones included.
    quint64 recorded() const { return m_dropped + m_events.size(); }
    QString line(qsizetype index) const;
    QStringList lines() const;
    void clear();

    // "14:03:22.517  →  (j006AQ1001)XZ": local time to the millisecond, a direction mark and
    // the text. Empty for an event that makes no line.
    static QString format(const ExchangeEvent &event);
    // The bytes as text, each byte outside printable ASCII as \xNN.
    static QString printable(const QByteArray &bytes);

signals:
    void recordedChanged();
    void cleared();

private:
    void record(const ExchangeEvent &event);

    std::deque<ExchangeEvent> m_events;
    quint64 m_dropped = 0;
};

} // namespace testloop
