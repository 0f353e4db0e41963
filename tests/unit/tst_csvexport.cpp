// The CSV export read back cell by cell against the tables and counters, and its command.
#include "link/SerialLink.h"
#include "loopdata/LoopTables.h"
#include "loopdata/SharedState.h"
#include "scan/AddressFacts.h"
#include "scan/CommunicationCounters.h"
#include "storage/CsvExport.h"
#include "tests/support/FakePrompts.h"
#include "ui/CsvExportCommand.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace testloop;
using namespace Qt::StringLiterals;
using Kind = ExchangeEvent::Kind;

namespace {

const QStringList TypeLabels = u"NON USATO|AUTOMATICO|FIAMMA ULTRAVIOLETTI|FIAMMA INFRAROSSI|"
                               "CAVO TERMOSENSIBILE|BASI INDIRIZZATE|KELVARO"_s.split(u'|');

// Separators, quotes, line breaks alone and in pairs, accents, blanks to trim, nothing.
const QStringList Texts
    = {u"UFFICIO; SALA A   "_s,   u"SOLO\nA CAPO"_s, u"RIGA\rDUE"_s,
       u"CORRIDOIO PIÙ À NORD"_s, QString(),         u"Zona – locale\r\nSCALA \"B\""_s};

struct Fixture
{
    std::unique_ptr<LoopData> data = std::make_unique<LoopData>();
    SharedState state;
    SerialLink line; // never opened: the test reports the exchange events itself
    CommunicationCounters counters {line};
    qint64 clockUs = 0;

    Fixture()
    {
        state.settings = {1, u"j00"_s, 3, 150, 300, 1000, 100, 500, 2000};
        for (int l = 1; l <= 2; ++l)
            for (int a = FirstAddress; a <= LastAddress; ++a)
                fill(l, a);
    }

    void report(Kind kind, int l, int a, qint64 afterUs, DiscardReason reason = {})
    {
        ExchangeEvent e = ExchangeEvent::now(kind, {ExchangeTag::Kind::Scan, l, a});
        if (kind == Kind::RequestOut)
            clockUs += 1'000'000;
        e.elapsedUs = clockUs + afterUs;
        e.reason = reason;
        line.report(e);
    }

