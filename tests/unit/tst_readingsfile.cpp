// The readings file written, read back, refused, cut short or not saved; and the values report.
#include "storage/ReadingsFile.h"
#include "storage/ReadingsReader.h"
#include "storage/ReadingsWriter.h"
#include "storage/ReportLayout.h"
#include "tests/support/Files.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace testloop;
using namespace testfiles;
using namespace Qt::StringLiterals;

namespace {

const QString Path = u"/dati/letture.log"_s;
const QDateTime Moment(QDate(2024, 3, 5), QTime(14, 5, 9));
const QString When = u"05/03/24 14:05:09"_s;
const QByteArray Header = "/dati/letture.log 05/03/24 14:05:09Versione 1.0.0\r\n";

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

// Every table the file carries, some five-digit or negative; variants differ but in distributions.
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

const QString Now = u"05/03/2024 14:07:09"_s;

// Ten cells, each followed by four blanks; "0000" for the ones not given.
QString cells(const QMap<int, QString> &given)
{
    QString line;
    for (int column = 0; column < 10; ++column)
        line += given.value(column, u"0000"_s) + u"    "_s;
    return line;
}

QByteArray withoutHeader(const QByteArray &bytes)
{
    return bytes.mid(bytes.indexOf("\r\n"));
}

// The cells of an image that hold a value, sorted, as "V7.1=250" ("MV" a module's); or "none".
QString cellsText(const std::optional<ReadingsImage> &image)
{
    static const char *const names[]
        = {"V", "A", "B", "C", "D", "E", "F", "G", "H", "I", "MV", "MA"};
    if (!image)
        return u"none"_s;
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
    void saveAndLoad_data();
    void saveAndLoad();
    void loadRefused_data();
    void loadRefused();
    void fileCutShortLoadsItsAddresses();
    void reportCell();
    void reportLines_data();
    void reportLines();
};

void TestReadingsFile::writtenBytes()
{
    QCOMPARE(writeReadings(LoopData(), Path, When), zeroFile());
    // 7/1 read 250, 240, 250; five digits and signs at 1/1 keep the columns; count -3 left out.
    auto data = std::make_unique<LoopData>();
    for (const qint16 reading : {250, 240, 250}) {
        data->pushLastReading(7, 1, reading);
        data->SensorReadCount.increment(7, 1);
        data->OkCount.increment(7, 1);
        data->SensorHistogram.add(reading, 7, 1);
    }
    data->SensorAnalogue.set(7, 1, 250);
    data->SensorCurrent.set(7, 1, 12);
    data->SensorReadCount.set(1, 1, 32767);
    data->OkCount.set(1, 1, 12345);
    data->SensorAnalogue.set(1, 1, -5);
    data->SensorCurrent.set(1, 1, -32768);
    data->ModuleHistogram.set(0, 99, 2, 32767);
    data->ModuleHistogram.set(4000, 99, 2, 1);
    data->ModuleHistogram.set(17, 99, 2, -3);
    QByteArray expected = zeroFile() + "<0:32767><4000:1>";
    for (const auto &[address, lines] :
         {std::pair(7,
                    "N 7           V 250         A 12 \r\n"
                    "B 250         C 240         D 250         E 3 \r\n"
                    "F 3           G 3           H 0           I 0 \r\n<240:1><250:2>"),
          std::pair(1,
                    "N 1           V-5           A-32768 \r\n"
                    "B 0           C 0           D 0           E 32767 \r\n"
                    "F 0           G 12345       H 0           I 0 \r\n")}) {
        const QByteArray zero = zeroAddressLine(address) + ZeroStatistics;
        const qsizetype at = expected.indexOf(zero);
        expected.replace(at, zero.size(), lines);
    }
    QCOMPARE(writeReadings(*data, Path, When), expected);

    // A line end in the name cannot split the header; outside Latin-1 a character is replaced.
    QVERIFY(writeReadings(LoopData(), u"/tmp/a\n*-b\r.log"_s, When)
                .startsWith("/tmp/a?*-b?.log 05/03/24 14:05:09Versione 1.0.0\r\n\r\nN 1 "));
    QVERIFY(writeReadings(LoopData(), u"/tmp/ä€.log"_s, When).startsWith("/tmp/\xe4?.log "));
}

void TestReadingsFile::dateTimeText()
{
    const QLocale italian(QLocale::Italian, QLocale::Italy);
    QCOMPARE(readingsDateTimeText(Moment, italian), When);
    QCOMPARE(readingsDateTimeText(QDateTime(Moment.date(), QTime(0, 0)), italian), u"05/03/24"_s);
    QCOMPARE(readingsDateTimeText(Moment, QLocale(QLocale::English, QLocale::UnitedStates)),
             u"3/5/24 2:05:09 PM"_s);
    QCOMPARE(timeFormatWithoutZone(u"t h:mm AP tttt"_s), u"h:mm AP"_s);
    QCOMPARE(timeFormatWithoutZone(u"HH 'tt' mm t"_s), u"HH 'tt' mm"_s);
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

void TestReadingsFile::saveAndLoad_data()
{
    QTest::addColumn<int>("sizeLimit"); // 0: none
    QTest::newRow("over an older, longer file") << 0;
    QTest::newRow("write fails") << 4096;
}

// Saved, loaded over other tables, saved again: same but the header. A failed save changes nothing.
void TestReadingsFile::saveAndLoad()
{
    QFETCH(int, sizeLimit);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"letture.log"_s);
    const QByteArray previous = "older and longer contents that are replaced";
    QVERIFY(writeBytes(path, previous));
    std::optional<QString> failure;
    QVERIFY(withFileSizeLimit(sizeLimit,
                              [&] { failure = saveReadingsFile(path, *busyData(), Moment); }));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList(u"letture.log"_s));
    const QByteArray bytes = readBytes(path);
    QCOMPARE(failure.has_value(), sizeLimit > 0);
    if (failure) {
        QVERIFY2(
            failure->startsWith(
                u"I dati non sono stati salvati: impossibile scrivere il file %1 ("_s.arg(path)),
            qPrintable(*failure));
        QVERIFY(failure->endsWith(
            u"Un eventuale file precedente con lo stesso nome resta invariato."_s));
        QCOMPARE(bytes, previous);
        return;
    }
    QCOMPARE(
        bytes,
        writeReadings(*busyData(), QDir::toNativeSeparators(path), readingsDateTimeText(Moment)));
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
    const QString control = u"non è un file di letture: contiene un carattere di "
                            "controllo (codice %1) alla posizione %2"_s;

