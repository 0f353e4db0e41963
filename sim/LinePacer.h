#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <chrono>

namespace testloop::sim {

// Hands bytes on either at once or, when paced, no faster than a 9600 baud 8N1 line carries
// them: ten bits per character, one character every 10/9600 s (~1.042 ms). Characters are
// counted against a clock rather than one per timer tick, so a late tick sends all that are due.
class LinePacer : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 BaudRate = 9600;
    static constexpr qint64 BitsPerCharacter = 10; // start bit, 8 data bits, stop bit

    explicit LinePacer(QObject *parent = nullptr);

    void setPaced(bool paced) { m_paced = paced; }
    bool isPaced() const { return m_paced; }

    void send(const QByteArray &bytes);
    // Forgets whatever has not gone out yet.
    void clear();
    qsizetype queuedSize() const { return m_queue.size(); }

    // How many characters a line at this pace has fully sent after this long.
    static qint64 charactersDue(std::chrono::nanoseconds elapsed);

signals:
    void output(const QByteArray &bytes);

private:
    void onTick();

    bool m_paced = false;
    QByteArray m_queue;
    QTimer m_tick;
    QElapsedTimer m_clock;
    qint64 m_sentSinceStart = 0;
};

} // namespace testloop::sim
