// TestLoop.ini read, saved and refused: the settings in force and every problem reported; the
// threshold checks run by the configuration dialog's OK, its bars and the board codes it refuses.
#include "config/BoardCodeCheck.h"
#include "config/ConfigurationFile.h"
#include "config/ThresholdBars.h"
#include "config/ThresholdChecks.h"
#include "tests/support/Files.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace testloop;
using namespace Qt::StringLiterals;
using namespace testfiles;

namespace {

// Settings are compared through the exact bytes they are saved as.
const QList<QByteArray> DefaultLines
    = {" 1 ", "j00", " 3 ", " 200 ", " 1500 ", " 400 ", " 200 ", " 2500 ", " 400 "};
// Two records whose values all differ from the defaults and from each other.
const QList<QByteArray> First
    = {" 4 ", "jba", " 5 ", " 210 ", " 1600 ", " 410 ", " 220 ", " 2600 ", " 420 "};
const QList<QByteArray> Second
    = {" 2 ", "jb2", " 6 ", " 230 ", " 1700 ", " 430 ", " 240 ", " 2700 ", " 440 "};
const QByteArray Directory = "<a directory in the file's place>"; // unreadable, even by root

QByteArray crlf(const QList<QByteArray> &lines)
{
    QByteArray bytes;
    for (const QByteArray &line : lines)
        bytes += line + "\r\n";
    return bytes;
}

QList<QByteArray> with(QList<QByteArray> lines, int index, const QByteArray &line)
{
    lines[index] = line;
    return lines;
}

// Sensor thresholds 100/500/2000, module thresholds 150/600/2500, in check order.
const QString Old = u"100,500,2000,150,600,2500"_s;

// Port 3, code "jbd", 12 requests, then GSMax, VaSMin, VaSMax, GMMax, VaMMin, VaMMax.
Settings stored(qint16 moduleUpper = 2500)
{
    return {3, u"jbd"_s, 12, 100, 500, 2000, 150, 600, moduleUpper};
}

// Port, code, request count, then the thresholds in check order.
QString settingsText(const Settings &s)
{
    QStringList v {QString::number(s.ComPort), s.BoardCode, QString::number(s.FaultRetries)};
    for (const qint16 t : {s.GSMax, s.VaSMin, s.VaSMax, s.GMMax, s.VaMMin, s.VaMMax})
        v.append(QString::number(t));
    return v.join(u',');
}

ThresholdTexts texts(const QString &six)
{
    ThresholdTexts result;
    std::ranges::copy(six.split(u','), result.begin());
    return result;
}

} // namespace

class TestConfigurationFile : public QObject
{
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void saveConfiguration_data();
    void saveConfiguration();
    void defaultPathIsCurrentDirectory();
    void thresholdChecks_data();
    void thresholdChecks();
    void failureNamesBoxAndRestoredText();
    void bars();
    void boardCodes();
};

