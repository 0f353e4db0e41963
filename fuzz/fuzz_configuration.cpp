// TestLoop.ini is edited by hand: any bytes must parse without a fault, and whatever was read
// must come back unchanged after a save and a new read when the board code can be written
// as it stands.
#include "config/ConfigurationFile.h"

#include <cstdint>
#include <cstdlib>

using namespace testloop;

namespace {

bool writableAsItStands(const QString &code)
{
    if (code.startsWith(u' ') || code.startsWith(u'\t') || code.startsWith(u'"'))
        return false;
    for (QChar c : code) {
        if (c == u',' || c == u'\r' || c == u'\n' || c.unicode() > 0xff)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const ConfigurationRead first
        = parseConfiguration(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!writableAsItStands(first.settings.BoardCode))
        return 0;
    const ConfigurationRead second = parseConfiguration(formatConfiguration(first.settings));
    if (!(second.settings == first.settings) || !second.problems.isEmpty())
        std::abort();
    return 0;
}
