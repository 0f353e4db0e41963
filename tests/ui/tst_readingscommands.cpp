#include "loopdata/LoopTables.h"
#include "support/FakePrompts.h"
#include "ui/ReadingsCommands.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace testloop;
using Kind = ReadingsCommands::DialogKind;

namespace {

// Answers the file dialogs from a script and records how each was opened.
struct ScriptedChooser
{
    struct Call
    {
        Kind kind;
        QString lastName;
    };
    QStringList answers; // an empty answer is a cancelled dialog
    QList<Call> calls;

    ReadingsCommands::FileChooser chooser()
    {
        return [this](QWidget *, Kind kind, const QString &lastName) {
            calls.append({kind, lastName});
            return answers.isEmpty() ? QString() : answers.takeFirst();
        };
    }
};

// Everything the commands need, wired together.
struct Fixture
{
    std::unique_ptr<LoopData> data = std::make_unique<LoopData>();
    FakePrompts prompts;
    ScriptedChooser script;
    ReadingsCommands commands {*data, prompts, script.chooser()};
    QSignalSpy loadedSpy {&commands, &ReadingsCommands::loaded};
};

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestReadingsCommands : public QObject
{
    Q_OBJECT

private slots:
    void cancelDoesNothing_data();
    void cancelDoesNothing();
    void save();
    void load();
    void lastNamePrefilled();
    void failedSave();
    void failedLoad();
    void dialogSetUp_data();
    void dialogSetUp();
};

void TestReadingsCommands::cancelDoesNothing_data()
{
    QTest::addColumn<bool>("saving");
    QTest::newRow("save") << true;
    QTest::newRow("load") << false;
}

void TestReadingsCommands::cancelDoesNothing()
{
    QFETCH(bool, saving);
    QTemporaryDir dir;
    Fixture f;
    f.data->SensorAnalogue.set(3, 1, 77);
    saving ? f.commands.save() : f.commands.load();

    QCOMPARE(f.script.calls.size(), 1);
    QVERIFY(f.script.calls[0].kind == (saving ? Kind::Save : Kind::Open));
    QCOMPARE(f.prompts.messages.size(), 0);
    QCOMPARE(f.loadedSpy.size(), 0);
    QCOMPARE(f.commands.lastName(), QString());
    QCOMPARE(f.data->SensorAnalogue.at(3, 1), qint16(77));
}

void TestReadingsCommands::save()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("impianto.log"));
    Fixture f;
    f.data->SensorAnalogue.set(3, 1, 77);
    f.script.answers = {path};
    f.commands.save();

    QCOMPARE(f.prompts.messages.size(), 1);
    QCOMPARE(f.prompts.messages[0].text, QStringLiteral("Dati salvati su file ") + path);
    QCOMPARE(f.prompts.messages[0].title, QString());
    QVERIFY(f.prompts.messages[0].icon == Prompts::Icon::None);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("\r\n\r\nN 3           V 77          A 0 \r\n"));
    QCOMPARE(f.loadedSpy.size(), 0);
}

void TestReadingsCommands::load()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("impianto.log"));
    QVERIFY(writeBytes(path, "intestazione\r\n-\r\nN 9 V 123 A 4 \r\n*\r\nN 2 V 50 "));
    Fixture f;
    f.data->SensorHistogram.set(5, 9, 2, 8);
    f.script.answers = {path};
    f.commands.load();

    QCOMPARE(f.prompts.messages.size(), 1);
    QCOMPARE(f.prompts.messages[0].text, QStringLiteral("Dati caricati da file ") + path);
    QCOMPARE(f.prompts.messages[0].title, QString());
    QVERIFY(f.prompts.messages[0].icon == Prompts::Icon::None);
    QCOMPARE(f.loadedSpy.size(), 1);
    QCOMPARE(f.data->SensorAnalogue.at(9, 2), qint16(123));
    QCOMPARE(f.data->SensorCurrent.at(9, 2), qint16(4));
    QCOMPARE(f.data->ModuleAnalogue.at(2, 1), qint16(50));
    QCOMPARE(f.data->SensorHistogram.at(5, 9, 2), qint16(8));
}

void TestReadingsCommands::lastNamePrefilled()
{
    QTemporaryDir dir;
    const QString first = dir.filePath(QStringLiteral("primo.log"));
    const QString second = dir.filePath(QStringLiteral("secondo.log"));
    Fixture f;
    // Save as first, cancel a load, load first, save as second, cancel a save.
    f.script.answers = {first, QString(), first, second, QString()};
    f.commands.save();
    f.commands.load();
    f.commands.load();
    f.commands.save();
    f.commands.save();

    QCOMPARE(f.script.calls.size(), 5);
    const QStringList lastNames = {QString(), first, first, first, second};
    for (int i = 0; i < 5; ++i)
        QCOMPARE(f.script.calls[i].lastName, lastNames[i]);
    QCOMPARE(f.commands.lastName(), second);
    QCOMPARE(f.loadedSpy.size(), 1);
}

void TestReadingsCommands::failedSave()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("manca/impianto.log"));
    Fixture f;
    f.script.answers = {path};
    f.commands.save();

    QCOMPARE(f.prompts.messages.size(), 1);
    const FakePrompts::Message &message = f.prompts.messages[0];
    QVERIFY2(message.text.startsWith(QStringLiteral("I dati non sono stati salvati: impossibile "
                                                    "creare il file %1 (")
                                         .arg(path)),
             qPrintable(message.text));
    QVERIFY(message.icon == Prompts::Icon::Critical);
    QVERIFY(!QFile::exists(path));
}

void TestReadingsCommands::failedLoad()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("corto.log"));
    QVERIFY(writeBytes(path, "solo l'intestazione N 5 V 9"));
    Fixture f;
    f.data->SensorAnalogue.set(5, 1, 1);
    f.script.answers = {path};
    f.commands.load();

    QCOMPARE(f.prompts.messages.size(), 1);
    const FakePrompts::Message &message = f.prompts.messages[0];
    QVERIFY2(message.text.contains(path), qPrintable(message.text));
    QVERIFY(message.text.startsWith(QStringLiteral("I dati non sono stati caricati")));
    QVERIFY(message.icon == Prompts::Icon::Warning);
    QCOMPARE(f.loadedSpy.size(), 0);
    QCOMPARE(f.data->SensorAnalogue.at(5, 1), qint16(1));
}

void TestReadingsCommands::dialogSetUp_data()
{
    QTest::addColumn<bool>("saving");
    QTest::newRow("save") << true;
    QTest::newRow("open") << false;
}

void TestReadingsCommands::dialogSetUp()
{
    QFETCH(bool, saving);
    QTemporaryDir dir;
    const QString last = dir.filePath(QStringLiteral("ultimo.log"));
    QVERIFY(writeBytes(last, "x\r\n"));

    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    ReadingsCommands::configureDialog(dialog, saving ? Kind::Save : Kind::Open, last);

    QCOMPARE(
        dialog.nameFilters(),
        QStringList({QStringLiteral("Tutti i file (*.*)"), QStringLiteral("log file (*.log)")}));
    QCOMPARE(dialog.selectedNameFilter(), QStringLiteral("log file (*.log)"));
    QCOMPARE(dialog.defaultSuffix(), QString());
    QVERIFY(dialog.testOption(QFileDialog::DontConfirmOverwrite));
    QCOMPARE(dialog.acceptMode(), saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    QCOMPARE(dialog.fileMode(), saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    QCOMPARE(dialog.selectedFiles(), QStringList(last));
}

QTEST_MAIN(TestReadingsCommands)
#include "tst_readingscommands.moc"
