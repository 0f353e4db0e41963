#include "storage/ReadingsFile.h"
#include "storage/ReadingsReader.h"
#include "storage/ReadingsWriter.h"
#include "storage/SafeFileWriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>
#include <sys/resource.h>

using namespace testloop;

namespace {

const QString Path = QStringLiteral("/dati/letture.log");
const QString When = QStringLiteral("05/03/24 14:05:09");
const QByteArray Header = "/dati/letture.log 05/03/24 14:05:09Versione 1.0.0\r\n";

// The lines of an address that holds zero everywhere, spelled out column by column.
QByteArray zeroAddressLine(int address)
{
    return QByteArray("N ").append(QByteArray::number(address)).append(' ').leftJustified(14)
        + "V 0           A 0 \r\n";
}
const QByteArray ZeroRecent = "B 0           C 0           D 0           E 0 \r\n";
const QByteArray ZeroCounters = "F 0           G 0           H 0           I 0 \r\n";

// The whole file of tables that hold nothing, built line by line.
QByteArray zeroFile()
{
    QByteArray bytes = Header;
    for (int a = 1; a <= 99; ++a)
        bytes += "\r\n" + zeroAddressLine(a) + ZeroRecent + ZeroCounters;
    bytes += "\r\n--------------\r\n";
    for (int a = 1; a <= 99; ++a)
        bytes += zeroAddressLine(a) + ZeroRecent + ZeroCounters;
    bytes += "\r\n**************\r\n";
    for (int a = 1; a <= 99; ++a)
        bytes += "\r\n" + zeroAddressLine(a);
    bytes += "\r\n--------------\r\n";
    for (int a = 1; a <= 99; ++a)
        bytes += zeroAddressLine(a);
    return bytes;
}

std::unique_ptr<LoopData> emptyData()
{
    return std::make_unique<LoopData>();
}

// Address 7 of loop 1 read three times (250, 240, 250), current 12, all within the limits.
std::unique_ptr<LoopData> workedExampleData()
{
    auto data = emptyData();
    for (const qint16 reading : {250, 240, 250}) {
        data->pushLastReading(7, 1, reading);
        data->SensorReadCount.increment(7, 1);
        data->OkCount.increment(7, 1);
        data->SensorHistogram.add(reading, 7, 1);
    }
    data->SensorAnalogue.set(7, 1, 250);
    data->SensorCurrent.set(7, 1, 12);
    return data;
}

// Every table the file carries, with values that differ per table, address and loop: large
// counters, negative values from a garbled reply, and distributions in both kinds.
std::unique_ptr<LoopData> busyData()
{
    auto data = emptyData();
    for (int loop = 1; loop <= 2; ++loop) {
        for (int a = 1; a <= 99; ++a) {
            const int seed = a * 7 + loop * 131;
            data->SensorAnalogue.set(a, loop, qint16(seed % 4001));
            data->SensorCurrent.set(a, loop, qint16(a % 3 == 0 ? -seed : seed % 90));
            data->ModuleAnalogue.set(a, loop, qint16(9999 - seed));
            data->ModuleCurrent.set(a, loop, qint16(a % 5 == 0 ? -1 : seed % 70));
            for (int slot = 1; slot <= 3; ++slot)
                data->LastReadings[slot].set(a, loop, qint16(seed + slot));
            data->SensorReadCount.set(a, loop, qint16(a % 2 ? 32767 : 10000 + seed));
            data->RingSlot.set(a, loop, qint16(a % 4));
            data->OkCount.set(a, loop, qint16(20000 + a));
            data->OutOfRangeCount.set(a, loop, qint16(a * 100));
            data->FaultCount.set(a, loop, qint16(a == 50 ? -32768 : a));
            for (int r = a; r <= 4000; r += 97 + a)
                data->SensorHistogram.set(r, a, loop, qint16(r % 500 + 1));
            data->ModuleHistogram.set(4000, a, loop, 32767);
            data->ModuleHistogram.set(a, a, loop, 3);
        }
    }
    return data;
}

// The value of every cell the file carries, for comparing whole sets of tables.
QList<qint16> carriedValues(const LoopData &data)
{
    QList<qint16> values;
    for (int loop = 0; loop <= 2; ++loop) {
        for (int a = 0; a <= 100; ++a) {
            values << data.SensorAnalogue.at(a, loop) << data.SensorCurrent.at(a, loop)
                   << data.LastReadings[1].at(a, loop) << data.LastReadings[2].at(a, loop)
                   << data.LastReadings[3].at(a, loop) << data.SensorReadCount.at(a, loop)
                   << data.RingSlot.at(a, loop) << data.OkCount.at(a, loop)
                   << data.OutOfRangeCount.at(a, loop) << data.FaultCount.at(a, loop)
                   << data.ModuleAnalogue.at(a, loop) << data.ModuleCurrent.at(a, loop);
        }
    }
    return values;
}

QByteArray withoutHeader(const QByteArray &bytes)
{
    return bytes.mid(bytes.indexOf("\r\n"));
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// One value the loader is expected to find: field, address, loop, value.
struct Expected
{
    ReadingsImage::Field field;
    int address;
    int loop;
    qint16 value;
};

} // namespace

Q_DECLARE_METATYPE(QList<Expected>)

class TestReadingsFile : public QObject
{
    Q_OBJECT

private slots:
    // Writing
    void workedExample_data();
    void workedExample();
    void workedExampleWholeFile();
    void emptyTablesFile();
    void headerLine();
    void printedNumbers();
    void dateTimeText_data();
    void dateTimeText();
    void zoneRemovedFromTimeFormat_data();
    void zoneRemovedFromTimeFormat();
    // Reading
    void parse_data();
    void parse();
    void longItemRun();
    void endsBeforeSecondLine_data();
    void endsBeforeSecondLine();
    void applyKeepsWhatTheFileDoesNotCarry();
    // Both ways
    void roundTrip();
    // Files
    void saveAndLoadFile();
    void missingFile();
    void fileEndingBeforeSecondLine();
    void saveIntoMissingDirectory();
    void failedWriteKeepsPreviousFile();
};

void TestReadingsFile::workedExample_data()
{
    QTest::addColumn<QByteArray>("part");

    QTest::newRow("sensor loop 1")
        << QByteArray("\r\n"
                      "N 7           V 250         A 12 \r\n"
                      "B 250         C 240         D 250         E 3 \r\n"
                      "F 3           G 3           H 0           I 0 \r\n"
                      "<240:1><250:2>"
                      "\r\nN 8 ");
    QTest::newRow("sensor loop 2 never read")
        << QByteArray("F 0           G 0           H 0           I 0 \r\n"
                      "N 7           V 0           A 0 \r\n"
                      "B 0           C 0           D 0           E 0 \r\n"
                      "F 0           G 0           H 0           I 0 \r\n"
                      "N 8           V 0 ");
}

void TestReadingsFile::workedExample()
{
    QFETCH(QByteArray, part);
    const QByteArray bytes = writeReadings(*workedExampleData(), Path, When);
    QCOMPARE(bytes.count(part), 1);
}

void TestReadingsFile::workedExampleWholeFile()
{
    // Nothing but address 7 of sensor loop 1 differs from the file of empty tables.
    QByteArray expected = zeroFile();
    const QByteArray zeroPart = zeroAddressLine(7) + ZeroRecent + ZeroCounters;
    const qsizetype at = expected.indexOf(zeroPart);
    QVERIFY(at > 0 && at < expected.indexOf("--------------"));
    expected.replace(at, zeroPart.size(),
                     "N 7           V 250         A 12 \r\n"
                     "B 250         C 240         D 250         E 3 \r\n"
                     "F 3           G 3           H 0           I 0 \r\n"
                     "<240:1><250:2>");
    QCOMPARE(writeReadings(*workedExampleData(), Path, When), expected);
}

void TestReadingsFile::emptyTablesFile()
{
    const QByteArray bytes = writeReadings(*emptyData(), Path, When);
    QCOMPARE(bytes, zeroFile());
    // The structure the file is known by, checked on its own.
    QVERIFY(bytes.startsWith(Header + "\r\nN 1 "));
    QCOMPARE(bytes.count("\r\nN "), 4 * 99);
    QCOMPARE(bytes.count("N "), 4 * 99);
    QCOMPARE(bytes.count("\r\n--------------\r\n"), 2);
    QCOMPARE(bytes.count("\r\n**************\r\n"), 1);
    QCOMPARE(bytes.count("\r\n\r\n"), 99 + 99 + 3);
    QVERIFY(bytes.endsWith("N 99          V 0           A 0 \r\n"));
    QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
}

void TestReadingsFile::headerLine()
{
    const QByteArray bytes = writeReadings(*emptyData(), Path, When);
    QVERIFY(bytes.startsWith(Header + "\r\n"));
    // A line end in the name cannot split the header and be read as data.
    const QByteArray odd = writeReadings(*emptyData(), QStringLiteral("/tmp/a\n*-b\r.log"), When);
    QVERIFY(odd.startsWith("/tmp/a?*-b?.log 05/03/24 14:05:09Versione 1.0.0\r\n\r\nN 1 "));
    // Outside Latin-1 a character is replaced, never written as several bytes.
    const QByteArray wide = writeReadings(*emptyData(), QStringLiteral("/tmp/ä€.log"), When);
    QVERIFY(wide.startsWith("/tmp/\xe4?.log "));
}

void TestReadingsFile::printedNumbers()
{
    auto data = emptyData();
    data->SensorReadCount.set(1, 1, 32767);
    data->OkCount.set(1, 1, 12345);
    data->SensorAnalogue.set(1, 1, -5);
    data->SensorCurrent.set(1, 1, -32768);
    data->ModuleHistogram.set(0, 99, 2, 32767);
    data->ModuleHistogram.set(4000, 99, 2, 1);
    data->ModuleHistogram.set(17, 99, 2, -3); // not a count: left out
    const QByteArray bytes = writeReadings(*data, Path, When);
    QVERIFY(bytes.contains("\r\n\r\nN 1           V-5           A-32768 \r\n"
                           "B 0           C 0           D 0           E 32767 \r\n"
                           "F 0           G 12345       H 0           I 0 \r\n\r\nN 2 "));
    QVERIFY(bytes.endsWith("N 99          V 0           A 0 \r\n<0:32767><4000:1>"));
}

void TestReadingsFile::dateTimeText_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QDateTime>("when");
    QTest::addColumn<QString>("expected");

