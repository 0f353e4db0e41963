// Panel replies are outside input: any bytes must decode and store without a fault, and the
// tables must never be written outside their bounds.
#include "link/PanelProtocol.h"
#include "loopdata/LoopTables.h"
#include "loopdata/NumberText.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

using namespace testloop;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const auto tables = std::make_unique<LoopData>();
    const QString reply
        = protocol::replyText(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));

    const protocol::DownloadReply download = protocol::decodeDownloadReply(reply);
    const int address = toWhole(download.address);
    if (const auto label = protocol::deviceTypeLabel(download.typeDigit))
        tables->DeviceType.set(address, 1, *label);
    tables->DeviceZone.set(address, 1, qint16(toWhole(download.zone)));
    tables->DeviceText.set(address, 1, download.description);
    if (download.description.size() > 21)
        std::abort();

    const protocol::ScanReply scan = protocol::decodeScanReply(reply);
    const int loop = toWhole(numericValue(scan.loop));
    const int scanAddress = toWhole(scan.address);
    const int stored = toWhole(scan.analogue * 10);
    tables->SensorAnalogue.set(scanAddress, loop, qint16(stored));
    tables->SensorHistogram.add(stored, scanAddress, loop);
    tables->OkCount.increment(scanAddress, loop);
    tables->pushLastReading(scanAddress, loop, qint16(stored));
    if (tables->OkCount.at(scanAddress, loop) < 0)
        std::abort();

    const protocol::TestReply test = protocol::decodeTestReply(reply);
    if (test.result.size() > 2)
        std::abort();
    return 0;
}
