// Installation files are typed by hand: any bytes must load or be refused without a fault,
// and every installation that loads must answer with replies of the exact lengths.
#include "link/PanelProtocol.h"
#include "sim/Installation.h"
#include "sim/PanelResponder.h"

#include <cstdint>
#include <cstdlib>

using namespace testloop;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QString error;
    const auto installation = sim::Installation::fromJson(
        QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), &error);
    if (!installation) {
        if (error.isEmpty())
            std::abort();
        return 0;
    }
    sim::PanelResponder responder(*installation);
    const QString code = QStringLiteral("j00");
    for (const QString &loop : {QStringLiteral("1"), QStringLiteral("2")}) {
        for (int address : {1, 50, 99}) {
            const auto text = protocol::twoDigitAddress(address);
            const auto scan = responder.replyTo(
                protocol::scanRequest(code, loop, protocol::DeviceKind::Sensor, text));
            const auto test = responder.replyTo(protocol::testRequest(code, loop, text));
            const auto download = responder.replyTo(
                protocol::downloadRequest(code, QStringLiteral("S"), loop, address));
            if (!scan || scan->size() != protocol::ScanReplyLength || !test
                || test->size() != protocol::TestReplyLength || !download
                || download->size() != protocol::DownloadReplyLength)
                std::abort();
        }
    }
    return 0;
}
