// The device detail window's texts, chart and refreshes; the colour rules are tst_evaluation's.
#include "loopdata/LoopTables.h"
#include "loopdata/SharedState.h"
#include "scan/CommunicationCounters.h"
#include "sim/ResponderTransport.h"
#include "ui/DeviceDetailWindow.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QLabel>
#include <QLineSeries>
#include <QPointer>
#include <QTest>
#include <QValueAxis>

#include <map>
#include <memory>

using namespace testloop;
using namespace Qt::StringLiterals;
using Kind = ExchangeEvent::Kind;

Q_DECLARE_METATYPE(testloop::DeviceSide)

namespace {

constexpr int Sensor = 5; // of loop 1, and so is the module
constexpr int Module = 10;

// A region of the chart: its colour, as the grid paints it, and the stretch of x it covers.
struct Shade
{
    QRgb colour;
    double from;
    double to;
    friend bool operator==(const Shade &, const Shade &) = default;
};
constexpr QRgb Red = 0xffff0000, Yellow = 0xffffff00, Green = 0xff008000;

struct Bench
{
    Bench()
    {
        LoopData &d = *data;
        d.DeviceType.set(Sensor, 1, u"OTTICO"_s);
        d.DeviceZone.set(Sensor, 1, 3);
        d.DeviceText.set(Sensor, 1, u"UFFICIO 3            "_s);
        d.SensorAnalogue.set(Sensor, 1, 450);
        d.SensorCurrent.set(Sensor, 1, 15);
        d.SensorReadCount.set(Sensor, 1, 8);
        d.OkCount.set(Sensor, 1, 5);
        d.OutOfRangeCount.set(Sensor, 1, 2);
        d.FaultCount.set(Sensor, 1, 1);
        for (const qint16 reading : {430, 440, 460, 450}) // the ring goes round once
            d.pushLastReading(Sensor, 1, reading);
        for (const auto &[reading, count] : sensorCounts)
            d.SensorHistogram.set(reading, Sensor, 1, qint16(count));

        d.DeviceType.set(Module, 1, u"PULSANTE"_s);
        d.DeviceZone.set(Module, 1, 4);
        d.ModuleAnalogue.set(Module, 1, 500);
        d.ModuleCurrent.set(Module, 1, 15);
        for (const auto &[reading, count] : moduleCounts)
            d.ModuleHistogram.set(reading, Module, 1, qint16(count));

        // Two valid replies after 12.5 and 20.5 ms, a time-out, one from the other loop, a re-read.
        exchange(Sensor, 1000, Kind::ReplyAccepted, 13500);
        exchange(Sensor, 100000, Kind::ReplyAccepted, 120500);
        exchange(Sensor, 200000, Kind::TimedOut, 0);
        exchange(Sensor, 300000, Kind::ReplyDiscarded, 0);
        link.report(ExchangeEvent::now(Kind::ReRead, {ExchangeTag::Kind::Scan, 1, Sensor}));
    }

    void exchange(int address, qint64 requestUs, Kind outcome, qint64 outcomeUs)
    {
        const ExchangeTag tag {ExchangeTag::Kind::Scan, 1, address};
        ExchangeEvent request = ExchangeEvent::now(Kind::RequestOut, tag);
        request.elapsedUs = requestUs;
        link.report(request);
        ExchangeEvent result = ExchangeEvent::now(outcome, tag);
        result.elapsedUs = outcomeUs;
        result.reason = DiscardReason::OtherLoop;
        link.report(result);
    }

