// The main window against the simulated panel: its controls and start-up, the controls that
// drive the scan, the port messages and its closing. The engine's part is the engine tests'.
#include "tests/ui/MainWindowBench.h"
#include "ui/DeviceGridWidget.h"
#include "ui/GridGeometry.h"
#include "ui/ReadingViews.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QRadioButton>

using namespace testloop;
using namespace testloop::bench;
using namespace Qt::StringLiterals;

class TestMainWindow : public MainWindowTest
{
    Q_OBJECT
private slots:
    void fixedControls_data();
    void fixedControls();
    void gridFollowsTheWindow();
    void startUp();
    void moduleOption();
    void loopOption();
    void stopResetAndClose();
    void deviceClickStartsThere();
    void replyBoxShowsEachReply();
    void portMessages_data();
    void portMessages();
};

void TestMainWindow::fixedControls_data()
{
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("toolTip");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<bool>("visible");
    const QString client = u"ClientArea"_s;
    QTest::newRow("Command1") << client << u"INIZIO TEST"_s << u"INIZIO SCANSIONE"_s
                              << QRect(120, 120, 735, 615) << true;
    QTest::newRow("Option1_2") << u"Frame1"_s << u"2"_s << QString() << QRect(720, 360, 375, 195)
                               << true;
    QTest::newRow("Frame3") << client << u"Codie scheda"_s << QString() << QRect(2400, 0, 1335, 735)
                            << true;
    QTest::newRow("Command3") << client << u"VERIFICA IMPIANTO"_s << u"solo x sensori"_s
                              << QRect(4320, 3480, 1815, 255) << false;
    QTest::newRow("Image6") << client << QString() << u"ARRESTA SCANSIONE"_s
                            << QRect(6720, 120, 480, 480) << true;
}

void TestMainWindow::fixedControls()
{
    QFETCH(QString, parent);
    QFETCH(QString, caption);
    QFETCH(QString, toolTip);
    QFETCH(QRect, twips);
    QFETCH(bool, visible);

    const QList<QWidget *> found
        = m_window->findChildren<QWidget *>(QString::fromLatin1(QTest::currentDataTag()));
    QCOMPARE(found.size(), 1);
    QWidget *widget = found.first();
    QCOMPARE(widget->parentWidget()->objectName(), parent);
    QString shown;
    if (const auto *button = qobject_cast<const QAbstractButton *>(widget))
        shown = button->text();
    else if (const auto *frame = qobject_cast<const QGroupBox *>(widget))
        shown = frame->title();
    QCOMPARE(shown, caption);
    QCOMPARE(widget->toolTip(), toolTip);
    QCOMPARE(widget->geometry(),
             twipsToPixels(twips, widget->logicalDpiX(), widget->logicalDpiY()));
    QCOMPARE(widget->isVisible(), visible);
    // Nothing covers a control that is shown.
    QWidget *client = control(u"ClientArea"_s);
    const QWidget *hit = client->childAt(widget->mapTo(client, widget->rect().center()));
    QVERIFY(!visible || hit == widget || widget->isAncestorOf(hit));
}

// Shrunk with the window, every button lies whole below the toolbar row (the sizes are
// tst_devicegrid's); where the window holds the screen's grid, that grid holds as it is.
void TestMainWindow::gridFollowsTheWindow()
{
    QWidget *client = control(u"ClientArea"_s);
    m_window->resize(800, 600);
    QVERIFY(waitUntil([&] { return m_window->size() == QSize(800, 600); }));
    for (int address = 1; address <= 99; ++address) {
        const QRect cell(deviceButton(address)->mapTo(client, QPoint(0, 0)),
                         deviceButton(address)->size());
        QVERIFY2(client->rect().contains(cell)
                     && cell.top() >= control(u"Frame1"_s)->geometry().bottom(),
                 qPrintable(QString::number(address)));
    }
    m_window->resize(1200, 900);
    QVERIFY(waitUntil([&] { return deviceButton(1)->geometry() == QRect(68, 658, 68, 77); }));
}

