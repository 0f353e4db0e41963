// The CSV export read back as a spreadsheet reads it, cell by cell against the tables and the
// communication counters, and the command that writes it: the file, what the user is told, a
// cancelled dialog.
#include "link/Transport.h"
#include "loopdata/LoopTables.h"
#include "loopdata/SharedState.h"
#include "scan/AddressFacts.h"
#include "scan/CommunicationCounters.h"
#include "storage/CsvExport.h"
#include "tests/support/FakePrompts.h"
#include "ui/CsvExportCommand.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

using namespace testloop;
using namespace Qt::StringLiterals;
using Kind = ExchangeEvent::Kind;

namespace {

// A line to no panel: the test reports the exchange events itself.
class QuietLine : public Transport
{
public:
    QString deviceName() const override { return u"prova"_s; }
    bool isOpen() const override { return false; }
    bool findDevice() override { return false; }

protected:
    std::optional<PortFailure> openDevice() override { return std::nullopt; }
    void closeDevice() override { }
    bool writeDevice(const QByteArray &) override { return true; }
};

// Thresholds other than the defaults, so that a verdict reached on the defaults shows.
Settings testSettings()
{
    Settings s;
    s.GSMax = 150;
    s.VaSMin = 300;
    s.VaSMax = 1000;
    s.GMMax = 100;
    s.VaMMin = 500;
    s.VaMMax = 2000;
    return s;
}

const QStringList TypeLabels = u"NON USATO|AUTOMATICO|FIAMMA ULTRAVIOLETTI|FIAMMA INFRAROSSI|"
                               "CAVO TERMOSENSIBILE|BASI INDIRIZZATE|KELVARO"_s.split(u'|');

// Stores a type, a description and the numbers: zone, left out, sensor analogue and current,
// module analogue and current, readings counted, in range, out of range, faulty, slots 1..3.
void store(LoopData &d, int l, int a, const QString &type, const QString &text,
           const QList<int> &numbers)
{
    d.DeviceType.set(a, l, type);
    d.DeviceText.set(a, l, text);
    AddressTable<qint16> *const tables[]
        = {&d.DeviceZone,      &d.NotActivated,  &d.SensorAnalogue,  &d.SensorCurrent,
           &d.ModuleAnalogue,  &d.ModuleCurrent, &d.SensorReadCount, &d.OkCount,
           &d.OutOfRangeCount, &d.FaultCount,    &d.LastReadings[1], &d.LastReadings[2],
           &d.LastReadings[3]};
    for (qsizetype i = 0; i < qsizetype(std::size(tables)); ++i)
        tables[i]->set(a, l, qint16(numbers.value(i)));
}

// The addresses the literal rows are about, as "loop|address|type|description|" and the
// numbers store() takes; every other address gets varied values.
const QStringList Specials = {
    u"1|5|AUTOMATICO|UFFICIO; SALA \"A\"   |12|0|450|15|2100|120|120|100|15|5|440|460|450"_s,
    u"1|6|NON USATO|SOLO\nA CAPO|3|0|1001|15|0|15|1|0|1|0|1001|0|0"_s,
    u"1|7|FIAMMA ULTRAVIOLETTI|CORRIDOIO PIÙ À NORD|0|1|-32768|0|32767|5|"
    "32767|0|0|32767|-32768|0|32767"_s,
    u"2|99|KELVARO|RIGA\rDUE|99|0|32767|45|0|0|3|0|3|0|32767|32767|32767"_s,
    u"2|1|||0|0|0|0|0|0|0|0|0|0|0|0|0"_s,
};

void storeSpecial(LoopData &d, const QString &row)
{
    const QStringList cells = row.split(u'|');
    QList<int> numbers;
    for (const QString &cell : cells.sliced(4))
        numbers += cell.toInt();
    store(d, cells[0].toInt(), cells[1].toInt(), cells[2], cells[3], numbers);
}

bool isSpecial(int loop, int address)
{
    const QString start = u"%1|%2|"_s.arg(loop).arg(address);
    return std::any_of(Specials.begin(), Specials.end(),
                       [&](const QString &row) { return row.startsWith(start); });
}

// Reports the exchange events of requests to one address, at known monotonic times.
struct Exchanges
{
    Transport &link;
    ExchangeTag tag;
    qint64 &requestUs; // when the last request went out

