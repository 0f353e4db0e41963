#include "storage/ReadingsFile.h"
#include "storage/ReadingsReader.h"
#include "storage/ReadingsWriter.h"

#include "tests/support/Files.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace testloop;
using namespace testfiles;

namespace {

const QString Path = QStringLiteral("/dati/letture.log");
const QString When = QStringLiteral("05/03/24 14:05:09");
const QByteArray Header = "/dati/letture.log 05/03/24 14:05:09Versione 1.0.0\r\n";

// The address line of an address that holds zero, spelled out column by column.
QByteArray zeroAddressLine(int address)
{
    return QByteArray("N ").append(QByteArray::number(address)).append(' ').leftJustified(14)
        + "V 0           A 0 \r\n";
}
const QByteArray ZeroStatistics = "B 0           C 0           D 0           E 0 \r\n"
                                  "F 0           G 0           H 0           I 0 \r\n";

// The whole file of tables that hold nothing, built line by line.
QByteArray zeroFile()
{
    QByteArray blocks[4];
    for (int a = 1; a <= 99; ++a) {
        blocks[0] += "\r\n" + zeroAddressLine(a) + ZeroStatistics;
        blocks[1] += zeroAddressLine(a) + ZeroStatistics;
        blocks[2] += "\r\n" + zeroAddressLine(a);
        blocks[3] += zeroAddressLine(a);
    }
    return Header + blocks[0] + "\r\n--------------\r\n" + blocks[1] + "\r\n**************\r\n"
        + blocks[2] + "\r\n--------------\r\n" + blocks[3];
}

// Every table the file carries, with values that differ per table, address and loop: five-digit
// values and negative ones among them. Each variant differs from the others in every value the
// file carries; the distributions are the same in all.
std::unique_ptr<LoopData> busyData(int variant = 0)
{
    auto data = std::make_unique<LoopData>();
    AddressTable<qint16> *const tables[]
        = {&data->SensorAnalogue,  &data->SensorCurrent,   &data->ModuleAnalogue,
           &data->ModuleCurrent,   &data->LastReadings[1], &data->LastReadings[2],
           &data->LastReadings[3], &data->SensorReadCount, &data->RingSlot,
           &data->OkCount,         &data->OutOfRangeCount, &data->FaultCount};
    for (int loop = 1; loop <= 2; ++loop) {
        for (int a = 1; a <= 99; ++a) {
            for (int t = 0; t < 12; ++t)
                tables[t]->set(a, loop,
                               qint16((a % 3 ? 1 : -1) * (a * 131 + t * 1500 + loop + variant)));
            for (int r = a; r <= 4000; r += 97 + a)
                data->SensorHistogram.set(r, a, loop, qint16(r % 500 + 1));
            data->ModuleHistogram.set(4000, a, loop, 32767);
        }
    }
    return data;
}

QByteArray withoutHeader(const QByteArray &bytes)
{
    return bytes.mid(bytes.indexOf("\r\n"));
}

// The cells of an image that hold a value, as "letter address.loop=value" in sorted order;
// M marks the module fields. "none" when there is no image.
QString cellsText(const std::optional<ReadingsImage> &image)
{
    static const char *const names[]
        = {"V", "A", "B", "C", "D", "E", "F", "G", "H", "I", "MV", "MA"};
    if (!image)
        return QStringLiteral("none");
    QStringList cells;
    for (int field = 0; field < ReadingsImage::FieldCount; ++field)
        for (int loop = 0; loop <= 2; ++loop)
            for (int a = 0; a <= 100; ++a)
                if (const std::optional<qint16> value = image->values[field].at(a, loop))
                    cells << QString::asprintf("%s%d.%d=%d", names[field], a, loop, int(*value));
    cells.sort();
    return cells.join(u' ');
}

} // namespace

class TestReadingsFile : public QObject
{
    Q_OBJECT

private slots:
    void writtenBytes();
    void dateTimeText();
    void parse_data();
    void parse();
    void roundTrip();
    void loadRefused_data();
    void loadRefused();
    void fileCutShortLoadsItsAddresses();
    void failedWriteKeepsPreviousFile();
};