    const std::map<int, int> sensorCounts {{100, 1}, {440, 2}, {450, 4}, {460, 1}, {1700, 1}};
    // Faults, out of range (400 is the lower limit, not green), in range, out of range.
    const std::map<int, int> moduleCounts {{0, 1},   {100, 1}, {300, 2},
                                           {400, 1}, {500, 4}, {2600, 2}};
    SharedState shared;
    std::unique_ptr<LoopData> data = std::make_unique<LoopData>();
    sim::ResponderTransport link {sim::Installation()};
    CommunicationCounters counters {link};
    DeviceDetailWindow window {*data, shared, counters};
};

// The texts of the labels "Detail" + each of the names, "|" between them.
QString shown(const DeviceDetailWindow &window, const QString &names)
{
    QStringList texts;
    for (const QString &name : names.split(u' ')) {
        const auto *label = window.findChild<QLabel *>(u"Detail"_s + name);
        texts.append(label ? label->text() : u"(no label %1)"_s.arg(name));
    }
    return texts.join(u'|');
}

template<typename T> T *series(const DeviceDetailWindow &window, const QString &name)
{
    for (QAbstractSeries *s : window.chartView()->chart()->series())
        if (s->objectName() == name)
            return qobject_cast<T *>(s);
    return nullptr;
}

std::map<int, int> spikes(const DeviceDetailWindow &window)
{
    std::map<int, int> found;
    for (const QPointF &point : series<QLineSeries>(window, u"DetailHistogram"_s)->points())
        if (point.y() > 0)
            found[int(point.x())] = int(point.y());
    return found;
}

QList<Shade> shades(const DeviceDetailWindow &window)
{
    QList<Shade> found;
    for (QAbstractSeries *s : window.chartView()->chart()->series()) {
        if (const auto *area = qobject_cast<QAreaSeries *>(s)) {
            const QList<QPointF> edge = area->upperSeries()->points();
            found.append({area->brush().color().rgb(), edge.first().x(), edge.last().x()});
        }
    }
    return found;
}

QValueAxis *axis(const DeviceDetailWindow &window, Qt::Orientation which = Qt::Horizontal)
{
    return qobject_cast<QValueAxis *>(window.chartView()->chart()->axes(which).constFirst());
}

} // namespace

class TestDeviceDetail : public QObject
{
    Q_OBJECT
private slots:
    void texts();
    void chart_data();
    void chart();
    void zoom();
    void follows();
};

// The shares with a decimal comma, the last three readings newest first.
void TestDeviceDetail::texts()
{
    Bench b;
    DeviceDetailWindow &window = b.window;
    window.showAddress(Sensor, DeviceSide::Sensor);
    QCOMPARE(shown(window, u"Loop Address Kind Type Zone Description Verdict Analogue Current"_s),
             u"1|5|Sensore|OTTICO|3|UFFICIO 3|OK|450|15"_s);
    QCOMPARE(shown(window, u"LastReadings Counted InRange OutOfRange Faulty"_s),
             u"450  ·  460  ·  440|8|5 (62,5 %)|2 (25,0 %)|1 (12,5 %)"_s);
    QCOMPARE(shown(window, u"FaultThreshold LowerLimit UpperLimit Requests ValidReplies"_s),
             u"200|400|1500|4|2 (50,0 %)"_s);
    QCOMPARE(shown(window, u"Timeouts Discarded ReReads LastResponse MeanResponse"_s),
             u"1 (25,0 %)|1 (altro loop 1, incomplete 0, non valide 0, non attese 0)|1|20,5 ms|"
             "16,5 ms"_s);
    // A module keeps no ring of readings and counts them from its distribution.
    window.showAddress(Module, DeviceSide::Module);
    QCOMPARE(shown(window, u"Kind Type Description Analogue LastReadings Counted InRange"_s),
             u"Modulo|PULSANTE|—|500|—|11|4 (36,4 %)"_s);
    QCOMPARE(shown(window, u"OutOfRange Faulty UpperLimit Requests MeanResponse"_s),
             u"5 (45,5 %)|2 (18,2 %)|2500|0|—"_s);
    window.showAddress(6, DeviceSide::Sensor);
    QCOMPARE(shown(window, u"Verdict Zone InRange"_s), u"NON RISPONDE|—|0"_s);
}

void TestDeviceDetail::chart_data()
{
    QTest::addColumn<DeviceSide>("side");
    QTest::addColumn<int>("address");
    QTest::addColumn<double>("upper"); // the fault threshold 200 and lower limit 400 are shared
    QTest::addColumn<double>("latest");
    QTest::newRow("sensor") << DeviceSide::Sensor << Sensor << 1500.0 << 450.0;
    QTest::newRow("module") << DeviceSide::Module << Module << 2500.0 << 500.0;
}