    const QLocale italian(QLocale::Italian, QLocale::Italy);
    const QLocale american(QLocale::English, QLocale::UnitedStates);
    const QDate date(2024, 3, 5);
    QTest::newRow("italian") << italian << QDateTime(date, QTime(14, 5, 9))
                             << QStringLiteral("05/03/24 14:05:09");
    QTest::newRow("italian midnight")
        << italian << QDateTime(date, QTime(0, 0)) << QStringLiteral("05/03/24");
    QTest::newRow("one second after midnight")
        << italian << QDateTime(date, QTime(0, 0, 1)) << QStringLiteral("05/03/24 00:00:01");
    QTest::newRow("american") << american << QDateTime(date, QTime(14, 5, 9))
                              << QStringLiteral("3/5/24 2:05:09 PM");
}

void TestReadingsFile::dateTimeText()
{
    QFETCH(QLocale, locale);
    QFETCH(QDateTime, when);
    QFETCH(QString, expected);
    QCOMPARE(readingsDateTimeText(when, locale), expected);
}

void TestReadingsFile::zoneRemovedFromTimeFormat_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("expected");

    QTest::newRow("zone last") << QStringLiteral("HH:mm:ss t") << QStringLiteral("HH:mm:ss");
    QTest::newRow("zone first") << QStringLiteral("t HH:mm") << QStringLiteral("HH:mm");
    QTest::newRow("long zone") << QStringLiteral("h:mm:ss AP tttt") << QStringLiteral("h:mm:ss AP");
    QTest::newRow("quoted t kept")
        << QStringLiteral("HH 'tt' mm t") << QStringLiteral("HH 'tt' mm");
    QTest::newRow("no zone") << QStringLiteral("HH:mm:ss") << QStringLiteral("HH:mm:ss");
}

