#include "link/TrafficLog.h"

#include "link/Transport.h"

namespace testloop {

namespace {

using Kind = ExchangeEvent::Kind;

QString failureText(const PortFailure &failure)
{
    switch (failure.reason) {
    case PortFailure::Reason::Unconfigured:
        return QStringLiteral("nessun dispositivo per il numero di porta");
    case PortFailure::Reason::Missing:
        return QStringLiteral("il dispositivo non esiste");
    case PortFailure::Reason::NoPermission:
        return QStringLiteral("permesso negato");
    case PortFailure::Reason::InUse:
        return QStringLiteral("in uso da un altro programma");
    case PortFailure::Reason::ReadFailed:
        return QStringLiteral("errore di lettura");
    case PortFailure::Reason::WriteFailed:
        return QStringLiteral("errore di scrittura");
    case PortFailure::Reason::Other:
        break;
    }
    return failure.systemReason;
}

QString reasonText(DiscardReason reason)
{
    switch (reason) {
    case DiscardReason::OtherLoop:
        return QStringLiteral("altro loop");
    case DiscardReason::Short:
        return QStringLiteral("incompleta");
    case DiscardReason::Garbled:
        return QStringLiteral("non valida");
    case DiscardReason::NotAwaited:
        break;
    }
    return QStringLiteral("nessuna richiesta in attesa");
}

QString where(const ExchangeTag &tag)
{
    return QStringLiteral("loop %1, indirizzo %2").arg(tag.loop).arg(tag.address);
}

// The direction mark and the text of an event; an empty text makes no line.
std::pair<QChar, QString> describe(const ExchangeEvent &e)
{
    switch (e.kind) {
    case Kind::PortOpened:
        return {u' ', QStringLiteral("porta %1 aperta").arg(e.device)};
    case Kind::PortClosed:
        return {u' ', QStringLiteral("porta %1 chiusa").arg(e.device)};
    case Kind::PortFailed:
        return {u'!',
                QStringLiteral("porta %1 non disponibile: %2")
                    .arg(e.failure.device, failureText(e.failure))};
    case Kind::LinkLost:
        return {u'!',
                QStringLiteral("collegamento perso su %1: %2")
                    .arg(e.failure.device, failureText(e.failure))};
    case Kind::LinkBack:
        return {u' ', QStringLiteral("collegamento ripristinato su %1").arg(e.device)};
    case Kind::RequestOut:
        return {QChar(0x2192), TrafficLog::printable(e.bytes)};
    case Kind::ReplyIn:
        return {QChar(0x2190), TrafficLog::printable(e.bytes)};
    case Kind::ReplyAccepted:
        if (e.repliedAddress == 0)
            return {};
        return {u' ',
                QStringLiteral("risposta per l'indirizzo %1 invece del %2: memorizzata "
                               "all'indirizzo %1")
                    .arg(e.repliedAddress)
                    .arg(e.tag.address)};
    case Kind::ReplyDiscarded:
        return {QChar(0x00d7),
                QStringLiteral("risposta scartata (%1): %2")
                    .arg(reasonText(e.reason), TrafficLog::printable(e.bytes))};
    case Kind::TimedOut:
        return {u'!', QStringLiteral("nessuna risposta in tempo (%1)").arg(where(e.tag))};
    case Kind::ReRead:
        return {u' ',
                QStringLiteral("lettura sotto la soglia di guasto, richiesta di nuovo (%1)")
                    .arg(where(e.tag))};
    }
    return {};
}

} // namespace

TrafficLog::TrafficLog(Transport &link, QObject *parent)
    : QObject(parent)
{
    connect(&link, &Transport::exchangeEvent, this, &TrafficLog::record);
}

QString TrafficLog::printable(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7f && c != '\\')
            text.append(QLatin1Char(c));
        else
            text.append(QStringLiteral("\\x")
                        + QString::number(byte, 16).rightJustified(2, u'0').toUpper());
    }
    return text;
}

QString TrafficLog::format(const ExchangeEvent &event)
{
    const auto [mark, text] = describe(event);
    if (text.isEmpty())
        return {};
    const QString gap = QStringLiteral("  ");
    return event.time.toLocalTime().toString(QStringLiteral("HH:mm:ss.zzz")) + gap + mark + gap
        + text;
}

void TrafficLog::record(const ExchangeEvent &event)
{
    if (event.kind == Kind::ReplyAccepted && event.repliedAddress == 0)
        return; // the reply itself has its line
    if (qsizetype(m_events.size()) >= Capacity) {
        m_events.pop_front();
        ++m_dropped;
    }
    m_events.push_back(event);
    emit recordedChanged();
}

QString TrafficLog::line(qsizetype index) const
{
    if (index < 0 || index >= size())
        return {};
    return format(m_events[std::size_t(index)]);
}

QStringList TrafficLog::lines() const
{
    QStringList all;
    all.reserve(size());
    for (const ExchangeEvent &event : m_events)
        all.append(format(event));
    return all;
}

void TrafficLog::clear()
{
    m_events.clear();
    m_dropped = 0;
    emit cleared();
}

} // namespace testloop
