#include "config/ConfigurationFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using namespace testloop;

namespace {

// Settings are compared through the bytes they would be saved as: readable on failure, and
// the exact form of those bytes is checked on its own.
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

// The first record with one line replaced.
QList<QByteArray> firstWith(int index, const QByteArray &line)
{
    QList<QByteArray> lines = First;
    lines[index] = line;
    return lines;
}

// The first count lines of the first record, then the defaults.
QList<QByteArray> firstThenDefaults(int count)
{
    return First.mid(0, count) + DefaultLines.mid(count);
}

Settings firstSettings()
{
    return parseConfiguration(crlf(First)).settings;
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Records the messages shown; a question or a beep is a mistake here.
class RecordingPrompts : public Prompts
{
public:
    struct Message
    {
        QString text;
        QString title;
        Icon icon;
    };
    QList<Message> messages;
    int otherCalls = 0;

    bool askYesNo(const QString &, const QString &) override
    {
        ++otherCalls;
        return false;
    }
    void showMessage(const QString &text, const QString &title, Icon icon) override
    {
        messages.append({text, title, icon});
    }
    void beep() override { ++otherCalls; }
    std::optional<QString> askText(const QString &, const QString &) override
    {
        ++otherCalls;
        return std::nullopt;
    }
};

} // namespace

class TestConfigurationFile : public QObject
{
    Q_OBJECT

private slots:
    // Writing
    void write_data();
    void write();
    // Reading
    void read_data();
    void read();
    // Files that are missing or cannot be written
    void missingFile();
    void unreadableFile();
    void failedSave_data();
    void failedSave();
    void failedWriteKeepsPreviousFile();
    // The program's routines
    void loadConfiguration_data();
    void loadConfiguration();
    void saveConfiguration_data();
    void saveConfiguration();
    void defaultPathIsCurrentDirectory();
};

void TestConfigurationFile::write_data()
{
    QTest::addColumn<Settings>("settings");
    QTest::addColumn<QByteArray>("bytes");

    Settings mixed;
    mixed.ComPort = 0;
    mixed.BoardCode = QStringLiteral("j\u00e8 1");
    mixed.FaultRetries = -5;
    mixed.GMMax = -32768;
    mixed.VaSMax = 32767;
    Settings noCode;
    noCode.BoardCode.clear();

    QTest::newRow("defaults") << Settings() << crlf(DefaultLines);
    QTest::newRow("negative, zero, limits, Latin-1")
        << mixed
        << QByteArray(" 0 \r\nj\xe8 1\r\n-5 \r\n-32768 \r\n 32767 \r\n 400 \r\n 200 \r\n"
                      " 2500 \r\n 400 \r\n");
    QTest::newRow("empty board code")
        << noCode
        << QByteArray(" 1 \r\n\r\n 3 \r\n 200 \r\n 1500 \r\n 400 \r\n 200 \r\n"
                      " 2500 \r\n 400 \r\n");
}

void TestConfigurationFile::write()
{
    QFETCH(Settings, settings);
    QFETCH(QByteArray, bytes);

    QCOMPARE(formatConfiguration(settings), bytes);

    QTemporaryDir dir;
    const QString path = dir.filePath(ConfigurationFileName);
    const std::optional<QString> failure = writeConfigurationFile(path, settings);
    QVERIFY2(!failure, qPrintable(failure.value_or(QString())));
    QCOMPARE(readBytes(path), bytes);

    // Round trip: the written file reads back cleanly as the same nine values.
    const ConfigurationRead read = readConfigurationFile(path);
    QVERIFY(read.found);
    QCOMPARE(read.problems, QStringList());
    QVERIFY(read.settings == settings);
}

void TestConfigurationFile::read_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<QByteArray>>("expected"); // the settings in force, as saved lines
    QTest::addColumn<QStringList>("problems"); // a text each reported problem must hold

    const QStringList none;
    const auto problem = [](const char16_t *text) { return QStringList(QString::fromUtf16(text)); };