    // In and out of range, 16-bit extremes, silences, nothing downloaded; every kind of event.
    void fill(int l, int a)
    {
        LoopData &d = *data;
        d.DeviceType.set(a, l, a % 10 ? TypeLabels[(a + l) % 7] : QString());
        d.DeviceText.set(a, l, Texts[(a + l) % Texts.size()]);
        AddressTable<qint16> *const tables[]
            = {&d.DeviceZone,      &d.NotActivated,  &d.SensorAnalogue,  &d.SensorCurrent,
               &d.ModuleAnalogue,  &d.ModuleCurrent, &d.SensorReadCount, &d.OkCount,
               &d.OutOfRangeCount, &d.FaultCount,    &d.LastReadings[1], &d.LastReadings[2],
               &d.LastReadings[3]};
        const bool silent = a % 13 == 0;
        const int values[] = {(a * 7 + l) % 100,
                              a % 9 == 0,
                              silent ? 0 : (a * 173 + l * 911) % 4000 - 100,
                              silent ? 0 : (a % 11 == 0 ? 45 : (a * 3 + l) % 20),
                              (a * 311 + l * 57) % 3000 - 50,
                              a % 8 == 0 ? 30 : 100 + a,
                              a * 300 + l,
                              a * 200,
                              a * 60,
                              a * 40 + l,
                              a * 50 + 7 + l - 200,
                              a * 50 + 14 + l,
                              -a * 3 - l};
        for (std::size_t i = 0; i < std::size(tables); ++i)
            tables[i]->set(a, l, a == 23 + l ? qint16(i % 2 ? 32767 : -32768) : qint16(values[i]));
        if (a % 3 == 0)
            return; // never asked
        for (int i = 0; i < (a + 2 * l) % 5; ++i) {
            report(Kind::RequestOut, l, a, 0);
            if (i % 2)
                report(Kind::TimedOut, l, a, 500'000);
            else // from 40 microseconds to over a second
                report(Kind::ReplyAccepted, l, a, a % 7 ? a * 12'345 + l * 100 + i * 10 + 7 : 40);
        }
        if (a % 5 == 0)
            report(Kind::ReRead, l, a, 0);
        if (a % 4 == 1) // without a request of its own for NotAwaited
            report(Kind::ReplyDiscarded, l, a, 0, DiscardReason(a / 4 % 4));
    }
};

// Strict CSV: byte-order mark, UTF-8, ';', CR LF after every row, "" in quoted fields; else none.
std::optional<QList<QStringList>> parseCsv(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes.mid(3));
    if (!bytes.startsWith("\xEF\xBB\xBF") || utf8.hasError())
        return std::nullopt;
    static const QRegularExpression field(uR"(("(?:[^"]|"")*")(;|\r\n)|([^;"\r\n]*)(;|\r\n))"_s);
    QList<QStringList> rows {{}};
    for (qsizetype at = 0; at < text.size();) {
        const auto m = field.match(text, at, QRegularExpression::NormalMatch,
                                   QRegularExpression::AnchorAtOffsetMatchOption);
        if (!m.hasMatch())
            return std::nullopt;
        const QString quoted = m.captured(1);
        rows.last() += quoted.isEmpty() ? m.captured(3)
                                        : quoted.sliced(1).chopped(1).replace(u"\"\""_s, u"\""_s);
        if (m.captured(2) + m.captured(4) != u";")
            rows += QStringList();
        at = m.capturedEnd();
    }
    rows.removeLast();
    return rows;
}

QString decimal(bool given, double value)
{
    return given ? QString::number(value, 'f', 1).replace(u'.', u',') : QString();
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

} // namespace

class TestCsvExport : public QObject
{
    Q_OBJECT
private slots:
    void everyCellMatchesTheTables();
    void command_data();
    void command();
};

// Rows in order: loop 1 sensors, loop 1 modules, loop 2 sensors, loop 2 modules.
void TestCsvExport::everyCellMatchesTheTables()
{
    Fixture f;
    const auto parsed = parseCsv(exportCsv(*f.data, f.state.settings, f.counters));
    QVERIFY(parsed);
    QCOMPARE(parsed->size(), 1 + 4 * 99);
    QCOMPARE(parsed->first(), Header);
    const LoopData &d = *f.data;
    qsizetype row = 0;
    for (int l = 1; l <= 2; ++l) {
        for (const bool sensor : {true, false}) {
            for (int a = FirstAddress; a <= LastAddress; ++a) {
                const AddressCounters &c = f.counters.at(a, l);
                const DeviceSide side = sensor ? DeviceSide::Sensor : DeviceSide::Module;
                QStringList expected = numbers({l})
                    << (sensor ? u"sensore"_s : u"modulo"_s) << QString::number(a)
                    << d.DeviceType.at(a, l) << QString::number(d.DeviceZone.at(a, l))
                    << d.DeviceText.at(a, l).trimmed()
                    << (d.NotActivated.at(a, l) == 1 ? u"sì"_s : u"no"_s);
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
                expected << decimal(c.validReplies > 0, c.lastResponseMs)
                         << decimal(c.validReplies > 0, c.meanResponseMs())
                         << decimal(c.requests > 0, c.validPercent());
                QCOMPARE(parsed->at(++row), expected);
            }
        }
    }
}

void TestCsvExport::command_data()
{
    QTest::addColumn<QString>("answer"); // relative to a fresh folder; empty: cancelled
    QTest::addColumn<QString>("message"); // a pattern, %1 the path; empty: none shown
    QTest::addColumn<int>("icon");
    QTest::newRow("written") << u"letture.csv"_s << u"^Letture esportate su file %1$"_s
                             << int(Prompts::Icon::None);
    QTest::newRow("missing folder")
        << u"manca/letture.csv"_s
        << u"^Le letture non sono state esportate: impossibile creare il file %1 \\(.+\\)\\. "
           "Un eventuale file precedente resta invariato\\.$"_s
        << int(Prompts::Icon::Critical);
    QTest::newRow("cancelled") << QString() << QString() << 0;
}

// Each case exports twice: the second dialog offers the name chosen in the first.
void TestCsvExport::command()
{
    QFETCH(QString, answer);
    QFETCH(QString, message);
    QFETCH(int, icon);
    const bool written = icon == int(Prompts::Icon::None) && !message.isEmpty();
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
    const QRegularExpression expected(
        message.arg(QRegularExpression::escape(QDir::toNativeSeparators(path))));
    for (const FakePrompts::Message &m : std::as_const(prompts.messages)) {
        QVERIFY2(expected.match(m.text).hasMatch(), qPrintable(m.text));
        QCOMPARE(int(m.icon), icon);
    }
    QFile file(path);
    QCOMPARE(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray(),
             written ? exportCsv(*f.data, f.state.settings, f.counters) : QByteArray());
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(),
             written ? 1 : 0);
}

QTEST_MAIN(TestCsvExport)
#include "tst_csvexport.moc"