    Exchanges &send(Kind kind, qint64 afterUs, DiscardReason reason = DiscardReason::Garbled)
    {
        ExchangeEvent e = ExchangeEvent::now(kind, tag);
        e.elapsedUs = requestUs + afterUs;
        e.reason = reason;
        link.report(e);
        return *this;
    }
    Exchanges &request()
    {
        requestUs += 1'000'000;
        return send(Kind::RequestOut, 0);
    }
    Exchanges &reply(qint64 afterUs) { return send(Kind::ReplyAccepted, afterUs); }
    Exchanges &timeout() { return send(Kind::TimedOut, 500'000); }
    Exchanges &discard(DiscardReason why) { return send(Kind::ReplyDiscarded, 0, why); }
    Exchanges &reRead() { return send(Kind::ReRead, 0); }
};

// Both loops filled, and counters fed, with values that differ from address to address.
struct Fixture
{
    std::unique_ptr<LoopData> data = std::make_unique<LoopData>();
    SharedState state;
    QuietLine line;
    CommunicationCounters counters {line};
    qint64 clockUs = 0;

    Fixture()
    {
        state.settings = testSettings();
        for (int l = 1; l <= 2; ++l) {
            for (int a = FirstAddress; a <= LastAddress; ++a)
                fill(l, a);
        }
        for (const QString &row : Specials)
            storeSpecial(*data, row);
        on(1, 5).request().reply(31'240).request().reply(40'600).request().timeout();
        on(1, 5).request().discard(DiscardReason::OtherLoop);
        on(1, 6).request().timeout().request().discard(DiscardReason::Short).request().reply(40);
        on(2, 99).request().reply(12'345).reRead().request().reply(20'000).reRead();
        on(2, 99).request().discard(DiscardReason::Short).discard(DiscardReason::Garbled);
        on(2, 99).discard(DiscardReason::NotAwaited).reply(1'234'567);
        on(2, 1).request().timeout();
    }

    Exchanges on(int loop, int address)
    {
        return {line, {ExchangeTag::Kind::Scan, loop, address}, clockUs};
    }

    // Readings in and out of range, negative ones, conflicts, silent sensors, devices left out.
    void fill(int l, int a)
    {
        const bool silent = a % 13 == 0;
        QString text = u"Zona %1 – locale %2 "_s.arg(a % 7).arg(a * l);
        if (a % 10 == 0)
            text.clear();
        else if (a % 17 == 0)
            text += u"\r\nSCALA \"B\""_s;
        store(*data, l, a, TypeLabels[(a + l) % 7], text,
              {(a * 7 + l) % 100, a % 9 == 0, silent ? 0 : (a * 173 + l * 911) % 4000 - 100,
               silent ? 0 : (a % 11 == 0 ? 45 : (a * 3 + l) % 20), (a * 311 + l * 57) % 3000 - 50,
               a % 8 == 0 ? 30 : 100 + a, a * 300 + l, a * 200, a * 60, a * 40 + l,
               a * 50 + 7 + l - 200, a * 50 + 14 + l, -a * 3 - l});
        if (a % 3 == 0 || isSpecial(l, a))
            return;
        Exchanges x = on(l, a);
        for (int i = 0; i < (a + 2 * l) % 5; ++i) {
            x.request();
            if (i % 2)
                x.timeout();
            else
                x.reply(a * 1000 + l * 100 + i * 10 + 7);
        }
        if (a % 5 == 0)
            x.reRead();
    }
};

// Reads CSV as a spreadsheet does: a byte-order mark, UTF-8, ";" between fields, CR LF after
// every row, quoted fields with doubled quotes. Anything else is an error.
struct Parsed
{
    QList<QStringList> rows;
    QString error;
};

Parsed parseCsv(const QByteArray &bytes)
{
    Parsed p;
    if (!bytes.startsWith("\xEF\xBB\xBF"))
        return {{}, u"no byte-order mark"_s};
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes.mid(3));
    if (utf8.hasError())
        return {{}, u"not UTF-8"_s};
    QStringList row;
    QString cell;
    bool quoted = false, closed = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted && !closed) {
            if (c != u'"')
                cell += c;
            else if (i + 1 < text.size() && text[i + 1] == u'"')
                cell += text[++i];
            else
                closed = true;
        } else if (c == u'"' && cell.isEmpty() && !quoted) {
            quoted = true;
        } else if (c == u';' || c == u'\r') {
            if (c == u'\r' && (i + 1 >= text.size() || text[++i] != u'\n'))
                return {{}, u"CR without LF at %1"_s.arg(i)};
            row += std::exchange(cell, QString());
            quoted = closed = false;
            if (c == u'\r')
                p.rows += std::exchange(row, QStringList());
        } else if (closed || c == u'"' || c == u'\n') {
            return {{}, u"stray character at %1"_s.arg(i)};
        } else {
            cell += c;
        }
    }
    if (!row.isEmpty() || !cell.isEmpty() || quoted)
        return {{}, u"last row not ended by CR LF"_s};
    return p;
}