    // Values read cleanly.
    QTest::newRow("print form") << crlf(First) << First << none;
    QTest::newRow("\" 1 \" reads 1") << crlf(firstWith(0, " 1 ")) << firstWith(0, " 1 ") << none;
    QTest::newRow("\"-5 \" reads -5") << crlf(firstWith(2, "-5 ")) << firstWith(2, "-5 ") << none;
    QTest::newRow("no blanks, tabs, sign, zeros")
        << QByteArray("4\r\njba\r\n\t+5 \r\n0210\r\n1600\r\n410\r\n220\r\n2600\r\n420") << First
        << none;
    QTest::newRow("5000 taken unchanged")
        << crlf(firstWith(4, "5000")) << firstWith(4, " 5000 ") << none;
    QTest::newRow("board code: leading blanks skipped, rest as it stands")
        << crlf(firstWith(1, "  j b ")) << firstWith(1, "j b ") << none;
    QTest::newRow("board code: quoted comma")
        << crlf(firstWith(1, "\"j,0\"")) << firstWith(1, "j,0") << none;
    QTest::newRow("board code: text after the quotes dropped")
        << crlf(firstWith(1, " \"j0\" x")) << firstWith(1, "j0") << none;
    QTest::newRow("board code: empty line") << crlf(firstWith(1, "")) << firstWith(1, "") << none;
    QTest::newRow("comma ends a field")
        << QByteArray("4,jba\r\n5, 210\r\n1600 ,410,220\r\n2600\r\n420\r\n") << First << none;
    QTest::newRow("two records: the second in force") << crlf(First + Second) << Second << none;
    QTest::newRow("trailing blank lines")
        << crlf(First + QList<QByteArray> {"", "  ", "\t"}) << First << none;
    QTest::newRow("LF line ends") << First.join('\n') << First << none;
    QTest::newRow("CR line ends") << First.join('\r') << First << none;

    // Numbers that cannot be read: default for that setting, the file's for the others.
    QTest::newRow("letters") << crlf(firstWith(4, "abc")) << firstWith(4, " 1500 ")
                             << problem(u"TestLoop.ini, riga 5 (limite superiore sensori): trovato "
                                        u"\"abc\" al posto di un numero intero tra -32768 e "
                                        u"32767; si usa il valore predefinito 1500.");
    QTest::newRow("empty line") << crlf(firstWith(0, "")) << firstWith(0, " 1 ")
                                << problem(u"riga 1 (porta seriale): nessun valore al posto");
    QTest::newRow("digits then letters")
        << crlf(firstWith(2, " 12abc ")) << firstWith(2, " 3 ")
        << problem(u"riga 3 (numero di chiamate se guasto): trovato \"12abc\"");
    QTest::newRow("fraction") << crlf(firstWith(3, "1.5")) << firstWith(3, " 200 ")
                              << problem(u"riga 4 (soglia di guasto moduli): trovato \"1.5\"");
    QTest::newRow("32768") << crlf(firstWith(7, "32768")) << firstWith(7, " 2500 ")
                           << problem(u"riga 8 (limite superiore moduli): trovato \"32768\"");
    QTest::newRow("-32769") << crlf(firstWith(8, "-32769")) << firstWith(8, " 400 ")
                            << problem(u"riga 9 (limite inferiore moduli): trovato \"-32769\"");
    QTest::newRow("beyond any integer")
        << crlf(firstWith(6, "99999999999999999999")) << firstWith(6, " 200 ")
        << problem(u"riga 7 (soglia di guasto sensori): trovato \"99999999999999999999\"");
    QTest::newRow("in the second record")
        << crlf(First + firstWith(5, "x")) << firstWith(5, " 400 ")
        << problem(u"riga 15 (limite inferiore sensori)");

    // Short files: what is there counts, the rest keeps the defaults.
    QTest::newRow("4 lines") << crlf(First.mid(0, 4)) << firstThenDefaults(4)
                             << problem(u"TestLoop.ini è incompleto: mancano i valori delle righe "
                                        u"da 5 a 9; si usano i valori predefiniti: limite "
                                        u"superiore sensori 1500, limite inferiore sensori 400, ");
    QTest::newRow("8 lines and a blank one")
        << crlf(First.mid(0, 8) + QList<QByteArray> {" "}) << firstThenDefaults(8)
        << problem(u"TestLoop.ini è incompleto: manca il valore della riga 9 (limite inferiore "
                   u"moduli); si usa il valore predefinito 400.");
    QTest::newRow("values sharing a line") << QByteArray("4,jba\r\n5\r\n") << firstThenDefaults(3)
                                           << problem(u"mancano i valori delle righe da 3 a 8;");
    QTest::newRow("empty file") << QByteArray() << DefaultLines
                                << problem(u"TestLoop.ini non contiene alcun valore; si usano i "
                                           u"valori predefiniti: porta seriale 1, codice scheda "
                                           u"j00, numero di chiamate se guasto 3, ");
    QTest::newRow("blank lines only")
        << QByteArray(" \r\n\r\n") << DefaultLines << problem(u"non contiene alcun valore");

