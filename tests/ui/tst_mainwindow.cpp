// The main window's controls, its start-up, its status bar and its closing, against the
// simulated panel; controls found by objectName and clicked with QTest.
#include "link/SerialLink.h"
#include "loopdata/LoopTables.h"
#include "scan/ScanCycle.h"
#include "tests/ui/MainWindowBench.h"
#include "ui/GridGeometry.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStatusBar>

using namespace testloop;
using namespace testloop::bench;

Q_DECLARE_METATYPE(testloop::ButtonColour)

class TestMainWindow
    : public QObject
    , public MainWindowBench
{
    Q_OBJECT
private slots:
    void init() { QVERIFY(setUp()); }
    void cleanup() { tearDown(); }

    void fixedControls_data();
    void fixedControls();
    void windowTitleAndBorder();
    void startUpState();
    void deviceButtonsAtStartUp();
    void missingConfigurationIsTold();
    void statusBarFollowsTheCycle();
    void closingStopsTheScan();
};

void TestMainWindow::fixedControls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parentName");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("toolTip");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<bool>("visible");

    const QString client = QStringLiteral("ClientArea");
    const auto row = [](const char *name, const QString &parent, const char *caption,
                        const char *toolTip, QRect twips, bool visible) {
        QTest::newRow(name) << QString::fromLatin1(name) << parent << QString::fromUtf8(caption)
                            << QString::fromUtf8(toolTip) << twips << visible;
    };
    row("Command1", client, "INIZIO TEST", "INIZIO SCANSIONE", {120, 120, 735, 615}, true);
    row("Frame1", client, "Loop N°", "", {960, 0, 1335, 735}, true);
    row("Option1_1", QStringLiteral("Frame1"), "1", "", {120, 360, 375, 195}, true);
    row("Option1_2", QStringLiteral("Frame1"), "2", "", {720, 360, 375, 195}, true);
    row("Frame3", client, "Codie scheda", "", {2400, 0, 1335, 735}, true);
    row("Label1", QStringLiteral("Frame3"), "j00", "", {360, 240, 495, 255}, true);
    row("Frame2", client, "Dispositivo", "", {3840, 0, 2175, 735}, true);
    row("Option2_1", QStringLiteral("Frame2"), "Analisi sensori", "", {120, 240, 855, 315}, true);
    row("Option2_2", QStringLiteral("Frame2"), "Analisi moduli", "", {1080, 240, 855, 315}, true);
    row("Option2_0", QStringLiteral("Frame2"), "Test Sensori", "", {1080, 720, 1215, 255}, false);
    row("Command4", client, "LOCKED OFF", "", {3000, 3480, 1155, 255}, false);
    row("Command3", client, "VERIFICA IMPIANTO", "solo x sensori", {4320, 3480, 1815, 255}, false);
    row("Command2", client, "DOWNLOAD", "", {6240, 3480, 1215, 255}, false);
    row("Text1", client, "RX", "", {2880, 4920, 4335, 285}, false);
    row("Image7", client, "", "RESETTA LETTURE", {6120, 120, 480, 480}, true);
    row("Image6", client, "", "ARRESTA SCANSIONE", {6720, 120, 480, 480}, true);
    row("Image1", client, "", "CONFIGURAZIONE", {7320, 120, 480, 480}, true);
    row("Image4", client, "", "INFORMAZIONI", {7920, 120, 480, 480}, true);
    row("Image2", client, "", "SALVA LETTURE IMPIANTO", {8520, 120, 360, 345}, true);
    row("Image5", client, "", "APRI FILE LETTURE", {9000, 120, 360, 345}, true);
    row("Image3", client, "", "STAMPA VALORI ANALOGICI", {9480, 120, 360, 345}, true);
}

void TestMainWindow::fixedControls()
{
    QFETCH(QString, name);
    QFETCH(QString, parentName);
    QFETCH(QString, caption);
    QFETCH(QString, toolTip);
    QFETCH(QRect, twips);
    QFETCH(bool, visible);

    const QList<QWidget *> found = m_window->findChildren<QWidget *>(name);
    QCOMPARE(found.size(), 1);
    const QWidget *widget = found.first();
    QCOMPARE(widget->parentWidget()->objectName(), parentName);
    if (parentName == QStringLiteral("ClientArea")) // the client area under the menu bar
        QCOMPARE(widget->parentWidget(),
                 m_window->centralWidget()->findChild<QWidget *>(QStringLiteral("ClientArea")));

    QString shown;
    if (const auto *button = qobject_cast<const QAbstractButton *>(widget))
        shown = button->text();
    else if (const auto *frame = qobject_cast<const QGroupBox *>(widget))
        shown = frame->title();
    else if (const auto *line = qobject_cast<const QLineEdit *>(widget))
        shown = line->text();
    else if (const auto *label = qobject_cast<const QLabel *>(widget))
        shown = label->text();
    QCOMPARE(shown, caption);
    QCOMPARE(widget->toolTip(), toolTip);
    QCOMPARE(widget->geometry(),
             twipsToPixels(twips, widget->logicalDpiX(), widget->logicalDpiY()));
    QCOMPARE(widget->isVisible(), visible);
}