void TestReadingsFile::zoneRemovedFromTimeFormat()
{
    QFETCH(QString, format);
    QFETCH(QString, expected);
    QCOMPARE(timeFormatWithoutZone(format), expected);
}

namespace {

using F = ReadingsImage;

// The cells of an image that hold a value, for comparing with what a test expects.
QStringList filledCells(const ReadingsImage &image)
{
    QStringList cells;
    for (int field = 0; field < F::FieldCount; ++field) {
        for (int loop = 0; loop <= 2; ++loop) {
            for (int a = 0; a <= 100; ++a) {
                if (const std::optional<qint16> value = image.values[field].at(a, loop))
                    cells << QStringLiteral("%1 a%2 l%3 = %4")
                                 .arg(field)
                                 .arg(a)
                                 .arg(loop)
                                 .arg(*value);
            }
        }
    }
    return cells;
}

QStringList expectedCells(const QList<Expected> &expected)
{
    ReadingsImage image;
    for (const Expected &e : expected)
        image.values[e.field].set(e.address, e.loop, e.value);
    return filledCells(image);
}

} // namespace

void TestReadingsFile::parse_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<Expected>>("expected");

    // Letters and markers
    QTest::newRow("address line") << QByteArray("h\r\nN 7           V 250         A 12 \r\n")
                                  << QList<Expected> {{F::SensorAnalogue, 7, 1, 250},
                                                      {F::SensorCurrent, 7, 1, 12}};
    QTest::newRow("sensor statistics")
        << QByteArray("h\r\nN 3 \r\nB 1 C 2 D 3 E 4 \r\nF 5 G 6 H 7 I 8 ")
        << QList<Expected> {{F::LastReading1, 3, 1, 1},    {F::LastReading2, 3, 1, 2},
                            {F::LastReading3, 3, 1, 3},    {F::SensorReadCount, 3, 1, 4},
                            {F::RingSlot, 3, 1, 5},        {F::OkCount, 3, 1, 6},
                            {F::OutOfRangeCount, 3, 1, 7}, {F::FaultCount, 3, 1, 8}};
    QTest::newRow("separator switches to loop 2")
        << QByteArray("h\r\nN 4 V 1 \r\n--------------\r\nN 4 V 2 ")
        << QList<Expected> {{F::SensorAnalogue, 4, 1, 1}, {F::SensorAnalogue, 4, 2, 2}};
    QTest::newRow("asterisks start modules of loop 1")
        << QByteArray("h\r\n-\r\n**************\r\nN 9 V 30 A 15 B 1 E 2 I 3 ")
        << QList<Expected> {{F::ModuleAnalogue, 9, 1, 30}, {F::ModuleCurrent, 9, 1, 15}};
    QTest::newRow("N right after the last item of loop 2")
        << QByteArray("h\r\n-\r\nN 1 V 5 \r\nB 1 \r\nF 1 <3:1><250:22>N 2 V 6 \r\n"
                      "B 2 \r\nF 2 <17:4>N 3 V 7 ")
        << QList<Expected> {{F::SensorAnalogue, 1, 2, 5}, {F::LastReading1, 1, 2, 1},
                            {F::RingSlot, 1, 2, 1},       {F::SensorAnalogue, 2, 2, 6},
                            {F::LastReading1, 2, 2, 2},   {F::RingSlot, 2, 2, 2},
                            {F::SensorAnalogue, 3, 2, 7}};
    QTest::newRow("header never read") << QByteArray("N 5 V 9 A 8 *-- E 77 Versione 1.0.0\r\nV 4 ")
                                       << QList<Expected> {{F::SensorAnalogue, 0, 1, 4}};
    QTest::newRow("values before any N go to address 0")
        << QByteArray("h\r\nA 6 N 2 A 7 ")
        << QList<Expected> {{F::SensorCurrent, 0, 1, 6}, {F::SensorCurrent, 2, 1, 7}};
    QTest::newRow("other characters skipped") << QByteArray("h\r\nxyz N 2 ?V 8 @ a v n 9 ")
                                              << QList<Expected> {{F::SensorAnalogue, 2, 1, 8}};
    QTest::newRow("later value wins")
        << QByteArray("h\r\nN 2 V 8 V 9 ") << QList<Expected> {{F::SensorAnalogue, 2, 1, 9}};
    // Numbers
    QTest::newRow("no digit gives 0")
        << QByteArray("h\r\nN 2 VX A")
        << QList<Expected> {{F::SensorAnalogue, 2, 1, 0}, {F::SensorCurrent, 2, 1, 0}};
    QTest::newRow("blanks inside the four places dropped")
        << QByteArray("h\r\nN 2 V 1 2 A  3")
        << QList<Expected> {{F::SensorAnalogue, 2, 1, 12}, {F::SensorCurrent, 2, 1, 3}};
    QTest::newRow("four places with a blank end the number")
        << QByteArray("h\r\nN 2 V 25 78 ") << QList<Expected> {{F::SensorAnalogue, 2, 1, 257}};
    QTest::newRow("letter inside a number")
        << QByteArray("h\r\nN 2 V 12A 5 ")
        << QList<Expected> {{F::SensorAnalogue, 2, 1, 12}, {F::SensorCurrent, 2, 1, 5}};
    QTest::newRow("number cut at the line end")
        << QByteArray("h\r\nN 2 V 12\r\n34 ") << QList<Expected> {{F::SensorAnalogue, 2, 1, 12}};
    QTest::newRow("four digits") << QByteArray("h\r\nN 2 V 9999 ")
                                 << QList<Expected> {{F::SensorAnalogue, 2, 1, 9999}};
    QTest::newRow("five-digit counters")
        << QByteArray("h\r\nN 2 \r\nB 0 C 0 D 0 E 32767 \r\nF 0 G 12345 H 10000 I 0 ")
        << QList<Expected> {{F::LastReading1, 2, 1, 0},
                            {F::LastReading2, 2, 1, 0},
                            {F::LastReading3, 2, 1, 0},
                            {F::SensorReadCount, 2, 1, 32767},
                            {F::RingSlot, 2, 1, 0},
                            {F::OkCount, 2, 1, 12345},
                            {F::OutOfRangeCount, 2, 1, 10000},
                            {F::FaultCount, 2, 1, 0}};
    QTest::newRow("beyond 16 bits held at the limit")
        << QByteArray("h\r\nN 2 E 99999 G 123456789012345678901234567890 V-40000 ")
        << QList<Expected> {{F::SensorReadCount, 2, 1, 32767},
                            {F::OkCount, 2, 1, 32767},
                            {F::SensorAnalogue, 2, 1, -32768}};
    QTest::newRow("two-digit address")
        << QByteArray("h\r\nN 99 V 3 ") << QList<Expected> {{F::SensorAnalogue, 99, 1, 3}};
    QTest::newRow("address beyond the tables dropped")
        << QByteArray("h\r\nN 100 V 3 N 123 V 4 N-5 V 5 N 6 V 6 ")
        << QList<Expected> {{F::SensorAnalogue, 100, 1, 3}, {F::SensorAnalogue, 6, 1, 6}};
    // Negative values
    QTest::newRow("negative value keeps its sign and the loop")
        << QByteArray("h\r\nN 4           V-5           A 3 \r\nB-250 C 0 \r\nN 5 V 1 ")
        << QList<Expected> {{F::SensorAnalogue, 4, 1, -5},
                            {F::SensorCurrent, 4, 1, 3},
                            {F::LastReading1, 4, 1, -250},
                            {F::LastReading2, 4, 1, 0},
                            {F::SensorAnalogue, 5, 1, 1}};
    QTest::newRow("negative letter ignored for modules keeps the loop")
        << QByteArray("h\r\n*\r\nN 4 V 1 B-2 A 3 ")
        << QList<Expected> {{F::ModuleAnalogue, 4, 1, 1}, {F::ModuleCurrent, 4, 1, 3}};
    QTest::newRow("hyphen elsewhere still switches")
        << QByteArray("h\r\nN 4 V 1 - V 2 ")
        << QList<Expected> {{F::SensorAnalogue, 4, 1, 1}, {F::SensorAnalogue, 4, 2, 2}};
    // Line ends
    QTest::newRow("lone LF and lone CR") << QByteArray("h\nN 2 V 1\rA 2\n\nE 3")
                                         << QList<Expected> {{F::SensorAnalogue, 2, 1, 1},
                                                             {F::SensorCurrent, 2, 1, 2},
                                                             {F::SensorReadCount, 2, 1, 3}};
    QTest::newRow("only an empty second line") << QByteArray("h\r\n\r\n") << QList<Expected> {};
}

