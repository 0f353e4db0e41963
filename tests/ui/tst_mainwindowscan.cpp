// The main window's controls driving the scan of the simulated panel: the start, the device
// kind, the loop, stop, reset, a device button, the lock and the reply box.
#include "link/SerialLink.h"
#include "loopdata/LoopTables.h"
#include "scan/ScanCycle.h"
#include "tests/ui/MainWindowBench.h"
#include "ui/DeviceGridWidget.h"

#include <QLineEdit>
#include <QRadioButton>

using namespace testloop;
using namespace testloop::bench;

Q_DECLARE_METATYPE(testloop::ButtonColour)

class TestMainWindowScan
    : public QObject
    , public MainWindowBench
{
    Q_OBJECT
private slots:
    void init() { QVERIFY(setUp()); }
    void cleanup() { tearDown(); }

    void scanPaintsTheInstallation_data();
    void scanPaintsTheInstallation();
    void scanVisitsTheLoopInOrder();
    void moduleMode();
    void loopSwitch();
    void stopAsksFirst();
    void resetAsksFirst();
    void deviceClickMovesTheScan();
    void lockToggles();
    void replyBoxShowsEachReply();
};

void TestMainWindowScan::scanPaintsTheInstallation_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<ButtonColour>("colour");
    QTest::addColumn<QString>("toolTip");

    QTest::newRow("in range") << 5 << QStringLiteral("N 5\nVA450\n[15] ") << ButtonColour::Green
                              << QStringLiteral("N° 5");
    QTest::newRow("faulty") << 6 << QStringLiteral("N 6\nVA100\n[15] ") << ButtonColour::Red
                            << QStringLiteral("N° 6");
    QTest::newRow("conflict") << 7 << QStringLiteral("N 7\nVA450\n[42] X2") << ButtonColour::White
                              << QStringLiteral("N° 7 CONFLITTO INDIRIZZI");
    QTest::newRow("above the range") << 8 << QStringLiteral("N 8\nVA2000\n[15] ")
                                     << ButtonColour::Yellow << QStringLiteral("N° 8");
    QTest::newRow("below the range") << 3 << QStringLiteral("N 3\nVA300\n[15] ")
                                     << ButtonColour::Yellow << QStringLiteral("N° 3");
    QTest::newRow("last") << 99 << QStringLiteral("N 99\nVA500\n[15] ") << ButtonColour::Green
                          << QStringLiteral("N° 99");
}

void TestMainWindowScan::scanPaintsTheInstallation()
{
    QFETCH(int, address);
    QFETCH(QString, caption);
    QFETCH(ButtonColour, colour);
    QFETCH(QString, toolTip);

    QVERIFY(startScanAndWaitFor(address, caption));
    QCOMPARE(deviceButton(address)->colour(), colour);
    QCOMPARE(deviceButton(address)->toolTip(), toolTip);
    QVERIFY(m_prompts->messages.isEmpty());
}

void TestMainWindowScan::scanVisitsTheLoopInOrder()
{
    QVERIFY(startScanAndWaitFor(99, QStringLiteral("N 99\nVA500\n[15] ")));
    // Each address once in turn; the faulty sensor is asked FaultRetries (3) times running.
    QList<QByteArray> expected;
    for (int address = 1; address <= 99; ++address) {
        expected.append(sensorRequest(address));
        if (address == 6)
            expected << sensorRequest(6) << sensorRequest(6);
    }
    QCOMPARE(m_panel->requests().mid(0, expected.size()), expected);
    // And then round again from the start.
    QVERIFY(waitUntil([&] { return m_panel->requests().size() > expected.size(); }));
    QCOMPARE(m_panel->requests().at(expected.size()), sensorRequest(1));
}

