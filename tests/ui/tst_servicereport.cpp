// The service report: its content built from the tables (counts, anomalies, rows), the
// details asked once and remembered, and the PDF written from a download and a scan of the
// test installation, read back with pdftotext.
#include "scan/CommunicationCounters.h"
#include "storage/ServiceReport.h"
#include "tests/support/EngineBench.h"
#include "tests/support/FakePrompts.h"
#include "ui/ServiceReportWriter.h"
#include "ui/UserPreferences.h"

#include <QDir>
#include <QFileDialog>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace testloop;
using namespace testsupport;
using namespace Qt::StringLiterals;

namespace {

// One entry of the tables: a downloaded type (empty: none) and a reading (0/0: silent).
struct Poke
{
    int loop;
    int address;
    DeviceSide side;
    QString type;
    qint16 analogue;
    qint16 current;
};

const QString Automatic = u"AUTOMATICO"_s;

LoopData poked(const QList<Poke> &pokes)
{
    LoopData data;
    for (const Poke &p : pokes) {
        if (!p.type.isEmpty())
            data.DeviceType.set(p.address, p.loop, p.type);
        const bool sensor = p.side == DeviceSide::Sensor;
        (sensor ? data.SensorAnalogue : data.ModuleAnalogue).set(p.address, p.loop, p.analogue);
        (sensor ? data.SensorCurrent : data.ModuleCurrent).set(p.address, p.loop, p.current);
    }
    return data;
}

const ReportSection *findSection(const ServiceReport &report, const QString &title)
{
    for (const ReportSection &section : report.sections) {
        if (section.title == title)
            return &section;
    }
    return nullptr;
}

// Runs one whole pass over a loop in a mode. The cycle stops as the first request of the next
// pass goes out: that request is counted at address 1 and its reply is lost.
bool scanOnePass(EngineBench &b, int loop, ScanMode mode)
{
    b.shared.SelectedLoop = QString::number(loop);
    b.cycle.setMode(mode);
    const auto halting = QObject::connect(
        &b.link, &Transport::exchangeEvent, &b.link, [&b](const ExchangeEvent &event) {
            if (event.kind == ExchangeEvent::Kind::RequestOut && b.cycle.passNumber() >= 2)
                b.cycle.halt();
        });
    b.cycle.start();
    const bool stopped = waitUntil([&] { return !b.cycle.isRunning(); });
    QObject::disconnect(halting);
    return stopped && waitUntil([&] { return b.link.repliesUnderWay() == 0; });
}

// The text of a PDF with every run of blanks and line ends made one blank, and its pages.
struct PdfText
{
    QString flat;
    QStringList pages;
};

PdfText readPdf(const QString &path)
{
    QProcess pdftotext;
    pdftotext.start(u"pdftotext"_s, {u"-layout"_s, path, u"-"_s});
    pdftotext.waitForFinished(120000);
    const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
    PdfText read {text.simplified(), text.split(u'\f')};
    for (QString &page : read.pages)
        page = page.simplified();
    read.pages.removeAll(QString());
    return read;
}

const QDateTime Moment(QDate(2024, 3, 5), QTime(14, 7, 9));

// The writer of one test, on its own preferences file; the chooser answers with path.
struct WriterBench
{
    explicit WriterBench(EngineBench &b, const QString &preferencesPath, QString path = {})
        : counters(b.link)
        , preferences(preferencesPath)
        , writer(*b.data, b.shared, counters, b.link, preferences, prompts,
                 [this](QWidget *, const QString &) {
                     ++chosen;
                     return file;
                 })
        , file(std::move(path))
    {
        writer.setClock([] { return Moment; });
    }

    CommunicationCounters counters;
    UserPreferences preferences;
    FakePrompts prompts;
    ServiceReportWriter writer;
    QString file;
    int chosen = 0;
};

} // namespace

Q_DECLARE_METATYPE(QList<Poke>)
Q_DECLARE_METATYPE(ReportPeople)

