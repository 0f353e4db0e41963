#include "link/PanelProtocol.h"

#include "loopdata/NumberText.h"

#include <array>

namespace testloop::protocol {

QString field(QStringView reply, int position, int length)
{
    const qsizetype start = qsizetype(position) - 1;
    if (start < 0 || length <= 0 || start >= reply.size())
        return {};
    return reply.mid(start, length).toString();
}

QByteArray frame(const QString &boardCode, const QString &body)
{
    return (u'(' + boardCode + body + QStringLiteral(")XZ")).toLatin1();
}

QString threeDigitAddress(int address)
{
    return QStringLiteral("%1").arg(address, 3, 10, QLatin1Char('0'));
}

QString twoDigitAddress(int address)
{
    return QStringLiteral("%1").arg(address, 2, 10, QLatin1Char('0'));
}

QByteArray downloadRequest(const QString &boardCode, const QString &downloadKind,
                           const QString &loop, int address)
{
    return frame(boardCode,
                 QStringLiteral("DQB") + downloadKind + loop + threeDigitAddress(address));
}

QByteArray scanRequest(const QString &boardCode, const QString &loop, DeviceKind kind,
                       const QString &addressText)
{
    const QString kindDigit
        = kind == DeviceKind::Sensor ? QStringLiteral("0") : QStringLiteral("2");
    return frame(boardCode, QStringLiteral("6AQ") + loop + kindDigit + addressText);
}

QByteArray testRequest(const QString &boardCode, const QString &loop, const QString &addressText)
{
    return frame(boardCode, QStringLiteral("6TS") + loop + u'0' + addressText);
}

QByteArray lockRequest(const QString &boardCode, bool on)
{
    return frame(boardCode, on ? QStringLiteral("6PIS000") : QStringLiteral("6PFS000"));
}

DownloadReply decodeDownloadReply(QStringView reply)
{
    DownloadReply decoded;
    decoded.address = numericValue(field(reply, 10, 3));
    decoded.typeDigit = field(reply, 13, 1);
    decoded.zone = numericValue(field(reply, 14, 2));
    decoded.status = numericValue(field(reply, 16, 1));
    decoded.description = field(reply, 17, 21);
    return decoded;
}

ScanReply decodeScanReply(QStringView reply)
{
    ScanReply decoded;
    decoded.loop = field(reply, 8, 1).remove(u' ');
    decoded.address = numericValue(field(reply, 10, 2));
    decoded.analogue = numericValue(field(reply, 12, 3));
    decoded.current = numericValue(field(reply, 15, 3));
    return decoded;
}

TestReply decodeTestReply(QStringView reply)
{
    TestReply decoded;
    decoded.result = field(reply, 6, 2);
    decoded.loop = field(reply, 8, 1).remove(u' ');
    decoded.address = numericValue(field(reply, 10, 2));
    return decoded;
}

std::optional<QString> deviceTypeLabel(QStringView typeDigit)
{
    static const std::array<QString, 7> labels = {
        QStringLiteral("NON USATO"),
        QStringLiteral("AUTOMATICO"),
        QStringLiteral("FIAMMA ULTRAVIOLETTI"),
        QStringLiteral("FIAMMA INFRAROSSI"),
        QStringLiteral("CAVO TERMOSENSIBILE"),
        QStringLiteral("BASI INDIRIZZATE"),
        QStringLiteral("KELVARO"),
    };
    const double digit = numericValue(typeDigit);
    for (int i = 1; i <= int(labels.size()); ++i) {
        if (digit == i)
            return labels[std::size_t(i - 1)];
    }
    return std::nullopt;
}

bool isNotActivated(double zone, double status)
{
    return !(zone != 0 && status != 2);
}

QString replyText(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes);
}

bool isWholeReply(const QByteArray &reply, int expectedLength)
{
    return reply.size() == expectedLength && reply.startsWith('(') && reply.endsWith(")XZ");
}

} // namespace testloop::protocol