void TestMainWindowScan::moduleMode()
{
    click(QStringLiteral("Option2_2"));
    QCOMPARE(m_window->cycle().mode(), ScanMode::Modules);
    QVERIFY(control<QRadioButton>(QStringLiteral("Option2_2"))->isChecked());
    QVERIFY(!control<QRadioButton>(QStringLiteral("Option2_1"))->isChecked());
    QVERIFY(control<QRadioButton>(QStringLiteral("Option1_1"))->isChecked()); // the other group
    // Redrawn at once as modules.
    QCOMPARE(deviceButton(10)->toolTip(), QStringLiteral("MODULO N° 10 LOOP 1 GUASTO"));
    QCOMPARE(deviceButton(10)->colour(), ButtonColour::Red);

    QVERIFY(startScanAndWaitFor(11, QStringLiteral("N 11\nVA50\n[15] ")));
    QCOMPARE(deviceButton(11)->colour(), ButtonColour::Red);
    QCOMPARE(deviceButton(10)->text(), QStringLiteral("N 10\nVA500\n[15] "));
    QCOMPARE(deviceButton(10)->colour(), ButtonColour::Green);
    QCOMPARE(deviceButton(10)->toolTip(), QStringLiteral("MODULO N° 10 LOOP 1 OK"));
    QCOMPARE(m_panel->requests().first(),
             protocol::scanRequest(QStringLiteral("j00"), QStringLiteral("1"),
                                   protocol::DeviceKind::Module, QStringLiteral("01")));

    // Back to sensors: redrawn from the sensor readings, which are still empty.
    m_prompts->answers = {true};
    click(QStringLiteral("Image6"));
    click(QStringLiteral("Option2_1"));
    QCOMPARE(m_window->cycle().mode(), ScanMode::Sensors);
    QCOMPARE(deviceButton(10)->text(), unscanned(10));
    QCOMPARE(deviceButton(10)->toolTip(), QStringLiteral("N° 10"));

    // The hidden sensor-test option still chooses its mode.
    control<QRadioButton>(QStringLiteral("Option2_0"))->click();
    QCOMPARE(m_window->cycle().mode(), ScanMode::SensorTest);
}

void TestMainWindowScan::loopSwitch()
{
    QVERIFY(startScanAndWaitFor(5, QStringLiteral("N 5\nVA450\n[15] ")));
    click(QStringLiteral("Option1_2"));
    QCOMPARE(m_shared->SelectedLoop, QStringLiteral("2"));
    QCOMPARE(m_window->cycle().scanAddress(), 1);
    QVERIFY(control<QRadioButton>(QStringLiteral("Option2_1"))->isChecked()); // the other group
    QCOMPARE(deviceButton(5)->text(), unscanned(5)); // loop 2 has no readings yet
    QVERIFY(waitForCaption(3, QStringLiteral("N 3\nVA600\n[15] ")));
    QVERIFY(m_panel->requests().contains(sensorRequest(1, QStringLiteral("2"))));

    // Loop 1's readings were kept.
    click(QStringLiteral("Option1_1"));
    QCOMPARE(m_shared->SelectedLoop, QStringLiteral("1"));
    QCOMPARE(deviceButton(5)->text(), QStringLiteral("N 5\nVA450\n[15] "));

    // The option already chosen changes nothing: no redraw, the scan stays where it is.
    m_prompts->answers = {true};
    click(QStringLiteral("Image6"));
    const int stoppedAt = m_window->cycle().scanAddress();
    QVERIFY(stoppedAt != 1);
    m_window->grid().setCaption(5, QStringLiteral("marker"));
    click(QStringLiteral("Option1_1"));
    QCOMPARE(m_window->cycle().scanAddress(), stoppedAt);
    QCOMPARE(deviceButton(5)->text(), QStringLiteral("marker"));
}

void TestMainWindowScan::stopAsksFirst()
{
    QVERIFY(startScanAndWaitFor(2, QStringLiteral("N 2\nVA500\n[15] ")));
    m_prompts->answers = {false, true};
    click(QStringLiteral("Image6"));
    QCOMPARE(m_prompts->questions, QStringList {QStringLiteral("Stop|Fermare la comunicazione?")});
    const qsizetype before = m_panel->requests().size();
    QVERIFY(waitUntil([&] { return m_panel->requests().size() > before + 3; }));

    click(QStringLiteral("Image6"));
    QCOMPARE(m_prompts->questions.size(), 2);
    QCOMPARE(m_window->cycle().activity(), ScanCycle::Activity::Idle);
    QVERIFY(!m_window->link().isOpen());
    QTest::qWait(50); // a request already on the line is still read
    const qsizetype stopped = m_panel->requests().size();
    QTest::qWait(300);
    QCOMPARE(m_panel->requests().size(), stopped);
}

