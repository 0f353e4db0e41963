#pragma once

#include "ui/MainWindowControls.h"
#include "ui/MainWindowOptions.h"

#include <QMainWindow>

#include <memory>

class QLabel;

namespace testloop {

class DeviceGridWidget;
class MessageBoxPrompts;
class Prompts;
class ScanCycle;
class SerialLink;
struct LoopData;
struct SharedState;

// The main window: the fixed controls, the toolbar pictures and the device grid, wired to the
// scan cycle. It owns the loop tables, the serial link, the grid and the cycle; every decision
// is theirs, the window only passes on clicks and shows what they report.
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
    SerialLink &link() { return *m_link; }
    ScanCycle &cycle() { return *m_cycle; }
    DeviceGridWidget &grid() { return *m_grid; }

public slots:
    // What "INIZIO TEST" does.
    void startScan();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void startUp(const MainWindowOptions &options);
    void connectControls();
    void updateStatus();

    SharedState &m_shared;
    std::unique_ptr<MessageBoxPrompts> m_ownPrompts;
    Prompts &m_prompts;
    std::unique_ptr<LoopData> m_data;
    std::unique_ptr<SerialLink> m_link;
    QWidget *m_clientArea;
    DeviceGridWidget *m_grid;
    MainWindowControls m_controls;
    std::unique_ptr<ScanCycle> m_cycle;
    QLabel *m_deviceStatus;
    QLabel *m_scanStatus;
};

} // namespace testloop
