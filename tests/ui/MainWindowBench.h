#pragma once
// The main window on the in-process responder: its own TestLoop.ini, short waits, 1024 x 768.
#include "tests/support/EngineBench.h" // the engine's headers, the responder and FakePrompts
#include "tests/support/Files.h"
#include "ui/DeviceButton.h"
#include "ui/MainWindow.h"

#include <QAction>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

namespace testloop::bench {

using namespace std::chrono_literals;
using testsupport::waitUntil;

// Port 2 and a sensor upper limit of 1900 differ from the defaults.
inline const QByteArray Configuration
    = " 2 \r\nj00\r\n 3 \r\n 200 \r\n 1900 \r\n 400 \r\n 200 \r\n 2500 \r\n 400 \r\n";

// A button redrawn from empty readings.
inline QString unscanned(int address)
{
    return QStringLiteral("N %1\nVA0\n[0] ").arg(address);
}

class MainWindowBench
{
public:
    bool setUp()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        if (!m_dir->isValid() || !testfiles::writeBytes(iniPath(), Configuration))
            return false;
        m_panel = std::make_unique<sim::ResponderTransport>(testsupport::testInstallation());
        m_prompts = std::make_unique<FakePrompts>();
        m_shared = std::make_unique<SharedState>();
        openWindow(iniPath());
        return QTest::qWaitForWindowExposed(m_window.get());
    }

    void tearDown()
    {
        m_prompts->whileMessageOpen = {};
        m_window.reset();
        m_panel.reset();
    }

    QString iniPath() const { return m_dir->filePath(QStringLiteral("TestLoop.ini")); }

    void openWindow(const QString &configurationPath)
    {
        MainWindowOptions options;
        options.transport = m_panel.get();
        options.configurationPath = configurationPath;
        options.timings = testsupport::shortTimings();
        options.timings.blinkTick = 20ms;
        options.screenSize = QSize(1024, 768);
        options.preferencesPath = m_dir->filePath(QStringLiteral("preferenze.ini"));
        options.autosavePath = m_dir->filePath(QStringLiteral("sessione.tlsession"));
        m_window = std::make_unique<MainWindow>(*m_shared, options, m_prompts.get());
        m_window->resize(1024, 768);
        m_window->show();
    }

    void reopen()
    {
        m_window.reset();
        openWindow(iniPath());
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

    QString scanStatus() const { return control<QLabel>(QStringLiteral("ScanStatus"))->text(); }

    void click(const QString &name) { QTest::mouseClick(control(name), Qt::LeftButton); }

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

    // Clicks INIZIO TEST and stops the scan as address 1 is asked again: one pass over the loop.
    bool scanOnePass()
    {
        int firsts = 0;
        const auto stop = QObject::connect(m_panel.get(), &Transport::exchangeEvent, m_panel.get(),
                                           [this, &firsts](const ExchangeEvent &event) {
                                               if (event.kind == ExchangeEvent::Kind::RequestOut
                                                   && event.tag.address == 1 && ++firsts == 2)
                                                   m_window->cycle().halt();
                                           });
        click(QStringLiteral("Command1"));
        const bool passed = waitUntil([&] { return firsts == 2; });
        QObject::disconnect(stop);
        return passed && !m_window->cycle().isRunning()
            && waitUntil([&] { return m_panel->repliesUnderWay() == 0; });
    }

    // Pulls the cable the first time a request for the address goes out.
    void unplugAt(int address)
    {
        QObject::connect(m_panel.get(), &Transport::exchangeEvent, m_panel.get(),
                         [this, address, pulled = false](const ExchangeEvent &event) mutable {
                             if (event.kind == ExchangeEvent::Kind::RequestOut
                                 && event.tag.address == address && !std::exchange(pulled, true))
                                 m_panel->unplug();
                         });
    }

    QAction *action(const QString &name) const { return m_window->findChild<QAction *>(name); }

    // Downloads the panel's configuration from the menu; false if it does not end.
    bool download()
    {
        m_prompts->answers = {true};
        action(QStringLiteral("actionDownload"))->trigger();
        return waitUntil([&] { return !m_window->download().isRunning(); });
    }

protected:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<sim::ResponderTransport> m_panel;
    std::unique_ptr<FakePrompts> m_prompts;
    std::unique_ptr<SharedState> m_shared;
    std::unique_ptr<MainWindow> m_window;
};

// A test class on the bench: a new window for each test function.
class MainWindowTest
    : public QObject
    , public MainWindowBench
{
    Q_OBJECT
private slots:
    void init() { QVERIFY(setUp()); }
    void cleanup() { tearDown(); }
};

} // namespace testloop::bench
