#include "ui/DeviceDetailWindow.h"

#include "loopdata/LoopTables.h"
#include "loopdata/NumberText.h"
#include "loopdata/SharedState.h"
#include "scan/CommunicationCounters.h"
#include "scan/Evaluation.h"
#include "ui/DeviceButton.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QLocale>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace testloop {

namespace {

using namespace Qt::StringLiterals;

const QString None = u"—"_s;

Thresholds thresholdsOf(DeviceSide side, const Settings &s)
{
    return side == DeviceSide::Sensor ? Thresholds {s.GSMax, s.VaSMin, s.VaSMax}
                                      : Thresholds {s.GMMax, s.VaMMin, s.VaMMax};
}

QColor gridColour(ButtonColour colour)
{
    return DeviceButton::colourOf(colour, QPalette());
}

QString decimal(double value)
{
    return QLocale(QLocale::Italian).toString(value, 'f', 1);
}

QString orNone(const QString &text)
{
    return text.isEmpty() ? None : text;
}

// "45 (90,0 %)": a count and its share of the total; the count alone when there is no total.
QString share(int count, int total)
{
    if (total <= 0)
        return plainForm(count);
    return u"%1 (%2 %)"_s.arg(count).arg(decimal(100.0 * count / total));
}

// A legend entry: the verdict and the readings it covers within 0..end.
QString regionName(const ReadingRegion &region, int end)
{
    const QString word = region.colour == ButtonColour::Red ? u"Guasto"_s
        : region.colour == ButtonColour::Green              ? u"In range"_s
                                                            : u"Fuori range"_s;
    if (region.first == 0 && region.last >= end)
        return word;
    if (region.first == 0)
        return u"%1 ≤ %2"_s.arg(word).arg(region.last);
    if (region.last >= end)
        return u"%1 ≥ %2"_s.arg(word).arg(region.first);
    return u"%1 %2–%3"_s.arg(word).arg(region.first).arg(region.last);
}

// Ticks at 1, 2 or 5 times a power of ten, about five of them, and a range from tick to tick
// that holds from..to. The axes count whole readings and whole occurrences: no finer than 1.
void setRoundRange(QValueAxis *axis, double from, double to)
{
    const double raw = std::max(1.0, (to - from) / 5);
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    const double step = raw <= power ? power
        : raw <= 2 * power           ? 2 * power
        : raw <= 5 * power           ? 5 * power
                                     : 10 * power;
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0);
    axis->setTickInterval(step);
    axis->setRange(std::floor(from / step) * step, std::ceil(to / step) * step);
}

// What the labels are filled from: the facts of the address, with the counts of a module's
// readings taken from its distribution.
struct Shown : AddressFacts
{
    AddressCounters link;
    Thresholds limits;
    QString recent; // the last readings, newest first
};

QString responseTime(const AddressCounters &link, double ms)
{
    return link.validReplies > 0 ? decimal(ms) + u" ms"_s : None;
}

QString discardedText(const Shown &s)
{
    const auto by = [&s](DiscardReason reason) { return s.link.discarded[std::size_t(reason)]; };
    return u"%1 (altro loop %2, incomplete %3, non valide %4, non attese %5)"_s
        .arg(s.link.discardedTotal())
        .arg(by(DiscardReason::OtherLoop))
        .arg(by(DiscardReason::Short))
        .arg(by(DiscardReason::Garbled))
        .arg(by(DiscardReason::NotAwaited));
}

// The values on show: the group, the caption, the label's objectName and its text.
struct ValueRow
{
    qsizetype group;
    QStringView caption;
    QStringView name;
    QString (*text)(const Shown &);
};

constexpr QStringView GroupTitles[]
    = {u"Dispositivo", u"Letture", u"Soglie in uso", u"Comunicazione"};
constexpr qsizetype ReadingsGroup = 1;