void TestReadingsFile::writtenBytes()
{
    const QByteArray empty = writeReadings(LoopData(), Path, When);
    QCOMPARE(empty, zeroFile());
    QCOMPARE(empty.count("\r\nN "), AddressLinesPerFile);

    // Address 7 of loop 1 read three times (250, 240, 250), current 12, all within the limits.
    auto data = std::make_unique<LoopData>();
    for (const qint16 reading : {250, 240, 250}) {
        data->pushLastReading(7, 1, reading);
        data->SensorReadCount.increment(7, 1);
        data->OkCount.increment(7, 1);
        data->SensorHistogram.add(reading, 7, 1);
    }
    data->SensorAnalogue.set(7, 1, 250);
    data->SensorCurrent.set(7, 1, 12);

    // Nothing but address 7 of sensor loop 1 differs from the file of empty tables.
    QByteArray expected = zeroFile();
    const QByteArray zeroPart = zeroAddressLine(7) + ZeroStatistics;
    const qsizetype at = expected.indexOf(zeroPart);
    QVERIFY(at > 0 && at < expected.indexOf("--------------"));
    expected.replace(at, zeroPart.size(),
                     "N 7           V 250         A 12 \r\n"
                     "B 250         C 240         D 250         E 3 \r\n"
                     "F 3           G 3           H 0           I 0 \r\n"
                     "<240:1><250:2>");
    QCOMPARE(writeReadings(*data, Path, When), expected);

    // A line end in the name cannot split the header; outside Latin-1 a character is replaced.
    QVERIFY(writeReadings(LoopData(), QStringLiteral("/tmp/a\n*-b\r.log"), When)
                .startsWith("/tmp/a?*-b?.log 05/03/24 14:05:09Versione 1.0.0\r\n\r\nN 1 "));
    QVERIFY(writeReadings(LoopData(), QStringLiteral("/tmp/ä€.log"), When)
                .startsWith("/tmp/\xe4?.log "));

    // Five digits and signs keep the columns; a negative distribution count is left out.
    data = std::make_unique<LoopData>();
    data->SensorReadCount.set(1, 1, 32767);
    data->OkCount.set(1, 1, 12345);
    data->SensorAnalogue.set(1, 1, -5);
    data->SensorCurrent.set(1, 1, -32768);
    data->ModuleHistogram.set(0, 99, 2, 32767);
    data->ModuleHistogram.set(4000, 99, 2, 1);
    data->ModuleHistogram.set(17, 99, 2, -3);
    const QByteArray bytes = writeReadings(*data, Path, When);
    QVERIFY(bytes.contains("\r\n\r\nN 1           V-5           A-32768 \r\n"
                           "B 0           C 0           D 0           E 32767 \r\n"
                           "F 0           G 12345       H 0           I 0 \r\n\r\nN 2 "));
    QVERIFY(bytes.endsWith("N 99          V 0           A 0 \r\n<0:32767><4000:1>"));
}

void TestReadingsFile::dateTimeText()
{
    const QLocale italian(QLocale::Italian, QLocale::Italy);
    const QDate date(2024, 3, 5);
    QCOMPARE(readingsDateTimeText(QDateTime(date, QTime(14, 5, 9)), italian),
             QStringLiteral("05/03/24 14:05:09"));
    QCOMPARE(readingsDateTimeText(QDateTime(date, QTime(0, 0)), italian),
             QStringLiteral("05/03/24"));
    QCOMPARE(readingsDateTimeText(QDateTime(date, QTime(14, 5, 9)),
                                  QLocale(QLocale::English, QLocale::UnitedStates)),
             QStringLiteral("3/5/24 2:05:09 PM"));
    // The time zone is left out of the time format.
    QCOMPARE(timeFormatWithoutZone(QStringLiteral("t h:mm AP tttt")), QStringLiteral("h:mm AP"));
    QCOMPARE(timeFormatWithoutZone(QStringLiteral("HH 'tt' mm t")), QStringLiteral("HH 'tt' mm"));
}

