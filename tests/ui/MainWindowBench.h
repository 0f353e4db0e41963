#pragma once
// The main window against the simulator's responder in the same process, as the window tests
// set it up: a TestLoop.ini in a temporary folder, the test installation, short waits, a
// 1024 x 768 screen and recording prompts.
#include "link/PanelProtocol.h"
#include "loopdata/SharedState.h"
#include "sim/ResponderTransport.h"
#include "tests/support/EngineBench.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/TestInstallation.h"
#include "ui/DeviceButton.h"
#include "ui/MainWindow.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace testloop::bench {

using namespace std::chrono_literals;
using testsupport::waitUntil;

inline const QByteArray ValidConfiguration
    = " 1 \r\nj00\r\n 3 \r\n 200 \r\n 1500 \r\n 400 \r\n 200 \r\n 2500 \r\n 400 \r\n";

inline QByteArray sensorRequest(int address, const QString &loop = QStringLiteral("1"))
{
    return protocol::scanRequest(QStringLiteral("j00"), loop, protocol::DeviceKind::Sensor,
                                 protocol::twoDigitAddress(address));
}

// A button redrawn from empty readings.
inline QString unscanned(int address)
{
    return QStringLiteral("N %1\nVA0\n[0] ").arg(address);
}

class MainWindowBench
{
public:
    // Writes the configuration and opens the window on the simulated panel; false on failure.
    bool setUp()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QFile ini(m_dir->filePath(QStringLiteral("TestLoop.ini")));
        if (!m_dir->isValid() || !ini.open(QIODevice::WriteOnly)
            || ini.write(ValidConfiguration) != ValidConfiguration.size())
            return false;
        ini.close();
        m_panel = std::make_unique<sim::ResponderTransport>(testsupport::testInstallation());
        m_prompts = std::make_unique<FakePrompts>();
        m_shared = std::make_unique<SharedState>();
        openWindow(ini.fileName());
        return QTest::qWaitForWindowExposed(m_window.get());
    }

    void tearDown()
    {
        m_window.reset();
        m_panel.reset();
    }

    void openWindow(const QString &configurationPath)
    {
        MainWindowOptions options;
        options.transport = m_panel.get();
        options.configurationPath = configurationPath;
        options.timings.requestPause = 0ms;
        options.timings.firstReplyTimeout = 5000ms;
        options.timings.replyTimeout = 5000ms;
        options.timings.downloadStartWait = 0ms;
        options.timings.blinkTick = 20ms;
        options.screenSize = QSize(1024, 768);
        m_window = std::make_unique<MainWindow>(*m_shared, options, m_prompts.get());
        m_window->show();
    }

    template<typename T = QWidget> T *control(const QString &name) const
    {
        T *found = m_window->findChild<T *>(name);
        if (!found)
            qWarning() << "no control" << name;
        return found;
    }

    DeviceButton *deviceButton(int address) const
    {
        return control<DeviceButton>(QStringLiteral("Command(%1)").arg(address));
    }

    void click(const QString &name) { QTest::mouseClick(control(name), Qt::LeftButton); }

    // Clicks INIZIO TEST and waits until the button of the address shows the caption.
    bool startScanAndWaitFor(int address, const QString &caption)
    {
        click(QStringLiteral("Command1"));
        return waitForCaption(address, caption);
    }

    bool waitForCaption(int address, const QString &caption)
    {
        const bool shown = waitUntil([&] { return deviceButton(address)->text() == caption; });
        if (!shown)
            qWarning() << "button" << address << "shows" << deviceButton(address)->text();
        return shown;
    }

    // Requests the panel received that were not answered with a reply (the lock requests).
    qsizetype lockRequests() const
    {
        return std::count_if(m_panel->requests().cbegin(), m_panel->requests().cend(),
                             [](const QByteArray &r) { return r.contains("6P"); });
    }

protected:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<sim::ResponderTransport> m_panel;
    std::unique_ptr<FakePrompts> m_prompts;
    std::unique_ptr<SharedState> m_shared;
    std::unique_ptr<MainWindow> m_window;
};

} // namespace testloop::bench
