// Readings files are chosen by the user and may be anything: any bytes must parse without a
// fault, and a file the program writes must load back to the same values.
#include "loopdata/LoopTables.h"
#include "storage/ReadingsReader.h"
#include "storage/ReadingsWriter.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

using namespace testloop;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const auto image
        = parseReadings(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!image)
        return 0;
    static const auto tables = std::make_unique<LoopData>();
    image->applyTo(*tables);
    // What was loaded, saved and loaded again gives the same file.
    const QByteArray saved = writeReadings(*tables, QStringLiteral("f"), QStringLiteral("t"));
    const auto again = parseReadings(saved);
    if (!again)
        std::abort();
    again->applyTo(*tables);
    if (writeReadings(*tables, QStringLiteral("f"), QStringLiteral("t")) != saved)
        std::abort();
    return 0;
}