void TestMainWindowScan::resetAsksFirst()
{
    QVERIFY(startScanAndWaitFor(5, QStringLiteral("N 5\nVA450\n[15] ")));
    m_prompts->answers = {true, false, true};
    click(QStringLiteral("Image6"));
    QCOMPARE(m_window->cycle().activity(), ScanCycle::Activity::Idle);

    click(QStringLiteral("Image7"));
    QCOMPARE(m_prompts->questions.last(), QStringLiteral("Reset|Ripristino letture correnti?"));
    QCOMPARE(m_window->loopData().SensorAnalogue.at(5, 1), 450);
    QCOMPARE(deviceButton(5)->text(), QStringLiteral("N 5\nVA450\n[15] "));
    QCOMPARE(deviceButton(5)->colour(), ButtonColour::Green);

    click(QStringLiteral("Image7"));
    QCOMPARE(m_prompts->questions.size(), 3);
    QCOMPARE(m_window->loopData().SensorAnalogue.at(5, 1), 0);
    QCOMPARE(m_window->loopData().SensorReadCount.at(5, 1), 0);
    QCOMPARE(deviceButton(5)->text(), unscanned(5));
    QCOMPARE(deviceButton(5)->colour(), ButtonColour::Red);
    QCOMPARE(m_window->cycle().scanAddress(), 1);
}

void TestMainWindowScan::deviceClickMovesTheScan()
{
    // While idle, a click starts the scan at that address.
    QTest::mouseClick(deviceButton(40), Qt::LeftButton);
    QVERIFY(waitUntil([&] { return !m_panel->requests().isEmpty(); }));
    QCOMPARE(m_panel->requests().first(), sensorRequest(40));
    QVERIFY(waitForCaption(41, QStringLiteral("N 41\nVA500\n[15] ")));
    QCOMPARE(deviceButton(39)->text(), unscanned(39));

    // While scanning, it moves the scan there.
    QTest::mouseClick(deviceButton(3), Qt::LeftButton);
    QVERIFY(waitForCaption(5, QStringLiteral("N 5\nVA450\n[15] ")));
    QCOMPARE(deviceButton(2)->text(), unscanned(2));
    QCOMPARE(deviceButton(3)->text(), QStringLiteral("N 3\nVA300\n[15] "));
}

void TestMainWindowScan::lockToggles()
{
    auto *lock = control<QPushButton>(QStringLiteral("Command4"));
    lock->show(); // hidden until the download shows it
    QTest::mouseClick(lock, Qt::LeftButton);
    QVERIFY(waitUntil([&] { return !m_panel->requests().isEmpty(); }));
    QCOMPARE(m_panel->requests().last(), QByteArray("(j006PIS000)XZ"));
    QCOMPARE(lock->text(), QStringLiteral("LOCKED ON"));
    QVERIFY(m_window->cycle().isLockedOn());

    QTest::mouseClick(lock, Qt::LeftButton);
    QVERIFY(waitUntil([&] { return m_panel->requests().size() == 2; }));
    QCOMPARE(m_panel->requests().last(), QByteArray("(j006PFS000)XZ"));
    QCOMPARE(lock->text(), QStringLiteral("LOCKED OFF"));
    QVERIFY(!m_window->cycle().isLockedOn());
    // Each toggle asks the stop question first.
    QCOMPARE(m_prompts->questions.size(), 2);
    QVERIFY(!m_window->link().isOpen());
}

void TestMainWindowScan::replyBoxShowsEachReply()
{
    auto *replyBox = control<QLineEdit>(QStringLiteral("Text1"));
    QCOMPARE(replyBox->text(), QStringLiteral("RX"));
    QStringList shown;
    QStringList sent;
    const auto watch = connect(replyBox, &QLineEdit::textChanged, this, [&](const QString &text) {
        shown.append(text);
        sent.append(QString::fromLatin1(m_panel->replies().last()));
    });
    const bool scanned = startScanAndWaitFor(12, QStringLiteral("N 12\nVA500\n[15] "));
    disconnect(watch);
    QVERIFY(scanned);
    QVERIFY(shown.size() >= 12);
    QCOMPARE(shown, sent);
    QVERIFY(shown.first().size() == protocol::ScanReplyLength);
}

QTEST_MAIN(TestMainWindowScan)
#include "tst_mainwindowscan.moc"
