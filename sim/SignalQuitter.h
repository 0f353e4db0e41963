#pragma once

#include <QList>
#include <QObject>

#include <initializer_list>

class QSocketNotifier;

namespace testloop::sim {

// Turns SIGINT/SIGTERM into a clean QCoreApplication::quit(): the handler only writes the
// signal number into a socket pair, and a notifier on the other end quits the event loop, so
// destructors run as on any normal exit. One instance per process.
class SignalQuitter : public QObject
{
    Q_OBJECT

public:
    explicit SignalQuitter(QObject *parent = nullptr);
    ~SignalQuitter() override;

    bool install(std::initializer_list<int> signalNumbers, QString *error);
    // The last signal received, 0 if none.
    int receivedSignal() const { return m_received; }

signals:
    void signalReceived(int signalNumber);

private:
    static void handle(int signalNumber);
    void onReadable();

    int m_sockets[2] = {-1, -1};
    QSocketNotifier *m_notifier = nullptr;
    QList<int> m_installed;
    int m_received = 0;
};

} // namespace testloop::sim