void TestReadingsFile::parse()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QList<Expected>, expected);

    const std::optional<ReadingsImage> image = parseReadings(bytes);
    QVERIFY(image);
    QCOMPARE(filledCells(*image), expectedCells(expected));
}

void TestReadingsFile::longItemRun()
{
    QByteArray run;
    for (int r = 0; r <= 4000; ++r)
        run += '<' + QByteArray::number(r) + ':' + QByteArray::number(32767 - r) + '>';
    QVERIFY(run.size() > 45000);
    const QByteArray bytes = "h\r\n-\r\nN 5 V 1 \r\nB 2 \r\nF 3 " + run + "N 6 V 4 " + run;
    const std::optional<ReadingsImage> image = parseReadings(bytes);
    QVERIFY(image);
    QCOMPARE(filledCells(*image),
             expectedCells({{F::SensorAnalogue, 5, 2, 1},
                            {F::LastReading1, 5, 2, 2},
                            {F::RingSlot, 5, 2, 3},
                            {F::SensorAnalogue, 6, 2, 4}}));
}

void TestReadingsFile::endsBeforeSecondLine_data()
{
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("empty") << QByteArray();
    QTest::newRow("header without line end") << QByteArray("N 5 V 9 x");
    QTest::newRow("header with CR LF") << QByteArray("N 5 V 9 x\r\n");
    QTest::newRow("header with LF") << QByteArray("h\n");
}

