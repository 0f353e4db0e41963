#pragma once
// The main window against the simulated panel on a pseudo-terminal, as the window tests set it
// up: a TestLoop.ini in a temporary folder, a known installation, short waits, a 1024 x 768
// screen and recording prompts.
#include "link/PanelProtocol.h"
#include "loopdata/SharedState.h"
#include "sim/PanelServer.h"
#include "tests/support/FakePrompts.h"
#include "ui/DeviceButton.h"
#include "ui/MainWindow.h"

#include <QEventLoop>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace testloop::bench {

using namespace std::chrono_literals;

inline constexpr int Patience = 60000; // ms; only a broken scan ever waits this long

inline const QByteArray ValidConfiguration
    = " 1 \r\nj00\r\n 3 \r\n 200 \r\n 1500 \r\n 400 \r\n 200 \r\n 2500 \r\n 400 \r\n";

inline sim::Sensor sensor(int analogue, int current = 15)
{
    sim::Sensor device;
    device.analogue = analogue;
    device.current = current;
    return device;
}

inline sim::Module module(int analogue)
{
    sim::Module device;
    device.analogue = analogue;
    return device;
}

// Loop 1: in range everywhere except a low and a high reading, a faulty sensor and an address
// conflict; two modules. Loop 2: in range everywhere, with another value.
inline sim::Installation knownInstallation()
{
    sim::Installation installation;
    for (int address = 1; address <= 99; ++address) {
        installation.setSensor(1, address, sensor(50));
        installation.setSensor(2, address, sensor(60));
    }
    installation.setSensor(1, 3, sensor(30));
    installation.setSensor(1, 5, sensor(45));
    installation.setSensor(1, 6, sensor(10));
    installation.setSensor(1, 7, sensor(45, 42));
    installation.setSensor(1, 8, sensor(200));
    installation.setModule(1, 10, module(50));
    installation.setModule(1, 11, module(5));
    return installation;
}

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
    // Writes the configuration, starts the panel and opens the window; false on failure.
    bool setUp()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QFile ini(m_dir->filePath(QStringLiteral("TestLoop.ini")));
        if (!m_dir->isValid() || !ini.open(QIODevice::WriteOnly)
            || ini.write(ValidConfiguration) != ValidConfiguration.size())
            return false;
        ini.close();

        m_server = std::make_unique<sim::PanelServer>(knownInstallation());
        QString error;
        if (!m_server->start(&error)) {
            qWarning() << "panel simulator did not start:" << error;
            return false;
        }
        m_prompts = std::make_unique<FakePrompts>();
        m_shared = std::make_unique<SharedState>();
        openWindow(ini.fileName());
        return QTest::qWaitForWindowExposed(m_window.get());
    }

    void tearDown()
    {
        m_window.reset();
        m_server.reset();
    }

    void openWindow(const QString &configurationPath)
    {
        MainWindowOptions options;
        options.portOverride = m_server->devicePath();
        options.configurationPath = configurationPath;
        options.timings.requestPause = 2ms;
        options.timings.firstReplyTimeout = 1000ms;
        options.timings.replyTimeout = 1000ms;
        options.timings.downloadStartWait = 2ms;
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

    // Runs the event loop until done() holds or the patience runs out. Unlike QTRY_* and
    // qWaitFor, it never sleeps between looks, so the scan runs at full speed meanwhile.
    static bool waitUntil(const std::function<bool()> &done, int timeout = Patience)
    {
        if (done())
            return true;
        QEventLoop loop;
        QTimer look;
        QObject::connect(&look, &QTimer::timeout, &loop, [&] {
            if (done())
                loop.quit();
        });
        look.start(5);
        QTimer::singleShot(timeout, &loop, &QEventLoop::quit);
        loop.exec();
        return done();
    }

protected:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<sim::PanelServer> m_server;
    std::unique_ptr<FakePrompts> m_prompts;
    std::unique_ptr<SharedState> m_shared;
    std::unique_ptr<MainWindow> m_window;
};

} // namespace testloop::bench
