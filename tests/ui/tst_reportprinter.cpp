// The printed report: both pages go to the chosen printer (a PDF file here, read back with
// pdftotext), and a job that cannot start or has nowhere to go is told to the user.
#include "loopdata/LoopTables.h"
#include "storage/ReadingsWriter.h"
#include "support/FakePrompts.h"
#include "ui/ReportPrinter.h"

#include <QDateTime>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace testloop;

namespace {

const QDateTime Moment(QDate(2024, 3, 5), QTime(14, 7, 9));

std::unique_ptr<LoopData> sampleTables()
{
    auto data = std::make_unique<LoopData>();
    data->SensorAnalogue.set(3, 1, 250);
    data->ModuleAnalogue.set(100, 2, 9990);
    return data;
}

// A chooser that sends the job to a PDF file and answers as the user would have.
ReportPrinter::Chooser pdfChooser(const QString &path, bool confirmed = true)
{
    return [path, confirmed](QPrinter &printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        return confirmed;
    };
}

// The text of a PDF file as laid out on its pages; pages end with a form feed.
QString pdfText(const QString &path)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (tool.isEmpty())
        return QStringLiteral("<pdftotext missing: run scripts/install-deps>");
    QProcess process;
    process.start(tool, {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!process.waitForFinished(120000) || process.exitCode() != 0)
        return QStringLiteral("<pdftotext failed>");
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Each line with its runs of blanks reduced to one, the way a proportional font allows the
// blanks to be compared; empty lines are dropped.
QStringList normalisedLines(const QString &text)
{
    QStringList lines;
    for (const QString &line : text.split(u'\n')) {
        const QString simple = QString(line).remove(u'\f').simplified();
        if (!simple.isEmpty())
            lines << simple;
    }
    return lines;
}

QString expectedLabels(int first)
{
    QStringList cells;
    for (int address = first; address < first + 10; ++address)
        cells << (address == 100 ? QStringLiteral("N")
                                 : QStringLiteral("N %1").arg(address, 2, 10, QLatin1Char('0')));
    return cells.join(u' ');
}

} // namespace

class TestReportPrinter : public QObject
{
    Q_OBJECT
private slots:
    void printsBothPagesToTheChosenFile();
    void cancelPrintsNothing();
    void linesPastTheBottomContinueOnTheNextSheet();
    void jobThatCannotStartIsReported();
    void nowhereToPrintIsReported();
};

void TestReportPrinter::printsBothPagesToTheChosenFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("report.pdf"));
    FakePrompts prompts;
    ReportPrinter report(prompts);
    report.setChooser(pdfChooser(path));
    const auto data = sampleTables();

    QVERIFY(report.print(*data, Moment));
    QVERIFY(prompts.messages.isEmpty());

    const QString text = pdfText(path);
    QVERIFY2(text.count(u'\f') >= 2, qPrintable(text.left(200)));
    const QStringList lines = normalisedLines(text);
    const QString zeros = QStringLiteral("0000 ").repeated(10).trimmed();
    const QString address3 = QStringLiteral("0000 0000 0250 0000 0000 0000 0000 0000 0000 0000");
    const QString address100 = QStringLiteral("0000 0000 0000 0000 0000 0000 0000 0000 0000 9990");
    const QStringList expected {
        // Sensor page.
        readingsDateTimeText(Moment), QStringLiteral("LINEA SENSORI LOOP 1"), expectedLabels(1),
        address3, expectedLabels(11), zeros, expectedLabels(91), zeros,
        QStringLiteral("LINEA SENSORI LOOP 2"), expectedLabels(1), zeros,
        // Module page.
        readingsDateTimeText(Moment), QStringLiteral("LINEA MODULI LOOP 1"), expectedLabels(1),
        zeros, QStringLiteral("LINEA MODULI LOOP 2"), expectedLabels(91), address100};
    // The expected lines appear in this order among the printed ones.
    qsizetype from = 0;
    for (const QString &line : expected) {
        const qsizetype at = lines.indexOf(line, from);
        QVERIFY2(at >= 0,
                 qPrintable(QStringLiteral("missing after line %1: %2").arg(from).arg(line)));
        from = at + 1;
    }
    // All four tables are complete: 38 of the 40 value lines hold only zeros.
    QCOMPARE(lines.count(expectedLabels(1)), 4);
    QCOMPARE(lines.count(expectedLabels(91)), 4);
    QCOMPARE(lines.count(zeros), 38);
    // The module page begins on a sheet of its own.
    const QStringList sheets = text.split(u'\f');
    for (const QString &sheet : sheets) {
        if (sheet.contains(QStringLiteral("MODULI")))
            QVERIFY(!sheet.contains(QStringLiteral("SENSORI")));
    }
    // The date starts at the left margin; titles and tables stand well in from it.
    int centred = 0;
    for (const QString &line : text.split(u'\n')) {
        const QString printed = QString(line).remove(u'\f');
        qsizetype indent = 0;
        while (indent < printed.size() && printed.at(indent) == u' ')
            ++indent;
        if (printed.contains(QStringLiteral("LOOP")) || printed.contains(QStringLiteral("N 01"))) {
            QVERIFY2(indent >= 10, qPrintable(printed));
            ++centred;
        } else if (printed.trimmed() == readingsDateTimeText(Moment)) {
            QCOMPARE(indent, 0);
        }
    }
    QCOMPARE(centred, 8);
}

