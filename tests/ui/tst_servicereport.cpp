// The service report: who is counted as silent, the details asked once and remembered, the
// PDF written from a download and a scan of the test installation, read back with pdftotext,
// and the saves that fail.
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

using namespace testloop;
using namespace testsupport;
using namespace Qt::StringLiterals;

namespace {

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

class TestServiceReport : public QObject
{
    Q_OBJECT
private slots:
    void silentCounts();
    void pdfOfTestInstallation();
    void detailsRemembered();
    void nothingWritten_data();
    void nothingWritten();
    void fileDialog();
};

// Who is counted as silent: nobody without a download (the reader is told why); with one, not
// a sensor the download lists where a module answers, nor anyone on a loop never read.
void TestServiceReport::silentCounts()
{
    sim::ResponderTransport link(sim::Installation {});
    const CommunicationCounters counters(link);
    LoopData data;
    data.SensorAnalogue.set(9, 1, 500);
    data.SensorCurrent.set(9, 1, 15);
    const ServiceReport bare = buildServiceReport(data, Settings {}, counters, {});
    QVERIFY(bare.note.startsWith(u"La configurazione non è stata scaricata"_s));
    QCOMPARE(bare.sections.value(0).summaryCells().join(u' '),
             u"Loop 1 sensori 1 1 0 0 0 \u2013"_s);

    for (const int address : {4, 9})
        data.DeviceType.set(address, 1, u"AUTOMATICO"_s);
    data.DeviceType.set(1, 2, u"AUTOMATICO"_s);
    data.ModuleAnalogue.set(4, 1, 500);
    data.ModuleCurrent.set(4, 1, 15);
    const ServiceReport report = buildServiceReport(data, Settings {}, counters, {});
    QVERIFY(report.note.isEmpty() && report.anomalies.isEmpty());
    QStringList summaries;
    for (const ReportSection &section : report.sections)
        summaries.append(section.summaryCells().join(u' '));
    QCOMPARE(summaries,
             (QStringList {u"Loop 1 sensori 1 1 0 0 0 0"_s, u"Loop 1 moduli 1 1 0 0 0 \u2013"_s,
                           u"Loop 2 sensori nessuna lettura"_s}));
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
    // A whole pass each, stopped as address 1 is asked again; sensor 6 of loop 1 and the 49
    // silent sensors of loop 2 are asked three times.
    const auto pass = [&b](int loop, ScanMode mode, qsizetype requestsSoFar) {
        b.shared.SelectedLoop = QString::number(loop);
        b.cycle.setMode(mode);
        b.cycle.start();
        return b.scanFor(requestsSoFar);
    };
    QVERIFY(pass(1, ScanMode::Sensors, 102));
    QVERIFY(pass(1, ScanMode::Modules, 202));
    QVERIFY(pass(2, ScanMode::Sensors, 400));
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

// The details are asked on the first report only, trimmed, an empty one taken as given;
// "Dati del rapporto..." asks them all again showing the ones kept: empty keeps, typed replaces.
void TestServiceReport::detailsRemembered()
{
    EngineBench b;
    QTemporaryDir dir;
    const QString preferences = dir.filePath(u"preferenze.ini"_s);
    {
        WriterBench first(b, preferences, dir.filePath(u"primo.pdf"_s));
        first.prompts.typed = QStringList {u"Vele"_s, u" Rossi "_s, QString()};
        first.writer.writeReport();
        QCOMPARE(first.prompts.questions, ReportPeoplePrompts);
    }
    WriterBench second(b, preferences, dir.filePath(u"secondo.pdf"_s));
    second.writer.writeReport();
    QVERIFY(second.prompts.questions.isEmpty());
    QVERIFY(
        readPdf(second.file).flat.contains(u"Impianto Vele Cliente Rossi Tecnico \u2013 Data"_s));

    second.prompts.typed = QStringList {QString(), u"Verdi"_s};
    QVERIFY(!second.writer.askDetails()); // cancelled at the third: nothing changes
    second.prompts.typed = QStringList {QString(), u"Verdi"_s, u"Neri"_s};
    QVERIFY(second.writer.askDetails());
    QCOMPARE(
        second.prompts.questions.mid(3),
        (QStringList {u"Impianto (sito)\n(ora: Vele; lasciare vuoto per mantenerlo)"_s,
                      u"Cliente\n(ora: Rossi; lasciare vuoto per mantenerlo)"_s, u"Tecnico"_s}));
    second.writer.writeReport();
    QCOMPARE(second.prompts.questions.size(), 6);
    QVERIFY(readPdf(second.file).flat.contains(u"Impianto Vele Cliente Verdi Tecnico Neri"_s));
}

// A folder that does not exist is told and leaves nothing; a cancelled chooser or details
// write nothing and tell nothing.
void TestServiceReport::nothingWritten_data()
{
    QTest::addColumn<QString>("file"); // in the test's folder; empty: the chooser is cancelled
    QTest::addColumn<bool>("detailsGiven");
    QTest::newRow("missing folder") << u"manca/rapporto.pdf"_s << true;
    QTest::newRow("chooser cancelled") << QString() << true;
    QTest::newRow("details cancelled") << u"rapporto.pdf"_s << false;
}

void TestServiceReport::nothingWritten()
{
    QFETCH(QString, file);
    QFETCH(bool, detailsGiven);
    EngineBench b;
    QTemporaryDir dir;
    const QString path = file.isEmpty() ? QString() : dir.filePath(file);
    WriterBench w(b, dir.filePath(u"preferenze.ini"_s), path);
    if (detailsGiven)
        w.prompts.typed = QStringList {u"Vele"_s, u"Rossi"_s, u"Bianchi"_s};
    w.writer.writeReport();
    QCOMPARE(w.chosen, detailsGiven ? 1 : 0);
    QCOMPARE(w.prompts.messages.size(), detailsGiven && !path.isEmpty() ? 1 : 0);
    for (const FakePrompts::Message &message : std::as_const(w.prompts.messages)) {
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