// A response time or share as the export writes it: one decimal after a comma.
bool isDecimalNear(const QString &cell, double expected)
{
    static const QRegularExpression form(u"^\\d+,\\d$"_s);
    return form.match(cell).hasMatch()
        && qAbs(QString(cell).replace(u',', u'.').toDouble() - expected) < 0.0501;
}

QStringList numbers(std::initializer_list<int> values)
{
    QStringList cells;
    for (const int v : values)
        cells += QString::number(v);
    return cells;
}

const QStringList Header
    = u"Loop|Dispositivo|Indirizzo|Tipo|Zona|Descrizione|Escluso dal test|Valore analogico|"
      "Corrente|Esito|Letture|Letture in range|Letture fuori range|Letture di guasto|"
      "Lettura 1|Lettura 2|Lettura 3|Richieste|Risposte valide|Nessuna risposta in tempo|"
      "Scartate: altro loop|Scartate: incomplete|Scartate: non valide|"
      "Scartate: senza richiesta|Riletture|Ultima risposta (ms)|Risposta media (ms)|"
      "Risposte valide (%)"_s.split(u'|');

// The row of a loop, kind and address: loop 1 sensors, loop 1 modules, loop 2 sensors, ...
qsizetype rowOf(int loop, bool sensor, int address)
{
    return 1 + (loop - 1) * 198 + (sensor ? 0 : 99) + (address - 1);
}

} // namespace

class TestCsvExport : public QObject
{
    Q_OBJECT
private slots:
    void everyCellMatchesTheTables();
    void literalRows_data();
    void literalRows();
    void command_data();
    void command();
    void dialogSetUp();
};