void TestReportPrinter::cancelPrintsNothing()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("cancelled.pdf"));
    FakePrompts prompts;
    ReportPrinter report(prompts);
    report.setChooser(pdfChooser(path, false));
    const auto data = sampleTables();

    QVERIFY(!report.print(*data, Moment));
    QVERIFY(prompts.messages.isEmpty());
    QVERIFY(!QFile::exists(path));
}

void TestReportPrinter::linesPastTheBottomContinueOnTheNextSheet()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("small.pdf"));
    FakePrompts prompts;
    ReportPrinter report(prompts);
    report.setChooser([path](QPrinter &printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        printer.setPageSize(QPageSize(QSizeF(297, 60), QPageSize::Millimeter));
        return true;
    });
    const auto data = sampleTables();

    QVERIFY(report.print(*data, Moment));
    const QString text = pdfText(path);
    QVERIFY2(text.count(u'\f') > 2, qPrintable(text.left(200)));
    const QStringList lines = normalisedLines(text);
    QCOMPARE(lines.count(expectedLabels(1)), 4);
    QCOMPARE(lines.count(expectedLabels(51)), 4);
    QCOMPARE(lines.count(expectedLabels(91)), 4);
    QCOMPARE(lines.count(readingsDateTimeText(Moment)), 2);
}

void TestReportPrinter::jobThatCannotStartIsReported()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("missing/folder/report.pdf"));
    FakePrompts prompts;
    ReportPrinter report(prompts);
    report.setChooser(pdfChooser(path));
    const auto data = sampleTables();

    QVERIFY(!report.print(*data, Moment));
    QCOMPARE(prompts.messages.size(), 1);
    const FakePrompts::Message &message = prompts.messages.first();
    QCOMPARE(message.title, ReportPrinter::MessageTitle);
    QCOMPARE(message.icon, Prompts::Icon::Critical);
    QVERIFY(message.text.contains(QStringLiteral("non è stato stampato")));
    QVERIFY(message.text.contains(path));
    QVERIFY(!QFile::exists(path));
}

void TestReportPrinter::nowhereToPrintIsReported()
{
    FakePrompts prompts;
    ReportPrinter report(prompts);
    // Print to file chosen, but no file named.
    report.setChooser([](QPrinter &printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString());
        return true;
    });
    const auto data = sampleTables();

    QVERIFY(!report.print(*data, Moment));
    QCOMPARE(prompts.messages.size(), 1);
    QCOMPARE(prompts.messages.first().text, ReportPrinter::NoPrinterMessage);
    QCOMPARE(prompts.messages.first().icon, Prompts::Icon::Warning);

    // The system's printer, where the machine has none (a real one would get paper).
    if (!QPrinterInfo::availablePrinters().isEmpty())
        return;
    prompts.messages.clear();
    report.setChooser([](QPrinter &printer) {
        printer.setOutputFormat(QPrinter::NativeFormat);
        return true;
    });
    QVERIFY(!report.print(*data, Moment));
    QCOMPARE(prompts.messages.size(), 1);
    QCOMPARE(prompts.messages.first().text, ReportPrinter::NoPrinterMessage);
}

QTEST_MAIN(TestReportPrinter)
#include "tst_reportprinter.moc"