    // A trailing incomplete record is ignored and reported.
    QTest::newRow("one line after a record")
        << crlf(First + QList<QByteArray> {" 9 "}) << First
        << problem(u"TestLoop.ini, riga 10: valori in più che non formano una configurazione "
                   u"completa di nove valori; sono stati ignorati e vale l'ultima configurazione "
                   u"completa (righe da 1 a 9).");
    QTest::newRow("eight lines after two records")
        << crlf(First + Second + First.mid(0, 8)) << Second
        << problem(u"TestLoop.ini, righe da 19 a 26: valori in più");
    QTest::newRow("bad line and extra lines")
        << crlf(firstWith(0, "x") + QList<QByteArray> {"", " 9 "}) << firstWith(0, " 1 ")
        << QStringList({QStringLiteral("riga 1 (porta seriale)"),
                        QStringLiteral("righe 10 e 11: valori in più")});
}

void TestConfigurationFile::read()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QList<QByteArray>, expected);
    QFETCH(QStringList, problems);

    const ConfigurationRead read = parseConfiguration(bytes);
    QCOMPARE(formatConfiguration(read.settings), crlf(expected));
    QCOMPARE(read.problems.size(), problems.size());
    for (qsizetype i = 0; i < problems.size(); ++i)
        QVERIFY2(read.problems[i].contains(problems[i]), qPrintable(read.problems[i]));
}

void TestConfigurationFile::missingFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(ConfigurationFileName);

    const ConfigurationRead read = readConfigurationFile(path);
    QVERIFY(!read.found);
    QVERIFY(read.settings == Settings());
    QCOMPARE(
        read.problems,
        QStringList(
            QStringLiteral("Il file di configurazione TestLoop.ini non è stato trovato in %1. Si "
                           "usano i valori predefiniti: porta seriale 1, codice scheda j00, "
                           "numero di chiamate se guasto 3, soglia di guasto moduli 200, limite "
                           "superiore sensori 1500, limite inferiore sensori 400, soglia di "
                           "guasto sensori 200, limite superiore moduli 2500, limite inferiore "
                           "moduli 400. Il file sarà scritto al salvataggio della configurazione.")
                .arg(QDir::toNativeSeparators(dir.path()))));
    QVERIFY(!QFile::exists(path));
}

void TestConfigurationFile::unreadableFile()
{
    // A directory in the file's place cannot be read, even by root.
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(ConfigurationFileName));

    const ConfigurationRead read = readConfigurationFile(dir.filePath(ConfigurationFileName));
    QVERIFY(!read.found);
    QVERIFY(read.settings == Settings());
    QCOMPARE(read.problems.size(), 1);
    QVERIFY2(read.problems[0].startsWith(QStringLiteral("Il file di configurazione %1 non può "
                                                        "essere letto (")
                                             .arg(dir.filePath(ConfigurationFileName))),
             qPrintable(read.problems[0]));
}

void TestConfigurationFile::failedSave_data()
{
    QTest::addColumn<QString>("relativePath");

    QTest::newRow("directory does not exist") << QStringLiteral("missing/TestLoop.ini");
    QTest::newRow("parent is a regular file") << QStringLiteral("plain/TestLoop.ini");
}

void TestConfigurationFile::failedSave()
{
    QFETCH(QString, relativePath);

    QTemporaryDir dir;
    QVERIFY(writeBytes(dir.filePath(QStringLiteral("plain")), "x"));
    const QString path = dir.filePath(relativePath);

    const std::optional<QString> failure = writeConfigurationFile(path, firstSettings());
    QVERIFY(failure);
    QVERIFY2(failure->startsWith(QStringLiteral("La configurazione non è stata salvata: "
                                                "impossibile creare il file %1 (")
                                     .arg(path)),
             qPrintable(*failure));
    QVERIFY(!QFile::exists(path));
    QCOMPARE(readBytes(dir.filePath(QStringLiteral("plain"))), QByteArray("x"));
}

void TestConfigurationFile::failedWriteKeepsPreviousFile()
{
    // A file size limit makes the write itself fail, and unlike permission bits it also holds
    // for root. Nothing is checked (or logged) before the limit is lifted again.
    QTemporaryDir dir;
    const QString path = dir.filePath(ConfigurationFileName);
    QVERIFY(writeBytes(path, crlf(First)));

    rlimit saved {};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit tight = saved;
    tight.rlim_cur = 8;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    const int limited = setrlimit(RLIMIT_FSIZE, &tight);
    const std::optional<QString> failure
        = limited == 0 ? writeConfigurationFile(path, Settings()) : std::nullopt;
    const int restored = setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    QCOMPARE(limited, 0);
    QCOMPARE(restored, 0);

    QVERIFY(failure);
    QVERIFY2(failure->contains(QStringLiteral("impossibile scrivere il file %1 (").arg(path)),
             qPrintable(*failure));
    QCOMPARE(readBytes(path), crlf(First));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList(ConfigurationFileName));
}

