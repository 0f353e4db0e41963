#include "storage/ReadingsWriter.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <initializer_list>
#include <utility>

namespace testloop {

namespace {

// Groups sit at columns 1, 15, 29 and 43; no group is as long as a stop.
constexpr qsizetype GroupWidth = 14;
constexpr int BlockLoops[] = {1, 2};
// The longest distribution item: "<4000:32767>".
constexpr qsizetype LongestItem = 12;
// More than the lines of one address take (three lines of four groups and their line ends).
constexpr qsizetype AddressLinesRoom = 3 * (4 * GroupWidth + 2) + 2;
constexpr qsizetype SeparatorRoom = 2 * 18;

// Writes into a buffer sized beforehand for the whole file, so that the largest file (18 MB)
// is written without a reallocation or a check per character.
class Writer
{
public:
    explicit Writer(qsizetype room)
        : m_bytes(room, Qt::Uninitialized)
        , m_at(m_bytes.data())
    { }

    void text(const char *chars, qsizetype length)
    {
        std::memcpy(m_at, chars, std::size_t(length));
        m_at += length;
    }
    template<qsizetype N> void text(const char (&chars)[N]) { text(chars, N - 1); }
    void character(char c) { *m_at++ = c; }
    void blanks(qsizetype count)
    {
        std::memset(m_at, ' ', std::size_t(count));
        m_at += count;
    }
    void number(long long value) { m_at = std::to_chars(m_at, m_at + 24, value).ptr; }
    // A printed number: the sign place (blank or "-"), the digits and a trailing blank.
    void printed(long long value)
    {
        character(value < 0 ? '-' : ' ');
        number(value < 0 ? -value : value);
        character(' ');
    }
    void lineEnd() { text("\r\n"); }
    qsizetype size() const { return m_at - m_bytes.constData(); }

    QByteArray take()
    {
        m_bytes.truncate(m_at - m_bytes.constData());
        return std::move(m_bytes);
    }

private:
    QByteArray m_bytes;
    char *m_at;
};

// One line of groups, each a letter and its printed number, with its line end.
void appendGroups(Writer &out, std::initializer_list<std::pair<char, qint16>> groups)
{
    qsizetype left = groups.size();
    for (const auto &[letter, value] : groups) {
        const qsizetype start = out.size();
        out.character(letter);
        out.printed(value);
        if (--left > 0)
            out.blanks(GroupWidth - (out.size() - start));
    }
    out.lineEnd();
}

// The distribution of one address: "<value:count>" for every count above zero.
void appendItems(Writer &out, std::span<const qint16> counts)
{
    for (std::size_t reading = 0; reading < counts.size(); ++reading) {
        const qint16 count = counts[reading];
        if (count <= 0)
            continue;
        out.character('<');
        out.number(qint64(reading));
        out.character(':');
        out.number(count);
        out.character('>');
    }
}

void appendSensor(Writer &out, const LoopData &data, int address, int loop)
{
    appendGroups(out,
                 {{'N', qint16(address)},
                  {'V', data.SensorAnalogue.at(address, loop)},
                  {'A', data.SensorCurrent.at(address, loop)}});
    appendGroups(out,
                 {{'B', data.LastReadings[1].at(address, loop)},
                  {'C', data.LastReadings[2].at(address, loop)},
                  {'D', data.LastReadings[3].at(address, loop)},
                  {'E', data.SensorReadCount.at(address, loop)}});
    appendGroups(out,
                 {{'F', data.RingSlot.at(address, loop)},
                  {'G', data.OkCount.at(address, loop)},
                  {'H', data.OutOfRangeCount.at(address, loop)},
                  {'I', data.FaultCount.at(address, loop)}});
    appendItems(out, data.SensorHistogram.counts(address, loop));
}

void appendModule(Writer &out, const LoopData &data, int address, int loop)
{
    appendGroups(out,
                 {{'N', qint16(address)},
                  {'V', data.ModuleAnalogue.at(address, loop)},
                  {'A', data.ModuleCurrent.at(address, loop)}});
    appendItems(out, data.ModuleHistogram.counts(address, loop));
}

QByteArray headerText(const QString &fullPath, const QString &dateTimeText)
{
    QString header = fullPath + u' ' + dateTimeText + QStringLiteral("Versione ")
        + QStringLiteral(TESTLOOP_VERSION);
    header.replace(u'\r', u'?').replace(u'\n', u'?');
    return header.toLatin1();
}

// Room for the whole file: the header, the address lines and separators, and the longest
// item for every reading that occurred.
qsizetype roomFor(const LoopData &data, const QByteArray &header)
{
    qsizetype items = 0;
    for (const int loop : BlockLoops) {
        for (int address = FirstAddress; address <= LastAddress; ++address) {
            for (const Histogram *histogram : {&data.SensorHistogram, &data.ModuleHistogram}) {
                const std::span<const qint16> counts = histogram->counts(address, loop);
                items += std::count_if(counts.begin(), counts.end(),
                                       [](qint16 count) { return count > 0; });
            }
        }
    }
    const qsizetype addresses = 4 * (LastAddress - FirstAddress + 1);
    return header.size() + 2 + addresses * AddressLinesRoom + 3 * SeparatorRoom
        + items * LongestItem;
}

} // namespace

QByteArray writeReadings(const LoopData &data, const QString &fullPath, const QString &dateTimeText)
{
    const QByteArray header = headerText(fullPath, dateTimeText);
    Writer out(roomFor(data, header));
    out.text(header.constData(), header.size());
    out.lineEnd();

    // Loop 1 opens each address with a line end that closes the previous distribution;
    // loop 2 does not, so there an address line follows the previous distribution directly.
    for (const int loop : BlockLoops) {
        for (int address = FirstAddress; address <= LastAddress; ++address) {
            if (loop == 1)
                out.lineEnd();
            appendSensor(out, data, address, loop);
        }
        if (loop == 1)
            out.text("\r\n--------------\r\n");
        else
            out.text("\r\n**************\r\n");
    }
    for (const int loop : BlockLoops) {
        for (int address = FirstAddress; address <= LastAddress; ++address) {
            if (loop == 1)
                out.lineEnd();
            appendModule(out, data, address, loop);
        }
        if (loop == 1)
            out.text("\r\n--------------\r\n");
    }
    return out.take();
}

QString timeFormatWithoutZone(const QString &format)
{
    QString result;
    bool quoted = false;
    for (qsizetype pos = 0; pos < format.size(); ++pos) {
        const QChar c = format[pos];
        if (c == u'\'')
            quoted = !quoted;
        if (quoted || c != u't') {
            result.append(c);
            continue;
        }
        // A time-zone field ("t", "tt", ...) goes with the blanks in front of it.
        while (pos + 1 < format.size() && format[pos + 1] == u't')
            ++pos;
        while (result.endsWith(u' '))
            result.chop(1);
    }
    return result.trimmed();
}

QString readingsDateTimeText(const QDateTime &when, const QLocale &locale)
{
    const QString date = locale.toString(when.date(), QLocale::ShortFormat);
    const QTime time = when.time();
    if (time.hour() == 0 && time.minute() == 0 && time.second() == 0)
        return date;
    return date + u' '
        + locale.toString(time, timeFormatWithoutZone(locale.timeFormat(QLocale::LongFormat)));
}

} // namespace testloop