void TestCsvExport::everyCellMatchesTheTables()
{
    Fixture f;
    const Parsed parsed = parseCsv(exportCsv(*f.data, f.state.settings, f.counters));
    QVERIFY2(parsed.error.isEmpty(), qPrintable(parsed.error));
    QCOMPARE(parsed.rows.size(), 1 + 4 * 99);
    QCOMPARE(parsed.rows[0], Header);
    const LoopData &d = *f.data;
    for (int l = 1; l <= 2; ++l) {
        for (const bool sensor : {true, false}) {
            for (int a = FirstAddress; a <= LastAddress; ++a) {
                const QStringList &cells = parsed.rows[rowOf(l, sensor, a)];
                QCOMPARE(cells.size(), Header.size());
                const AddressCounters &c = f.counters.at(a, l);
                const DeviceSide side = sensor ? DeviceSide::Sensor : DeviceSide::Module;
                QStringList expected = QStringList {
                    QString::number(l),
                    sensor ? u"sensore"_s : u"modulo"_s,
                    QString::number(a),
                    d.DeviceType.at(a, l),
                    QString::number(d.DeviceZone.at(a, l)),
                    d.DeviceText.at(a, l).trimmed(),
                    d.NotActivated.at(a, l) ? u"sì"_s : u"no"_s,
                };
                expected += sensor ? numbers({d.SensorAnalogue.at(a, l), d.SensorCurrent.at(a, l)})
                                   : numbers({d.ModuleAnalogue.at(a, l), d.ModuleCurrent.at(a, l)});
                expected += verdictText(addressFacts(d, f.state.settings, l, a, side).verdict);
                expected += sensor
                    ? numbers({d.SensorReadCount.at(a, l), d.OkCount.at(a, l),
                               d.OutOfRangeCount.at(a, l), d.FaultCount.at(a, l),
                               d.LastReadings[1].at(a, l), d.LastReadings[2].at(a, l),
                               d.LastReadings[3].at(a, l)})
                    : QStringList(7);
                expected += numbers({c.requests, c.validReplies, c.timeouts, c.discarded[0],
                                     c.discarded[1], c.discarded[2], c.discarded[3], c.reReads});
                QCOMPARE(cells.first(expected.size()), expected);
                const bool replied = c.validReplies > 0;
                const QString times = cells.sliced(25).join(u' ');
                QVERIFY2(replied ? isDecimalNear(cells[25], c.lastResponseMs)
                                 && isDecimalNear(cells[26], c.meanResponseMs())
                                 : cells[25].isEmpty() && cells[26].isEmpty(),
                         qPrintable(times));
                QVERIFY2(c.requests ? isDecimalNear(cells[27], c.validPercent())
                                    : cells[27].isEmpty(),
                         qPrintable(times));
            }
        }
    }
}

// Rows written out by hand: the cells as the spreadsheet shows them, "|" between them.
void TestCsvExport::literalRows_data()
{
    QTest::addColumn<qsizetype>("row");
    QTest::addColumn<QString>("cells");
    const QString none = u"||||||"_s;
    const QString counters5 = u"4|2|1|1|0|0|0|0|40,6|35,9|50,0"_s;
    const QString counters99 = u"3|3|0|0|1|1|1|2|1234,6|422,3|100,0"_s;
    QTest::newRow("sensor in range, separator and quotes")
        << rowOf(1, true, 5)
        << u"1|sensore|5|AUTOMATICO|12|UFFICIO; SALA \"A\"|no|450|15|OK|120|100|15|5|440|460|450|"_s
            + counters5;
    QTest::newRow("module out of range on these limits only")
        << rowOf(1, false, 5)
        << u"1|modulo|5|AUTOMATICO|12|UFFICIO; SALA \"A\"|no|2100|120|FUORI RANGE|"_s + none + u'|'
            + counters5;
    QTest::newRow("sensor out of range, line feed, a reply under a tenth of a millisecond")
        << rowOf(1, true, 6)
        << u"1|sensore|6|NON USATO|3|SOLO\nA CAPO|no|1001|15|FUORI RANGE|1|0|1|0|1001|0|0|"
           "3|1|1|0|1|0|0|0|0,0|0,0|33,3"_s;
    QTest::newRow("module reading 0 is a fault")
        << rowOf(1, false, 6)
        << u"1|modulo|6|NON USATO|3|SOLO\nA CAPO|no|0|15|GUASTO|"_s + none
            + u"|3|1|1|0|1|0|0|0|0,0|0,0|33,3"_s;
    QTest::newRow("extremes, accents, left out, never asked")
        << rowOf(1, true, 7)
        << u"1|sensore|7|FIAMMA ULTRAVIOLETTI|0|CORRIDOIO PIÙ À NORD|sì|-32768|0|GUASTO|"
           "32767|0|0|32767|-32768|0|32767|0|0|0|0|0|0|0|0|||"_s;
    QTest::newRow("conflict, carriage return in a description, response over a second")
        << rowOf(2, true, 99)
        << u"2|sensore|99|KELVARO|99|RIGA\rDUE|no|32767|45|CONFLITTO INDIRIZZI|"
           "3|0|3|0|32767|32767|32767|"_s
            + counters99;
    QTest::newRow("silent module")
        << rowOf(2, false, 99)
        << u"2|modulo|99|KELVARO|99|RIGA\rDUE|no|0|0|NON RISPONDE|"_s + none + u'|' + counters99;
    QTest::newRow("nothing downloaded, only a time-out")
        << rowOf(2, true, 1)
        << u"2|sensore|1||0||no|0|0|NON RISPONDE|0|0|0|0|0|0|0|1|0|1|0|0|0|0|0|||0,0"_s;
}

