#include "ui/MainWindow.h"

#include "link/SerialLink.h"
#include "loopdata/LoopTables.h"
#include "loopdata/SharedState.h"
#include "scan/ScanCycle.h"
#include "ui/DeviceGridWidget.h"
#include "ui/GridGeometry.h"
#include "ui/MessageBoxPrompts.h"
#include "ui/PictureButton.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
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
    setCentralWidget(m_clientArea);

    m_deviceStatus->setObjectName(QStringLiteral("DeviceStatus"));
    m_scanStatus->setObjectName(QStringLiteral("ScanStatus"));
    statusBar()->addWidget(m_scanStatus, 1);
    statusBar()->addPermanentWidget(m_deviceStatus);
    statusBar()->setSizeGripEnabled(false);

    m_link->setPortOverride(options.portOverride);
    startUp(options);
    connectControls();
    updateStatus();
}

MainWindow::~MainWindow()
{
    // The cycle paints on the grid and talks through the link: it goes first.
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
