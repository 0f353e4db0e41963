// The session snapshot is read back after a crash from a file that may have been cut short or
// damaged: any bytes must be read without a fault and either be refused or give a snapshot,
// and a snapshot written from the tables and counters read must read back to the same ones.
#include "link/Transport.h"
#include "scan/CommunicationCounters.h"
#include "storage/SessionSnapshot.h"

#include <QtEndian>

#include <cstdint>
#include <cstdlib>

using namespace testloop;

namespace {

// The counters listen to a link; this one never carries anything.
class SilentTransport : public Transport
{
public:
    QString deviceName() const override { return {}; }
    bool isOpen() const override { return false; }
    bool findDevice() override { return false; }

protected:
    std::optional<PortFailure> openDevice() override { return PortFailure {}; }
    void closeDevice() override { }
    bool writeDevice(const QByteArray &) override { return false; }
};

// A mutated snapshot almost never keeps a matching checksum, which would leave everything the
// reader does after it unreached: the bytes are also read with their last two made the
// checksum of the rest.
QByteArray withChecksum(QByteArrayView bytes)
{
    QByteArray fixed = bytes.toByteArray();
    if (fixed.size() >= 2)
        qToBigEndian(qChecksum(bytes.first(bytes.size() - 2)), fixed.data() + fixed.size() - 2);
    return fixed;
}

void readAndWriteBack(QByteArrayView bytes)
{
    static SilentTransport link;
    static CommunicationCounters counters(link);

    const std::optional<SessionSnapshot> read = readSession(bytes);
    if (!read)
        return;
    // Counters of another shape are refused by the counters; the tables still go round.
    if (!counters.restore(read->counters))
        counters.clear();
    const QByteArray written = writeSession(*read->data, counters, read->taken);

    // What was written reads back, counters included, and writes the same bytes again.
    const std::optional<SessionSnapshot> again = readSession(written);
    if (!again || !counters.restore(again->counters))
        std::abort();
    if (writeSession(*again->data, counters, again->taken) != written)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    readAndWriteBack(bytes);
    if (const QByteArray fixed = withChecksum(bytes); fixed != bytes)
        readAndWriteBack(fixed);
    return 0;
}
