#pragma once

#include "ui/MainWindowControls.h"
#include "ui/MainWindowMenu.h"
#include "ui/MainWindowOptions.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>

namespace testloop {

class AboutWindow;
class CommunicationCounters;
class ConfigurationDialog;
class ConfigurationDownload;
class DeviceGridWidget;
class DownloadProgressWindow;
class GridGeometry;
class LinkRecovery;
class MainWindowStatus;
class MessageBoxPrompts;
class Prompts;
class ReadingViews;
class ReadingsCommands;
class ReportPrinter;
class ScanCycle;
class SessionAutosave;
class SerialLink;
class TrafficLog;
class TrafficWindow;
class Transport;
class UserPreferences;
struct LoopData;
struct SharedState;

// The main window: the fixed controls, the toolbar pictures and the device grid, wired to the
// scan cycle. It owns the loop tables, the serial link, the grid, the cycle and what watches
// the link (counters, traffic log, recovery); every decision is theirs, the window only passes
// on clicks and shows what they report.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    static inline const QString Title = QStringLiteral("Orvalis Analogue Loop Testing Software");

    // Without prompts the window answers with its own message boxes.
    MainWindow(SharedState &shared, MainWindowOptions options = {}, Prompts *prompts = nullptr,
               QWidget *parent = nullptr);
    ~MainWindow() override;

    LoopData &loopData() { return *m_data; }
    Transport &link() { return m_link; }
    ScanCycle &cycle() { return *m_cycle; }
    DeviceGridWidget &grid() { return *m_grid; }
    ConfigurationDownload &download() { return *m_download; }
    CommunicationCounters &counters() { return *m_counters; }
    TrafficLog &traffic() { return *m_traffic; }
    LinkRecovery &recovery() { return *m_recovery; }
    SessionAutosave &autosave() { return *m_autosave; }
    // The commands behind the file and print pictures, so their dialogs can be replaced.
    ReadingsCommands &readingsCommands() { return *m_readings; }
    ReportPrinter &reportPrinter() { return *m_printer; }
    // The views of the readings behind the "Letture" menu.
    ReadingViews &readingViews() { return *m_readingViews; }
    // The windows opened from the toolbar and the menu, while they are open.
    ConfigurationDialog *configurationDialog() const;
    AboutWindow *informationWindow() const;
    DownloadProgressWindow *progressWindow() const;
    TrafficWindow *trafficWindow() const;

public slots:
    // What "INIZIO TEST" does.
    void startScan();
    // "CONFIGURAZIONE": stops the scan without asking, then shows the one configuration dialog.
    void openConfiguration();
    // "INFORMAZIONI": shows the one information window; a running scan goes on.
    void openInformation();
    // "Traffico seriale": shows the one traffic window; a running scan goes on.
    void openTraffic();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void startUp(const MainWindowOptions &options);
    void offerInterruptedSession();
    void layOutGrid();
    void connectLink();
    void connectRecovery();
    void connectControls();
    void connectCommands();
    void updateStatus();
    void downloadStarted();
    void downloadEnded();
    // Out of use while the configuration is downloaded: nothing else can be started.
    void setInUse(bool inUse);

    SharedState &m_shared;
    std::unique_ptr<MessageBoxPrompts> m_ownPrompts;
    Prompts &m_prompts;
    std::unique_ptr<UserPreferences> m_preferences;
    std::unique_ptr<LoopData> m_data;
    std::unique_ptr<SerialLink> m_ownLink; // unless the options bring a line of their own
    Transport &m_link;
    QWidget *m_clientArea;
    DeviceGridWidget *m_grid;
    MainWindowControls m_controls;
    std::unique_ptr<ScanCycle> m_cycle;
    std::unique_ptr<ConfigurationDownload> m_download;
    std::unique_ptr<CommunicationCounters> m_counters;
    std::unique_ptr<TrafficLog> m_traffic;
    std::unique_ptr<LinkRecovery> m_recovery;
    std::unique_ptr<SessionAutosave> m_autosave;
    std::unique_ptr<ReadingsCommands> m_readings;
    std::unique_ptr<ReportPrinter> m_printer;
    MainWindowMenu m_menu;
    ReadingViews *m_readingViews = nullptr;
    MainWindowStatus *m_status = nullptr;
    QString m_configurationPath;
    QString m_portOverride;
    Timings m_timings;
    std::unique_ptr<GridGeometry> m_geometry; // the grid the screen's size gives
    QPointer<ConfigurationDialog> m_configuration;
    QPointer<AboutWindow> m_about;
    QPointer<DownloadProgressWindow> m_progress;
    QPointer<TrafficWindow> m_trafficWindow;
};

} // namespace testloop
