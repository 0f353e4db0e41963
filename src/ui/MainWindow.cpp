#include "ui/MainWindow.h"

#include "config/ConfigurationDialog.h"
#include "link/SerialLink.h"
#include "loopdata/LoopTables.h"
#include "loopdata/SharedState.h"
#include "scan/ConfigurationDownload.h"
#include "scan/ScanCycle.h"
#include "ui/AboutWindow.h"
#include "ui/DeviceGridWidget.h"
#include "ui/DownloadProgressWindow.h"
#include "ui/GridGeometry.h"
#include "ui/MessageBoxPrompts.h"
#include "ui/PictureButton.h"
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

Prompts &chosenPrompts(Prompts *given, const std::unique_ptr<MessageBoxPrompts> &own)
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
    , m_prompts(chosenPrompts(prompts, m_ownPrompts))
    , m_data(std::make_unique<LoopData>())
    , m_link(std::make_unique<SerialLink>(shared, m_prompts))
    , m_clientArea(new QWidget(this))
    , m_grid(new DeviceGridWidget(m_clientArea))
    , m_controls(MainWindowControls::create(m_clientArea))
    , m_cycle(std::make_unique<ScanCycle>(shared, *m_data, *m_link, *m_grid, m_prompts,
                                          options.timings))
    , m_download(std::make_unique<ConfigurationDownload>(shared, *m_data, *m_link, *m_cycle,
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

    m_link->setPortOverride(options.portOverride);
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
    m_link.reset();
}

void MainWindow::startUp(const MainWindowOptions &options)
{
    m_data->DownloadKind = QStringLiteral("S");
    m_data->DownloadAddress = 1;
    m_data->DownloadLoop = QStringLiteral("1");
    m_shared.ScanAddress = 1;

    m_shared.settings = LoadConfiguration(m_prompts, options.configurationPath);
    m_link->setPortNumber(m_shared.settings.ComPort);
    m_controls.boardCode->setText(m_shared.settings.BoardCode);
    m_shared.SelectedLoop = QStringLiteral("1");

    const QSize screenTwips
        = pixelsToTwips(options.screenSize.value_or(primaryScreenSize()),
                        m_clientArea->logicalDpiX(), m_clientArea->logicalDpiY());
    m_grid->layOut(GridGeometry(screenTwips));
    m_grid->showAddresses();
    const QRect used = m_clientArea->childrenRect();
    m_clientArea->setMinimumSize(used.right() + 1, used.bottom() + 1);
    m_cycle->RefreshGrid(3);
}

void MainWindow::connectControls()
{
    const MainWindowControls &c = m_controls;
    connect(c.startButton, &QPushButton::clicked, this, &MainWindow::startScan);
    connect(c.loopGroup, &QButtonGroup::idClicked, this,
            [this](int loop) { m_cycle->RefreshGrid(loop); });
    connect(c.kindGroup, &QButtonGroup::idClicked, this, [this](int mode) {
        m_cycle->setMode(ScanMode(mode));
        m_cycle->RefreshGrid(3);
    });
    connect(c.lockButton, &QPushButton::clicked, this, [this] { m_cycle->toggleLock(); });
    connect(c.resetPicture, &PictureButton::clicked, this, [this] { m_cycle->resetReadings(); });
    connect(c.stopPicture, &PictureButton::clicked, this, [this] { m_cycle->stop(); });
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
    connect(c.configurationPicture, &PictureButton::clicked, this, &MainWindow::openConfiguration);
    connect(c.informationPicture, &PictureButton::clicked, this, &MainWindow::openInformation);
    connect(c.savePicture, &PictureButton::clicked, m_readings.get(), &ReadingsCommands::save);
    connect(c.openPicture, &PictureButton::clicked, m_readings.get(), &ReadingsCommands::load);
    connect(m_readings.get(), &ReadingsCommands::loaded, this, [this] { m_cycle->RefreshGrid(3); });
    connect(c.printPicture, &PictureButton::clicked, this, [this] { m_printer->print(*m_data); });

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
    m_deviceStatus->setText(QStringLiteral("Porta seriale: %1").arg(m_link->deviceName()));
    m_scanStatus->setText(m_cycle->statusText());
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // No request goes out once the window is closing; the link closes the port when it goes.
    m_cycle->halt();
    QMainWindow::closeEvent(event);
}

} // namespace testloop
