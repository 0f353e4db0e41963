#pragma once

#include "sim/FaultPlanner.h"
#include "sim/PanelRequest.h"
#include "sim/PanelResponder.h"
#include "sim/ServerOptions.h"

#include <QByteArray>
#include <QList>

#include <chrono>

namespace testloop::sim {

// The panel without its line: answers each request from the installation, with the fault the
// planner draws, after the configured delay and cut into the configured pieces. The
// pseudo-terminal server and the in-process transport both answer through it, so they answer
// alike.
class SimulatedPanel
{
public:
    struct Answer
    {
        PanelRequest request;
        Fault fault = Fault::None;
        QByteArray reply; // empty: no reply at all
        std::chrono::milliseconds delay {0};
    };

    SimulatedPanel(Installation installation, const ServerOptions &options);

    Answer answer(const QByteArray &request);
    // The reply cut as the options deliver it.
    QList<QByteArray> pieces(const QByteArray &reply) const;

    void queueFault(Fault fault) { m_faults.queue(fault); }
    const ServerOptions &options() const { return m_options; }
    const Installation &installation() const { return m_responder.installation(); }

private:
    ServerOptions m_options;
    PanelResponder m_responder;
    FaultPlanner m_faults;
};

} // namespace testloop::sim
