#include "sim/ResponderTransport.h"

#include <QTimer>

namespace testloop::sim {

ResponderTransport::ResponderTransport(Installation installation, ServerOptions options,
                                       QObject *parent)
    : Transport(parent)
    , m_panel(std::move(installation), options)
{ }

void ResponderTransport::arrive(const QByteArray &bytes)
{
    if (m_open)
        gather(bytes);
}

void ResponderTransport::unplug()
{
    m_plugged = false;
    if (m_open)
        loseLink({PortFailure::Reason::Missing, m_device, QStringLiteral("unplugged")});
}

std::optional<PortFailure> ResponderTransport::openDevice()
{
    if (!m_plugged)
        return PortFailure {PortFailure::Reason::Missing, m_device, QStringLiteral("unplugged")};
    m_open = true;
    ++m_openCount;
    return std::nullopt;
}

void ResponderTransport::closeDevice()
{
    m_open = false;
}

bool ResponderTransport::writeDevice(const QByteArray &bytes)
{
    if (m_unplugAtWrite) {
        m_unplugAtWrite = false;
        m_plugged = false;
        QTimer::singleShot(0, this, [this] {
            loseLink({PortFailure::Reason::Missing, m_device, QStringLiteral("unplugged")});
        });
        return false;
    }
    m_requests.append(bytes);
    const SimulatedPanel::Answer answer = m_panel.answer(bytes);
    if (!answer.reply.isEmpty()) {
        ++m_underWay;
        deliver(m_panel.pieces(answer.reply), answer.reply, answer.delay);
    }
    return true;
}

// Each piece comes in on its own turn of the event loop, the first after the reply delay and
// the others a piece gap apart; a piece that finds the port closed is lost.
void ResponderTransport::deliver(QList<QByteArray> pieces, QByteArray reply,
                                 std::chrono::milliseconds delay)
{
    QTimer::singleShot(delay, Qt::PreciseTimer, this,
                       [this, pieces = std::move(pieces), reply = std::move(reply)]() mutable {
                           const QByteArray piece = pieces.takeFirst();
                           if (pieces.isEmpty()) {
                               m_replies.append(reply);
                               --m_underWay;
                           }
                           if (m_open)
                               gather(piece);
                           if (!pieces.isEmpty())
                               deliver(std::move(pieces), std::move(reply),
                                       m_panel.options().pieceGap);
                       });
}

} // namespace testloop::sim