void TestReadingsFile::parse_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("cells"); // as cellsText gives them, in any order
    const auto row = [](const char *name, const QByteArray &bytes, const char *cells) {
        QTest::newRow(name) << bytes << QString::fromLatin1(cells);
    };
    row("asterisks start modules of loop 1",
        "h\r\n-\r\n**************\r\nN 9 V 30 A 15 B 1 E 2 I 3 ", "MV9.1=30 MA9.1=15");
    row("N right after the last item of loop 2",
        "h\r\n-\r\nN 1 V 5 \r\nB 1 \r\nF 1 <3:1><250:22>N 2 V 6 \r\nB 2 \r\nF 2 <17:4>N 3 V 7 ",
        "V1.2=5 B1.2=1 F1.2=1 V2.2=6 B2.2=2 F2.2=2 V3.2=7");
    row("header never read, address 0 before any N", "N 5 V 9 A 8 *-- E 77 Versione\r\nV 4 ",
        "V0.1=4");
    row("other characters skipped", "h\r\nxyz N 2 ?V 8 @ a v n 9 ", "V2.1=8");
    row("hyphen elsewhere switches the loop", "h\r\nN 4 V 1 - V 2 ", "V4.1=1 V4.2=2");
    row("lone LF and lone CR", "h\nN 2 V 1\rA 2\n\nE 3", "V2.1=1 A2.1=2 E2.1=3");
    row("no digit gives 0", "h\r\nN 2 VX A", "V2.1=0 A2.1=0");
    row("blanks inside four places dropped, then end the number",
        "h\r\nN 2 V 1 2 A  3 N 3 V 25 78 ", "V2.1=12 A2.1=3 V3.1=257");
    row("number cut at the line end", "h\r\nN 2 V 12\r\n34 ", "V2.1=12");
    row("five digits, beyond 16 bits held at the limit",
        "h\r\nN 2 E 32767 G 12345 H 99999 I 123456789012345678901234567890 V-40000 ",
        "E2.1=32767 G2.1=12345 H2.1=32767 I2.1=32767 V2.1=-32768");
    row("address beyond the tables dropped", "h\r\nN 100 V 3 N 123 V 4 N-5 V 5 N 6 V 6 ",
        "V100.1=3 V6.1=6");
    row("negative value keeps its sign and the loop",
        "h\r\nN 4           V-5           A 3 \r\nB-250 C 0 \r\nN 5 V 1 ",
        "V4.1=-5 A4.1=3 B4.1=-250 C4.1=0 V5.1=1");
    row("negative letter ignored for modules keeps the loop", "h\r\n*\r\nN 4 V 1 B-2 A 3 ",
        "MV4.1=1 MA4.1=3");
    QByteArray run; // a distribution that took every value: about 48,000 characters
    for (int r = 0; r <= 4000; ++r)
        run += '<' + QByteArray::number(r) + ':' + QByteArray::number(32767 - r) + '>';
    row("lines of any length", "h\r\n-\r\nN 5 V 1 \r\nF 3 " + run + "N 6 V 4 " + run,
        "V5.2=1 F5.2=3 V6.2=4");
    // Contents that end before a second line carry nothing at all.
    row("empty", "", "none");
    row("header alone", "N 5 V 9 x\r\n", "none");
}

void TestReadingsFile::parse()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, cells);
    QStringList expected = cells.split(u' ', Qt::SkipEmptyParts);
    expected.sort();
    QCOMPARE(cellsText(parseReadings(bytes)), expected.join(u' '));
}

void TestReadingsFile::roundTrip()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("letture.log"));
    QVERIFY(writeBytes(path, "older and longer contents that are replaced"));
    const QDateTime now(QDate(2024, 3, 5), QTime(14, 5, 9));
    QCOMPARE(saveReadingsFile(path, *busyData(), now), std::nullopt);
    const QByteArray bytes = readBytes(path);
    QCOMPARE(bytes,
             writeReadings(*busyData(), QDir::toNativeSeparators(path), readingsDateTimeText(now)));

    // Read over tables that differ in every value the file carries, then saved again: the
    // same file apart from the header, five-digit counters and negative values included.
    const ReadingsLoad load = loadReadingsFile(path);
    QVERIFY(load.image && load.error.isEmpty() && load.warning.isEmpty());
    QCOMPARE(load.image->addressLines, AddressLinesPerFile);
    auto other = busyData(1);
    QVERIFY(withoutHeader(writeReadings(*other, Path, When)) != withoutHeader(bytes));
    load.image->applyTo(*other);
    QCOMPARE(withoutHeader(writeReadings(*other, Path, When)), withoutHeader(bytes));
}