void TestConfigurationFile::loadConfiguration_data()
{
    QTest::addColumn<QByteArray>("bytes"); // null: no file
    QTest::addColumn<QList<QByteArray>>("expected");
    QTest::addColumn<QStringList>("mentioned"); // texts the single message must hold

    QList<QByteArray> twoBad = firstWith(0, "x");
    twoBad[4] = "";
    QList<QByteArray> twoDefaults = firstWith(0, " 1 ");
    twoDefaults[4] = " 1500 ";

    QTest::newRow("clean file") << crlf(First) << First << QStringList();
    QTest::newRow("missing file") << QByteArray() << DefaultLines
                                  << QStringList(QStringLiteral("non è stato trovato"));
    QTest::newRow("all problems in one message")
        << crlf(twoBad + QList<QByteArray> {" 7 "}) << twoDefaults
        << QStringList({QStringLiteral("riga 1 (porta seriale)"),
                        QStringLiteral("riga 5 (limite superiore sensori)"),
                        QStringLiteral("riga 10: valori in più")});
}

void TestConfigurationFile::loadConfiguration()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QList<QByteArray>, expected);
    QFETCH(QStringList, mentioned);

    QTemporaryDir dir;
    const QString path = dir.filePath(ConfigurationFileName);
    if (!bytes.isNull())
        QVERIFY(writeBytes(path, bytes));

    RecordingPrompts prompts;
    QCOMPARE(formatConfiguration(LoadConfiguration(prompts, path)), crlf(expected));
    QCOMPARE(prompts.otherCalls, 0);
    QCOMPARE(prompts.messages.size(), mentioned.isEmpty() ? 0 : 1);
    for (const QString &text : mentioned) {
        QVERIFY2(prompts.messages[0].text.contains(text), qPrintable(prompts.messages[0].text));
        QCOMPARE(prompts.messages[0].title, QStringLiteral("Configurazione"));
        QVERIFY(prompts.messages[0].icon == Prompts::Icon::Warning);
    }
    // Reading never writes.
    QCOMPARE(QFile::exists(path), !bytes.isNull());
    if (!bytes.isNull())
        QCOMPARE(readBytes(path), bytes);
}

void TestConfigurationFile::saveConfiguration_data()
{
    QTest::addColumn<QString>("relativePath");
    QTest::addColumn<bool>("saved");

    QTest::newRow("over a previous file") << QStringLiteral("TestLoop.ini") << true;
    QTest::newRow("into a missing directory") << QStringLiteral("missing/TestLoop.ini") << false;
}

void TestConfigurationFile::saveConfiguration()
{
    QFETCH(QString, relativePath);
    QFETCH(bool, saved);

    QTemporaryDir dir;
    QVERIFY(writeBytes(dir.filePath(ConfigurationFileName), crlf(Second)));
    const QString path = dir.filePath(relativePath);

    RecordingPrompts prompts;
    QCOMPARE(SaveConfiguration(firstSettings(), prompts, path), saved);
    QCOMPARE(prompts.otherCalls, 0);
    QCOMPARE(prompts.messages.size(), saved ? 0 : 1);
    if (saved) {
        QCOMPARE(readBytes(path), crlf(First));
    } else {
        QVERIFY(prompts.messages[0].text.contains(path));
        QCOMPARE(prompts.messages[0].title, QStringLiteral("Configurazione"));
        QVERIFY(prompts.messages[0].icon == Prompts::Icon::Critical);
        QVERIFY(!QFile::exists(path));
    }
}

void TestConfigurationFile::defaultPathIsCurrentDirectory()
{
    // The bare name is resolved against the working directory at the time of each call.
    QTemporaryDir first;
    QTemporaryDir second;
    const QString previous = QDir::currentPath();
    RecordingPrompts prompts;

    QDir::setCurrent(first.path());
    const bool saved = SaveConfiguration(firstSettings(), prompts);
    QDir::setCurrent(second.path());
    const Settings fromSecond = LoadConfiguration(prompts);
    QDir::setCurrent(first.path());
    const Settings fromFirst = LoadConfiguration(prompts);
    QDir::setCurrent(previous);

    QVERIFY(saved);
    QCOMPARE(readBytes(first.filePath(ConfigurationFileName)), crlf(First));
    QVERIFY(fromSecond == Settings());
    QVERIFY(fromFirst == firstSettings());
    QCOMPARE(prompts.messages.size(), 1);
    QVERIFY(prompts.messages[0].text.contains(second.path()));
}

QTEST_GUILESS_MAIN(TestConfigurationFile)
#include "tst_configfile.moc"