class TestServiceReport : public QObject
{
    Q_OBJECT
private slots:
    void content_data();
    void content();
    void rowCells();
    void askPeople_data();
    void askPeople();
    void pdfOfTestInstallation();
    void detailsRemembered();
    void nothingWritten_data();
    void nothingWritten();
    void fileDialog();
};

void TestServiceReport::content_data()
{
    QTest::addColumn<QList<Poke>>("pokes");
    QTest::addColumn<QString>("section");
    // found, in range, out of range, faulty, conflicts, not answering (-1: not counted)
    QTest::addColumn<QList<int>>("counts");
    QTest::addColumn<QList<int>>("rows"); // the addresses of the table
    QTest::addColumn<QStringList>("anomalies");

    const auto S = DeviceSide::Sensor;
    const auto M = DeviceSide::Module;
    QTest::newRow("no download: silent addresses are not counted")
        << QList<Poke> {{1, 4, S, {}, 500, 15}, {1, 9, S, {}, 100, 15}} << u"Loop 1 sensori"_s
        << QList<int> {2, 1, 0, 1, 0, -1} << QList<int> {4, 9}
        << QStringList {u"Loop 1, sensore 9: GUASTO, valore analogico VA100 (soglia di guasto "
                        "200), corrente 15."_s};
    QTest::newRow("listed and silent")
        << QList<Poke> {{1, 1, S, Automatic, 500, 15},
                        {1, 2, S, Automatic, 0, 0},
                        {1, 3, S, u"NON USATO"_s, 0, 0}}
        << u"Loop 1 sensori"_s << QList<int> {1, 1, 0, 0, 0, 1} << QList<int> {1, 2}
        << QStringList {u"Loop 1, sensore 2: NON RISPONDE, la configurazione scaricata elenca "
                        "un dispositivo AUTOMATICO in zona 0."_s};
    QTest::newRow("a module answers where the download lists a device")
        << QList<Poke> {{2, 4, S, Automatic, 0, 0},
                        {2, 4, M, {}, 500, 15},
                        {2, 5, S, Automatic, 500, 15}}
        << u"Loop 2 sensori"_s << QList<int> {1, 1, 0, 0, 0, 0} << QList<int> {4, 5}
        << QStringList();
    QTest::newRow("answering where the download lists nothing")
        << QList<Poke> {{2, 9, S, u"NON USATO"_s, 1600, 15}} << u"Loop 2 sensori"_s
        << QList<int> {1, 0, 1, 0, 0, 0} << QList<int> {9}
        << QStringList {u"Loop 2, sensore 9: FUORI RANGE, valore analogico VA1600 fuori dai "
                        "limiti 400 e 1500, corrente 15."_s,
                        u"Loop 2, sensore 9: risponde (valore analogico VA1600, corrente 15) dove "
                        "la configurazione scaricata indica NON USATO."_s};
    QTest::newRow("modules: conflict and a reading of 0")
        << QList<Poke> {{1, 20, M, {}, 0, 15}, {1, 21, M, {}, 500, 30}, {1, 22, M, {}, 3000, 15}}
        << u"Loop 1 moduli"_s << QList<int> {3, 0, 1, 1, 1, -1} << QList<int> {20, 21, 22}
        << QStringList {u"Loop 1, modulo 20: GUASTO, valore analogico VA0 (soglia di guasto "
                        "200), corrente 15."_s,
                        u"Loop 1, modulo 21: CONFLITTO INDIRIZZI, corrente 30 (due dispositivi "
                        "allo stesso indirizzo), valore analogico VA500."_s,
                        u"Loop 1, modulo 22: FUORI RANGE, valore analogico VA3000 fuori dai "
                        "limiti 400 e 2500, corrente 15."_s};
    // The download lists loop 2, but loop 2 was never read: nothing there is missing.
    QTest::newRow("a loop not read")
        << QList<Poke> {{1, 1, S, Automatic, 500, 15}, {2, 1, S, Automatic, 0, 0}}
        << u"Loop 2 sensori"_s << QList<int> {0, 0, 0, 0, 0, -1} << QList<int>() << QStringList();
}

