// Readings files are chosen by the user and may be anything: any bytes must be read without a
// fault, and the first byte that no text file holds must be found where it stands. Reading
// only, so that the fuzzer gets through many inputs a second; loading into the tables and the
// round trip through the writer are fuzz_readings' check.
#include "storage/ReadingsReader.h"

#include <cstdint>
#include <cstdlib>
#include <optional>

using namespace testloop;

namespace {

bool isControlByte(std::uint8_t byte)
{
    return (byte < 0x20 && byte != '\t' && byte != '\r' && byte != '\n') || byte == 0x7f;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const auto image
        = parseReadings(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!image)
        return 0;
    // The first byte no text file holds, or nothing when there is none.
    std::optional<qsizetype> firstControlByte;
    for (std::size_t k = 0; k < size && !firstControlByte; ++k) {
        if (isControlByte(data[k]))
            firstControlByte = qsizetype(k);
    }
    if (image->controlByteAt != firstControlByte)
        std::abort();
    return 0;
}