void TestReadingsFile::endsBeforeSecondLine()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(!parseReadings(bytes));
}

void TestReadingsFile::applyKeepsWhatTheFileDoesNotCarry()
{
    auto data = busyData();
    data->DeviceType.set(4, 2, QStringLiteral("S"));
    data->DeviceZone.set(4, 2, 3);
    const auto before = busyData();
    const std::optional<ReadingsImage> image
        = parseReadings("h\r\n-\r\nN 4 V 11 \r\n*\r\nN 5 A-3 E 4 ");
    QVERIFY(image);
    image->applyTo(*data);

    QCOMPARE(data->SensorAnalogue.at(4, 2), qint16(11));
    QCOMPARE(data->ModuleCurrent.at(5, 1), qint16(-3));
    data->SensorAnalogue.set(4, 2, before->SensorAnalogue.at(4, 2));
    data->ModuleCurrent.set(5, 1, before->ModuleCurrent.at(5, 1));
    QCOMPARE(carriedValues(*data), carriedValues(*before));
    QCOMPARE(writeReadings(*data, Path, When), writeReadings(*before, Path, When));
    QCOMPARE(data->DeviceType.at(4, 2), QStringLiteral("S"));
    QCOMPARE(data->DeviceZone.at(4, 2), qint16(3));
}