void TestReadingsFile::loadRefused_data()
{
    QTest::addColumn<QByteArray>("bytes"); // null: no file
    QTest::addColumn<QString>("reason"); // what follows the file's name in the message

    QByteArray nulInside = zeroFile();
    nulInside[Header.size() + 10] = '\0';
    QByteArray delInHeader = zeroFile();
    delInHeader[3] = '\x7f';
    const QString control = QStringLiteral("non è un file di letture: contiene un carattere di "
                                           "controllo (codice %1) alla posizione %2");

    QTest::newRow("missing") << QByteArray() << QStringLiteral("non esiste");
    QTest::newRow("header alone") << Header
                                  << QStringLiteral("finisce prima della seconda riga e non "
                                                    "contiene letture");
    QTest::newRow("NUL among the readings") << nulInside << control.arg(0).arg(Header.size() + 11);
    QTest::newRow("DEL in the header") << delInHeader << control.arg(127).arg(4);
    QTest::newRow("blank lines only")
        << QByteArray("\r\n\r\n  \r\n\n\t\r\n") << QStringLiteral("non contiene alcun indirizzo");
}

// A refused file gives no values: the caller applies only what a successful load returns.
void TestReadingsFile::loadRefused()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("letture.log"));
    if (!bytes.isNull())
        QVERIFY(writeBytes(path, bytes));
    const ReadingsLoad load = loadReadingsFile(path);
    QVERIFY(!load.image);
    QVERIFY(load.warning.isEmpty());
    const QString start = QStringLiteral("I dati non sono stati caricati: il file %1 ").arg(path);
    QVERIFY2(load.error.startsWith(start + reason), qPrintable(load.error));
    QVERIFY(load.error.endsWith(QStringLiteral("Le letture in memoria restano invariate.")));
}

// Cut before address 51 of the second block: loop 1 and 50 addresses of loop 2 remain. Read
// over other tables, they take what the file carries and keep everything else, the
// distributions (which are never read) included.
void TestReadingsFile::fileCutShortLoadsItsAddresses()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("letture.log"));
    const auto data = busyData();
    const QByteArray whole = writeReadings(*data, Path, When);
    QVERIFY(writeBytes(path, whole.left(whole.indexOf("N 51 ", whole.indexOf("N 51 ") + 1))));
    const ReadingsLoad load = loadReadingsFile(path);
    QVERIFY(load.image && load.error.isEmpty());
    QVERIFY2(load.warning.startsWith(QStringLiteral(
                 "Il file finisce prima dell'ultimo blocco: porta 149 indirizzi dei 396 ")),
             qPrintable(load.warning));
    const auto before = busyData(1);
    auto after = busyData(1);
    after->SensorHistogram.set(7, 7, 1, 5);
    load.image->applyTo(*after);
    QCOMPARE(after->OkCount.at(50, 2), data->OkCount.at(50, 2));
    QCOMPARE(after->SensorAnalogue.at(51, 2), before->SensorAnalogue.at(51, 2));
    QCOMPARE(after->ModuleAnalogue.at(1, 1), before->ModuleAnalogue.at(1, 1));
    QCOMPARE(after->SensorHistogram.at(7, 7, 1), qint16(5));
}

void TestReadingsFile::failedWriteKeepsPreviousFile()
{
    // A file size limit makes the write itself fail, and unlike permission bits it also holds
    // for root. Nothing is checked (or logged) before the limit is lifted again.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("letture.log"));
    QVERIFY(writeBytes(path, "previous readings\r\n"));
    std::optional<QString> failure;
    QVERIFY(withFileSizeLimit(4096,
                              [&] { failure = saveReadingsFile(path, *busyData(), QDateTime()); }));

    QVERIFY(failure);
    QVERIFY2(failure->startsWith(
                 QStringLiteral("I dati non sono stati salvati: impossibile scrivere il file %1 (")
                     .arg(path)),
             qPrintable(*failure));
    QVERIFY(failure->endsWith(
        QStringLiteral("Un eventuale file precedente con lo stesso nome resta invariato.")));
    QCOMPARE(readBytes(path), QByteArray("previous readings\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList(QStringLiteral("letture.log")));
}

QTEST_GUILESS_MAIN(TestReadingsFile)
#include "tst_readingsfile.moc"