    QTest::newRow("missing") << QByteArray() << u"non esiste"_s;
    QTest::newRow("header alone") << Header
                                  << u"finisce prima della seconda riga e non contiene letture"_s;
    QTest::newRow("NUL among the readings")
        << zeroFile().replace(Header.size() + 10, 1, QByteArray(1, '\0'))
        << control.arg(0).arg(Header.size() + 11);
    QTest::newRow("DEL in the header")
        << zeroFile().replace(3, 1, "\x7f") << control.arg(127).arg(4);
    QTest::newRow("blank lines only")
        << QByteArray("\r\n\r\n  \r\n\n\t\r\n") << u"non contiene alcun indirizzo"_s;
}

void TestReadingsFile::loadRefused()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"letture.log"_s);
    if (!bytes.isNull())
        QVERIFY(writeBytes(path, bytes));
    const ReadingsLoad load = loadReadingsFile(path);
    QVERIFY(!load.image && load.warning.isEmpty());
    const QString start = u"I dati non sono stati caricati: il file %1 "_s.arg(path);
    QVERIFY2(load.error.startsWith(start + reason), qPrintable(load.error));
    QVERIFY(load.error.endsWith(u"Le letture in memoria restano invariate."_s));
}

// Cut before 51 of loop 2: the file's values taken, the rest kept, distributions (never read) too.
void TestReadingsFile::fileCutShortLoadsItsAddresses()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"letture.log"_s);
    const auto data = busyData();
    const QByteArray whole = writeReadings(*data, Path, When);
    QVERIFY(writeBytes(path, whole.left(whole.indexOf("N 51 ", whole.indexOf("N 51 ") + 1))));
    const ReadingsLoad load = loadReadingsFile(path);
    QVERIFY(load.image && load.error.isEmpty());
    QVERIFY2(load.warning.startsWith(
                 u"Il file finisce prima dell'ultimo blocco: porta 149 indirizzi dei 396 "_s),
             qPrintable(load.warning));
    auto after = busyData(1);
    after->SensorHistogram.set(7, 7, 1, 5);
    load.image->applyTo(*after);
    QCOMPARE(after->OkCount.at(50, 2), data->OkCount.at(50, 2));
    QCOMPARE(after->SensorAnalogue.at(51, 2), busyData(1)->SensorAnalogue.at(51, 2));
    QCOMPARE(after->ModuleAnalogue.at(1, 1), busyData(1)->ModuleAnalogue.at(1, 1));
    QCOMPARE(after->SensorHistogram.at(7, 7, 1), qint16(5));
}

void TestReadingsFile::reportCell()
{
    QCOMPARE(ReportLayout::labelCell(1), u"N 01    "_s);
    QCOMPARE(ReportLayout::valueCell(-5), u"-005    "_s);
}

void TestReadingsFile::reportLines_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("centred");

    const auto row = [](const char *name, int page, int index, const QString &text, bool centred) {
        QTest::newRow(name) << page << index << text << centred;
    };
    row("sensors: date and time", 0, 0, Now, false);
    row("sensors: loop 1 title", 0, 2, u"LINEA SENSORI LOOP  1"_s, true);
    // The blanks after a long value shrink so that the next cell starts in its column.
    row("sensors: long values", 0, 8, u"-32768  32767   0012    "_s + cells({}).mid(24), true);
    row("sensors: address 100 value", 0, 32, cells({{9, u"0040"_s}}), true);
    row("sensors: blank line between rows", 0, 33, QString(), false);
    row("sensors: last line", 0, 67, QString(), false);
    row("modules: loop 2 title", 1, 35, u"LINEA MODULI LOOP  2"_s, true);
    row("modules: labels of 91 to 100", 1, 64,
        u"N 91    N 92    N 93    N 94    N 95    N 96    N 97    N 98    N 99    "_s
            + u"N       "_s,
        true);
    row("modules: address 100 value", 1, 65, cells({{9, u"9990"_s}}), true);
}

void TestReadingsFile::reportLines()
{
    QFETCH(int, page);
    QFETCH(int, index);
    QFETCH(QString, text);
    QFETCH(bool, centred);
    LoopData data;
    data.SensorAnalogue.set(100, 1, 40);
    data.SensorAnalogue.set(11, 1, -32768);
    data.SensorAnalogue.set(12, 1, 32767);
    data.SensorAnalogue.set(13, 1, 12);
    data.ModuleAnalogue.set(100, 2, 9990);
    const QList<ReportPage> pages = ReportLayout::pages(data, Now);
    QCOMPARE(pages.size(), 2);
    QCOMPARE(pages.at(page).at(index).text, text);
    QCOMPARE(pages.at(page).at(index).centred, centred);
}

QTEST_GUILESS_MAIN(TestReadingsFile)
#include "tst_readingsfile.moc"
