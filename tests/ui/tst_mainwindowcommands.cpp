// The main window's toolbar commands, menu bar and keyboard shortcuts.
#include "tests/ui/MainWindowBench.h"
#include "ui/AboutWindow.h"
#include "ui/ConfigurationDialog.h"
#include "ui/CsvExportCommand.h"
#include "ui/DownloadProgressWindow.h"
#include "ui/ReadingViews.h"
#include "ui/ReadingsCommands.h"
#include "ui/ReportPrinter.h"

#include <QComboBox>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

using namespace testloop;
using namespace testloop::bench;
using namespace Qt::StringLiterals;

class TestMainWindowCommands : public MainWindowTest
{
    Q_OBJECT
private slots:
    void eachWayReachesItsCommand_data();
    void eachWayReachesItsCommand();
    void informationKeepsTheScanConfigurationStopsIt();
    void savedReadingsOpenedAndVerified();
    void downloadEnds_data();
    void downloadEnds();
    void panelMenu();
};

// Every command from its control, key and menu entry, with what it shows (dialogs cancelled).
void TestMainWindowCommands::eachWayReachesItsCommand_data()
{
    QTest::addColumn<QString>("way"); // a control's or menu entry's objectName, or a key
    QTest::addColumn<QString>("shown");
    const auto rows = [](const QString &shown, const QStringList &ways) {
        for (const QString &way : ways)
            QTest::newRow(qPrintable(way)) << way << shown;
    };
    rows(u"scansione"_s, {u"Command1"_s, u"F5"_s, u"actionStart"_s});
    rows(u"Reset|Ripristino letture correnti?"_s, {u"Image7"_s, u"actionReset"_s});
    rows(u"Stop|Fermare la comunicazione?"_s, {u"Image6"_s, u"F6"_s, u"actionStop"_s});
    rows(u"configurazione"_s, {u"Image1"_s, u"F9"_s, u"actionConfiguration"_s});
    rows(u"informazioni"_s, {u"Image4"_s, u"F1"_s, u"actionInformation"_s});
    rows(u"salva"_s, {u"Image2"_s, u"Ctrl+S"_s, u"actionSave"_s});
    rows(u"apri"_s, {u"Image5"_s, u"Ctrl+O"_s, u"actionOpen"_s});
    rows(u"stampa"_s, {u"Image3"_s, u"Ctrl+P"_s, u"actionPrint"_s});
    rows(u"csv"_s, {u"actionCsv"_s});
    rows(u"Impianto (sito)"_s, {u"actionServiceReport"_s}); // the report's first question
}

void TestMainWindowCommands::eachWayReachesItsCommand()
{
    QFETCH(QString, way);
    QFETCH(QString, shown);

    QStringList seen;
    m_window->readingsCommands().setChooser(
        [&](QWidget *, ReadingsCommands::DialogKind kind, const QString &) {
            seen.append(kind == ReadingsCommands::DialogKind::Save ? u"salva"_s : u"apri"_s);
            return QString();
        });
    m_window->reportPrinter().setChooser([&](QPrinter &) {
        seen.append(u"stampa"_s);
        return false;
    });
    m_window->readingViews().csvExport().setChooser([&](QWidget *, const QString &) {
        seen.append(u"csv"_s);
        return QString();
    });
    m_window->activateWindow(); // for the keys
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    if (QAction *entry = action(way))
        entry->trigger();
    else if (QWidget *widget = m_window->findChild<QWidget *>(way))
        QTest::mouseClick(widget, Qt::LeftButton);
    else
        QTest::keySequence(m_window.get(), QKeySequence(way));
    seen += m_prompts->questions;
    if (m_window->configurationDialog() && m_window->configurationDialog()->isVisible())
        seen.append(u"configurazione"_s);
    if (m_window->informationWindow() && m_window->informationWindow()->isVisible())
        seen.append(u"informazioni"_s);
    if (m_window->cycle().isRunning())
        seen.append(u"scansione"_s);
    QCOMPARE(seen, QStringList {shown});
    QVERIFY(m_prompts->messages.isEmpty());
}

void TestMainWindowCommands::informationKeepsTheScanConfigurationStopsIt()
{
    QVERIFY(startScanAndWaitFor(2, u"N 2\nVA500\n[15] "_s));
    click(u"Image4"_s);
    const qsizetype asked = m_panel->requests().size();
    QVERIFY(waitUntil([&] { return m_panel->requests().size() > asked + 3; }));
    const auto *help = m_window->informationWindow()->findChild<QLabel *>(u"MenuHelp"_s);
    QVERIFY(help->text().contains(u"DOWNLOAD"_s) && help->text().contains(u"INIZIO TEST (F5)"_s));

    click(u"Image1"_s);
    QCOMPARE(scanStatus(), u"Scansione fermata"_s);
    QVERIFY(m_prompts->questions.isEmpty()); // stopped without asking
    ConfigurationDialog *dialog = m_window->configurationDialog();
    click(u"Image1"_s); // the same one, in front
    QCOMPARE(m_window->findChildren<ConfigurationDialog *>(), QList {dialog});
    dialog->controls().codeListOption->click();
    dialog->controls().codeList->setCurrentIndex(3);
    dialog->controls().okButton->click();
    QCOMPARE(control<QLabel>(u"Label1"_s)->text(), u"jbd"_s); // the code confirmed there
}

