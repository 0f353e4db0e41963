// The service report: silent devices, the PDF read back with pdftotext, details, failed saves.
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

QStringList readPdf(const QString &path)
{
    QProcess pdftotext;
    pdftotext.start(u"pdftotext"_s, {u"-layout"_s, path, u"-"_s});
    pdftotext.waitForFinished(120000);
    QStringList pages = QString::fromUtf8(pdftotext.readAllStandardOutput()).split(u'\f');
    for (QString &page : pages)
        page = page.simplified();
    pages.removeAll(QString());
    return pages;
}

const QDateTime Moment(QDate(2024, 3, 5), QTime(14, 7, 9));

struct WriterBench
{
    // The preferences and the chosen file (none when empty) in dir.
    WriterBench(EngineBench &b, const QTemporaryDir &dir, const QString &name)
        : counters(b.link)
        , preferences(dir.filePath(u"preferenze.ini"_s))
        , writer(*b.data, b.shared, counters, b.link, preferences, prompts,
                 [this](QWidget *, const QString &) {
                     ++chosen;
                     return file;
                 })
        , file(name.isEmpty() ? QString() : dir.filePath(name))
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

// Silent: nobody without a download, nor a sensor where a module answers, nor a loop unread.
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

    for (const auto &[address, loop] : {std::pair {4, 1}, {9, 1}, {1, 2}})
        data.DeviceType.set(address, loop, u"AUTOMATICO"_s);
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

// The test installation downloaded and scanned, then sensor 5 of loop 1 falls silent and a
// device answers at 60 of loop 2, where the download found none.
void TestServiceReport::pdfOfTestInstallation()
{
    EngineBench b;
    QTemporaryDir dir;
    WriterBench w(b, dir, u"rapporto.pdf"_s);
    b.link.setDeviceName(u"/dev/ttyUSB0"_s);
    b.download.start();
    QVERIFY(waitUntil([&] { return !b.download.isRunning(); }));
    // A pass each; sensor 6 of loop 1 and loop 2's 49 silent sensors are asked three times.
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
    QCOMPARE(w.prompts.messages[0].text, u"Rapporto salvato su file "_s + w.file);
    QCOMPARE(w.prompts.messages[0].icon, Prompts::Icon::None);

    const QStringList pages = readPdf(w.file);
    const QString flat = pages.join(u' ');
    QVERIFY2(!pages.isEmpty(), "nothing read back: scripts/install-deps installs pdftotext");
    const QStringList expected = {
        u"Rapporto di manutenzione Impianto Centro Le Vele Cliente Rossi Spa Tecnico Mario "
        "Bianchi Data e ora 05/03/2024 14:07 Versione del programma TestLoop " TESTLOOP_VERSION
        " Codice scheda j00 Dispositivo seriale /dev/ttyUSB0 Soglie sensori guasto sotto 200, "
        "limiti 400 e 1500 Soglie moduli guasto sotto 200, limiti 400 e 2500"_s,
        // found, in range, out of range, faulty, conflicts, not answering
        u"Loop 1 sensori 98 94 2 1 1 1 Loop 1 moduli 3 1 0 1 1 \u2013 Loop 2 sensori 51 51 0 0 0 "
        "0 Anomalie (8)"_s,
        u"Loop 1, sensore 3: FUORI RANGE, valore analogico VA300 fuori dai limiti 400 e 1500, "
        "corrente 15."_s,
        u"Loop 1, sensore 5 \"UFFICIO 3\": NON RISPONDE, la configurazione scaricata elenca un "
        "dispositivo FIAMMA ULTRAVIOLETTI in zona 3."_s,
        u"Loop 1, sensore 7: CONFLITTO INDIRIZZI, corrente 42 (due dispositivi allo stesso "
        "indirizzo), valore analogico VA500."_s,
        u"Loop 1, modulo 11: GUASTO, valore analogico VA50 (soglia di guasto 200), corrente 15."_s,
        u"Loop 2, sensore 60: risponde (valore analogico VA450, corrente 15) dove la "
        "configurazione scaricata indica NON USATO."_s,
        // Address 1 was asked once more as each scan stopped, in both modes: 2 of 4.
        u"Loop 1 sensori: letture per indirizzo"_s, u"1 AUTOMATICO 1 VA500 15 OK 1 50,0 %"_s,
        u"5 FIAMMA ULTRAVIOLETTI 3 UFFICIO 3 VA0 0 NON RISPONDE 1 100,0 %"_s,
        u"Loop 1 sensori: griglia"_s,
        u"12 AUTOMATICO 1 VA600 30 CONFLITTO INDIRIZZI \u2013 100,0 %"_s,
        u"Loop 2 sensori: griglia"_s};
    qsizetype from = 0;
    for (const QString &text : expected) {
        const qsizetype at = flat.indexOf(text, from);
        QVERIFY2(at >= 0, qPrintable(u"missing after %1: %2"_s.arg(from).arg(text)));
        from = at + text.size();
    }

    // Loop 2's 51..99 but 60, found unused by the download, are absent in the grid picture.
    QCOMPARE(flat.count(u"assente"_s), 48);

    // Every page is numbered, and every page holding a table row holds the table's heading.
    const QString heading = ServiceReport::TableHeadings.mid(0, 8).join(u' ');
    const QRegularExpression tableRow(u"\\d (AUTOMATICO|KELVARO) \\d+ VA\\d+ "_s);
    const qsizetype count = pages.size();
    QVERIFY(count >= 4);
    for (qsizetype page = 0; page < count; ++page) {
        const QString &text = pages[page];
        QVERIFY2(text.endsWith(u"Pagina %1 di %2"_s.arg(page + 1).arg(count)), qPrintable(text));
        QVERIFY2(!text.contains(tableRow) || text.contains(heading),
                 qPrintable(u"page %1 without the heading"_s.arg(page + 1)));
    }
}

// Asked on the first report only, trimmed; asked again, an empty answer keeps the detail.
void TestServiceReport::detailsRemembered()
{
    EngineBench b;
    QTemporaryDir dir;
    {
        WriterBench first(b, dir, u"primo.pdf"_s);
        first.prompts.typed = QStringList {u"Vele"_s, u" Rossi "_s, QString()};
        first.writer.writeReport();
        QCOMPARE(first.prompts.questions, ReportPeoplePrompts);
    }
    WriterBench second(b, dir, u"secondo.pdf"_s);
    const auto printed = [&second] { return readPdf(second.file).join(u' '); };
    second.writer.writeReport();
    QVERIFY(second.prompts.questions.isEmpty());
    QVERIFY(printed().contains(u"Impianto Vele Cliente Rossi Tecnico \u2013 Data"_s));

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
    QVERIFY(printed().contains(u"Impianto Vele Cliente Verdi Tecnico Neri"_s));
}

// A missing folder is told; a cancelled chooser or details tell nothing. Nothing is written.
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
    WriterBench w(b, dir, file);
    if (detailsGiven)
        w.prompts.typed = QStringList {u"Vele"_s, u"Rossi"_s, u"Bianchi"_s};
    w.writer.writeReport();
    QCOMPARE(w.chosen, detailsGiven ? 1 : 0);
    QCOMPARE(w.prompts.messages.size(), detailsGiven && !file.isEmpty() ? 1 : 0);
    for (const FakePrompts::Message &message : std::as_const(w.prompts.messages)) {
        QVERIFY2(message.text.startsWith(u"Il rapporto non è stato salvato: impossibile "_s)
                     && message.text.contains(w.file),
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