void TestServiceReport::content()
{
    QFETCH(QList<Poke>, pokes);
    QFETCH(QString, section);
    QFETCH(QList<int>, counts);
    QFETCH(QList<int>, rows);
    QFETCH(QStringList, anomalies);

    sim::ResponderTransport link(sim::Installation {});
    const CommunicationCounters counters(link);
    const LoopData data = poked(pokes);
    const ServiceReport report = buildServiceReport(data, Settings {}, counters, {});
    const ReportSection *found = findSection(report, section);
    QVERIFY(found);
    const ReportSummary &s = found->summary;
    QCOMPARE((QList<int> {s.found, s.inRange, s.outOfRange, s.faulty, s.conflicts,
                          s.notAnswering.value_or(-1)}),
             counts);
    QList<int> addresses;
    for (const ReportRow &row : found->rows)
        addresses.append(row.address);
    QCOMPARE(addresses, rows);
    QCOMPARE(report.anomalies, anomalies);
    // Without a download the reader is told why nothing is counted as silent.
    const bool downloaded = std::any_of(pokes.cbegin(), pokes.cend(),
                                        [](const Poke &p) { return !p.type.isEmpty(); });
    QCOMPARE(report.note.isEmpty(), downloaded);
}

// A sensor's row shows the stored values and the share of valid replies with a decimal comma;
// a module's row counts no readings.
void TestServiceReport::rowCells()
{
    sim::ResponderTransport link(sim::Installation {});
    const CommunicationCounters counters(link);
    const ExchangeTag tag {ExchangeTag::Kind::Scan, 1, 5};
    for (const auto kind : {ExchangeEvent::Kind::RequestOut, ExchangeEvent::Kind::ReplyAccepted,
                            ExchangeEvent::Kind::RequestOut, ExchangeEvent::Kind::TimedOut,
                            ExchangeEvent::Kind::RequestOut, ExchangeEvent::Kind::ReplyAccepted})
        link.report(ExchangeEvent::now(kind, tag));
    LoopData data = poked({{1, 5, DeviceSide::Sensor, u"FIAMMA ULTRAVIOLETTI"_s, 450, 15},
                           {1, 5, DeviceSide::Module, {}, 50, 15}});
    data.DeviceZone.set(5, 1, 3);
    data.DeviceText.set(5, 1, u"UFFICIO 3            "_s);
    data.SensorReadCount.set(5, 1, 2);
    const ServiceReport report = buildServiceReport(data, Settings {}, counters, {});
    QCOMPARE(findSection(report, u"Loop 1 sensori"_s)->rows.value(0).cells(),
             (QStringList {u"5"_s, u"FIAMMA ULTRAVIOLETTI"_s, u"3"_s, u"UFFICIO 3"_s, u"VA450"_s,
                           u"15"_s, u"OK"_s, u"2"_s, u"66,7 %"_s}));
    QCOMPARE(findSection(report, u"Loop 1 moduli"_s)->rows.value(0).cells(),
             (QStringList {u"5"_s, u"FIAMMA ULTRAVIOLETTI"_s, u"3"_s, u"UFFICIO 3"_s, u"VA50"_s,
                           u"15"_s, u"GUASTO"_s, u"\u2013"_s, u"66,7 %"_s}));
}

