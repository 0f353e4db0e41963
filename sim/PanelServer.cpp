#include "sim/PanelServer.h"

#include <QTimer>
#include <QtDebug>

namespace testloop::sim {

struct PanelServer::Transmission
{
    QList<QByteArray> pieces;
    QByteArray reply;
    Fault fault = Fault::None;
};

PanelServer::PanelServer(Installation installation, ServerOptions options, QObject *parent)
    : QObject(parent)
    , m_options(std::move(options))
    , m_panel(std::move(installation), m_options)
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

    const SimulatedPanel::Answer answer = m_panel.answer(request);
    if (!answer.request.expectsReply()) {
        if (answer.request.kind == PanelRequest::Kind::Unrecognised)
            ++m_unrecognisedRequests;
        else
            ++m_lockRequests;
        log(QStringLiteral("  (no reply: %1)").arg(answer.request.kindName()));
        return;
    }
    if (answer.fault == Fault::Silence) {
        log(QStringLiteral("  (no reply: silence)"));
        return;
    }
    if (answer.fault != Fault::None) {
        log(QStringLiteral("  fault: %1, reply in %2 ms")
                .arg(faultName(answer.fault))
                .arg(qint64(answer.delay.count())));
    }
    auto transmission = std::make_shared<Transmission>();
    transmission->pieces = m_panel.pieces(answer.reply);
    transmission->reply = answer.reply;
    transmission->fault = answer.fault;
    schedule(transmission, answer.delay);
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
