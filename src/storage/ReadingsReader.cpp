#include "storage/ReadingsReader.h"

#include "loopdata/NumberText.h"

#include <algorithm>
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

// A byte no text file holds; line ends never reach here.
bool isControl(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return (byte < 0x20 && c != '\t') || byte == 0x7f;
}

// Where the line starting at pos ends, and where the next one starts. CR LF, a lone CR and a
// lone LF each end a line.
struct LineBounds
{
    qsizetype end;
    qsizetype next;
};

LineBounds lineBounds(QByteArrayView bytes, qsizetype pos)
{
    qsizetype end = pos;
    while (end < bytes.size() && !isLineEnd(bytes[end]))
        ++end;
    qsizetype next = end;
    if (next < bytes.size())
        next += bytes[next] == '\r' && next + 1 < bytes.size() && bytes[next + 1] == '\n' ? 2 : 1;
    return {end, next};
}

// The number after the letter at position k of line: the sign place at k + 1, then the
// digits from k + 2. Blanks within the first window characters are dropped and the digits up
// to the first other character count; when the window is all digits, the digits right after
// it count too. No digit gives 0.
qint64 numberAfter(QByteArrayView line, qsizetype k, qsizetype window)
{
    const bool negative = k + 1 < line.size() && line[k + 1] == '-';
    const qsizetype start = k + 2;
    const qsizetype windowEnd = std::min(start + window, line.size());
    qint64 magnitude = 0;
    // Once beyond the 16-bit range, more digits change nothing.
    const auto addDigit = [&magnitude](char c) {
        if (magnitude <= std::numeric_limits<qint32>::max())
            magnitude = magnitude * 10 + (c - '0');
    };
    bool allDigits = windowEnd - start == window;
    qsizetype pos = start;
    for (; pos < windowEnd; ++pos) {
        if (line[pos] == ' ') {
            allDigits = false;
            continue;
        }
        if (!isDigit(line[pos])) {
            allDigits = false;
            break;
        }
        addDigit(line[pos]);
    }
    if (allDigits) {
        for (; pos < line.size() && isDigit(line[pos]); ++pos)
            addDigit(line[pos]);
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

bool isValueLetter(char c)
{
    return c == 'N' || c == 'V' || c == 'A' || (c >= 'B' && c <= 'I');
}

// Where the reader stands: the kind and loop set by the markers, the address set by "N".
struct ReaderState
{
    bool modules = false;
    int loop = 1;
    // Beyond the tables when the file names an address they do not have: its values are
    // then dropped instead of landing on some other address.
    qint64 address = 0;
};

void noteControlByte(QByteArrayView line, qsizetype lineStart, ReadingsImage &image)
{
    if (image.controlByteAt)
        return;
    for (qsizetype k = 0; k < line.size(); ++k) {
        if (isControl(line[k])) {
            image.controlByteAt = lineStart + k;
            return;
        }
    }
}

void readLine(QByteArrayView line, qsizetype lineStart, ReaderState &state, ReadingsImage &image)
{
    for (qsizetype k = 0; k < line.size(); ++k) {
        const char c = line[k];
        if (isControl(c) && !image.controlByteAt)
            image.controlByteAt = lineStart + k;
        if (c == '*') {
            state.modules = true;
            state.loop = 1;
        } else if (c == '-') {
            state.loop = 2;
        } else if (isValueLetter(c)) {
            if (c == 'N') {
                state.address = numberAfter(line, k, AddressWindow);
                ++image.addressLines;
            } else if (const ReadingsImage::Field field = fieldOf(c, state.modules);
                       field != ReadingsImage::FieldCount) {
                const qint16 value = toInt16(numberAfter(line, k, ValueWindow));
                if (state.address >= 0 && state.address <= MaxAddressIndex)
                    image.values[field].set(int(state.address), state.loop, value);
            }
            // A "-" in the sign place belongs to the number: it must not switch the loop.
            if (k + 1 < line.size() && line[k + 1] == '-')
                ++k;
        }
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
    const LineBounds header = lineBounds(bytes, 0);
    if (header.next >= bytes.size())
        return std::nullopt;

    ReadingsImage image;
    noteControlByte(bytes.first(header.end), 0, image);
    ReaderState state;
    for (qsizetype pos = header.next; pos < bytes.size();) {
        const LineBounds line = lineBounds(bytes, pos);
        readLine(bytes.sliced(pos, line.end - pos), pos, state, image);
        pos = line.next;
    }
    return image;
}

} // namespace testloop