void TestServiceReport::askPeople_data()
{
    QTest::addColumn<ReportPeople>("remembered");
    QTest::addColumn<bool>("all");
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<QStringList>("answers"); // empty: cancelled

    const ReportPeople none;
    const ReportPeople given {u"Vele"_s, u"Rossi Spa"_s, QString()};
    QTest::newRow("first time: all three")
        << none << false << QStringList {u"Vele"_s, u" Rossi Spa "_s, u"Bianchi"_s}
        << ReportPeoplePrompts << QStringList {u"Vele"_s, u"Rossi Spa"_s, u"Bianchi"_s};
    // An empty technician was given and is not asked again.
    QTest::newRow("remembered: nothing asked")
        << given << false << QStringList() << QStringList()
        << QStringList {u"Vele"_s, u"Rossi Spa"_s, QString()};
    QTest::newRow("only the one missing")
        << ReportPeople {u"Vele"_s, std::nullopt, u"Bianchi"_s} << false
        << QStringList {u"Rossi Spa"_s} << QStringList {u"Cliente"_s}
        << QStringList {u"Vele"_s, u"Rossi Spa"_s, u"Bianchi"_s};
    QTest::newRow("asked again: empty keeps, typed replaces")
        << given << true << QStringList {QString(), u"Verdi Srl"_s, u"Neri"_s}
        << QStringList {u"Impianto (sito)\n(ora: Vele; lasciare vuoto per mantenerlo)"_s,
                        u"Cliente\n(ora: Rossi Spa; lasciare vuoto per mantenerlo)"_s, u"Tecnico"_s}
        << QStringList {u"Vele"_s, u"Verdi Srl"_s, u"Neri"_s};
    QTest::newRow("cancelled at the second") << none << false << QStringList {u"Vele"_s}
                                             << ReportPeoplePrompts.mid(0, 2) << QStringList();
}

void TestServiceReport::askPeople()
{
    QFETCH(ReportPeople, remembered);
    QFETCH(bool, all);
    QFETCH(QStringList, typed);
    QFETCH(QStringList, asked);
    QFETCH(QStringList, answers);

    FakePrompts prompts;
    prompts.typed = typed;
    const std::optional<ReportPeople> people
        = askReportPeople(prompts, ServiceReportWriter::DetailsTitle, remembered, all);
    QCOMPARE(prompts.questions, asked);
    QCOMPARE(people.has_value(), !answers.isEmpty());
    for (qsizetype i = 0; people && i < answers.size(); ++i)
        QCOMPARE(people->at(std::size_t(i)).value_or(u"<none>"_s), answers[i]);
}

