#pragma once

#include "scan/AddressFacts.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class QAction;
class QMenuBar;
class QWidget;

namespace testloop {

class AddressListWindow;
class CommunicationCounters;
class CsvExportCommand;
class DeviceDetailWindow;
class DeviceGridWidget;
class Prompts;
class ScanCycle;
class ServiceReportWriter;
class Transport;
class UserPreferences;
struct LoopData;
struct SharedState;

// What the readings mean, behind the "Letture" menu: the detail of a device (also on a right
// click), the service report, the CSV export, the comparison with an earlier visit's readings
// file and the list of what the panel's configuration expects against what the scan found,
// with the option of passing over the addresses the download found unused.
class ReadingViews : public QObject
{
    Q_OBJECT
public:
    // Asks for a readings file to compare with; an empty name means the user cancelled.
    using FileChooser = std::function<QString(QWidget *parent)>;

    struct Parts
    {
        LoopData &data;
        SharedState &shared;
        CommunicationCounters &counters;
        ScanCycle &cycle;
        DeviceGridWidget &grid;
        Transport &link;
        UserPreferences &preferences;
        Prompts &prompts;
        QWidget *window;
    };

    ReadingViews(QMenuBar *bar, Parts parts);
    ~ReadingViews() override;

    CsvExportCommand &csvExport() { return *m_csv; }
    ServiceReportWriter &serviceReport() { return *m_report; }
    void setReferenceChooser(FileChooser chooser) { m_referenceChooser = std::move(chooser); }

    // The windows, while they are open.
    DeviceDetailWindow *detailWindow() const;
    AddressListWindow *comparisonWindow() const;
    AddressListWindow *findingsWindow() const;
    const LoopData *reference() const { return m_reference.get(); }

    // What the menu's "Letture" entries say, for the information window.
    static QString helpText();

public slots:
    // "Dettaglio dispositivo" for an address, on the side of the mode in force.
    void showDetail(int address);
    // "Confronta con una visita precedente...": a readings file as the reference.
    void openReference();
    void closeReference();
    // "Limite di deriva...".
    void askDriftLimit();
    // "Atteso / Trovato".
    void showFindings();
    // Brings the open windows up to date with the tables.
    void refresh();

private:
    DeviceSide side() const;
    void redraw();
    void createMenu(QMenuBar *bar);

    Parts m_parts;
    std::unique_ptr<CsvExportCommand> m_csv;
    std::unique_ptr<ServiceReportWriter> m_report;
    FileChooser m_referenceChooser;
    std::unique_ptr<LoopData> m_reference;
    QString m_referenceName;
    QPointer<DeviceDetailWindow> m_detail;
    QPointer<AddressListWindow> m_comparison;
    QPointer<AddressListWindow> m_findings;
    QAction *m_closeReference = nullptr;
};

} // namespace testloop