void TestConfigurationFile::read_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<QByteArray>>("expected"); // the settings in force, as saved lines
    QTest::addColumn<QStringList>("problems"); // a text each reported problem must hold
    const auto row = [](const char *name, const QByteArray &bytes,
                        const QList<QByteArray> &expected, const QStringList &problems = {}) {
        QTest::newRow(name) << bytes << expected << problems;
    };
    const auto problem = [](const char16_t *text) { return QStringList(QString::fromUtf16(text)); };

    row("print form", crlf(First), First);
    row("negative, zero, 16-bit limits taken unchanged, Latin-1",
        crlf({" 0 ", "j\xe8 ", "-5 ", "-32768 ", " 32767 ", " 400 ", " 200 ", " 2500 ", " 400 "}),
        {" 0 ", "j\xe8 ", "-5 ", "-32768 ", " 32767 ", " 400 ", " 200 ", " 2500 ", " 400 "});
    row("no blanks, tabs, sign, zeros, LF line ends",
        "4\njba\n\t+5 \n0210\n1600\n410\n220\n2600\n420", First);
    row("board code: leading blanks skipped", crlf(with(First, 1, "  j b")), with(First, 1, "j b"));
    row("board code: quoted comma, text after the quotes dropped",
        crlf(with(First, 1, " \"j,0\" x")), with(First, 1, "j,0"));
    row("comma ends a field", "4,jba\r\n5, 210\r\n1600 ,410,220\r\n2600\r\n420\r\n", First);
    row("trailing blank lines", crlf(First + QList<QByteArray> {"", "  ", "\t"}), First);

    // Numbers that cannot be read: default for that setting, the file's for the others.
    row("letters", crlf(with(First, 4, "abc")), with(First, 4, " 1500 "),
        problem(u"TestLoop.ini, riga 5 (limite superiore sensori): trovato \"abc\" al posto di un "
                u"numero intero tra -32768 e 32767; si usa il valore predefinito 1500."));
    row("empty line", crlf(with(First, 0, "")), with(First, 0, " 1 "),
        problem(u"riga 1 (porta seriale): nessun valore al posto"));
    row("32768", crlf(with(First, 7, "32768")), with(First, 7, " 2500 "),
        problem(u"riga 8 (limite superiore moduli): trovato \"32768\""));
    // Every request carries the board code at fixed positions: only three characters fit.
    row("empty board code", crlf(with(First, 1, "")), with(First, 1, "j00"),
        problem(u"TestLoop.ini, riga 2 (codice scheda): il codice deve avere 3 caratteri, ne ha "
                u"0; si usa il valore predefinito j00."));
    row("two records: the second in force", crlf(First + with(Second, 5, "x")),
        with(Second, 5, " 400 "), problem(u"riga 15 (limite inferiore sensori)"));

    // Short files: what is there counts, the rest keeps the defaults.
    row("4 lines", crlf(First.mid(0, 4)), First.mid(0, 4) + DefaultLines.mid(4),
        problem(u"TestLoop.ini è incompleto: mancano i valori delle righe da 5 a 9;"));
    row("8 lines and a blank one", crlf(First.mid(0, 8) + QList<QByteArray> {" "}),
        First.mid(0, 8) + DefaultLines.mid(8),
        problem(u"incompleto: manca il valore della riga 9 (limite inferiore moduli); si usa"));
    row("empty file", "", DefaultLines,
        problem(u"TestLoop.ini non contiene alcun valore; si usano i valori predefiniti: "));
    row("missing file", QByteArray(), DefaultLines,
        problem(u"Il file di configurazione TestLoop.ini non è stato trovato in %1. Si usano i "
                u"valori predefiniti: porta seriale 1, codice scheda j00, "));
    row("unreadable file", Directory, DefaultLines,
        problem(u"Il file di configurazione %1/TestLoop.ini non può essere letto ("));

    // A trailing incomplete record is ignored and reported.
    row("one line after a record", crlf(First + QList<QByteArray> {" 9 "}), First,
        problem(u"TestLoop.ini, riga 10: valori in più che non formano una configurazione "));
}

void TestConfigurationFile::read()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QList<QByteArray>, expected);
    QFETCH(QStringList, problems);

    QTemporaryDir dir;
    const QString path = dir.filePath(ConfigurationFileName);
    if (bytes == Directory)
        QVERIFY(QDir(dir.path()).mkdir(ConfigurationFileName));
    else if (!bytes.isNull())
        QVERIFY(writeBytes(path, bytes));
    const ConfigurationRead read = LoadConfiguration(path);
    QCOMPARE(read.found, !bytes.isNull() && bytes != Directory);
    QCOMPARE(formatConfiguration(read.settings), crlf(expected));
    QCOMPARE(read.problems.size(), problems.size());
    for (qsizetype i = 0; i < problems.size(); ++i) {
        const QString text
            = QString(problems[i]).replace(u"%1"_s, QDir::toNativeSeparators(dir.path()));
        QVERIFY2(read.problems[i].contains(text), qPrintable(read.problems[i]));
    }
    QCOMPARE(readBytes(path), bytes.isNull() || bytes == Directory ? "<unreadable>" : bytes);
}