// The test installation downloaded and scanned: loop 1's sensors and modules, loop 2's
// sensors. Then sensor 5 of loop 1 ("UFFICIO 3") falls silent and a device answers at 60 of
// loop 2, where the download found none.
void TestServiceReport::pdfOfTestInstallation()
{
    EngineBench b;
    QTemporaryDir dir;
    const QString path = dir.filePath(u"rapporto.pdf"_s);
    WriterBench w(b, dir.filePath(u"preferenze.ini"_s), path);
    b.link.setDeviceName(u"/dev/ttyUSB0"_s);
    b.download.start();
    QVERIFY(waitUntil([&] { return !b.download.isRunning(); }));
    QVERIFY(scanOnePass(b, 1, ScanMode::Sensors));
    QVERIFY(scanOnePass(b, 1, ScanMode::Modules));
    QVERIFY(scanOnePass(b, 2, ScanMode::Sensors));
    b.data->SensorAnalogue.set(5, 1, 0);
    b.data->SensorCurrent.set(5, 1, 0);
    b.data->SensorAnalogue.set(60, 2, 450);
    b.data->SensorCurrent.set(60, 2, 15);

    w.prompts.typed = QStringList {u"Centro Le Vele"_s, u"Rossi Spa"_s, u"Mario Bianchi"_s};
    w.writer.writeReport();
    QCOMPARE(w.prompts.questions, ReportPeoplePrompts);
    QCOMPARE(w.prompts.messages.size(), 1);
    QCOMPARE(w.prompts.messages[0].text, u"Rapporto salvato su file "_s + path);
    QCOMPARE(w.prompts.messages[0].icon, Prompts::Icon::None);

    const PdfText pdf = readPdf(path);
    QVERIFY2(!pdf.pages.isEmpty(), "nothing read back: scripts/install-deps installs pdftotext");
    const QStringList expected = {
        u"Rapporto di manutenzione"_s,
        u"Impianto Centro Le Vele"_s,
        u"Cliente Rossi Spa"_s,
        u"Tecnico Mario Bianchi"_s,
        u"Data e ora 05/03/2024 14:07"_s,
        u"Versione del programma TestLoop " TESTLOOP_VERSION ""_s,
        u"Codice scheda j00"_s,
        u"Dispositivo seriale /dev/ttyUSB0"_s,
        u"Soglie sensori guasto sotto 200, limiti 400 e 1500"_s,
        u"Soglie moduli guasto sotto 200, limiti 400 e 2500"_s,
        // found, in range, out of range, faulty, conflicts, not answering
        u"Loop 1 sensori 98 94 2 1 1 1"_s,
        u"Loop 1 moduli 3 1 0 1 1 \u2013"_s,
        u"Loop 2 sensori 51 51 0 0 0 0"_s,
        u"Anomalie (8)"_s,
        u"Loop 1, sensore 3: FUORI RANGE, valore analogico VA300 fuori dai limiti 400 e 1500, "
        "corrente 15."_s,
        u"Loop 1, sensore 5 \"UFFICIO 3\": NON RISPONDE, la configurazione scaricata elenca un "
        "dispositivo FIAMMA ULTRAVIOLETTI in zona 3."_s,
        u"Loop 1, sensore 6: GUASTO, valore analogico VA100 (soglia di guasto 200), corrente 15."_s,
        u"Loop 1, sensore 7: CONFLITTO INDIRIZZI, corrente 42 (due dispositivi allo stesso "
        "indirizzo), valore analogico VA500."_s,
        u"Loop 1, sensore 8: FUORI RANGE, valore analogico VA2000 fuori dai limiti 400 e 1500, "
        "corrente 15."_s,
        u"Loop 1, modulo 11: GUASTO, valore analogico VA50 (soglia di guasto 200), corrente 15."_s,
        u"Loop 1, modulo 12: CONFLITTO INDIRIZZI, corrente 30 (due dispositivi allo stesso "
        "indirizzo), valore analogico VA600."_s,
        u"Loop 2, sensore 60: risponde (valore analogico VA450, corrente 15) dove la "
        "configurazione scaricata indica NON USATO."_s,
        // Address 1 was asked once more as each scan stopped, in both modes: 2 of 4.
        u"Loop 1 sensori: letture per indirizzo"_s,
        u"1 AUTOMATICO 1 VA500 15 OK 1 50,0 %"_s,
        u"5 FIAMMA ULTRAVIOLETTI 3 UFFICIO 3 VA0 0 NON RISPONDE 1 100,0 %"_s,
        u"6 AUTOMATICO 1 VA100 15 GUASTO 1 100,0 %"_s,
        u"Loop 1 sensori: griglia"_s,
        u"Loop 1 moduli: letture per indirizzo"_s,
        u"12 AUTOMATICO 1 VA600 30 CONFLITTO INDIRIZZI \u2013 100,0 %"_s,
        u"Loop 1 moduli: griglia"_s,
        u"Loop 2 sensori: letture per indirizzo"_s,
        u"1 KELVARO 1 VA600 15 OK 1 50,0 %"_s,
        u"Loop 2 sensori: griglia"_s,
    };
    // In this order.
    qsizetype from = 0;
    for (const QString &text : expected) {
        const qsizetype at = pdf.flat.indexOf(text, from);
        QVERIFY2(at >= 0, qPrintable(u"missing after %1: %2"_s.arg(from).arg(text)));
        from = at + text.size();
    }

    // The grid pictures show the 48 silent addresses the download found unused (loop 2,
    // 51..99 but 60) as absent.
    QCOMPARE(pdf.flat.count(u"assente"_s), 48);

    // Every page is numbered, and every page holding a table row holds the table's heading.
    const QString heading = ServiceReport::TableHeadings.mid(0, 8).join(u' ');
    const QRegularExpression tableRow(u"\\d (AUTOMATICO|KELVARO) \\d+ VA\\d+ "_s);
    const qsizetype count = pdf.pages.size();
    QVERIFY(count >= 4);
    for (qsizetype page = 0; page < count; ++page) {
        const QString &text = pdf.pages[page];
        QVERIFY2(text.endsWith(u"Pagina %1 di %2"_s.arg(page + 1).arg(count)), qPrintable(text));
        QVERIFY2(!text.contains(tableRow) || text.contains(heading),
                 qPrintable(u"page %1 without the heading"_s.arg(page + 1)));
    }
}

