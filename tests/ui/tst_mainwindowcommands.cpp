// The main window's toolbar commands, its menu bar and keyboard shortcuts, against the
// simulated panel.
#include "link/SerialLink.h"
#include "scan/ConfigurationDownload.h"
#include "scan/ScanCycle.h"
#include "tests/ui/MainWindowBench.h"
#include "ui/AboutWindow.h"
#include "ui/ConfigurationDialog.h"
#include "ui/DownloadProgressWindow.h"
#include "ui/PictureButton.h"
#include "ui/ReadingsCommands.h"
#include "ui/ReportPrinter.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPrinter>
#include <QProgressBar>
#include <QRadioButton>
#include <QScrollArea>
#include <QSignalSpy>

using namespace testloop;
using namespace testloop::bench;

class TestMainWindowCommands
    : public QObject
    , public MainWindowBench
{
    Q_OBJECT
private slots:
    void init() { QVERIFY(setUp()); }
    void cleanup() { tearDown(); }

    void configurationStopsTheScanWithoutAsking();
    void informationLeavesTheScanRunning();
    void saveAndOpenByKeyboard();
    void printToAFile();
    void downloadFromTheMenu();
    void abortFromTheProgressWindow();
    void closingTheProgressWindowAborts();
    void verificationFromALoadedFile();
    void menuRunsTheHiddenCommands();
    void startAndStopByKeyboard();
    void menuBarLeavesTheControlsInPlace();

private:
    QAction *action(const QString &name) const { return m_window->findChild<QAction *>(name); }
    bool activate()
    {
        m_window->activateWindow();
        return QTest::qWaitForWindowActive(m_window.get());
    }
    qsizetype scanRequests() const
    {
        qsizetype count = 0;
        for (const QByteArray &request : m_panel->requests())
            count += request.contains("6AQ") ? 1 : 0;
        return count;
    }
};

void TestMainWindowCommands::configurationStopsTheScanWithoutAsking()
{
    QVERIFY(startScanAndWaitFor(2, QStringLiteral("N 2\nVA500\n[15] ")));
    control<PictureButton>(QStringLiteral("Image1"))->click();
    QCOMPARE(m_window->cycle().activity(), ScanCycle::Activity::Idle);
    QVERIFY(m_prompts->questions.isEmpty());
    QVERIFY(!m_window->link().isOpen());
    ConfigurationDialog *dialog = m_window->configurationDialog();
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(dialog->objectName(), QStringLiteral("Form2"));
    QTest::qWait(100); // a request already on the line may still reach the panel
    const qsizetype asked = scanRequests();
    QTest::qWait(200);
    QCOMPARE(scanRequests(), asked);

    control<PictureButton>(QStringLiteral("Image1"))->click(); // the same dialog, in front
    QCOMPARE(m_window->configurationDialog(), dialog);
    QCOMPARE(m_window->findChildren<ConfigurationDialog *>().size(), 1);
}

void TestMainWindowCommands::informationLeavesTheScanRunning()
{
    QVERIFY(startScanAndWaitFor(2, QStringLiteral("N 2\nVA500\n[15] ")));
    control<PictureButton>(QStringLiteral("Image4"))->click();
    AboutWindow *about = m_window->informationWindow();
    QVERIFY(about && about->isVisible());
    const qsizetype asked = scanRequests();
    QVERIFY(waitUntil([&] { return scanRequests() > asked + 3; }));
    control<PictureButton>(QStringLiteral("Image4"))->click();
    QCOMPARE(m_window->informationWindow(), about);
    // The window also lists the menu and the keys.
    const auto *help = about->findChild<QLabel *>(QStringLiteral("MenuHelp"));
    QVERIFY(help);
    QVERIFY(help->text().contains(QStringLiteral("DOWNLOAD")));
    QVERIFY(help->text().contains(QStringLiteral("F5")));
    m_window->cycle().halt();
}

