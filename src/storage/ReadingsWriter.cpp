#include "storage/ReadingsWriter.h"

#include <charconv>
#include <initializer_list>
#include <utility>

namespace testloop {

namespace {

// Groups sit at columns 1, 15, 29 and 43; no group is as long as a stop.
constexpr qsizetype GroupWidth = 14;
constexpr int BlockLoops[] = {1, 2};
constexpr char LineEnd[] = "\r\n";

void appendNumber(QByteArray &out, long long value)
{
    char digits[24];
    const auto end = std::to_chars(std::begin(digits), std::end(digits), value).ptr;
    out.append(digits, end - digits);
}

// A printed number: the sign place (blank or "-"), the digits and a trailing blank.
void appendPrinted(QByteArray &out, long long value)
{
    out.append(value < 0 ? '-' : ' ');
    appendNumber(out, value < 0 ? -value : value);
    out.append(' ');
}

// One line of groups, each a letter and its printed number, with its line end.
void appendGroups(QByteArray &out, std::initializer_list<std::pair<char, qint16>> groups)
{
    qsizetype left = groups.size();
    for (const auto &[letter, value] : groups) {
        const qsizetype start = out.size();
        out.append(letter);
        appendPrinted(out, value);
        if (--left > 0)
            out.append(GroupWidth - (out.size() - start), ' ');
    }
    out.append(LineEnd);
}

// The distribution of one address: "<value:count>" for every count above zero.
void appendItems(QByteArray &out, const Histogram &histogram, int address, int loop)
{
    for (int reading = 0; reading <= MaxHistogramReading; ++reading) {
        const qint16 count = histogram.at(reading, address, loop);
        if (count <= 0)
            continue;
        out.append('<');
        appendNumber(out, reading);
        out.append(':');
        appendNumber(out, count);
        out.append('>');
    }
}

void appendSensor(QByteArray &out, const LoopData &data, int address, int loop)
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
    appendItems(out, data.SensorHistogram, address, loop);
}

void appendModule(QByteArray &out, const LoopData &data, int address, int loop)
{
    appendGroups(out,
                 {{'N', qint16(address)},
                  {'V', data.ModuleAnalogue.at(address, loop)},
                  {'A', data.ModuleCurrent.at(address, loop)}});
    appendItems(out, data.ModuleHistogram, address, loop);
}

QByteArray headerText(const QString &fullPath, const QString &dateTimeText)
{
    QString header = fullPath + u' ' + dateTimeText + QStringLiteral("Versione ")
        + QStringLiteral(TESTLOOP_VERSION);
    header.replace(u'\r', u'?').replace(u'\n', u'?');
    return header.toLatin1();
}

} // namespace

QByteArray writeReadings(const LoopData &data, const QString &fullPath, const QString &dateTimeText)
{
    QByteArray out;
    // Without distributions a file takes about 33 kB; the distributions grow it from there.
    out.reserve(96 * 1024);
    out.append(headerText(fullPath, dateTimeText));
    out.append(LineEnd);

    // Loop 1 opens each address with a line end that closes the previous distribution;
    // loop 2 does not, so there an address line follows the previous distribution directly.
    for (const int loop : BlockLoops) {
        for (int address = FirstAddress; address <= LastAddress; ++address) {
            if (loop == 1)
                out.append(LineEnd);
            appendSensor(out, data, address, loop);
        }
        out.append(loop == 1 ? "\r\n--------------\r\n" : "\r\n**************\r\n");
    }
    for (const int loop : BlockLoops) {
        for (int address = FirstAddress; address <= LastAddress; ++address) {
            if (loop == 1)
                out.append(LineEnd);
            appendModule(out, data, address, loop);
        }
        if (loop == 1)
            out.append("\r\n--------------\r\n");
    }
    return out;
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
