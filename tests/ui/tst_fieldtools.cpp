// Tools beside the commands: traffic window, device list, status bar, Italian dialogs, autosave.
#include "link/TrafficLog.h"
#include "scan/CommunicationCounters.h"
#include "scan/LinkRecovery.h"
#include "storage/SessionSnapshot.h"
#include "tests/ui/MainWindowBench.h"
#include "ui/ConfigurationDialog.h"
#include "ui/DeviceChooser.h"
#include "ui/ItalianTranslations.h"
#include "ui/MessageBoxPrompts.h"
#include "ui/SessionAutosave.h"
#include "ui/TrafficWindow.h"

#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>

using namespace testloop;
using namespace testloop::bench;
using namespace Qt::StringLiterals;
using Kind = ExchangeEvent::Kind;

class TestFieldTools : public MainWindowTest
{
    Q_OBJECT
private slots:
    void trafficWindow();
    void deviceChosenByWhatItIs();
    void scanSummaryInTheStatusBar();
    void linkBack();
    void questionsInItalian();
    void interruptedSessionIsOffered();
};

void TestFieldTools::trafficWindow()
{
    QTest::keyClick(m_window.get(), Qt::Key_T, Qt::ControlModifier);
    TrafficWindow *traffic = m_window->trafficWindow();
    QVERIFY(traffic && traffic->isVisible());
    QCOMPARE(traffic->windowTitle(), u"Traffico seriale"_s);
    QVERIFY(scanOnePass());
    QVERIFY(waitUntil([&] { return traffic->viewText().contains(u"→  (j006AQ1099)XZ"_s); }));
    // Paused, the view stands still while the log goes on recording.
    control<QPushButton>(u"TrafficPause"_s)->click();
    const QString frozen = traffic->viewText();
    const quint64 recorded = m_window->traffic().recorded();
    QVERIFY(scanOnePass());
    QTest::qWait(300); // longer than the view's refresh
    QCOMPARE(traffic->viewText(), frozen);
    QVERIFY(m_window->traffic().recorded() > recorded);
    control<QPushButton>(u"TrafficPause"_s)->click();
    QCOMPARE(traffic->viewText().count(u'\n') + 1, m_window->traffic().size());
    const QString path = m_dir->filePath(u"traffico.txt"_s);
    traffic->setFileChooser([&](QWidget *) { return path; });
    control<QPushButton>(u"TrafficSave"_s)->click();
    const QStringList saved = QString::fromUtf8(testfiles::readBytes(path)).split(u'\n');
    QCOMPARE(saved.size() - 1, m_window->traffic().size()); // each line ends with its line end
    QCOMPARE(saved.first(), m_window->traffic().line(0));
    QVERIFY(m_prompts->messages.last().text.startsWith(u"Traffico salvato su file"_s));
    traffic->setFileChooser([&](QWidget *) { return m_dir->filePath(u"manca/traffico.txt"_s); });
    control<QPushButton>(u"TrafficSave"_s)->click();
    QCOMPARE(m_prompts->messages.last().icon, Prompts::Icon::Critical);
    QVERIFY(m_prompts->messages.last().text.startsWith(u"Il traffico non è stato salvato"_s));
    control<QPushButton>(u"TrafficClear"_s)->click();
    QVERIFY(traffic->viewText().isEmpty());
    QCOMPARE(m_window->traffic().size(), 0);
}

// Chosen from the system's list or typed, the device is remembered apart from TestLoop.ini.
void TestFieldTools::deviceChosenByWhatItIs()
{
    m_window->openConfiguration();
    DeviceChooser *chooser = m_window->configurationDialog()->deviceChooser();
    chooser->setPortLister([] {
        return QList<SerialPortEntry> {
            {u"/dev/ttyUSB0"_s, u"FT232R USB UART"_s, u"FTDI"_s, u"A10K3XYZ"_s},
            {u"/dev/ttyS0"_s, {}, {}, {}}};
    });
    QListWidget *list = chooser->list();
    QCOMPARE(list->count(), 3); // "by number" first
    QCOMPARE(list->item(1)->text(), u"/dev/ttyUSB0 - FT232R USB UART - FTDI - n/s A10K3XYZ"_s);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(1)).center());
    QCOMPARE(m_shared->chosenDevice, u"/dev/ttyUSB0"_s);

    QTest::keyClicks(chooser->pathBox(), u"1"_s); // typed: /dev/ttyUSB01
    QCOMPARE(m_shared->chosenDevice, u"/dev/ttyUSB01"_s);
    QVERIFY(list->selectedItems().isEmpty());
    m_window->configurationDialog()->controls().okButton->click();
    QCOMPARE(testfiles::readBytes(iniPath()).count("\r\n"), 9);
    m_shared->chosenDevice.clear();
    reopen(); // a new run
    QCOMPARE(m_shared->chosenDevice, u"/dev/ttyUSB01"_s);
    m_window->openConfiguration();
    QCOMPARE(m_window->configurationDialog()->deviceChooser()->pathBox()->text(),
             u"/dev/ttyUSB01"_s);
}

