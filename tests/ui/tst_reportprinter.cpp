// The printed report, as a PDF read back with pdftotext, and the jobs that print nothing.
#include "loopdata/LoopTables.h"
#include "storage/ReadingsWriter.h"
#include "tests/support/FakePrompts.h"
#include "ui/ReportPrinter.h"

#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace testloop;
using namespace Qt::StringLiterals;

namespace {

const QDateTime Moment(QDate(2024, 3, 5), QTime(14, 7, 9));

// Prints sensor 3 of loop 1 at 250 and module 100 of loop 2 at 9990 to a PDF file.
bool printReport(FakePrompts &prompts, const QString &path, bool confirmed = true,
                 const QSizeF &sheetMm = {})
{
    LoopData data;
    data.SensorAnalogue.set(3, 1, 250);
    data.ModuleAnalogue.set(100, 2, 9990);
    ReportPrinter report(prompts);
    report.setChooser([&](QPrinter &printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        if (sheetMm.isValid())
            printer.setPageSize(QPageSize(sheetMm, QPageSize::Millimeter));
        return confirmed;
    });
    return report.print(data, Moment);
}

// Label lines with blanks reduced; address 100 has no digits.
const QString FirstLabels = u"N 01 N 02 N 03 N 04 N 05 N 06 N 07 N 08 N 09 N 10"_s;
const QString LastLabels = u"N 91 N 92 N 93 N 94 N 95 N 96 N 97 N 98 N 99 N"_s;

} // namespace

class TestReportPrinter : public QObject
{
    Q_OBJECT
private slots:
    void printsBothPages_data();
    void printsBothPages();
    void nothingPrinted();
};

void TestReportPrinter::printsBothPages_data()
{
    QTest::addColumn<QSizeF>("sheetMm"); // empty: the printer's own
    QTest::newRow("default sheet") << QSizeF();
    QTest::newRow("low sheet") << QSizeF(297, 60); // continued on further sheets
}

void TestReportPrinter::printsBothPages()
{
    QFETCH(QSizeF, sheetMm);
    const bool continued = sheetMm.isValid();
    QTemporaryDir dir;
    const QString path = dir.filePath(u"report.pdf"_s);
    FakePrompts prompts;
    QVERIFY(printReport(prompts, path, true, sheetMm));
    QVERIFY(prompts.messages.isEmpty());

    QProcess pdftotext;
    pdftotext.start(u"pdftotext"_s, {u"-layout"_s, path, u"-"_s});
    pdftotext.waitForFinished(120000);
    const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
    QVERIFY2(text.count(u'\f') >= 2, "nothing read back: scripts/install-deps installs pdftotext");
    QCOMPARE(text.count(u'\f') > 2, continued);
    // Blanks reduced, as a proportional font spaces them.
    QStringList lines = text.split(u'\n');
    for (QString &line : lines)
        line = line.remove(u'\f').simplified();
    const QString date = readingsDateTimeText(Moment);
    const QString zeros = u"0000 "_s.repeated(10).trimmed();
    const QStringList expected = QStringList()
        << date << u"LINEA SENSORI LOOP 1"_s << FirstLabels << u"0000 0000 0250 "_s + zeros.mid(15)
        << LastLabels << zeros << u"LINEA SENSORI LOOP 2"_s << date << u"LINEA MODULI LOOP 1"_s
        << u"LINEA MODULI LOOP 2"_s << LastLabels << zeros.left(45) + u"9990"_s;
    qsizetype from = 0;
    for (const QString &line : expected) {
        const qsizetype at = lines.indexOf(line, from);
        QVERIFY2(at >= 0, qPrintable(u"missing after line %1: %2"_s.arg(from).arg(line)));
        from = at + 1;
    }
    // All four tables are complete: 38 of the 40 value lines hold only zeros.
    QCOMPARE(lines.count(zeros), 38);
    // The module page begins on a sheet of its own.
    for (const QString &sheet : text.split(u'\f'))
        QVERIFY(!sheet.contains(u"MODULI"_s) || !sheet.contains(u"SENSORI"_s));
    // The date at the left margin, the titles well in from it (not checked on a low sheet).
    const auto multiline = QRegularExpression::MultilineOption;
    QCOMPARE(
        text.count(QRegularExpression(u"^\f?"_s + QRegularExpression::escape(date), multiline)), 2);
    const QRegularExpression indentedTitle(u"^ {10,}LINEA"_s, multiline);
    QVERIFY(continued || text.count(indentedTitle) == 4);
}

void TestReportPrinter::nothingPrinted()
{
    QTemporaryDir dir;
    const QString cancelled = dir.filePath(u"cancelled.pdf"_s);
    const QString unreachable = dir.filePath(u"missing/folder/report.pdf"_s);
    FakePrompts prompts;
    QVERIFY(!printReport(prompts, cancelled, false));
    QVERIFY(!printReport(prompts, unreachable));
    QVERIFY(!printReport(prompts, QString())); // print to file chosen, but no file named

    QCOMPARE(prompts.messages.size(), 2);
    const QString &cannotStart = prompts.messages[0].text;
    QVERIFY2(cannotStart.contains(u"non è stato stampato"_s) && cannotStart.contains(unreachable),
             qPrintable(cannotStart));
    QCOMPARE(prompts.messages[0].icon, Prompts::Icon::Critical);
    QCOMPARE(prompts.messages[1].text, ReportPrinter::NoPrinterMessage);
    QCOMPARE(prompts.messages[1].icon, Prompts::Icon::Warning);
    QCOMPARE(prompts.messages[0].title, ReportPrinter::MessageTitle);
    QCOMPARE(prompts.messages[1].title, ReportPrinter::MessageTitle);
    QVERIFY(!QFile::exists(cancelled) && !QFile::exists(unreachable));
}

QTEST_MAIN(TestReportPrinter)
#include "tst_reportprinter.moc"
