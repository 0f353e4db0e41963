#include "sim/ExchangeLog.h"

#include <QDateTime>

namespace testloop::sim {

bool ExchangeLog::open(const QString &path, QString *error)
{
    close();
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        if (error)
            *error = QStringLiteral("cannot open log %1: %2").arg(path, m_file.errorString());
        return false;
    }
    return true;
}

void ExchangeLog::close()
{
    if (m_file.isOpen())
        m_file.close();
}

void ExchangeLog::write(const QString &text)
{
    if (!m_file.isOpen())
        return;
    const QString line
        = QDateTime::currentDateTime().toString(Qt::ISODateWithMs) + u' ' + text + u'\n';
    m_file.write(line.toUtf8());
    m_file.flush();
}

QString ExchangeLog::printable(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7f && byte != '\\')
            text.append(QLatin1Char(c));
        else
            text.append(QStringLiteral("\\x%1").arg(byte, 2, 16, QLatin1Char('0')));
    }
    return text;
}

} // namespace testloop::sim