void TestMainWindow::startUp()
{
    QCOMPARE(m_window->windowTitle(), u"Orvalis Analogue Loop Testing Software"_s);
    const Qt::WindowFlags flags = m_window->windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint)
            && !flags.testFlag(Qt::WindowMinimizeButtonHint)
            && !flags.testFlag(Qt::WindowMaximizeButtonHint));
    // The settings come from TestLoop.ini; the port is opened only by a scan.
    QCOMPARE(m_shared->settings.VaSMax, qint16(1900));
    QCOMPARE(m_window->link().portNumber(), 2);
    QCOMPARE(m_panel->openCount(), 0);
    const auto *code = control<QLabel>(u"Label1"_s);
    QCOMPARE(code->text(), u"j00"_s);
    QVERIFY(code->font().family() == u"Arial"_s && code->font().pointSize() == 9
            && code->font().bold());
    QVERIFY(control<QRadioButton>(u"Option1_1"_s)->isChecked());
    QVERIFY(control<QRadioButton>(u"Option2_1"_s)->isChecked());
    QCOMPARE(scanStatus(), u"Pronto"_s);
    QVERIFY(control(u"ClientArea"_s)->mapTo(m_window.get(), QPoint(0, 0)).y()
            >= m_window->menuBar()->height());
    QCOMPARE(control<QLabel>(u"DeviceStatus"_s)->text(), u"Porta seriale: simulatore"_s);
    QVERIFY(m_prompts->messages.isEmpty() && m_prompts->questions.isEmpty());

    // Without TestLoop.ini the user is told, and the defaults are in force.
    m_window.reset();
    *m_shared = SharedState {};
    openWindow(m_dir->filePath(u"missing/TestLoop.ini"_s));
    QCOMPARE(m_prompts->messages.size(), 1);
    QCOMPARE(m_prompts->messages.first().icon, Prompts::Icon::Warning);
    QVERIFY(m_prompts->messages.first().text.contains(u"TestLoop.ini"_s));
    QCOMPARE(m_shared->settings, Settings {});
    QCOMPARE(m_window->link().portNumber(), 1);
}

void TestMainWindow::moduleOption()
{
    click(u"Option2_2"_s); // redrawn at once as modules, then scanned as modules
    QCOMPARE(deviceButton(10)->toolTip(), u"MODULO N° 10 LOOP 1 GUASTO"_s);
    QVERIFY(startScanAndWaitFor(10, u"N 10\nVA500\n[15] "_s));
    QCOMPARE(deviceButton(10)->toolTip(), u"MODULO N° 10 LOOP 1 OK"_s);
    click(u"Option2_1"_s); // back to the sensors' empty readings
    QCOMPARE(deviceButton(10)->text(), unscanned(10));
    QCOMPARE(deviceButton(10)->toolTip(), u"N° 10"_s);
}

// Switched during a scan, the scan goes on at address 1 of the other loop.
void TestMainWindow::loopOption()
{
    QVERIFY(startScanAndWaitFor(5, u"N 5\nVA500\n[15] "_s));
    click(u"Option1_2"_s);
    QCOMPARE(deviceButton(5)->text(), unscanned(5)); // loop 2 has no readings yet
    QVERIFY(waitForCaption(3, u"N 3\nVA600\n[15] "_s));
    const QList<QByteArray> &asked = m_panel->requests();
    QCOMPARE(*std::find_if(asked.cbegin(), asked.cend(), [](const auto &r) { return r[7] == '2'; }),
             QByteArray("(j006AQ2001)XZ"));
    click(u"Option1_1"_s); // loop 1's readings were kept
    QCOMPARE(deviceButton(5)->text(), u"N 5\nVA500\n[15] "_s);
    m_window->grid().setCaption(5, u"marker"_s);
    click(u"Option1_1"_s); // already chosen: not redrawn
    QCOMPARE(deviceButton(5)->text(), u"marker"_s);
}

