// The readings' save and open commands over real files: dialogs, files and messages.
#include "loopdata/LoopTables.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/Files.h"
#include "ui/ReadingsCommands.h"

#include <QFile>
#include <QFileDialog>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace testloop;
using namespace Qt::StringLiterals;
using Kind = ReadingsCommands::DialogKind;

namespace {

// File dialogs answered from a script.
struct Fixture
{
    std::unique_ptr<LoopData> data = std::make_unique<LoopData>();
    FakePrompts prompts;
    QStringList answers; // an empty answer is a cancelled dialog
    QList<QPair<Kind, QString>> calls; // how each dialog was opened: kind and last name
    ReadingsCommands commands {*data, prompts, [this](QWidget *, Kind kind, const QString &last) {
                                   calls.append({kind, last});
                                   return answers.isEmpty() ? QString() : answers.takeFirst();
                               }};
    QSignalSpy loaded {&commands, &ReadingsCommands::loaded};
};

} // namespace

class TestReadingsCommands : public QObject
{
    Q_OBJECT

private slots:
    void saveLoadAndCancel();
    void dialogSetUp();
};

void TestReadingsCommands::saveLoadAndCancel()
{
    QTemporaryDir dir;
    const QString saved = dir.filePath(u"impianto.log"_s);
    const QString missing = dir.filePath(u"manca/impianto.log"_s);
    const QString cut = dir.filePath(u"corto.log"_s);
    QVERIFY(testfiles::writeBytes(cut, "solo l'intestazione N 5 V 9"));
    Fixture f;
    f.data->SensorAnalogue.set(9, 2, 123);
    // Save, cancel a load, save into a missing folder, load a file that ends before its second
    // line, load what was saved, cancel a save.
    f.answers = {saved, QString(), missing, cut, saved, QString()};
    f.commands.save();
    f.data->SensorAnalogue.set(9, 2, 1);
    f.data->SensorHistogram.set(5, 9, 2, 8);
    f.commands.load();
    f.commands.save();
    f.commands.load();
    // Neither a cancelled nor a failed load touches the tables.
    QCOMPARE(f.data->SensorAnalogue.at(9, 2), qint16(1));
    QCOMPARE(f.loaded.size(), 0);
    f.commands.load();
    f.commands.save();

    QCOMPARE(f.loaded.size(), 1);
    QCOMPARE(f.data->SensorAnalogue.at(9, 2), qint16(123));
    QCOMPARE(f.data->SensorHistogram.at(5, 9, 2), qint16(8)); // not carried by the file
    QVERIFY(!QFile::exists(missing));
    // Each dialog offers the name chosen last in either of them.
    const QList<QPair<Kind, QString>> calls
        = {{Kind::Save, QString()}, {Kind::Open, saved}, {Kind::Save, saved},
           {Kind::Open, missing},   {Kind::Open, cut},   {Kind::Save, saved}};
    QVERIFY(f.calls == calls);
    QCOMPARE(f.commands.lastName(), saved);

    const QList<FakePrompts::Message> &shown = f.prompts.messages;
    QCOMPARE(shown.size(), 4);
    QCOMPARE(shown[0].text, u"Dati salvati su file "_s + saved);
    QVERIFY2(shown[1].text.startsWith(
                 u"I dati non sono stati salvati: impossibile creare il file %1 ("_s.arg(missing)),
             qPrintable(shown[1].text));
    QVERIFY(shown[2].text.startsWith(u"I dati non sono stati caricati: il file "_s + cut));
    QCOMPARE(shown[3].text, u"Dati caricati da file "_s + saved);
    using enum Prompts::Icon;
    const Prompts::Icon icons[] = {None, Critical, Warning, None};
    for (qsizetype i = 0; i < shown.size(); ++i)
        QVERIFY(shown[i].icon == icons[i] && shown[i].title.isEmpty());
}

void TestReadingsCommands::dialogSetUp()
{
    QTemporaryDir dir;
    const QString last = dir.filePath(u"ultimo.log"_s);
    QVERIFY(QFile(last).open(QIODevice::WriteOnly));
    for (const bool saving : {true, false}) {
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        ReadingsCommands::configureDialog(dialog, saving ? Kind::Save : Kind::Open, last);
        QCOMPARE(dialog.nameFilters(),
                 QStringList({u"Tutti i file (*.*)"_s, u"log file (*.log)"_s}));
        QCOMPARE(dialog.selectedNameFilter(), u"log file (*.log)"_s);
        QCOMPARE(dialog.defaultSuffix(), QString());
        QVERIFY(dialog.testOption(QFileDialog::DontConfirmOverwrite));
        QCOMPARE(dialog.acceptMode(), saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        QCOMPARE(dialog.fileMode(), saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        QCOMPARE(dialog.selectedFiles(), QStringList(last));
    }
}

QTEST_MAIN(TestReadingsCommands)
#include "tst_readingscommands.moc"