void TestMainWindowCommands::saveAndOpenByKeyboard()
{
    const QString path = m_dir->filePath(QStringLiteral("letture.log"));
    QStringList asked;
    m_window->readingsCommands().setChooser(
        [&](QWidget *, ReadingsCommands::DialogKind kind, const QString &) {
            asked.append(kind == ReadingsCommands::DialogKind::Save ? QStringLiteral("save")
                                                                    : QStringLiteral("open"));
            return path;
        });
    m_window->loopData().SensorAnalogue.set(5, 1, 450);
    QVERIFY(activate());
    QTest::keyClick(m_window.get(), Qt::Key_S, Qt::ControlModifier);
    QVERIFY(QFile::exists(path));
    QCOMPARE(m_prompts->messages.last().text, QStringLiteral("Dati salvati su file ") + path);

    m_window->loopData().SensorAnalogue.set(5, 1, 0);
    QTest::keyClick(m_window.get(), Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(asked, (QStringList {QStringLiteral("save"), QStringLiteral("open")}));
    QCOMPARE(m_prompts->messages.last().text, QStringLiteral("Dati caricati da file ") + path);
    QCOMPARE(m_window->loopData().SensorAnalogue.at(5, 1), qint16(450));
    QCOMPARE(deviceButton(5)->text(), QStringLiteral("N 5\nVA450\n[0] ")); // redrawn
}

void TestMainWindowCommands::printToAFile()
{
    const QString path = m_dir->filePath(QStringLiteral("report.pdf"));
    m_window->reportPrinter().setChooser([&](QPrinter &printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        return true;
    });
    control<PictureButton>(QStringLiteral("Image3"))->click();
    QVERIFY(QFileInfo(path).size() > 0);
    QVERIFY(m_prompts->messages.isEmpty());
}

void TestMainWindowCommands::downloadFromTheMenu()
{
    QSignalSpy started(&m_window->download(), &ConfigurationDownload::started);
    bool outOfUse = false;
    bool progressShown = false;
    connect(&m_window->download(), &ConfigurationDownload::progressChanged, this, [&](int value) {
        if (value == 10) {
            outOfUse = !control(QStringLiteral("ClientArea"))->isEnabled()
                && !m_window->menuBar()->isEnabled();
            progressShown = m_window->progressWindow() && m_window->progressWindow()->isVisible();
        }
    });
    action(QStringLiteral("actionDownload"))->trigger();
    QCOMPARE(started.count(), 1);
    QCOMPARE(m_prompts->questions.last(), QStringLiteral("Stop|Fermare la comunicazione?"));
    QVERIFY(waitUntil([&] { return !m_window->download().isRunning(); }));
    QVERIFY(outOfUse);
    QVERIFY(progressShown);
    QVERIFY(waitUntil([&] { return !m_window->progressWindow(); })); // closed and gone
    QVERIFY(control(QStringLiteral("ClientArea"))->isEnabled());
    QVERIFY(m_window->menuBar()->isEnabled());
    QCOMPARE(m_prompts->messages.last().text, QStringLiteral("Download completato"));
    QCOMPARE(m_window->loopData().DeviceType.at(5, 1), QStringLiteral("AUTOMATICO"));
    QVERIFY(!control(QStringLiteral("Command2"))->isVisible()); // still hidden
}

void TestMainWindowCommands::abortFromTheProgressWindow()
{
    m_window->loopData().DeviceType.set(60, 1, QStringLiteral("KELVARO"));
    m_panel->queueFault(sim::Fault::None);
    for (int i = 0; i < 3; ++i)
        m_panel->queueFault(sim::Fault::None);
    m_panel->queueFault(sim::Fault::Silence); // the fifth request waits for a resend
    m_window->download().start();
    QVERIFY(waitUntil([&] { return m_window->download().progress() == 4; }));
    DownloadProgressWindow *progress = m_window->progressWindow();
    QVERIFY(progress && progress->isVisible());
    QCOMPARE(progress->windowTitle(), QString());
    QCOMPARE(progress->findChild<QProgressBar *>(QStringLiteral("ProgressBar1"))->value(), 4);
    QCOMPARE(progress->findChild<QProgressBar *>(QStringLiteral("ProgressBar1"))->maximum(), 198);
    // The label blinks: hidden, then shown again.
    auto *label = progress->findChild<QLabel *>(QStringLiteral("Label1"));
    QCOMPARE(label->text(), QStringLiteral("DOWNLOAD"));
    QVERIFY(waitUntil([&] { return label->isHidden(); }));
    QVERIFY(waitUntil([&] { return !label->isHidden(); }));

    QTest::mouseClick(progress->findChild<QPushButton *>(QStringLiteral("Command1")),
                      Qt::LeftButton);
    QVERIFY(!m_window->download().isRunning());
    QVERIFY(!m_window->progressWindow() || !m_window->progressWindow()->isVisible()); // closed
    QVERIFY(control(QStringLiteral("ClientArea"))->isEnabled());
    QCOMPARE(m_window->loopData().DeviceType.at(2, 1), QStringLiteral("AUTOMATICO")); // kept
    QCOMPARE(m_window->loopData().DeviceType.at(60, 1), QStringLiteral("KELVARO")); // untouched
    QVERIFY(m_prompts->messages.isEmpty()); // no completion message
}

void TestMainWindowCommands::closingTheProgressWindowAborts()
{
    for (int i = 0; i < 50; ++i)
        m_panel->queueFault(sim::Fault::Silence);
    m_window->download().start();
    QVERIFY(waitUntil([&] { return !m_panel->requests().isEmpty(); }));
    QVERIFY(m_window->progressWindow());
    m_window->progressWindow()->close(); // by the window manager, not "Abort"
    QVERIFY(!m_window->download().isRunning());
    QVERIFY(control(QStringLiteral("ClientArea"))->isEnabled());
    QVERIFY(m_window->menuBar()->isEnabled());
}

void TestMainWindowCommands::verificationFromALoadedFile()
{
    // A file saved with statistics, loaded into a fresh window, then verified.
    LoopData &data = m_window->loopData();
    data.SensorReadCount.set(5, 1, 3);
    data.OkCount.set(5, 1, 2);
    data.FaultCount.set(5, 1, 1);
    data.SensorReadCount.set(6, 1, 2);
    data.OkCount.set(6, 1, 1);
    data.OutOfRangeCount.set(6, 1, 1);
    const QString path = m_dir->filePath(QStringLiteral("statistiche.log"));
    m_window->readingsCommands().setChooser(
        [&](QWidget *, ReadingsCommands::DialogKind, const QString &) { return path; });
    m_window->readingsCommands().save();
    data.clearReadings();
    m_window->readingsCommands().load();
    QCOMPARE(data.OkCount.at(5, 1), qint16(2));

    action(QStringLiteral("actionVerify"))->trigger();
    QCOMPARE(deviceButton(5)->text(), QStringLiteral("N° 5\n 66%\n 0%\n 33%"));
    QCOMPARE(deviceButton(5)->colour(), ButtonColour::Green);
    QCOMPARE(deviceButton(6)->text(), QStringLiteral("N° 6\n 50%\n 50%\n 0%"));
    QCOMPARE(deviceButton(6)->colour(), ButtonColour::Red);

    // Module mode: nothing at all, not even the question.
    QTest::mouseClick(control(QStringLiteral("Option2_2")), Qt::LeftButton);
    const qsizetype questions = m_prompts->questions.size();
    const QString before = deviceButton(5)->text();
    action(QStringLiteral("actionVerify"))->trigger();
    QCOMPARE(m_prompts->questions.size(), questions);
    QCOMPARE(deviceButton(5)->text(), before);
}

void TestMainWindowCommands::menuRunsTheHiddenCommands()
{
    action(QStringLiteral("actionSensorTest"))->trigger();
    QVERIFY(control<QRadioButton>(QStringLiteral("Option2_0"))->isChecked());
    QCOMPARE(m_window->cycle().mode(), ScanMode::SensorTest);
    QCOMPARE(deviceButton(5)->text(), QStringLiteral(" 5")); // the test-mode redraw
    QVERIFY(action(QStringLiteral("actionSensorTest"))->isChecked());
    action(QStringLiteral("actionSensorTest"))->trigger(); // chosen again: still test mode
    QVERIFY(action(QStringLiteral("actionSensorTest"))->isChecked());
    QTest::mouseClick(control(QStringLiteral("Option2_1")), Qt::LeftButton);
    QVERIFY(!action(QStringLiteral("actionSensorTest"))->isChecked());

    m_window->loopData().SensorReadCount.set(5, 1, 2);
    m_window->loopData().OkCount.set(5, 1, 2);
    action(QStringLiteral("actionVerify"))->trigger();
    QCOMPARE(deviceButton(5)->text(), QStringLiteral("N° 5\n 100%\n 0%\n 0%"));

    action(QStringLiteral("actionLock"))->trigger();
    QVERIFY(waitUntil([&] { return lockRequests() == 1; }));
    QCOMPARE(m_panel->requests().last(), QByteArray("(j006PIS000)XZ"));
    QVERIFY(action(QStringLiteral("actionLock"))->isChecked());
    QCOMPARE(control<QPushButton>(QStringLiteral("Command4"))->text(), QStringLiteral("LOCKED ON"));

    // A lock request that cannot be sent leaves the tick as it was.
    m_panel->unplug();
    action(QStringLiteral("actionLock"))->trigger();
    QVERIFY(action(QStringLiteral("actionLock"))->isChecked());
    QCOMPARE(lockRequests(), 1);

    auto *replyBox = control<QLineEdit>(QStringLiteral("Text1"));
    QVERIFY(!replyBox->isVisible());
    action(QStringLiteral("actionReplyBox"))->trigger();
    QVERIFY(replyBox->isVisible());
}

void TestMainWindowCommands::startAndStopByKeyboard()
{
    QVERIFY(activate());
    QTest::keyClick(m_window.get(), Qt::Key_F5);
    QVERIFY(waitForCaption(2, QStringLiteral("N 2\nVA500\n[15] ")));
    m_prompts->answers = {true};
    QTest::keyClick(m_window.get(), Qt::Key_F6);
    QCOMPARE(m_prompts->questions.last(), QStringLiteral("Stop|Fermare la comunicazione?"));
    QCOMPARE(m_window->cycle().activity(), ScanCycle::Activity::Idle);
}

void TestMainWindowCommands::menuBarLeavesTheControlsInPlace()
{
    const QWidget *client = control(QStringLiteral("ClientArea"));
    const QMenuBar *bar = m_window->menuBar();
    QVERIFY(bar->isVisible());
    // The client area starts below the menu bar, and the controls keep their twips places in it.
    QVERIFY(client->mapTo(m_window.get(), QPoint(0, 0)).y() >= bar->geometry().bottom());
    const QWidget *start = control(QStringLiteral("Command1"));
    QCOMPARE(start->parentWidget(), client);
    const int eight = qRound(120.0 * client->logicalDpiX() / 1440.0);
    QCOMPARE(start->pos(), QPoint(eight, qRound(120.0 * client->logicalDpiY() / 1440.0)));

    // On a screen whose height the grid fills, the bars would cover its bottom row: the
    // client area is as large as the grid and scrolls within the window instead.
    m_window->resize(800, 600);
    QWidget *bottom = deviceButton(1);
    QVERIFY(bottom->geometry().bottom() < control(QStringLiteral("ClientArea"))->height());
    auto *scroll = m_window->findChild<QScrollArea *>(QStringLiteral("ClientScroll"));
    QVERIFY(scroll);
    scroll->ensureWidgetVisible(bottom);
    QVERIFY(bottom->visibleRegion().boundingRect().height() == bottom->height());
}

QTEST_MAIN(TestMainWindowCommands)
#include "tst_mainwindowcommands.moc"