// Saved to a file, cleared, opened again (the files are tst_readingscommands'), then verified.
void TestMainWindowCommands::savedReadingsOpenedAndVerified()
{
    LoopData &data = m_window->loopData();
    data.SensorAnalogue.set(5, 1, 450);
    data.SensorReadCount.set(5, 1, 3);
    data.OkCount.set(5, 1, 2);
    data.FaultCount.set(5, 1, 1);
    const QString path = m_dir->filePath(u"letture.log"_s);
    m_window->readingsCommands().setChooser(
        [&](QWidget *, ReadingsCommands::DialogKind, const QString &) { return path; });
    click(u"Image2"_s);
    data.clearReadings();
    click(u"Image5"_s);
    QCOMPARE(deviceButton(5)->text(), u"N 5\nVA450\n[0] "_s); // redrawn from the file

    action(u"actionVerify"_s)->trigger();
    QCOMPARE(deviceButton(5)->text(), u"N° 5\n 66%\n 0%\n 33%"_s);
}

void TestMainWindowCommands::downloadEnds_data()
{
    QTest::addColumn<QString>("end");
    for (const QString &end : {u"completed"_s, u"Abort"_s, u"closed"_s}) // closed: window manager
        QTest::newRow(qPrintable(end)) << end;
}

void TestMainWindowCommands::downloadEnds()
{
    QFETCH(QString, end);
    for (int i = 0; i < 4; ++i)
        m_panel->queueFault(sim::Fault::None);
    m_panel->queueFault(sim::Fault::Silence); // the fifth request waits for a resend
    action(u"actionDownload"_s)->trigger();
    QVERIFY(waitUntil([&] { return m_window->download().progress() == 4; }));
    QVERIFY(!control(u"ClientArea"_s)->isEnabled() && !m_window->menuBar()->isEnabled());
    DownloadProgressWindow *progress = m_window->progressWindow();
    QVERIFY(progress->isVisible());
    const auto *bar = progress->findChild<QProgressBar *>(u"ProgressBar1"_s);
    QVERIFY(bar->value() == 4 && bar->maximum() == 198);
    const auto *label = progress->findChild<QLabel *>(u"Label1"_s);
    QVERIFY(waitUntil([&] { return label->isHidden(); }) // it blinks
            && waitUntil([&] { return !label->isHidden(); }));

    if (end == u"Abort")
        QTest::mouseClick(progress->findChild<QPushButton *>(u"Command1"_s), Qt::LeftButton);
    else if (end == u"closed")
        progress->close();
    else
        QVERIFY(waitUntil([&] { return !m_window->download().isRunning(); }));
    QVERIFY(!m_window->download().isRunning());
    QVERIFY(!m_window->progressWindow() || !m_window->progressWindow()->isVisible());
    QVERIFY(control(u"ClientArea"_s)->isEnabled() && m_window->menuBar()->isEnabled());
    QCOMPARE(m_prompts->messages.size(), end == u"completed" ? 1 : 0); // "Download completato"
    if (end == u"completed") // the progress window closed and gone
        QVERIFY(waitUntil([&] { return !m_window->progressWindow(); }));
    QVERIFY(!control(u"Command2"_s)->isVisible()); // still hidden
}

// The "Centrale" entries of the controls the window keeps hidden.
void TestMainWindowCommands::panelMenu()
{
    QAction *test = action(u"actionSensorTest"_s);
    test->trigger();
    QVERIFY(control<QRadioButton>(u"Option2_0"_s)->isChecked());
    QCOMPARE(deviceButton(5)->text(), u" 5"_s); // redrawn for the test
    test->trigger();
    QVERIFY(test->isChecked()); // chosen again: still the test
    click(u"Option2_1"_s);
    QVERIFY(!test->isChecked());

    QAction *lock = action(u"actionLock"_s);
    auto *lockButton = control<QPushButton>(u"Command4"_s);
    lock->trigger();
    QCOMPARE(m_panel->requests(), QList<QByteArray> {"(j006PIS000)XZ"});
    QVERIFY(lock->isChecked());
    QCOMPARE(lockButton->text(), u"LOCKED ON"_s);
    m_panel->unplug(); // a lock request that cannot be sent leaves tick and caption as they were
    lock->trigger();
    QCOMPARE(m_panel->requests().size(), 1);
    QVERIFY(lock->isChecked() && lockButton->text() == u"LOCKED ON"_s);

    action(u"actionReplyBox"_s)->trigger();
    QVERIFY(control(u"Text1"_s)->isVisible());
}

QTEST_MAIN(TestMainWindowCommands)
#include "tst_mainwindowcommands.moc"
