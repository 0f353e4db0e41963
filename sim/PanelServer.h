#pragma once

#include "sim/ExchangeLog.h"
#include "sim/Installation.h"
#include "sim/LinePacer.h"
#include "sim/PseudoTerminal.h"
#include "sim/RequestFramer.h"
#include "sim/ServerOptions.h"
#include "sim/SimulatedPanel.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <memory>

namespace testloop::sim {

// The simulated panel on a pseudo-terminal: reads requests from the line, answers them from the
// installation after the configured delay, in the configured pieces and pace, with faults drawn
// from the configured rates or queued by hand.
class PanelServer : public QObject
{
    Q_OBJECT

public:
    using Options = ServerOptions;

    explicit PanelServer(Installation installation, ServerOptions options = {},
                         QObject *parent = nullptr);
    ~PanelServer() override;

    // Opens the pseudo-terminal (and the link and log, if set). False with *error on failure.
    bool start(QString *error);
    // Closes the terminal and the log and removes the link; replies not yet sent are dropped.
    void stop();
    bool isServing() const { return m_terminal.isOpen(); }

    QString devicePath() const { return m_terminal.devicePath(); }
    QString linkPath() const { return m_terminal.linkPath(); }
    const ServerOptions &options() const { return m_options; }

    // Forces the fault of the next replying request (download, scan or test); several queue up
    // in order. Fault::None forces a clean reply.
    void queueFault(Fault fault) { m_panel.queueFault(fault); }

    // Every complete request received, in order, including locks and unrecognised ones.
    QList<QByteArray> requests() const { return m_requests; }
    // Every reply as it was sent (after any fault), in the order sent.
    QList<QByteArray> replies() const { return m_replies; }
    int lockRequestCount() const { return m_lockRequests; }
    int unrecognisedRequestCount() const { return m_unrecognisedRequests; }

signals:
    void requestReceived(const QByteArray &request);
    void replySent(const QByteArray &reply);
    // Each piece as it went into the terminal.
    void bytesWritten(const QByteArray &bytes);

private:
    struct Transmission;

    void onBytesRead(const QByteArray &bytes);
    void handleRequest(const QByteArray &request);
    void schedule(const std::shared_ptr<Transmission> &transmission,
                  std::chrono::milliseconds delay);
    void log(const QString &text);

    ServerOptions m_options;
    SimulatedPanel m_panel;
    RequestFramer m_framer;
    ExchangeLog m_log;
    PseudoTerminal m_terminal;
    LinePacer m_pacer;
    quint64 m_generation = 0; // a reply scheduled before stop() belongs to an older generation
    QList<QByteArray> m_requests;
    QList<QByteArray> m_replies;
    int m_lockRequests = 0;
    int m_unrecognisedRequests = 0;
};

} // namespace testloop::sim