void TestReadingsFile::roundTrip()
{
    const auto original = busyData();
    const QByteArray saved = writeReadings(*original, Path, When);

    // Into empty tables: every value the file carries comes back, the distributions do not.
    auto fresh = emptyData();
    const std::optional<ReadingsImage> image = parseReadings(saved);
    QVERIFY(image);
    image->applyTo(*fresh);
    QCOMPARE(carriedValues(*fresh), carriedValues(*original));
    QCOMPARE(fresh->SensorHistogram.at(1, 1, 1), qint16(0));

    // Over tables holding other values: saving again gives the same file.
    auto other = busyData();
    for (int loop = 1; loop <= 2; ++loop) {
        for (int a = 1; a <= 99; ++a) {
            other->SensorAnalogue.set(a, loop, 1);
            other->FaultCount.set(a, loop, 2);
            other->ModuleCurrent.set(a, loop, 3);
        }
    }
    image->applyTo(*other);
    QCOMPARE(withoutHeader(writeReadings(*other, QStringLiteral("/x"), When)),
             withoutHeader(saved));
}

void TestReadingsFile::saveAndLoadFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("letture.log"));
    QVERIFY(writeBytes(path, "older and longer contents that are replaced"));
    const auto original = busyData();
    const QDateTime now(QDate(2024, 3, 5), QTime(14, 5, 9));

    QCOMPARE(saveReadingsFile(path, *original, now), std::nullopt);
    const QByteArray bytes = readBytes(path);
    QCOMPARE(bytes,
             writeReadings(*original, QDir::toNativeSeparators(path), readingsDateTimeText(now)));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList(QStringLiteral("letture.log")));

    const ReadingsLoad load = loadReadingsFile(path);
    QVERIFY(load.image);
    QVERIFY(load.error.isEmpty());
    auto fresh = emptyData();
    load.image->applyTo(*fresh);
    QCOMPARE(carriedValues(*fresh), carriedValues(*original));
}

