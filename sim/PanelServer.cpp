#include "sim/PanelServer.h"

#include <QTimer>
#include <QtDebug>

namespace testloop::sim {

namespace {

// The fault generator is seeded apart from the noise generator, so that turning faults on does
// not change the readings.
constexpr std::uint32_t FaultSeedOffset = 0x9e3779b9u;

} // namespace

struct PanelServer::Transmission
{
    QList<QByteArray> pieces;
    QByteArray reply;
    Fault fault = Fault::None;
};

PanelServer::PanelServer(Installation installation, ServerOptions options, QObject *parent)
    : QObject(parent)
    , m_options(std::move(options))
    , m_responder(std::move(installation), m_options.seed)
    , m_faults(m_options.faults, m_options.seed + FaultSeedOffset)
{
    m_pacer.setPaced(m_options.linePacing);
    connect(&m_terminal, &PseudoTerminal::bytesRead, this, &PanelServer::onBytesRead);
    connect(&m_terminal, &PseudoTerminal::bytesWritten, this, &PanelServer::bytesWritten);
    connect(&m_terminal, &PseudoTerminal::problem, this, [this](const QString &message) {
        qWarning("panelsim: %s", qUtf8Printable(message));
        log(QStringLiteral("  ! ") + message);
    });
    connect(&m_pacer, &LinePacer::output, &m_terminal, &PseudoTerminal::write);
}

PanelServer::~PanelServer()
{
    stop();
}

bool PanelServer::start(QString *error)
{
    stop();
    m_framer = RequestFramer();
    if (!m_options.logPath.isEmpty() && !m_log.open(m_options.logPath, error))
        return false;
    if (!m_terminal.open(m_options.linkPath, error)) {
        m_log.close();
        return false;
    }
    log(QStringLiteral("serving on %1").arg(m_terminal.devicePath()));
    return true;
}

void PanelServer::stop()
{
    ++m_generation;
    m_pacer.clear();
    if (m_terminal.isOpen()) {
        log(QStringLiteral("stopped"));
        m_terminal.close();
    }
    m_log.close();
}

void PanelServer::onBytesRead(const QByteArray &bytes)
{
    const QList<QByteArray> requests = m_framer.feed(bytes);
    if (const qsizetype discarded = m_framer.takeDiscardedCount())
        log(QStringLiteral("  (discarded %1 bytes outside any request)").arg(discarded));
    const quint64 generation = m_generation;
    for (const QByteArray &request : requests) {
        // A receiver of requestReceived may have stopped the server.
        if (generation != m_generation)
            return;
        handleRequest(request);
    }
}

void PanelServer::handleRequest(const QByteArray &request)
{
    m_requests.append(request);
    log(QStringLiteral("> ") + ExchangeLog::printable(request));
    const quint64 generation = m_generation;
    emit requestReceived(request);
    if (generation != m_generation)
        return;

    const PanelRequest parsed = PanelRequest::parse(request);
    if (!parsed.expectsReply()) {
        if (parsed.kind == PanelRequest::Kind::Unrecognised)
            ++m_unrecognisedRequests;
        else
            ++m_lockRequests;
        log(QStringLiteral("  (no reply: %1)").arg(parsed.kindName()));
        return;
    }

    const Fault fault = m_faults.next();
    if (fault == Fault::Silence) {
        log(QStringLiteral("  (no reply: silence)"));
        return;
    }
    PanelRequest answered = parsed;
    if (fault == Fault::OtherLoop)
        answered.loop = parsed.loop == 1 ? 2 : 1;
    if (fault == Fault::OtherAddress)
        answered.address = parsed.address >= Installation::AddressCount ? 1 : parsed.address + 1;
    QByteArray reply = m_responder.replyTo(answered).value_or(QByteArray());
    if (fault == Fault::Partial)
        reply.truncate(reply.size() / 2);
    if (fault == Fault::Garbage)
        reply = m_faults.garbage(reply.size());

    const auto delay = fault == Fault::Late ? m_options.lateDelay : m_options.replyDelay;
    if (fault != Fault::None) {
        log(QStringLiteral("  fault: %1, reply in %2 ms")
                .arg(faultName(fault))
                .arg(qint64(delay.count())));
    }
    auto transmission = std::make_shared<Transmission>();
    transmission->pieces = pieces(reply);
    transmission->reply = reply;
    transmission->fault = fault;
    schedule(transmission, delay);
}

QList<QByteArray> PanelServer::pieces(const QByteArray &reply) const
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

void PanelServer::schedule(const std::shared_ptr<Transmission> &transmission,
                           std::chrono::milliseconds delay)
{
    const quint64 generation = m_generation;
    QTimer::singleShot(delay, Qt::PreciseTimer, this, [this, transmission, generation] {
        if (generation != m_generation)
            return;
        if (!transmission->pieces.isEmpty())
            m_pacer.send(transmission->pieces.takeFirst());
        if (!transmission->pieces.isEmpty()) {
            schedule(transmission, m_options.pieceGap);
            return;
        }
        m_replies.append(transmission->reply);
        const QString note = transmission->fault == Fault::None
            ? QString()
            : QStringLiteral("   [%1]").arg(faultName(transmission->fault));
        log(QStringLiteral("< ") + ExchangeLog::printable(transmission->reply) + note);
        emit replySent(transmission->reply);
    });
}

void PanelServer::log(const QString &text)
{
    m_log.write(text);
}

} // namespace testloop::sim
