#pragma once

#include <QList>
#include <QObject>

#include <initializer_list>

class QSocketNotifier;

namespace testloop {

// Turns SIGINT and SIGTERM into a normal end of the event loop: the handler only writes a byte
// into a socket pair, and a notifier on the other end quits the application, so the window
// closes, the port is released and the exit code is 0. The handlers go in before the
// application object exists, so a signal in the first moments is not lost: it waits in the
// socket until the notifier is listening. One instance per process.
class SignalQuitter : public QObject
{
    Q_OBJECT
public:
    explicit SignalQuitter(QObject *parent = nullptr);
    ~SignalQuitter() override;

    // Needs no application object. False when the socket pair or a handler could not be set.
    bool install(std::initializer_list<int> signalNumbers);
    // Starts watching for signals; needs the application object.
    void listen();
    // A signal has ended, or is ending, the event loop.
    bool received() const { return m_received; }

private:
    static void handle(int signalNumber);
    void onReadable();

    int m_sockets[2] = {-1, -1};
    QSocketNotifier *m_notifier = nullptr;
    QList<int> m_installed;
    bool m_received = false;
};

} // namespace testloop