// Each region's edges lie half a unit past its last reading; the marker is the latest reading.
void TestDeviceDetail::chart()
{
    QFETCH(DeviceSide, side);
    QFETCH(int, address);
    QFETCH(double, upper);
    QFETCH(double, latest);
    Bench b;
    b.window.showAddress(address, side);

    const std::map<int, int> &counts = side == DeviceSide::Sensor ? b.sensorCounts : b.moduleCounts;
    QCOMPARE(spikes(b.window), counts);
    const QValueAxis *x = axis(b.window);
    QCOMPARE(x->min(), 0.0);
    QVERIFY(x->max() > std::max(upper, double(counts.rbegin()->first)));
    QCOMPARE(shades(b.window),
             (QList<Shade> {{Red, 0, 199.5},
                            {Yellow, 199.5, 401.5},
                            {Green, 401.5, upper + 0.5},
                            {Yellow, upper + 0.5, x->max()}}));
    const QList<QPointF> marker = series<QLineSeries>(b.window, u"DetailMarker"_s)->points();
    const double top = axis(b.window, Qt::Vertical)->max();
    QCOMPARE(marker, (QList<QPointF> {{latest, 0}, {latest, top}}));
    QVERIFY(top >= 4);
}

// Zoomed in, the axis keeps to the readings with a margin, and the regions to the axis.
void TestDeviceDetail::zoom()
{
    Bench b;
    b.data->SensorHistogram.set(100, Sensor, 1, 0);
    b.data->SensorHistogram.set(1700, Sensor, 1, 0);
    b.window.showAddress(Sensor, DeviceSide::Sensor);
    QVERIFY(axis(b.window)->max() > 1500);
    b.window.findChild<QCheckBox *>(u"DetailZoom"_s)->setChecked(true);
    const QValueAxis *x = axis(b.window);
    QVERIFY(x->min() < 440 && x->min() >= 300);
    QVERIFY(x->max() > 460 && x->max() <= 600);
    QCOMPARE(shades(b.window),
             (QList<Shade> {{Yellow, x->min(), 401.5}, {Green, 401.5, x->max()}}));
    QCOMPARE(spikes(b.window), (std::map<int, int> {{440, 2}, {450, 4}, {460, 1}}));
}

// New counters are followed at once; readings, thresholds and the loop at a refresh.
void TestDeviceDetail::follows()
{
    Bench b;
    DeviceDetailWindow &window = b.window;
    window.showAddress(Module, DeviceSide::Module);
    window.showAddress(0, DeviceSide::Sensor);
    QVERIFY(window.address() == Module && window.side() == DeviceSide::Module);
    b.exchange(Module, 0, Kind::ReplyAccepted, 8000);
    QCOMPARE(shown(window, u"Requests LastResponse"_s), u"1|8,0 ms"_s);

    const QPointer<QLineSeries> drawn = series<QLineSeries>(window, u"DetailHistogram"_s);
    window.refresh(); // nothing new: the chart is kept
    QVERIFY(drawn);
    b.data->ModuleAnalogue.set(Module, 1, 2600);
    b.data->ModuleHistogram.add(2600, Module, 1);
    window.refresh();
    QVERIFY(!drawn);
    QCOMPARE(shown(window, u"Analogue Verdict OutOfRange"_s), u"2600|FUORI RANGE|6 (50,0 %)"_s);
    QVERIFY(window.findChild<QLabel *>(u"DetailVerdict"_s)->styleSheet().contains(u"#ffff00"_s));
    QCOMPARE(spikes(window)[2600], 3);
    QCOMPARE(series<QLineSeries>(window, u"DetailMarker"_s)->points().constFirst().x(), 2600.0);
    b.shared.settings.VaMMax = 3000;
    window.refresh();
    QCOMPARE(shown(window, u"Verdict UpperLimit InRange"_s), u"OK|3000|7 (58,3 %)"_s);
    QCOMPARE(shades(window).value(2), (Shade {Green, 401.5, 3000.5}));
    b.data->ModuleHistogram.add(500, Module, 1); // a reading like the last but one
    window.refresh();
    QCOMPARE(spikes(window)[500], 5);
    QCOMPARE(shown(window, u"InRange"_s), u"8 (61,5 %)"_s);

    b.shared.SelectedLoop = u"2"_s; // nothing at this address
    window.refresh();
    QCOMPARE(shown(window, u"Loop Verdict Requests"_s), u"2|NON RISPONDE|0"_s);
    QVERIFY(spikes(window).empty());
    QVERIFY(!series<QLineSeries>(window, u"DetailMarker"_s));
}

QTEST_MAIN(TestDeviceDetail)
#include "tst_devicedetail.moc"