constexpr ValueRow ValueRows[] = {
    {0, u"Loop", u"DetailLoop", [](auto &s) { return plainForm(s.loop); }},
    {0, u"Indirizzo", u"DetailAddress", [](auto &s) { return plainForm(s.address); }},
    {0, u"Dispositivo", u"DetailKind",
     [](auto &s) { return s.side == DeviceSide::Sensor ? u"Sensore"_s : u"Modulo"_s; }},
    {0, u"Tipo", u"DetailType", [](auto &s) { return orNone(s.type); }},
    {0, u"Zona", u"DetailZone",
     [](auto &s) { return s.type.isEmpty() ? None : plainForm(s.zone); }},
    {0, u"Descrizione", u"DetailDescription", [](auto &s) { return orNone(s.description); }},
    {0, u"Stato", u"DetailVerdict", [](auto &s) { return verdictText(s.verdict); }},
    {0, u"Valore analogico", u"DetailAnalogue", [](auto &s) { return plainForm(s.analogue); }},
    {0, u"Assorbimento", u"DetailCurrent", [](auto &s) { return plainForm(s.current); }},
    {0, u"Ultime tre letture", u"DetailLastReadings", [](auto &s) { return orNone(s.recent); }},
    {1, u"Contate", u"DetailCounted", [](auto &s) { return plainForm(s.counted); }},
    {1, u"In range", u"DetailInRange", [](auto &s) { return share(s.inRange, s.counted); }},
    {1, u"Fuori range", u"DetailOutOfRange",
     [](auto &s) { return share(s.outOfRange, s.counted); }},
    {1, u"Guasto", u"DetailFaulty", [](auto &s) { return share(s.faulty, s.counted); }},
    {2, u"Soglia di guasto", u"DetailFaultThreshold",
     [](auto &s) { return plainForm(s.limits.fault); }},
    {2, u"Limite inferiore", u"DetailLowerLimit",
     [](auto &s) { return plainForm(s.limits.lower); }},
    {2, u"Limite superiore", u"DetailUpperLimit",
     [](auto &s) { return plainForm(s.limits.upper); }},
    {3, u"Richieste", u"DetailRequests", [](auto &s) { return plainForm(s.link.requests); }},
    {3, u"Risposte valide", u"DetailValidReplies",
     [](auto &s) { return share(s.link.validReplies, s.link.requests); }},
    {3, u"Nessuna risposta", u"DetailTimeouts",
     [](auto &s) { return share(s.link.timeouts, s.link.requests); }},
    {3, u"Risposte scartate", u"DetailDiscarded", &discardedText},
    {3, u"Riletture per guasto", u"DetailReReads",
     [](auto &s) { return plainForm(s.link.reReads); }},
    {3, u"Ultima risposta", u"DetailLastResponse",
     [](auto &s) { return responseTime(s.link, s.link.lastResponseMs); }},
    {3, u"Risposta media", u"DetailMeanResponse",
     [](auto &s) { return responseTime(s.link, s.link.meanResponseMs()); }},
};

// The sensor's last readings, newest first: the ring's newest slot is the one written last.
QString recentReadings(const AddressFacts &facts, int newest)
{
    QStringList recent;
    for (int step = 0; step < std::min(facts.counted, RingSlots); ++step) {
        const int slot = newest >= 1 && newest <= RingSlots
            ? (newest - 1 - step + RingSlots) % RingSlots + 1
            : step + 1;
        recent.append(plainForm(facts.lastReadings[slot - 1]));
    }
    return recent.join(u"  ·  "_s);
}

} // namespace

QList<ReadingRegion> readingRegions(DeviceSide side, const Settings &settings, int last)
{
    const Thresholds limits = thresholdsOf(side, settings);
    QList<ReadingRegion> regions;
    for (int reading = 0; reading <= last; ++reading) {
        // A current of 0 is never a conflict, so the colour is the analogue value's alone.
        const qint16 value = toInt16(static_cast<long long>(reading));
        const ButtonColour colour = side == DeviceSide::Sensor
            ? EvaluateSensor(1, value, 0, limits).colour
            : EvaluateModule(1, u"1"_s, value, 0, limits).colour;
        if (regions.isEmpty() || regions.last().colour != colour)
            regions.append({colour, reading, reading});
        else
            regions.last().last = reading;
    }
    return regions;
}

