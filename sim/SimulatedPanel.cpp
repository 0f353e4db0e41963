#include "sim/SimulatedPanel.h"

namespace testloop::sim {

namespace {

// The fault generator is seeded apart from the noise generator, so that turning faults on does
// not change the readings.
constexpr std::uint32_t FaultSeedOffset = 0x9e3779b9u;

} // namespace

SimulatedPanel::SimulatedPanel(Installation installation, const ServerOptions &options)
    : m_options(options)
    , m_responder(std::move(installation), options.seed)
    , m_faults(options.faults, options.seed + FaultSeedOffset)
{ }

SimulatedPanel::Answer SimulatedPanel::answer(const QByteArray &request)
{
    Answer answer;
    answer.request = PanelRequest::parse(request);
    if (!answer.request.expectsReply())
        return answer;
    answer.fault = m_faults.next();
    if (answer.fault == Fault::Silence)
        return answer;
    PanelRequest answered = answer.request;
    if (answer.fault == Fault::OtherLoop)
        answered.loop = answered.loop == 1 ? 2 : 1;
    if (answer.fault == Fault::OtherAddress)
        answered.address
            = answered.address >= Installation::AddressCount ? 1 : answered.address + 1;
    answer.reply = m_responder.replyTo(answered).value_or(QByteArray());
    if (answer.fault == Fault::Partial)
        answer.reply.truncate(answer.reply.size() / 2);
    if (answer.fault == Fault::Garbage)
        answer.reply = m_faults.garbage(answer.reply.size());
    answer.delay = answer.fault == Fault::Late ? m_options.lateDelay : m_options.replyDelay;
    return answer;
}

QList<QByteArray> SimulatedPanel::pieces(const QByteArray &reply) const
{
    switch (m_options.delivery) {
    case Delivery::Whole:
        break;
    case Delivery::Halves:
        if (reply.size() >= 2)
            return {reply.left(reply.size() / 2), reply.mid(reply.size() / 2)};
        break;
    case Delivery::ByteByByte: {
        QList<QByteArray> bytes;
        for (char c : reply)
            bytes.append(QByteArray(1, c));
        return bytes;
    }
    }
    return {reply};
}

} // namespace testloop::sim