void TestCsvExport::literalRows()
{
    QFETCH(qsizetype, row);
    QFETCH(QString, cells);
    Fixture f;
    const Parsed parsed = parseCsv(exportCsv(*f.data, f.state.settings, f.counters));
    QVERIFY2(parsed.error.isEmpty(), qPrintable(parsed.error));
    QCOMPARE(parsed.rows.value(row), cells.split(u'|'));
}

void TestCsvExport::command_data()
{
    QTest::addColumn<QString>("answer"); // relative to a fresh folder; empty: cancelled
    QTest::addColumn<QString>("message"); // a pattern, %1 the path; empty: none shown
    QTest::addColumn<int>("icon");
    QTest::addColumn<bool>("written");
    QTest::newRow("written") << u"letture.csv"_s << u"^Letture esportate su file %1$"_s
                             << int(Prompts::Icon::None) << true;
    QTest::newRow("missing folder")
        << u"manca/letture.csv"_s
        << u"^Le letture non sono state esportate: impossibile creare il file %1 \\(.+\\)\\. "
           "Un eventuale file precedente resta invariato\\.$"_s
        << int(Prompts::Icon::Critical) << false;
    QTest::newRow("cancelled") << QString() << QString() << 0 << false;
}

// Each case exports twice: the second dialog offers the name chosen in the first.
void TestCsvExport::command()
{
    QFETCH(QString, answer);
    QFETCH(QString, message);
    QFETCH(int, icon);
    QFETCH(bool, written);
    QTemporaryDir dir;
    const QString path = answer.isEmpty() ? QString() : dir.filePath(answer);
    Fixture f;
    FakePrompts prompts;
    QStringList offered;
    CsvExportCommand command(*f.data, f.state, f.counters, prompts,
                             [&](QWidget *, const QString &last) {
                                 offered += last;
                                 return path;
                             });
    command.exportCsv();
    command.exportCsv();
    QCOMPARE(offered, QStringList({QString(), path}));
    QCOMPARE(prompts.messages.size(), message.isEmpty() ? 0 : 2);
    const QRegularExpression expected(message.isEmpty() ? QString()
                                                        : message.arg(QRegularExpression::escape(
                                                            QDir::toNativeSeparators(path))));
    for (const FakePrompts::Message &m : std::as_const(prompts.messages)) {
        QVERIFY2(expected.match(m.text).hasMatch(), qPrintable(m.text));
        QCOMPARE(int(m.icon), icon);
    }
    QFile file(path);
    QCOMPARE(file.exists(), written);
    if (written) {
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), exportCsv(*f.data, f.state.settings, f.counters));
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(),
             written ? 1 : 0);
}

void TestCsvExport::dialogSetUp()
{
    QFileDialog dialog;
    CsvExportCommand::configureDialog(dialog, u"/tmp/impianto.csv"_s);
    QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptSave);
    QCOMPARE(dialog.nameFilters(), QStringList {u"CSV (*.csv)"_s});
    QCOMPARE(dialog.defaultSuffix(), u"csv"_s);
    QVERIFY(!dialog.testOption(QFileDialog::DontConfirmOverwrite));
}

QTEST_MAIN(TestCsvExport)
#include "tst_csvexport.moc"