void TestFieldTools::scanSummaryInTheStatusBar()
{
    const auto *summary = control<QLabel>(u"ScanSummary"_s);
    QVERIFY(!summary->isVisible());
    QVERIFY(scanOnePass());
    m_panel->queueFault(sim::Fault::Garbage); // the next scan's first reply is noise
    QString shown; // as the second scan asks address 3
    connect(m_panel.get(), &Transport::exchangeEvent, this, [&](const ExchangeEvent &event) {
        if (event.kind == Kind::RequestOut && event.tag.address == 3 && shown.isEmpty())
            shown = summary->isVisible() ? summary->text() : u"hidden"_s;
    });
    click(u"Command1"_s);
    QVERIFY(waitUntil([&] { return !shown.isEmpty(); }));
    m_window->cycle().halt();
    QVERIFY2(shown.startsWith(u"Loop 1 · indirizzo 3/99 · giro 1 · risposte valide 9"_s),
             qPrintable(shown));
    QVERIFY(!summary->isVisible());
    QCOMPARE(m_window->counters().at(1, 1).discardedTotal(), 1);
    click(u"Image7"_s); // the counters are cleared with the readings
    QCOMPARE(m_window->counters().loopTotal(1).requests, 0);
}

// When the link comes back a scan resumes on its own; a download asks to start again.
void TestFieldTools::linkBack()
{
    unplugAt(5);
    click(u"Command1"_s);
    const auto *news = control<QLabel>(u"LinkStatus"_s);
    QVERIFY(waitUntil([&] { return news->isVisible(); }));
    QVERIFY2(news->text().contains(u"collegamento perso, in attesa che simulatore torni"_s),
             qPrintable(news->text()));
    QCOMPARE(m_prompts->messages.size(), 1); // the loss, told once
    m_panel->plugIn();
    QVERIFY(waitUntil([&] { return news->text().contains(u"di nuovo collegato"_s); }));
    QVERIFY(news->text().endsWith(u"scansione ripresa all'indirizzo 5"_s));
    QVERIFY(waitForCaption(5, u"N 5\nVA500\n[15] "_s));
    QVERIFY(m_prompts->messages.size() == 1 && m_prompts->questions.isEmpty());

    m_window->cycle().halt();
    unplugAt(20);
    m_window->download().start();
    QVERIFY(waitUntil([&] { return m_window->recovery().isWatching(); }));
    m_panel->plugIn();
    QVERIFY(waitUntil([&] {
        return !m_prompts->messages.isEmpty()
            && m_prompts->messages.last().text == u"Download completato"_s;
    }));
    QCOMPARE(m_prompts->questions.last(),
             u"Download|Il dispositivo simulatore è di nuovo collegato. Ripetere il download "
             u"dall'inizio?"_s);
    QCOMPARE(m_window->loopData().DeviceType.at(99, 1), u"AUTOMATICO"_s);
}

void TestFieldTools::questionsInItalian()
{
    QVERIFY(installItalianTranslations(*qApp));
    MessageBoxPrompts prompts(m_window.get());
    QString yes;
    QTimer::singleShot(0, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        yes = box->button(QMessageBox::Yes)->text().remove(u'&');
        box->button(QMessageBox::No)->click();
    });
    QVERIFY(!prompts.askYesNo(u"Fermare la comunicazione?"_s, u"Stop"_s));
    QCOMPARE(yes, u"Sì"_s);
}

// A crash leaves the autosave, offered at the next start; No and a clean exit remove it.
void TestFieldTools::interruptedSessionIsOffered()
{
    QVERIFY(scanOnePass()); // saved as the scan stopped
    const QString path = m_window->autosave().path();
    const QByteArray saved = testfiles::readBytes(path);
    const std::optional<SessionSnapshot> snapshot = readSession(saved);
    QVERIFY(snapshot.has_value());

    reopen(); // no close: as if the program had died
    QVERIFY(m_prompts->questions.last().startsWith(
        u"Sessione interrotta|Ripristinare le letture della sessione interrotta?\n(salvate il "_s));
    QCOMPARE(writeSession(m_window->loopData(), m_window->counters(), snapshot->taken), saved);
    QCOMPARE(deviceButton(8)->text(), u"N 8\nVA2000\n[15] "_s);

    m_prompts->answers = {false};
    reopen();
    QVERIFY(!QFile::exists(path));
    QCOMPARE(m_window->loopData().SensorReadCount.at(8, 1), qint16(0));

    // Ended by a signal while scanning: the readings since the last save are saved too.
    click(u"Command1"_s);
    QVERIFY(waitUntil([&] { return m_window->loopData().SensorReadCount.at(3, 1) == 1; }));
    m_window.reset();
    const std::optional<SessionSnapshot> kept = readSession(testfiles::readBytes(path));
    QVERIFY(kept && kept->data->SensorReadCount.at(3, 1) == 1);

    openWindow(iniPath());
    QVERIFY(scanOnePass());
    m_window->close(); // a clean exit
    QVERIFY(!QFile::exists(path));
}

QTEST_MAIN(TestFieldTools)
#include "tst_fieldtools.moc"
