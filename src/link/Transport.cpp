#include "link/Transport.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcLink, "testloop.link", QtInfoMsg)

namespace testloop {

Transport::Transport(QObject *parent)
    : QObject(parent)
{
    qRegisterMetaType<ExchangeEvent>();
    qRegisterMetaType<PortFailure>();
}

ExchangeEvent Transport::newEvent(ExchangeEvent::Kind kind, const QByteArray &bytes) const
{
    ExchangeEvent e = ExchangeEvent::now(kind, m_tag);
    e.device = deviceName();
    e.bytes = bytes;
    return e;
}

bool Transport::setPortNumber(int number)
{
    if (isOpen())
        return false;
    const bool changed = number != m_portNumber;
    m_portNumber = number;
    portNumberSet(changed);
    return true;
}

bool Transport::open()
{
    if (isOpen())
        return true;
    m_gathered.clear();
    if (const std::optional<PortFailure> failure = openDevice()) {
        qCWarning(lcLink) << "cannot open" << failure->device << failure->systemReason;
        ExchangeEvent e = newEvent(ExchangeEvent::Kind::PortFailed);
        e.failure = *failure;
        report(e);
        emit portFailed(*failure);
        return false;
    }
    report(newEvent(ExchangeEvent::Kind::PortOpened));
    return true;
}

void Transport::close()
{
    m_gathered.clear();
    if (!isOpen())
        return;
    closeDevice();
    report(newEvent(ExchangeEvent::Kind::PortClosed));
}

bool Transport::send(const QByteArray &request, const ExchangeTag &tag)
{
    if (!open())
        return false;
    // Whatever was gathered belongs to an earlier request.
    m_gathered.clear();
    m_tag = tag;
    qCDebug(lcLink) << "request" << request << "threshold" << m_threshold;
    if (!writeDevice(request))
        return false;
    report(newEvent(ExchangeEvent::Kind::RequestOut, request));
    return true;
}

void Transport::gather(const QByteArray &bytes)
{
    m_gathered += bytes;
    if (m_threshold <= 0 || m_gathered.size() < m_threshold)
        return;
    QByteArray reply;
    reply.swap(m_gathered);
    qCDebug(lcLink) << "reply" << reply;
    report(newEvent(ExchangeEvent::Kind::ReplyIn, reply));
    emit replyReady(reply);
}

void Transport::loseLink(const PortFailure &failure)
{
    m_gathered.clear();
    if (isOpen())
        closeDevice();
    qCWarning(lcLink) << "link lost on" << failure.device << failure.systemReason;
    ExchangeEvent e = newEvent(ExchangeEvent::Kind::LinkLost);
    e.failure = failure;
    e.device = failure.device;
    report(e);
    emit linkLost(failure);
}

} // namespace testloop
