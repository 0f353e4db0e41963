// What a technician waits for with the readings file: saving and loading the largest file
// there can be (every distribution full, every counter at 32767), and the work of one reply.
#include "bench/Figures.h"
#include "link/PanelProtocol.h"
#include "loopdata/LoopTables.h"
#include "scan/Evaluation.h"
#include "storage/ReadingsReader.h"
#include "storage/ReadingsWriter.h"
#include "storage/SafeFileWriter.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <memory>

using namespace testloop;
using namespace benchfigures;

namespace {

std::unique_ptr<LoopData> worstCase()
{
    auto data = std::make_unique<LoopData>();
    for (int loop = 1; loop <= 2; ++loop) {
        for (int address = FirstAddress; address <= LastAddress; ++address) {
            for (int reading = 0; reading <= MaxHistogramReading; ++reading) {
                data->SensorHistogram.set(reading, address, loop, MaxCount);
                data->ModuleHistogram.set(reading, address, loop, MaxCount);
            }
            for (CountTable *table : {&data->SensorReadCount, &data->OkCount,
                                      &data->OutOfRangeCount, &data->FaultCount})
                table->set(address, loop, MaxCount);
            data->SensorAnalogue.set(address, loop, 9990);
            data->ModuleAnalogue.set(address, loop, 9990);
        }
    }
    return data;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const auto data = worstCase();
    const QString name = QStringLiteral("/tmp/letture.log");
    const QString when = QStringLiteral("06/12/2026 10:00:00");
    QByteArray bytes = writeReadings(*data, name, when);
    const double megabytes = double(bytes.size()) / 1e6;

    const double format = medianMs(15, [&] { bytes = writeReadings(*data, name, when); });
    print("Readings file, worst case: size", megabytes, "MB");
    print("Readings file, worst case: save (tables to text)", format, "ms", "<= 60 ms",
          format <= 60);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("letture.log"));
    const double write = medianMs(5, [&] { writeFileSafely(path, bytes); });
    print("Readings file, worst case: atomic write to disk", write, "ms");

    std::optional<ReadingsImage> image;
    const double load = medianMs(15, [&] { image = parseReadings(bytes); });
    print("Readings file, worst case: load (text to tables)", load, "ms", "<= 30 ms",
          load <= 30 && image.has_value());

    const QString reply = QStringLiteral("(j006AR1042045015000000000)XZ");
    ButtonView view;
    constexpr int Replies = 100000;
    const double replies = medianMs(5, [&] {
        for (int i = 0; i < Replies; ++i) {
            const protocol::ScanReply decoded = protocol::decodeScanReply(reply);
            view = EvaluateSensor(int(decoded.address), qint16(decoded.analogue * 10),
                                  qint16(decoded.current), {200, 400, 1500});
        }
    });
    print("One reply decoded and evaluated", replies * 1000 / Replies, "us");
    return view.colour == ButtonColour::Green ? 0 : 1;
}