DeviceDetailWindow::DeviceDetailWindow(const LoopData &data, const SharedState &shared,
                                       const CommunicationCounters &counters, QWidget *parent)
    : QDialog(parent)
    , m_data(data)
    , m_shared(shared)
    , m_counters(counters)
    , m_zoom(new QCheckBox(u"Ingrandisci sulle letture"_s, this))
    , m_chartView(new QChartView(this))
    , m_legend(new QLabel(this))
    , m_chart(m_chartView->chart()) // the view's own chart: a replaced one would be left over
    , m_axisX(new QValueAxis)
    , m_axisY(new QValueAxis)
{
    setObjectName(u"DeviceDetailWindow"_s);
    setWindowTitle(Title);
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    resize(1040, 640);

    auto *facts = new QVBoxLayout;
    QList<QFormLayout *> forms;
    for (const QStringView title : GroupTitles) {
        auto *box = new QGroupBox(title.toString(), this);
        forms.append(new QFormLayout(box));
        facts->addWidget(box);
        if (forms.size() - 1 == ReadingsGroup)
            m_readings = box;
    }
    facts->addStretch(1);
    for (const ValueRow &row : ValueRows) {
        auto *value = new QLabel(this);
        value->setObjectName(row.name.toString());
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        forms[row.group]->addRow(row.caption.toString(), value);
        m_labels.append(value);
    }
    m_verdict = findChild<QLabel *>(u"DetailVerdict"_s);

    m_chart->setTitle(u"Distribuzione delle letture"_s);
    m_chart->legend()->hide();
    m_axisX->setTitleText(u"Lettura (valore memorizzato)"_s);
    m_axisY->setTitleText(u"Occorrenze"_s);
    for (QValueAxis *axis : {m_axisX, m_axisY})
        axis->setLabelFormat(u"%i"_s);
    m_chart->addAxis(m_axisX, Qt::AlignBottom);
    m_chart->addAxis(m_axisY, Qt::AlignLeft);
    m_chartView->setObjectName(u"DetailChart"_s);
    m_chartView->setRenderHint(QPainter::Antialiasing);
    m_chartView->setMinimumSize(480, 360);
    m_zoom->setObjectName(u"DetailZoom"_s);
    connect(m_zoom, &QCheckBox::toggled, this, &DeviceDetailWindow::refresh);

    auto *chart = new QVBoxLayout;
    chart->addWidget(m_chartView, 1);
    m_legend->setObjectName(u"DetailLegend"_s);
    m_legend->setWordWrap(true);
    chart->addWidget(m_legend);
    chart->addWidget(m_zoom);
    auto *layout = new QHBoxLayout(this);
    layout->addLayout(facts);
    layout->addLayout(chart, 1);

    connect(&m_counters, &CommunicationCounters::changed, this, [this](int address, int loop) {
        if (address == m_address && loop == loopIndex(m_shared.SelectedLoop))
            refresh();
    });
    refresh();
}

DeviceDetailWindow::~DeviceDetailWindow() = default;

void DeviceDetailWindow::showAddress(int address, DeviceSide side)
{
    if (address < FirstAddress || address > LastAddress)
        return;
    m_address = address;
    m_side = side;
    refresh();
}

void DeviceDetailWindow::refresh()
{
    const int loop = loopIndex(m_shared.SelectedLoop);
    const bool sensor = m_side == DeviceSide::Sensor;
    Shown s {addressFacts(m_data, m_shared.settings, loop, m_address, m_side),
             m_counters.at(m_address, loop),
             thresholdsOf(m_side, m_shared.settings),
             {}};
    const std::span<const qint16> counts
        = (sensor ? m_data.SensorHistogram : m_data.ModuleHistogram).counts(m_address, loop);
    drawChart(s, counts);
    // Sensors: the readings the scan classified, with its own comparisons, and the ring of the
    // last three. The scan does not classify module readings, so they are counted from the
    // distribution, in the colours the grid gives them.
    if (sensor) {
        s.recent = recentReadings(s, m_data.RingSlot.at(m_address, loop));
    } else {
        for (const ReadingRegion &region : std::as_const(m_regions)) {
            int &sum = region.colour == ButtonColour::Green ? s.inRange
                : region.colour == ButtonColour::Red        ? s.faulty
                                                            : s.outOfRange;
            for (int r = region.first; r <= region.last && r < int(counts.size()); ++r)
                sum += counts[std::size_t(r)];
        }
        s.counted = s.inRange + s.outOfRange + s.faulty;
    }
    m_readings->setTitle(sensor ? u"Letture classificate"_s : u"Letture (dalla distribuzione)"_s);
    for (qsizetype row = 0; row < m_labels.size(); ++row)
        m_labels[row]->setText(ValueRows[row].text(s));

    if (s.colour != m_verdictColour) { // the verdict on the colour of its button
        m_verdictColour = s.colour;
        const QColor background = gridColour(s.colour);
        m_verdict->setStyleSheet(
            s.colour == ButtonColour::ButtonFace
                ? QString()
                : u"background-color: %1; color: %2; padding: 1px 4px;"_s.arg(
                    background.name(), background.lightness() < 100 ? u"white"_s : u"black"_s));
    }
}

