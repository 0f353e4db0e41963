#pragma once

#include "scan/AddressFacts.h"
#include "scan/ButtonColour.h"

#include <QDialog>
#include <QList>

#include <optional>
#include <span>
#include <tuple>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLabel;

QT_BEGIN_NAMESPACE
class QChart;
class QChartView;
class QLineSeries;
class QValueAxis;
QT_END_NAMESPACE

namespace testloop {

class CommunicationCounters;
struct LoopData;
struct Settings;
struct SharedState;

// A run of consecutive stored readings that the grid paints in one colour.
struct ReadingRegion
{
    ButtonColour colour = ButtonColour::ButtonFace;
    int first = 0;
    int last = 0;

    friend bool operator==(const ReadingRegion &, const ReadingRegion &) = default;
};

// The readings 0..last split into the runs the grid would paint red, yellow and green, judged
// by the same evaluation the grid uses, with the thresholds of the given side. A sensor is
// green from its lower limit + 2 to its upper limit; a module reading of 0 is always a fault.
QList<ReadingRegion> readingRegions(DeviceSide side, const Settings &settings, int last);

// "Dettaglio dispositivo": what the tables and the communication counters say of one address
// of the selected loop, and the distribution of its readings against the thresholds in the
// grid's colours. One window follows the address last asked for; refresh() brings it up to
// date and redraws the chart only when something it shows has changed, so calling it at every
// step of the scan costs next to nothing.
class DeviceDetailWindow : public QDialog
{
    Q_OBJECT
public:
    static inline const QString Title = QStringLiteral("Dettaglio dispositivo");

    DeviceDetailWindow(const LoopData &data, const SharedState &shared,
                       const CommunicationCounters &counters, QWidget *parent = nullptr);
    ~DeviceDetailWindow() override;

    int address() const { return m_address; }
    DeviceSide side() const { return m_side; }
    QChartView *chartView() const { return m_chartView; }

public slots:
    // Follows another address, or the same one on the other side; the loop is the selected one.
    void showAddress(int address, DeviceSide side);
    void refresh();

private:
    void drawChart(const AddressFacts &facts, std::span<const qint16> counts);

    const LoopData &m_data;
    const SharedState &m_shared;
    const CommunicationCounters &m_counters;
    int m_address = 1;
    DeviceSide m_side = DeviceSide::Sensor;
    QList<QLabel *> m_labels; // one per value shown, in the order of the rows
    QLabel *m_verdict = nullptr;
    ButtonColour m_verdictColour = ButtonColour::ButtonFace; // the colour it is shown on
    QGroupBox *m_readings = nullptr;
    QCheckBox *m_zoom;
    QChartView *m_chartView;
    QLabel *m_legend; // the regions and the marker, named
    QChart *m_chart;
    QValueAxis *m_axisX;
    QValueAxis *m_axisY;
    // What the chart was last drawn from, to leave it alone when nothing changed.
    using ChartKey = std::tuple<DeviceSide, int, int, int, bool, int, bool>;
    std::vector<qint16> m_drawnCounts;
    std::optional<ChartKey> m_drawnKey;
    QList<ReadingRegion> m_regions; // of the chart last drawn
};

} // namespace testloop