// Stop and reset ask first; closing the window stops the scan asking nothing.
void TestMainWindow::stopResetAndClose()
{
    QVERIFY(startScanAndWaitFor(2, u"N 2\nVA500\n[15] "_s));
    QVERIFY(scanStatus().startsWith(u"Scansione sensori del loop 1, indirizzo"_s));
    click(u"Image6"_s);
    QCOMPARE(m_prompts->questions, QStringList {u"Stop|Fermare la comunicazione?"_s});
    QCOMPARE(scanStatus(), u"Scansione fermata"_s);
    QVERIFY(!m_window->cycle().isRunning());
    m_prompts->answers = {false, true};
    click(u"Image7"_s); // No: kept
    QCOMPARE(deviceButton(2)->text(), u"N 2\nVA500\n[15] "_s);
    click(u"Image7"_s); // Yes: cleared and redrawn
    QCOMPARE(deviceButton(2)->text(), unscanned(2));

    QVERIFY(startScanAndWaitFor(2, u"N 2\nVA500\n[15] "_s));
    QVERIFY(m_window->close());
    QVERIFY(!m_window->cycle().isRunning() && !m_panel->isOpen());
    const qsizetype stopped = m_panel->requests().size();
    QTest::qWait(50);
    QCOMPARE(m_panel->requests().size(), stopped);
    QCOMPARE(m_prompts->questions.size(), 3);
}

void TestMainWindow::deviceClickStartsThere()
{
    QTest::mouseClick(deviceButton(40), Qt::LeftButton);
    QVERIFY(waitForCaption(41, u"N 41\nVA500\n[15] "_s));
    QCOMPARE(m_panel->requests().first(), QByteArray("(j006AQ1040)XZ"));
    QCOMPARE(deviceButton(39)->text(), unscanned(39));
    QVERIFY(!m_window->readingViews().detailWindow()); // a left click asks for no details
}

void TestMainWindow::replyBoxShowsEachReply()
{
    auto *replyBox = control<QLineEdit>(u"Text1"_s);
    QCOMPARE(replyBox->text(), u"RX"_s);
    QStringList shown;
    QStringList taken;
    const QObject watch;
    connect(m_panel.get(), &Transport::exchangeEvent, &watch, [&](const ExchangeEvent &event) {
        if (event.kind == ExchangeEvent::Kind::ReplyAccepted) {
            shown.append(replyBox->text());
            taken.append(QString::fromLatin1(event.bytes));
        }
    });
    QVERIFY(scanOnePass());
    QCOMPARE(shown.size(), 101);
    QCOMPARE(shown, taken);
}

// A port that cannot be opened, or lost at address 4: the scan stops, then one message.
void TestMainWindow::portMessages_data()
{
    QTest::addColumn<bool>("whileScanning");
    QTest::addColumn<QString>("words");
    QTest::addColumn<QString>("status");
    QTest::newRow("cannot be opened") << false << u"Impossibile aprire la porta seriale"_s
                                      << u"Scansione fermata: porta seriale non disponibile"_s;
    QTest::newRow("lost while scanning")
        << true << u"si è interrotta"_s
        << u"Scansione fermata: collegamento con la centrale perso"_s;
}

void TestMainWindow::portMessages()
{
    QFETCH(bool, whileScanning);
    QFETCH(QString, words);
    QFETCH(QString, status);

    if (!whileScanning)
        m_panel->unplug();
    unplugAt(4);
    QStringList statusAtMessage;
    m_prompts->whileMessageOpen = [&] { statusAtMessage.append(scanStatus()); };
    click(u"Command1"_s);
    QVERIFY(waitUntil([&] { return !m_prompts->messages.isEmpty(); }));
    QTest::qWait(50); // room for a second message, which must not come
    QCOMPARE(m_prompts->messages.size(), 1);
    const FakePrompts::Message &message = m_prompts->messages.first();
    QCOMPARE(message.title, u"Porta seriale"_s);
    QCOMPARE(message.icon, Prompts::Icon::Critical);
    QVERIFY2(message.text.contains(words) && message.text.contains(u"simulatore"_s),
             qPrintable(message.text));
    QCOMPARE(statusAtMessage, QStringList {status});
    QCOMPARE(scanStatus(), status);
    if (whileScanning) // the readings taken stay
        QCOMPARE(deviceButton(3)->text(), u"N 3\nVA300\n[15] "_s);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