// The details are asked on the first report only; "Dati del rapporto..." asks them again.
void TestServiceReport::detailsRemembered()
{
    EngineBench b;
    QTemporaryDir dir;
    const QString preferences = dir.filePath(u"preferenze.ini"_s);
    {
        WriterBench first(b, preferences, dir.filePath(u"primo.pdf"_s));
        first.prompts.typed = QStringList {u"Vele"_s, u"Rossi"_s, u"Bianchi"_s};
        first.writer.writeReport();
        QCOMPARE(first.prompts.questions.size(), 3);
    }
    WriterBench second(b, preferences, dir.filePath(u"secondo.pdf"_s));
    second.writer.writeReport();
    QVERIFY(second.prompts.questions.isEmpty());
    QVERIFY(readPdf(second.file).flat.contains(u"Impianto Vele Cliente Rossi Tecnico Bianchi"_s));

    second.prompts.typed = QStringList {QString(), u"Verdi"_s};
    QVERIFY(!second.writer.askDetails()); // cancelled at the third: nothing changes
    second.prompts.typed = QStringList {QString(), u"Verdi"_s, QString()};
    QVERIFY(second.writer.askDetails());
    QCOMPARE(second.prompts.questions.size(), 6);
    second.writer.writeReport();
    QCOMPARE(second.prompts.questions.size(), 6);
    QVERIFY(readPdf(second.file).flat.contains(u"Impianto Vele Cliente Verdi Tecnico Bianchi"_s));
}

void TestServiceReport::nothingWritten_data()
{
    QTest::addColumn<QString>("file"); // in the test's folder; empty: the chooser is cancelled
    QTest::addColumn<bool>("detailsGiven");
    QTest::addColumn<int>("chosen");
    QTest::addColumn<bool>("told");

    QTest::newRow("missing folder") << u"manca/rapporto.pdf"_s << true << 1 << true;
    QTest::newRow("chooser cancelled") << QString() << true << 1 << false;
    QTest::newRow("details cancelled") << u"rapporto.pdf"_s << false << 0 << false;
}

void TestServiceReport::nothingWritten()
{
    QFETCH(QString, file);
    QFETCH(bool, detailsGiven);
    QFETCH(int, chosen);
    QFETCH(bool, told);

    EngineBench b;
    QTemporaryDir dir;
    const QString path = file.isEmpty() ? QString() : dir.filePath(file);
    WriterBench w(b, dir.filePath(u"preferenze.ini"_s), path);
    if (detailsGiven)
        w.prompts.typed = QStringList {u"Vele"_s, u"Rossi"_s, u"Bianchi"_s};
    w.writer.writeReport();
    QCOMPARE(w.chosen, chosen);
    QCOMPARE(w.prompts.messages.size(), told ? 1 : 0);
    if (told) {
        const FakePrompts::Message &message = w.prompts.messages[0];
        QVERIFY2(message.text.startsWith(u"Il rapporto non è stato salvato: impossibile "_s)
                     && message.text.contains(path),
                 qPrintable(message.text));
        QCOMPARE(message.icon, Prompts::Icon::Critical);
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
             QStringList {u"preferenze.ini"_s}.mid(0, detailsGiven ? 1 : 0));
}

void TestServiceReport::fileDialog()
{
    QFileDialog dialog;
    ServiceReportWriter::configureDialog(dialog, u"rapporto"_s);
    QCOMPARE(dialog.nameFilters(), QStringList {u"PDF (*.pdf)"_s});
    QCOMPARE(dialog.defaultSuffix(), u"pdf"_s);
    QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptSave);
}

QTEST_MAIN(TestServiceReport)
#include "tst_servicereport.moc"