// The distribution as one spike per reading, over the three regions in the grid's colours,
// with the latest reading marked. The whole chart is drawn again only when something on it
// has changed.
void DeviceDetailWindow::drawChart(const AddressFacts &facts, std::span<const qint16> counts)
{
    const Thresholds t = thresholdsOf(m_side, m_shared.settings);
    const bool marked = facts.answered();
    const int latest = facts.analogue;
    const ChartKey key {m_side, t.fault, t.lower, t.upper, marked, latest, m_zoom->isChecked()};
    if (key == m_drawnKey && std::ranges::equal(counts, m_drawnCounts))
        return;
    m_drawnKey = key;
    m_drawnCounts.assign(counts.begin(), counts.end());

    int lowest = -1;
    int highest = -1;
    QList<QPointF> spikes;
    for (int reading = 0; reading < int(counts.size()); ++reading) {
        if (const qint16 count = counts[std::size_t(reading)]; count > 0) {
            lowest = lowest < 0 ? reading : lowest;
            highest = reading;
            spikes << QPointF(reading, 0) << QPointF(reading, count) << QPointF(reading, 0);
        }
    }
    // The whole view runs from 0 past the upper limit and the readings; the zoomed one keeps
    // to the readings and a margin around them.
    const int end = std::max(MaxHistogramReading, marked ? latest : 0);
    int first = 0;
    int last = std::max({int(t.upper), highest, marked ? latest : 0});
    last += std::max(10, last / 20);
    if (m_zoom->isChecked() && highest >= 0) {
        const int low = marked ? std::min(lowest, latest) : lowest;
        const int high = marked ? std::max(highest, latest) : highest;
        const int margin = std::max(50, (high - low) / 4);
        first = std::max(0, low - margin);
        last = high + margin;
    }
    double peak = 0;
    for (const QPointF &spike : std::as_const(spikes))
        peak = spike.x() >= first && spike.x() <= last ? std::max(peak, spike.y()) : peak;
    setRoundRange(m_axisX, first, std::min(last, end));
    setRoundRange(m_axisY, 0, peak + 1);
    const double left = m_axisX->min();
    const double right = m_axisX->max();
    const double top = m_axisY->max();

    m_chart->removeAllSeries();
    const auto add = [this](QAbstractSeries *series, const QString &name, const QString &id) {
        series->setName(name);
        series->setObjectName(id);
        m_chart->addSeries(series);
        series->attachAxis(m_axisX);
        series->attachAxis(m_axisY);
    };
    // Each region spans its readings and half the gap to the next one, so that a reading on
    // the boundary is seen on its own side.
    m_regions = readingRegions(m_side, m_shared.settings, end);
    for (const ReadingRegion &region : std::as_const(m_regions)) {
        const double from = std::max(region.first - 0.5, left);
        const double to = std::min(region.last + 0.5, right);
        if (from >= to)
            continue;
        auto *area = new QAreaSeries;
        auto *upper = new QLineSeries(area);
        auto *lower = new QLineSeries(area);
        upper->append({QPointF(from, top), QPointF(to, top)});
        lower->append({QPointF(from, 0), QPointF(to, 0)});
        area->setUpperSeries(upper);
        area->setLowerSeries(lower);
        QColor shade = gridColour(region.colour);
        shade.setAlpha(90);
        area->setBrush(shade);
        area->setPen(Qt::NoPen);
        add(area, regionName(region, end), u"DetailRegion"_s);
    }
    if (marked) {
        auto *marker = new QLineSeries;
        marker->append({QPointF(latest, 0), QPointF(latest, top)});
        marker->setPen(QPen(Qt::black, 2, Qt::DashLine));
        add(marker, u"Ultima lettura %1"_s.arg(latest), u"DetailMarker"_s);
    }
    auto *histogram = new QLineSeries;
    histogram->replace(spikes);
    histogram->setPen(QPen(QColor(0, 0, 160), 3, Qt::SolidLine, Qt::FlatCap));
    add(histogram, u"Letture"_s, u"DetailHistogram"_s);
    // The legend names every region of the grid's, in view or not, with its readings.
    QStringList legend;
    for (const ReadingRegion &region : std::as_const(m_regions)) {
        legend << u"<span style=\"background-color: %1\">&nbsp;&nbsp;&nbsp;</span>&nbsp;%2"_s.arg(
            gridColour(region.colour).name(),
            regionName(region, end).toHtmlEscaped().replace(u' ', u"&nbsp;"_s));
    }
    if (marked)
        legend << u"<b>┆</b>&nbsp;ultima lettura %1"_s.arg(latest);
    m_legend->setText(legend.join(u"&nbsp;&nbsp;&nbsp; "_s));
}

} // namespace testloop
