#include "storage/ReadingsReader.h"

#include "loopdata/NumberText.h"

#include <array>
#include <limits>

namespace testloop {

namespace {

// The digits a value occupies when the file was written with four-digit numbers in mind.
// A number that fills them all goes on as far as its digits do.
constexpr qsizetype ValueWindow = 4;
constexpr qsizetype AddressWindow = 2;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

// The end of the header line, and where the line after it starts. CR LF, a lone CR and a
// lone LF each end a line.
struct LineBounds
{
    qsizetype end;
    qsizetype next;
};

LineBounds headerBounds(QByteArrayView bytes)
{
    qsizetype end = 0;
    while (end < bytes.size() && !isLineEnd(bytes[end]))
        ++end;
    qsizetype next = end;
    if (next < bytes.size())
        next += bytes[next] == '\r' && next + 1 < bytes.size() && bytes[next + 1] == '\n' ? 2 : 1;
    return {end, next};
}

// The number after the letter at position k: the sign place at k + 1, then the digits from
// k + 2. Blanks within the first window characters are dropped and the digits up to the first
// other character count; when the window is all digits, the digits right after it count too.
// The window is cut at the end of the line. No digit gives 0.
qint64 numberAfter(QByteArrayView bytes, qsizetype k, qsizetype window)
{
    if (k + 1 >= bytes.size() || isLineEnd(bytes[k + 1]))
        return 0;
    const bool negative = bytes[k + 1] == '-';
    const qsizetype start = k + 2;
    qsizetype windowEnd = start;
    while (windowEnd < start + window && windowEnd < bytes.size() && !isLineEnd(bytes[windowEnd]))
        ++windowEnd;
    qint64 magnitude = 0;
    // Once beyond the 16-bit range, more digits change nothing.
    const auto addDigit = [&magnitude](char c) {
        if (magnitude <= std::numeric_limits<qint32>::max())
            magnitude = magnitude * 10 + (c - '0');
    };
    bool allDigits = windowEnd - start == window;
    qsizetype pos = start;
    for (; pos < windowEnd; ++pos) {
        if (bytes[pos] == ' ') {
            allDigits = false;
            continue;
        }
        if (!isDigit(bytes[pos])) {
            allDigits = false;
            break;
        }
        addDigit(bytes[pos]);
    }
    if (allDigits) {
        for (; pos < bytes.size() && isDigit(bytes[pos]); ++pos)
            addDigit(bytes[pos]);
    }
    return negative ? -magnitude : magnitude;
}

// The field a letter gives, for sensors or modules; FieldCount for none.
ReadingsImage::Field fieldOf(char letter, bool modules)
{
    switch (letter) {
    case 'V':
        return modules ? ReadingsImage::ModuleAnalogue : ReadingsImage::SensorAnalogue;
    case 'A':
        return modules ? ReadingsImage::ModuleCurrent : ReadingsImage::SensorCurrent;
    default:
        break;
    }
    if (modules || letter < 'B' || letter > 'I')
        return ReadingsImage::FieldCount;
    return ReadingsImage::Field(ReadingsImage::LastReading1 + (letter - 'B'));
}

// What a byte means to the reader. Most bytes of a file (digits, blanks, the brackets and
// colons of the distribution items) mean nothing and are passed over by one table look-up.
enum class ByteClass : unsigned char { Nothing, Control, Modules, LoopTwo, Letter };

struct ByteClasses
{
    std::array<ByteClass, 256> classes {};

