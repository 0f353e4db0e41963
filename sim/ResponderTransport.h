#pragma once

#include "link/Transport.h"
#include "sim/SimulatedPanel.h"

#include <QList>

namespace testloop::sim {

// The simulated panel in the same process, behind the transport seam: requests are answered
// by the simulator's own responder, with its faults, delays and pieces, and the replies come
// in through the event loop as they would from a port. Bytes that arrive while the port is
// closed are lost, as a real port flushed on opening loses them. The device can be unplugged
// and plugged in again.
class ResponderTransport : public Transport
{
    Q_OBJECT
public:
    explicit ResponderTransport(Installation installation, ServerOptions options = {},
                                QObject *parent = nullptr);

    QString deviceName() const override { return m_device; }
    void setDeviceName(const QString &device) { m_device = device; }
    bool isOpen() const override { return m_open; }
    bool findDevice() override { return m_plugged; }

    // Forces the fault of the next replying request; several queue up in order.
    void queueFault(Fault fault) { m_panel.queueFault(fault); }

    // Bytes come in on the line now, whatever was asked; lost while the port is closed.
    void arrive(const QByteArray &bytes);

    // The device goes away: an open port is lost, and opening fails until plugIn().
    void unplug();
    void plugIn() { m_plugged = true; }
    // The device goes away as the next request is written: the write fails and the loss is
    // told on the next turn of the event loop, as a serial port tells it.
    void unplugAtNextWrite() { m_unplugAtWrite = true; }
    bool isPlugged() const { return m_plugged; }

    // Every request written, in order; every reply as it was sent, after any fault.
    const QList<QByteArray> &requests() const { return m_requests; }
    const QList<QByteArray> &replies() const { return m_replies; }
    qsizetype openCount() const { return m_openCount; }
    // Replies on their way: scheduled and not yet wholly delivered (or lost).
    int repliesUnderWay() const { return m_underWay; }

protected:
    std::optional<PortFailure> openDevice() override;
    void closeDevice() override;
    bool writeDevice(const QByteArray &bytes) override;

private:
    void deliver(QList<QByteArray> pieces, QByteArray reply, std::chrono::milliseconds delay);

    SimulatedPanel m_panel;
    QString m_device = QStringLiteral("simulatore");
    bool m_open = false;
    bool m_plugged = true;
    bool m_unplugAtWrite = false;
    qsizetype m_openCount = 0;
    int m_underWay = 0;
    QList<QByteArray> m_requests;
    QList<QByteArray> m_replies;
};

} // namespace testloop::sim
