#include "config/ConfigurationFile.h"
#include "tests/support/Files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace testloop;
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

QByteArray crlf(const QList<QByteArray> &lines)
{
    QByteArray bytes;
    for (const QByteArray &line : lines)
        bytes += line + "\r\n";
    return bytes;
}

// A record with one line replaced.
QList<QByteArray> with(QList<QByteArray> lines, int index, const QByteArray &line)
{
    lines[index] = line;
    return lines;
}

Settings firstSettings()
{
    return parseConfiguration(crlf(First)).settings;
}

} // namespace

class TestConfigurationFile : public QObject
{
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void unreadableFile();
    void saveConfiguration_data();
    void saveConfiguration();
    void defaultPathIsCurrentDirectory();
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

    // Saved bytes read back and saved again unchanged.
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
        problem(u"TestLoop.ini è incompleto: manca il valore della riga 9 (limite inferiore "
                u"moduli); si usa il valore predefinito 400."));
    row("empty file", "", DefaultLines,
        problem(u"TestLoop.ini non contiene alcun valore; si usano i valori predefiniti: porta "
                u"seriale 1, codice scheda j00, numero di chiamate se guasto 3, "));

    row("missing file", QByteArray(), DefaultLines,
        problem(u"Il file di configurazione TestLoop.ini non è stato trovato in %1. Si usano i "
                u"valori predefiniti: porta seriale 1, codice scheda j00, "));

    // A trailing incomplete record is ignored and reported.
    row("one line after a record", crlf(First + QList<QByteArray> {" 9 "}), First,
        problem(u"TestLoop.ini, riga 10: valori in più che non formano una configurazione "));
}

// Read through LoadConfiguration: the settings in force, every problem on its own, and the
// file left as it was.
void TestConfigurationFile::read()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QList<QByteArray>, expected);
    QFETCH(QStringList, problems);

    QTemporaryDir dir;
    const QString path = dir.filePath(ConfigurationFileName);
    if (!bytes.isNull())
        QVERIFY(writeBytes(path, bytes));
    const ConfigurationRead read = LoadConfiguration(path);
    QCOMPARE(formatConfiguration(read.settings), crlf(expected));
    QCOMPARE(read.problems.size(), problems.size());
    for (qsizetype i = 0; i < problems.size(); ++i) {
        const QString text
            = QString(problems[i])
                  .replace(QStringLiteral("%1"), QDir::toNativeSeparators(dir.path()));
        QVERIFY2(read.problems[i].contains(text), qPrintable(read.problems[i]));
    }
    QCOMPARE(readBytes(path), bytes.isNull() ? QByteArray("<unreadable>") : bytes);
}

void TestConfigurationFile::unreadableFile()
{
    // A directory in the file's place cannot be read, even by root.
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(ConfigurationFileName));
    const QString path = dir.filePath(ConfigurationFileName);
    const ConfigurationRead read = LoadConfiguration(path);
    QVERIFY(!read.found && read.settings == Settings());
    QCOMPARE(read.problems.size(), 1);
    QVERIFY2(read.problems[0].startsWith(
                 QStringLiteral("Il file di configurazione %1 non può essere letto (").arg(path)),
             qPrintable(read.problems[0]));
}

void TestConfigurationFile::saveConfiguration_data()
{
    QTest::addColumn<QString>("relativePath");
    QTest::addColumn<int>("sizeLimit"); // 0: none
    QTest::addColumn<QString>("failure"); // the start of the message; empty: saved
    QTest::newRow("over a previous file") << ConfigurationFileName << 0 << QString();
    QTest::newRow("into a missing directory")
        << QStringLiteral("missing/TestLoop.ini") << 0
        << QStringLiteral("La configurazione non è stata salvata: impossibile creare il file %1 (");
    // A file size limit makes the write itself fail, and unlike permission bits it also holds
    // for root.
    QTest::newRow("write fails") << ConfigurationFileName << 8
                                 << QStringLiteral("La configurazione non è stata salvata: "
                                                   "impossibile scrivere il file %1 (");
}

void TestConfigurationFile::saveConfiguration()
{
    QFETCH(QString, relativePath);
    QFETCH(int, sizeLimit);
    QFETCH(QString, failure);

    QTemporaryDir dir;
    QVERIFY(writeBytes(dir.filePath(ConfigurationFileName), crlf(Second)));
    const QString path = dir.filePath(relativePath);
    std::optional<QString> problem;
    QVERIFY(
        withFileSizeLimit(sizeLimit, [&] { problem = SaveConfiguration(firstSettings(), path); }));
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
    const bool saved = !SaveConfiguration(firstSettings());
    const ConfigurationRead loaded = LoadConfiguration();
    QDir::setCurrent(previous);
    QVERIFY(saved && loaded.settings == firstSettings() && loaded.problems.isEmpty());
    QCOMPARE(readBytes(dir.filePath(ConfigurationFileName)), crlf(First));
}

QTEST_GUILESS_MAIN(TestConfigurationFile)
#include "tst_configfile.moc"