void TestReadingsFile::missingFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("assente.log"));
    const ReadingsLoad load = loadReadingsFile(path);
    QVERIFY(!load.image);
    QCOMPARE(load.error,
             QStringLiteral("I dati non sono stati caricati: il file %1 non esiste. Le letture "
                            "in memoria restano invariate.")
                 .arg(path));
}

void TestReadingsFile::fileEndingBeforeSecondLine()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("corto.log"));
    QVERIFY(writeBytes(path, "/dati/letture.log 05/03/24 14:05:09Versione 1.0.0\r\n"));
    const ReadingsLoad load = loadReadingsFile(path);
    QVERIFY(!load.image);
    QCOMPARE(load.error,
             QStringLiteral("I dati non sono stati caricati: il file %1 finisce prima della "
                            "seconda riga e non contiene letture. Le letture in memoria restano "
                            "invariate.")
                 .arg(path));
}

void TestReadingsFile::saveIntoMissingDirectory()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("manca/letture.log"));
    const std::optional<QString> failure = saveReadingsFile(path, *busyData(), QDateTime());
    QVERIFY(failure);
    QVERIFY2(failure->startsWith(
                 QStringLiteral("I dati non sono stati salvati: impossibile creare il file %1 (")
                     .arg(path)),
             qPrintable(*failure));
    QVERIFY(!QFile::exists(path));
    QVERIFY(QDir(dir.path())
                .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)
                .isEmpty());
}

void TestReadingsFile::failedWriteKeepsPreviousFile()
{
    // A file size limit makes the write itself fail, and unlike permission bits it also holds
    // for root. Nothing is checked (or logged) before the limit is lifted again.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("letture.log"));
    const QByteArray previous = "previous readings\r\n";
    QVERIFY(writeBytes(path, previous));

    rlimit saved {};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit tight = saved;
    tight.rlim_cur = 4096;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    const int limited = setrlimit(RLIMIT_FSIZE, &tight);
    const std::optional<QString> failure
        = limited == 0 ? saveReadingsFile(path, *busyData(), QDateTime()) : std::nullopt;
    const int restored = setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    QCOMPARE(limited, 0);
    QCOMPARE(restored, 0);

    QVERIFY(failure);
    QVERIFY2(failure->startsWith(
                 QStringLiteral("I dati non sono stati salvati: impossibile scrivere il file %1 (")
                     .arg(path)),
             qPrintable(*failure));
    QVERIFY(failure->endsWith(
        QStringLiteral("Un eventuale file precedente con lo stesso nome resta invariato.")));
    QCOMPARE(readBytes(path), previous);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList(QStringLiteral("letture.log")));
}

QTEST_GUILESS_MAIN(TestReadingsFile)
#include "tst_readingsfile.moc"