void TestMainWindow::windowTitleAndBorder()
{
    QCOMPARE(m_window->objectName(), QStringLiteral("Form1"));
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Orvalis Analogue Loop Testing Software"));
    const Qt::WindowFlags flags = m_window->windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(flags.testFlag(Qt::WindowTitleHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(m_window->statusBar());
}

void TestMainWindow::startUpState()
{
    QVERIFY(m_prompts->messages.isEmpty());
    QVERIFY(m_prompts->questions.isEmpty());
    QCOMPARE(m_shared->settings.BoardCode, QStringLiteral("j00"));
    QCOMPARE(m_shared->settings.VaSMax, 1500);
    QCOMPARE(m_shared->SelectedLoop, QStringLiteral("1"));
    QCOMPARE(m_window->cycle().scanAddress(), 1);
    QCOMPARE(m_window->download().downloadAddress(), 1);
    QCOMPARE(m_window->download().downloadLoop(), QStringLiteral("1"));
    QCOMPARE(m_window->link().portNumber(), 1);
    QCOMPARE(m_window->link().deviceName(), m_panel->deviceName());
    QVERIFY(!m_window->link().isOpen()); // nothing is opened before a scan
    QCOMPARE(m_window->cycle().mode(), ScanMode::Sensors);
    QCOMPARE(m_window->cycle().activity(), ScanCycle::Activity::Idle);

    QVERIFY(control<QRadioButton>(QStringLiteral("Option1_1"))->isChecked());
    QVERIFY(!control<QRadioButton>(QStringLiteral("Option1_2"))->isChecked());
    QVERIFY(control<QRadioButton>(QStringLiteral("Option2_1"))->isChecked());
    QVERIFY(!control<QRadioButton>(QStringLiteral("Option2_2"))->isChecked());
    QVERIFY(!control<QRadioButton>(QStringLiteral("Option2_0"))->isChecked());

    const QFont codeFont = control<QLabel>(QStringLiteral("Label1"))->font();
    QCOMPARE(codeFont.family(), QStringLiteral("Arial"));
    QCOMPARE(codeFont.pointSize(), 9);
    QVERIFY(codeFont.bold());
    QVERIFY(m_panel->requests().isEmpty());
}

void TestMainWindow::deviceButtonsAtStartUp()
{
    QCOMPARE(m_window->findChildren<DeviceButton *>().size(), 99);
    const QWidget *client = m_window->centralWidget();
    const int dpiX = client->logicalDpiX();
    const int dpiY = client->logicalDpiY();
    const GridGeometry geometry(pixelsToTwips(QSize(1024, 768), dpiX, dpiY));
    for (int address = 1; address <= 99; ++address) {
        const DeviceButton *button = deviceButton(address);
        QVERIFY(button);
        QVERIFY(button->isVisible());
        // Redrawn from the empty readings: every sensor below the fault threshold.
        QCOMPARE(button->text(), unscanned(address));
        QCOMPARE(button->toolTip(), QStringLiteral("N° %1").arg(address));
        QCOMPARE(button->colour(), ButtonColour::Red);
        const QRect cell = twipsToPixels(geometry.cell(address), dpiX, dpiY);
        QCOMPARE(QRect(button->mapTo(client, QPoint(0, 0)), button->size()), cell);
    }
    // The fixed controls stay clickable above the grid.
    const QWidget *start = control(QStringLiteral("Command1"));
    QCOMPARE(client->childAt(start->geometry().center()), start);
}

void TestMainWindow::missingConfigurationIsTold()
{
    m_window.reset();
    *m_shared = SharedState {};
    openWindow(m_dir->filePath(QStringLiteral("missing/TestLoop.ini")));
    QCOMPARE(m_prompts->messages.size(), 1);
    QCOMPARE(m_prompts->messages.first().icon, Prompts::Icon::Warning);
    QVERIFY(m_prompts->messages.first().text.contains(QStringLiteral("TestLoop.ini")));
    // The defaults are in force and shown.
    QCOMPARE(m_shared->settings, Settings {});
    QCOMPARE(control<QLabel>(QStringLiteral("Label1"))->text(), QStringLiteral("j00"));
    QCOMPARE(deviceButton(1)->text(), unscanned(1));
}

void TestMainWindow::statusBarFollowsTheCycle()
{
    const auto *device = control<QLabel>(QStringLiteral("DeviceStatus"));
    const auto *scan = control<QLabel>(QStringLiteral("ScanStatus"));
    QCOMPARE(device->parentWidget(), m_window->statusBar());
    QVERIFY(device->text().endsWith(m_panel->deviceName()));
    QCOMPARE(scan->text(), m_window->cycle().statusText());
    const QString idle = scan->text();

    QVERIFY(startScanAndWaitFor(2, QStringLiteral("N 2\nVA500\n[15] ")));
    QVERIFY(scan->text().contains(QStringLiteral("loop 1")));
    QCOMPARE(scan->text(), m_window->cycle().statusText());

    m_prompts->answers = {true};
    click(QStringLiteral("Image6"));
    QCOMPARE(scan->text(), m_window->cycle().statusText());
    QVERIFY(scan->text() != idle || idle.isEmpty());
}

void TestMainWindow::closingStopsTheScan()
{
    QVERIFY(startScanAndWaitFor(2, QStringLiteral("N 2\nVA500\n[15] ")));
    QVERIFY(m_window->close());
    QCOMPARE(m_window->cycle().activity(), ScanCycle::Activity::Idle);
    QVERIFY(!m_window->link().isOpen());
    QTest::qWait(50);
    const qsizetype stopped = m_panel->requests().size();
    QTest::qWait(300);
    QCOMPARE(m_panel->requests().size(), stopped);
    QVERIFY(m_prompts->questions.isEmpty()); // closing asks nothing
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
