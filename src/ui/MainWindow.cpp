#include "ui/MainWindow.h"

#include "link/SerialLink.h"
#include "link/TrafficLog.h"
#include "loopdata/LoopTables.h"
#include "loopdata/SharedState.h"
#include "scan/CommunicationCounters.h"
#include "scan/ConfigurationDownload.h"
#include "scan/LinkRecovery.h"
#include "scan/ScanCycle.h"
#include "ui/AboutWindow.h"
#include "ui/ConfigurationDialog.h"
#include "ui/DeviceChooser.h"
#include "ui/DeviceGridWidget.h"
#include "ui/DownloadProgressWindow.h"
#include "ui/GridGeometry.h"
#include "ui/MainWindowStatus.h"
#include "ui/MessageBoxPrompts.h"
#include "ui/PictureButton.h"
#include "ui/PortMessages.h"
#include "ui/ReadingViews.h"
#include "ui/ReadingsCommands.h"
#include "ui/ReportPrinter.h"
#include "ui/SessionAutosave.h"
#include "ui/TrafficWindow.h"
#include "ui/UserPreferences.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTime>

#include <algorithm>

namespace testloop {

namespace {

template<typename T, typename Own> T &chosen(T *given, const std::unique_ptr<Own> &own)
{
    return given ? *given : *own;
}

QSize primaryScreenSize()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->size() : QSize(1024, 768);
}

// Shows a window that exists once: brought to the front if it is open already.
void showOnce(QWidget *window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

MainWindow::MainWindow(SharedState &shared, MainWindowOptions options, Prompts *prompts,
                       QWidget *parent)
    : QMainWindow(parent)
    , m_shared(shared)
    , m_ownPrompts(prompts ? nullptr : std::make_unique<MessageBoxPrompts>(this))
    , m_prompts(chosen(prompts, m_ownPrompts))
    , m_preferences(std::make_unique<UserPreferences>(options.preferencesPath))
    , m_data(std::make_unique<LoopData>())
    , m_ownLink(options.transport ? nullptr : std::make_unique<SerialLink>())
    , m_link(chosen<Transport>(options.transport, m_ownLink))
    , m_clientArea(new QWidget(this))
    , m_grid(new DeviceGridWidget(m_clientArea))
    , m_controls(MainWindowControls::create(m_clientArea))
    , m_cycle(
          std::make_unique<ScanCycle>(shared, *m_data, m_link, *m_grid, m_prompts, options.timings))
    , m_download(std::make_unique<ConfigurationDownload>(shared, *m_data, m_link, *m_cycle,
                                                         m_prompts, options.timings))
    , m_counters(std::make_unique<CommunicationCounters>(m_link))
    , m_traffic(std::make_unique<TrafficLog>(m_link))
    , m_recovery(std::make_unique<LinkRecovery>(m_link, *m_cycle, *m_download, options.timings))
    , m_autosave(std::make_unique<SessionAutosave>(options.autosavePath, *m_data, *m_counters,
                                                   *m_cycle, *m_download, options.timings))
    , m_readings(std::make_unique<ReadingsCommands>(*m_data, m_prompts,
                                                    ReadingsCommands::FileChooser {}, this))
    , m_printer(std::make_unique<ReportPrinter>(m_prompts, this))
    , m_configurationPath(options.configurationPath)
    , m_portOverride(options.portOverride)
    , m_timings(options.timings)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(Title);
    // A fixed single border: a close button, no minimize or maximize.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    m_clientArea->setObjectName(QStringLiteral("ClientArea"));
    // The menu bar sits above the client area, so the controls keep their places below it.
    // The grid is fitted into the client area whenever that changes size (see layOutGrid).
    setCentralWidget(m_clientArea);
    m_clientArea->installEventFilter(this);
    // Room for the toolbar row and a grid small but whole.
    constexpr QSize SmallestClientTwips(10000, 4000);
    m_clientArea->setMinimumSize(twipsToPixels(SmallestClientTwips.width(), logicalDpiX()),
                                 twipsToPixels(SmallestClientTwips.height(), logicalDpiY()));
    m_menu = MainWindowMenu::create(menuBar(), m_controls);
    m_readingViews = new ReadingViews(menuBar(),
                                      {*m_data, m_shared, *m_counters, *m_cycle, *m_grid, m_link,
                                       *m_preferences, m_prompts, this});
    m_status = new MainWindowStatus(statusBar(), m_link, *m_cycle, *m_counters, m_shared);

    if (m_ownLink)
        m_ownLink->setPortOverride(options.portOverride);
    connectLink();
    connectRecovery();
    startUp(options);
    connectControls();
    connectCommands();
    updateStatus();
}

MainWindow::~MainWindow()
{
    // Ended without being closed (SIGTERM): what still runs stops and is saved as at any stop,
    // and the next start offers it.
    m_cycle->halt();
    m_download->abort();
    // What talks through the link and paints on the grid goes first, the link last.
    m_autosave.reset();
    m_recovery.reset();
    m_download.reset();
    m_cycle.reset();
    m_traffic.reset();
    m_counters.reset();
    m_ownLink.reset();
}

// The link only reports; the user is told here, once the event that failed has been handled
// all the way, so that no message box opens inside a serial or timer slot.
void MainWindow::connectLink()
{
    connect(
        &m_link, &Transport::portFailed, this,
        [this](const PortFailure &failure) {
            m_prompts.showMessage(portFailureMessage(failure), SerialPortTitle,
                                  Prompts::Icon::Critical);
        },
        Qt::QueuedConnection);
    connect(
        &m_link, &Transport::linkLost, this,
        [this](const PortFailure &failure) {
            m_prompts.showMessage(linkLostMessage(failure), SerialPortTitle,
                                  Prompts::Icon::Critical);
        },
        Qt::QueuedConnection);
}

// A port that went away in the middle of a scan or a download is looked for once a second;
// the status bar follows, and a download that it interrupted may start again.
void MainWindow::connectRecovery()
{
    const auto at = [] { return QTime::currentTime().toString(QStringLiteral("HH:mm:ss")); };
    connect(m_recovery.get(), &LinkRecovery::watching, this, [this, at](const QString &device) {
        m_status->showLink(
            QStringLiteral("%1: collegamento perso, in attesa che %2 torni").arg(at(), device));
    });
    connect(m_recovery.get(), &LinkRecovery::gaveUp, this, [this] { m_status->showLink({}); });
    connect(m_recovery.get(), &LinkRecovery::returned, this, [this, at](const QString &device) {
        m_status->showLink(
            QStringLiteral("%1: %2 di nuovo collegato, scansione ripresa all'indirizzo "
                           "%3")
                .arg(at(), device)
                .arg(m_cycle->scanAddress()));
        updateStatus();
    });
    // Queued: the question waits for the user outside the recovery's timer slot.
    connect(
        m_recovery.get(), &LinkRecovery::downloadMayRestart, this,
        [this, at](const QString &device) {
            m_status->showLink(QStringLiteral("%1: %2 di nuovo collegato").arg(at(), device));
            if (m_prompts.askYesNo(QStringLiteral("Il dispositivo %1 è di nuovo collegato. "
                                                  "Ripetere il download dall'inizio?")
                                       .arg(device),
                                   QStringLiteral("Download")))
                m_download->restart();
            else
                m_download->forgetInterruption();
        },
        Qt::QueuedConnection);
}

void MainWindow::startUp(const MainWindowOptions &options)
{
    const ConfigurationRead read = LoadConfiguration(options.configurationPath);
    if (!read.problems.isEmpty()) {
        m_prompts.showMessage(read.problems.join(QStringLiteral("\n\n")), ConfigurationMessageTitle,
                              Prompts::Icon::Warning);
    }
    m_shared.settings = read.settings;
    m_link.setPortNumber(m_shared.settings.ComPort);
    m_shared.chosenDevice = m_preferences->chosenDevice();
    if (m_ownLink)
        m_ownLink->setChosenDevice(m_shared.chosenDevice);
    m_controls.boardCode->setText(m_shared.settings.BoardCode);
    m_shared.SelectedLoop = QStringLiteral("1");

    const QSize screenTwips
        = pixelsToTwips(options.screenSize.value_or(primaryScreenSize()),
                        m_clientArea->logicalDpiX(), m_clientArea->logicalDpiY());
    m_geometry = std::make_unique<GridGeometry>(screenTwips);
    layOutGrid();
    m_grid->showAddresses();
    m_cycle->RefreshGrid(ScanCycle::RedrawSelectedLoop);
    offerInterruptedSession();
}

// A session the program could not end cleanly (a crash, a kill) left its tables behind.
void MainWindow::offerInterruptedSession()
{
    connect(m_autosave.get(), &SessionAutosave::failed, this,
            [this](const QString &reason) { m_status->showLink(reason); });
    const std::optional<QDateTime> taken = m_autosave->leftBehind();
    if (!taken)
        return;
    const QDateTime local = taken->toLocalTime();
    const bool restore = m_prompts.askYesNo(
        QStringLiteral(
            "Ripristinare le letture della sessione interrotta?\n(salvate il %1 alle %2)")
            .arg(local.toString(QStringLiteral("dd/MM/yyyy")),
                 local.toString(QStringLiteral("HH:mm:ss"))),
        QStringLiteral("Sessione interrotta"));
    if (restore && m_autosave->restore()) {
        m_cycle->RefreshGrid(ScanCycle::RedrawSelectedLoop);
        return;
    }
    m_autosave->discard();
}

void MainWindow::connectControls()
{
    const MainWindowControls &c = m_controls;
    connect(c.startButton, &QPushButton::clicked, this, &MainWindow::startScan);
    connect(c.loopGroup, &QButtonGroup::idClicked, this,
            [this](int loop) { m_cycle->RefreshGrid(loop); });
    connect(c.kindGroup, &QButtonGroup::idClicked, this, [this](int mode) {
        m_cycle->setMode(ScanMode(mode));
        m_cycle->RefreshGrid(ScanCycle::RedrawSelectedLoop);
    });
    connect(c.lockButton, &QPushButton::clicked, this, [this] { m_cycle->toggleLock(); });
    connect(c.picture(ToolbarCommand::Reset), &PictureButton::clicked, this,
            [this] { m_cycle->resetReadings(); });
    connect(c.picture(ToolbarCommand::Stop), &PictureButton::clicked, this,
            [this] { m_cycle->askToStop(); });
    connect(m_grid, &DeviceGridWidget::clicked, this,
            [this](int address) { m_cycle->deviceClicked(address); });

    connect(m_cycle.get(), &ScanCycle::activityChanged, this, &MainWindow::updateStatus);
    connect(m_cycle.get(), &ScanCycle::readingsCleared, m_counters.get(),
            &CommunicationCounters::clear);
    connect(m_cycle.get(), &ScanCycle::replyShown, c.replyBox, &QLineEdit::setText);
    connect(m_cycle.get(), &ScanCycle::lockedChanged, c.lockButton, [this](bool lockedOn) {
        m_controls.lockButton->setText(lockedOn ? QStringLiteral("LOCKED ON")
                                                : QStringLiteral("LOCKED OFF"));
    });
}

void MainWindow::connectCommands()
{
    const MainWindowControls &c = m_controls;
    connect(c.picture(ToolbarCommand::Configuration), &PictureButton::clicked, this,
            &MainWindow::openConfiguration);
    connect(c.picture(ToolbarCommand::Information), &PictureButton::clicked, this,
            &MainWindow::openInformation);
    connect(c.picture(ToolbarCommand::Save), &PictureButton::clicked, m_readings.get(),
            &ReadingsCommands::save);
    connect(c.picture(ToolbarCommand::Open), &PictureButton::clicked, m_readings.get(),
            &ReadingsCommands::load);
    connect(m_readings.get(), &ReadingsCommands::loaded, this,
            [this] { m_cycle->RefreshGrid(ScanCycle::RedrawSelectedLoop); });
    connect(c.picture(ToolbarCommand::Print), &PictureButton::clicked, this,
            [this] { m_printer->print(*m_data); });

    connect(c.downloadButton, &QPushButton::clicked, m_download.get(),
            &ConfigurationDownload::start);
    connect(c.verifyButton, &QPushButton::clicked, this, [this] { m_cycle->verifyInstallation(); });
    connect(m_download.get(), &ConfigurationDownload::started, this, &MainWindow::downloadStarted);
    connect(m_download.get(), &ConfigurationDownload::ended, this, &MainWindow::downloadEnded);
    connect(m_cycle.get(), &ScanCycle::lockedChanged, m_menu.lock, &QAction::setChecked);
    connect(m_menu.traffic, &QAction::triggered, this, &MainWindow::openTraffic);
}

ConfigurationDialog *MainWindow::configurationDialog() const
{
    return m_configuration;
}

AboutWindow *MainWindow::informationWindow() const
{
    return m_about;
}

DownloadProgressWindow *MainWindow::progressWindow() const
{
    return m_progress;
}

void MainWindow::openConfiguration()
{
    m_cycle->halt();
    if (!m_configuration) {
        m_configuration = new ConfigurationDialog(m_shared, m_prompts, m_configurationPath, this);
        m_configuration->deviceChooser()->setOverride(m_portOverride);
        // OK stores the settings: the board code shows, the chosen device is remembered.
        connect(m_configuration, &ConfigurationDialog::boardCodeChanged, this,
                [this](const QString &code) {
                    m_controls.boardCode->setText(code);
                    m_preferences->setChosenDevice(m_shared.chosenDevice);
                    m_readingViews->refresh(); // the thresholds may have changed
                });
        connect(m_configuration, &ConfigurationDialog::deviceChosen, this,
                [this](const QString &device) {
                    if (m_ownLink)
                        m_ownLink->setChosenDevice(device);
                    updateStatus();
                });
        connect(m_configuration, &ConfigurationDialog::replyBoxRequested, this,
                [this] { m_menu.replyBox->setChecked(true); });
    }
    showOnce(m_configuration);
}

void MainWindow::openInformation()
{
    if (!m_about) {
        m_about = new AboutWindow(m_prompts, this);
        auto *keys = new QLabel(MainWindowMenu::helpText() + u'\n' + ReadingViews::helpText());
        keys->setObjectName(QStringLiteral("MenuHelp"));
        // On a small screen (1366 x 768) the list is taller than the room left below the
        // legend: it scrolls there, and the window stays whole on the screen.
        auto *list = new QScrollArea;
        list->setFrameShape(QFrame::NoFrame);
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list->setWidget(keys);
        constexpr int TitleBarRoom = 60;
        const int room = m_about->screen()->availableGeometry().height() - TitleBarRoom
            - m_about->sizeHint().height();
        list->setFixedSize(keys->sizeHint().width() + list->verticalScrollBar()->sizeHint().width(),
                           std::clamp(keys->sizeHint().height(), 0, std::max(room, 100)));
        m_about->addSection(list);
    }
    showOnce(m_about);
}

void MainWindow::openTraffic()
{
    if (!m_trafficWindow)
        m_trafficWindow = new TrafficWindow(*m_traffic, m_prompts, this);
    showOnce(m_trafficWindow);
}

TrafficWindow *MainWindow::trafficWindow() const
{
    return m_trafficWindow;
}

void MainWindow::downloadStarted()
{
    setInUse(false);
    if (!m_progress) {
        m_progress = new DownloadProgressWindow(ConfigurationDownload::ProgressMaximum,
                                                m_timings.blinkTick, this);
        connect(m_download.get(), &ConfigurationDownload::progressChanged, m_progress,
                &DownloadProgressWindow::setProgress);
        connect(m_progress, &DownloadProgressWindow::abortRequested, m_download.get(),
                &ConfigurationDownload::abort);
    }
    m_progress->show();
}

void MainWindow::downloadEnded()
{
    if (m_progress)
        m_progress->close();
    setInUse(true);
    raise();
    activateWindow();
}

void MainWindow::setInUse(bool inUse)
{
    m_clientArea->setEnabled(inUse);
    menuBar()->setEnabled(inUse);
}

void MainWindow::startScan()
{
    m_cycle->start();
}

void MainWindow::updateStatus()
{
    m_status->refresh();
}

// The grid of the screen-sized formula where the client area holds it, shrunk to fit where
// it does not: every button whole between the toolbar row and the status bar.
void MainWindow::layOutGrid()
{
    const QSize room = pixelsToTwips(m_clientArea->size(), m_clientArea->logicalDpiX(),
                                     m_clientArea->logicalDpiY());
    m_grid->layOut(m_geometry->fittedInto(room));
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_clientArea && event->type() == QEvent::Resize && m_geometry)
        layOutGrid();
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // No request goes out once the window is closing; the link closes the port when it goes.
    m_cycle->halt();
    // A clean exit: nothing is left to restore.
    m_autosave->discard();
    QMainWindow::closeEvent(event);
}

} // namespace testloop
