#include "ui/MainWindow.h"

#include "link/SerialLink.h"
#include "loopdata/LoopTables.h"
#include "loopdata/SharedState.h"
#include "scan/ConfigurationDownload.h"
#include "scan/ScanCycle.h"
#include "ui/AboutWindow.h"
#include "ui/ConfigurationDialog.h"
#include "ui/DeviceGridWidget.h"
#include "ui/DownloadProgressWindow.h"
#include "ui/GridGeometry.h"
#include "ui/MessageBoxPrompts.h"
#include "ui/PictureButton.h"
#include "ui/PortMessages.h"
#include "ui/ReadingsCommands.h"
#include "ui/ReportPrinter.h"

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
#include <QStatusBar>

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

} // namespace

MainWindow::MainWindow(SharedState &shared, MainWindowOptions options, Prompts *prompts,
                       QWidget *parent)
    : QMainWindow(parent)
    , m_shared(shared)
    , m_ownPrompts(prompts ? nullptr : std::make_unique<MessageBoxPrompts>(this))
    , m_prompts(chosen(prompts, m_ownPrompts))
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
    , m_readings(std::make_unique<ReadingsCommands>(*m_data, m_prompts,
                                                    ReadingsCommands::FileChooser {}, this))
    , m_printer(std::make_unique<ReportPrinter>(m_prompts, this))
    , m_configurationPath(options.configurationPath)
    , m_timings(options.timings)
    , m_deviceStatus(new QLabel(this))
    , m_scanStatus(new QLabel(this))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(Title);
    // A fixed single border: a close button, no minimize or maximize.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    m_clientArea->setObjectName(QStringLiteral("ClientArea"));
    // The menu bar sits above the client area, so the controls keep their places below it.
    // The grid is sized from the whole screen; where the menu and status bars leave too
    // little room for its bottom row, the client area scrolls instead of hiding buttons.
    auto *scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("ClientScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(m_clientArea);
    setCentralWidget(scroll);
    m_menu = MainWindowMenu::create(menuBar(), m_controls);

    m_deviceStatus->setObjectName(QStringLiteral("DeviceStatus"));
    m_scanStatus->setObjectName(QStringLiteral("ScanStatus"));
    statusBar()->addWidget(m_scanStatus, 1);
    statusBar()->addPermanentWidget(m_deviceStatus);
    statusBar()->setSizeGripEnabled(false);

    if (m_ownLink)
        m_ownLink->setPortOverride(options.portOverride);
    connectLink();
    startUp(options);
    connectControls();
    connectCommands();
    updateStatus();
}

MainWindow::~MainWindow()
{
    // The download and the cycle paint on the grid and talk through the link: they go first.
    m_download.reset();
    m_cycle.reset();
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

void MainWindow::startUp(const MainWindowOptions &options)
{
    const ConfigurationRead read = LoadConfiguration(options.configurationPath);
    if (!read.problems.isEmpty()) {
        m_prompts.showMessage(read.problems.join(QStringLiteral("\n\n")), ConfigurationMessageTitle,
                              Prompts::Icon::Warning);
    }
    m_shared.settings = read.settings;
    m_link.setPortNumber(m_shared.settings.ComPort);
    m_controls.boardCode->setText(m_shared.settings.BoardCode);
    m_shared.SelectedLoop = QStringLiteral("1");

    const QSize screenTwips
        = pixelsToTwips(options.screenSize.value_or(primaryScreenSize()),
                        m_clientArea->logicalDpiX(), m_clientArea->logicalDpiY());
    m_grid->layOut(GridGeometry(screenTwips));
    m_grid->showAddresses();
    const QRect used = m_clientArea->childrenRect();
    m_clientArea->setMinimumSize(used.right() + 1, used.bottom() + 1);
    m_cycle->RefreshGrid(ScanCycle::RedrawSelectedLoop);
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
        connect(m_configuration, &ConfigurationDialog::boardCodeChanged, m_controls.boardCode,
                &QLabel::setText);
        connect(m_configuration, &ConfigurationDialog::replyBoxRequested, this,
                [this] { m_menu.replyBox->setChecked(true); });
    }
    m_configuration->show();
    m_configuration->raise();
    m_configuration->activateWindow();
}

void MainWindow::openInformation()
{
    if (!m_about) {
        m_about = new AboutWindow(m_prompts, this);
        auto *keys = new QLabel(MainWindowMenu::helpText());
        keys->setObjectName(QStringLiteral("MenuHelp"));
        m_about->addSection(keys);
    }
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
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
    m_deviceStatus->setText(QStringLiteral("Porta seriale: %1").arg(m_link.deviceName()));
    m_scanStatus->setText(m_cycle->statusText());
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // No request goes out once the window is closing; the link closes the port when it goes.
    m_cycle->halt();
    QMainWindow::closeEvent(event);
}

} // namespace testloop