    constexpr ByteClasses()
    {
        for (int byte = 0; byte < 0x20; ++byte)
            classes[std::size_t(byte)] = ByteClass::Control;
        classes[0x7f] = ByteClass::Control;
        for (const char c : {'\t', '\r', '\n'})
            classes[std::size_t(c)] = ByteClass::Nothing;
        classes['*'] = ByteClass::Modules;
        classes['-'] = ByteClass::LoopTwo;
        for (const char c : {'N', 'V', 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I'})
            classes[std::size_t(c)] = ByteClass::Letter;
    }
    ByteClass operator[](char c) const { return classes[static_cast<unsigned char>(c)]; }
};

constexpr ByteClasses Classes;

// Where the reader stands: the kind and loop set by the markers, the address set by "N".
struct ReaderState
{
    bool modules = false;
    int loop = 1;
    // Beyond the tables when the file names an address they do not have: its values are
    // then dropped instead of landing on some other address.
    qint64 address = 0;
};

void noteControlBytes(QByteArrayView bytes, qsizetype end, ReadingsImage &image)
{
    for (qsizetype k = 0; k < end && !image.controlByteAt; ++k) {
        if (Classes[bytes[k]] == ByteClass::Control)
            image.controlByteAt = k;
    }
}

// Reads every value from pos to the end; line ends only cut the number windows.
void readValues(QByteArrayView bytes, qsizetype pos, ReadingsImage &image)
{
    ReaderState state;
    for (qsizetype k = pos; k < bytes.size(); ++k) {
        const char c = bytes[k];
        switch (Classes[c]) {
        case ByteClass::Nothing:
            continue;
        case ByteClass::Control:
            if (!image.controlByteAt)
                image.controlByteAt = k;
            continue;
        case ByteClass::Modules:
            state.modules = true;
            state.loop = 1;
            continue;
        case ByteClass::LoopTwo:
            state.loop = 2;
            continue;
        case ByteClass::Letter:
            break;
        }
        if (c == 'N') {
            state.address = numberAfter(bytes, k, AddressWindow);
            ++image.addressLines;
        } else if (const ReadingsImage::Field field = fieldOf(c, state.modules);
                   field != ReadingsImage::FieldCount) {
            const qint16 value = toInt16(numberAfter(bytes, k, ValueWindow));
            if (state.address >= 0 && state.address <= MaxAddressIndex)
                image.values[field].set(int(state.address), state.loop, value);
        }
        // A "-" in the sign place belongs to the number: it must not switch the loop.
        if (k + 1 < bytes.size() && bytes[k + 1] == '-')
            ++k;
    }
}

AddressTable<qint16> &tableOf(LoopData &data, ReadingsImage::Field field)
{
    switch (field) {
    case ReadingsImage::SensorAnalogue:
        return data.SensorAnalogue;
    case ReadingsImage::SensorCurrent:
        return data.SensorCurrent;
    case ReadingsImage::LastReading1:
        return data.LastReadings[1];
    case ReadingsImage::LastReading2:
        return data.LastReadings[2];
    case ReadingsImage::LastReading3:
        return data.LastReadings[3];
    case ReadingsImage::SensorReadCount:
        return data.SensorReadCount;
    case ReadingsImage::RingSlot:
        return data.RingSlot;
    case ReadingsImage::OkCount:
        return data.OkCount;
    case ReadingsImage::OutOfRangeCount:
        return data.OutOfRangeCount;
    case ReadingsImage::FaultCount:
        return data.FaultCount;
    case ReadingsImage::ModuleAnalogue:
        return data.ModuleAnalogue;
    case ReadingsImage::ModuleCurrent:
    case ReadingsImage::FieldCount:
        break;
    }
    return data.ModuleCurrent;
}

} // namespace

void ReadingsImage::applyTo(LoopData &data) const
{
    for (int field = 0; field < FieldCount; ++field) {
        AddressTable<qint16> &table = tableOf(data, Field(field));
        for (int loop = 0; loop <= MaxLoopIndex; ++loop) {
            for (int address = 0; address <= MaxAddressIndex; ++address) {
                if (const std::optional<qint16> value = values[field].at(address, loop))
                    table.set(address, loop, *value);
            }
        }
    }
}

std::optional<ReadingsImage> parseReadings(QByteArrayView bytes)
{
    // The header is skipped unread; a file that stops within it holds no readings.
    const LineBounds header = headerBounds(bytes);
    if (header.next >= bytes.size())
        return std::nullopt;

    ReadingsImage image;
    noteControlBytes(bytes, header.end, image);
    readValues(bytes, header.next, image);
    return image;
}

} // namespace testloop