void TestConfigurationFile::saveConfiguration_data()
{
    QTest::addColumn<QString>("relativePath");
    QTest::addColumn<int>("sizeLimit"); // 0: none
    QTest::addColumn<QString>("failure"); // the start of the message; empty: saved
    QTest::newRow("over a previous file") << ConfigurationFileName << 0 << QString();
    QTest::newRow("into a missing directory")
        << u"missing/TestLoop.ini"_s << 0
        << u"La configurazione non è stata salvata: impossibile creare il file %1 ("_s;
    QTest::newRow("write fails") << ConfigurationFileName << 8
                                 << u"La configurazione non è stata salvata: "
                                    "impossibile scrivere il file %1 ("_s;
}

void TestConfigurationFile::saveConfiguration()
{
    QFETCH(QString, relativePath);
    QFETCH(int, sizeLimit);
    QFETCH(QString, failure);

    QTemporaryDir dir;
    QVERIFY(writeBytes(dir.filePath(ConfigurationFileName), crlf(Second)));
    const QString path = dir.filePath(relativePath);
    const Settings first = parseConfiguration(crlf(First)).settings;
    std::optional<QString> problem;
    QVERIFY(withFileSizeLimit(sizeLimit, [&] { problem = SaveConfiguration(first, path); }));
    const bool written = !problem;
    QCOMPARE(written, failure.isEmpty());
    if (problem)
        QVERIFY2(problem->startsWith(failure.arg(path)), qPrintable(*problem));
    // A failed save leaves the previous file as it was, and no other file behind.
    QCOMPARE(readBytes(dir.filePath(ConfigurationFileName)), crlf(written ? First : Second));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList(ConfigurationFileName));
}

void TestConfigurationFile::defaultPathIsCurrentDirectory()
{
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    const Settings first = parseConfiguration(crlf(First)).settings;
    const bool saved = !SaveConfiguration(first);
    const ConfigurationRead loaded = LoadConfiguration();
    QDir::setCurrent(previous);
    QVERIFY(saved && loaded.settings == first && loaded.problems.isEmpty());
    QCOMPARE(readBytes(dir.filePath(ConfigurationFileName)), crlf(First));
}

void TestConfigurationFile::thresholdChecks_data()
{
    QTest::addColumn<QString>("entered");
    QTest::addColumn<QString>("failed"); // the boxes named by "Bad Range ..." in order
    QTest::addColumn<QString>("boxesAfter");
    QTest::addColumn<QString>("storedAfter");
    // By default the boxes end as entered when all pass and as stored when any fails.
    const auto row = [](const char *name, const QString &entered, const QString &failed,
                        QString boxes = {}, QString stored = {}) {
        if (boxes.isEmpty())
            boxes = failed.isEmpty() ? entered : Old;
        QTest::newRow(name) << entered << failed << boxes << (stored.isEmpty() ? boxes : stored);
    };
    row("unchanged", Old, {});
    row("changes, equal values, 4000", u"50,700,4000,0,0,4000"_s, {});
    // Compared as a real number: above 4000 though it would be stored as 4000.
    row("upper 4000.4", u"100,500,4000.4,150,600,2500"_s, u"VaSmax"_s);
    // Check 1 restores the fault threshold, check 2 then finds 100 > 50.
    row("lower below fault", u"100,50,2000,150,600,2500"_s, u"GSMAX VaSmin"_s);
    row("upper below lower", u"100,500,400,150,600,2500"_s, u"VaSmin VaSmax"_s);
    // Lower 3000 passes against the entered 4500; the upper limit is then restored below it.
    row("upper restored below new lower", u"100,3000,4500,150,600,2500"_s, u"VaSmax"_s,
        u"100,3000,2000,150,600,2500"_s);
    row("every check fails", u"9,1,9999,9,1,9999"_s, u"GSMAX VaSmin VaSmax GMMAX VaMmin VaMmax"_s);
    row("leading number", u"abc,12x, 2000,150,600,2500"_s, {}, {}, u"0,12,2000,150,600,2500"_s);
    // A value outside 16 signed bits fails the check of its own box.
    row("fault below 16 bits", u"-32769,-32768,2000,150,600,2500"_s, u"GSMAX VaSmin"_s);
    // Compared as real numbers, stored rounded half to even: -32768.5 fits.
    row("half to even", u"-32768.5,11.5,2000,2.5,2.5,2500"_s, {}, {}, u"-32768,12,2000,2,2,2500"_s);
}

void TestConfigurationFile::thresholdChecks()
{
    QFETCH(QString, entered);
    QFETCH(QString, failed);
    QFETCH(QString, boxesAfter);
    QFETCH(QString, storedAfter);

    const ThresholdCheckResult result = checkThresholds(texts(entered), stored());
    QStringList shown;
    for (const ThresholdFailure &failure : result.failures)
        shown.append(failure.message.startsWith(u"Bad Range "_s) ? failure.message.sliced(10)
                                                                 : failure.message);
    QCOMPARE(shown.join(u' '), failed);
    QCOMPARE(QStringList(result.texts.begin(), result.texts.end()).join(u','), boxesAfter);
    QCOMPARE(settingsText(result.settings), u"3,jbd,12,"_s + storedAfter);
}

void TestConfigurationFile::failureNamesBoxAndRestoredText()
{
    // The restored upper limit -7 lies below the kept lower limit: the next OK reports both.
    const ThresholdCheckResult result
        = checkThresholds(texts(u"100,500,2000,150,600,5000"_s), stored(-7));
    QCOMPARE(result.failures.size(), 1);
    QCOMPARE(result.failures[0].box, ThresholdBox::ModuleUpper);
    QCOMPARE(result.failures[0].restoredText, u"-7"_s);
    QCOMPARE(result.settings.VaMMax, qint16(-7));

    const ThresholdCheckResult again = checkThresholds(result.texts, result.settings);
    QCOMPARE(again.failures.size(), 2);
    QCOMPARE(again.failures[0].message, u"Bad Range VaMmin"_s);
    QCOMPARE(again.failures[1].message, u"Bad Range VaMmax"_s);
}

// Fault bar, then normal bar; sizes that would be negative are drawn empty.
void TestConfigurationFile::bars()
{
    const auto bars = [](double fault, double lower, double upper) {
        const ThresholdBars b = ThresholdBars::forThresholds(fault, lower, upper);
        return QList<QRectF> {b.fault, b.normal};
    };
    QCOMPARE(bars(100, 500, 2000), (QList<QRectF> {{240, 360, 735, 115.8}, {240, 579, 735, 1737}}));
    QCOMPARE(bars(-100, 3000, 2000), (QList<QRectF> {{240, 360, 735, 0}, {240, 3474, 735, 0}}));
    QCOMPARE(bars(0, -100, 100), (QList<QRectF> {{240, 360, 735, 0}, {240, -115.8, 735, 231.6}}));
}

void TestConfigurationFile::boardCodes()
{
    QCOMPARE(boardCodeProblem(QString()), std::nullopt);
    const std::pair<QString, QString> refused[] = {
        {u"jb,a"_s, u"virgole"_s},        {u" jba"_s, u"spazio"_s}, {u"\"jba"_s, u"virgolette"_s},
        {u"jb\ra"_s, u"una sola riga"_s}, {u"jb€"_s, u"€"_s},
    };
    for (const auto &[code, reason] : refused) {
        const QString problem = boardCodeProblem(code).value_or(u"accepted: "_s + code);
        QVERIFY2(problem.startsWith(u"Codice scheda non accettato"_s) && problem.contains(reason),
                 qPrintable(problem));
    }
}

QTEST_GUILESS_MAIN(TestConfigurationFile)
#include "tst_configfile.moc"
