#include "ui/ServiceReportWriter.h"

#include "ui/DeviceButton.h"

#include "link/Transport.h"
#include "loopdata/SharedState.h"
#include "scan/Prompts.h"
#include "storage/SafeFileWriter.h"
#include "storage/ServiceReport.h"
#include "ui/FileDialogs.h"
#include "ui/GridGeometry.h"
#include "ui/UserPreferences.h"

#include <QBuffer>
#include <QDir>
#include <QFileDialog>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>

#include <array>

namespace testloop {

namespace {

using Detail = UserPreferences::ReportDetail;

constexpr qreal Pad = 2; // points inside a table cell
constexpr qreal Gap = 8; // points before a heading

// The grid's colours, the button face as a light grey on paper.
QColor cellColour(ButtonColour colour)
{
    return colour == ButtonColour::ButtonFace ? QColor(240, 240, 240)
                                              : DeviceButton::colourOf(colour, QPalette());
}

QFont font(qreal points, bool bold = false)
{
    QFont f;
    f.setPointSizeF(points);
    f.setBold(bold);
    // Without ligatures, so that the text searched or copied from the PDF is the text written.
    f.setStyleStrategy(QFont::PreferNoShaping);
    return f;
}

// The content laid out from top to bottom over as many pages as it takes, in points. The same
// code runs twice: once without a painter to count the pages, then painting with the count
// known, so that every page can say "Pagina n di m".
class Pages
{
public:
    Pages(QPdfWriter &writer, QPainter *painter, int total)
        : m_writer(writer)
        , m_painter(painter)
        , m_total(total)
        , m_width(writer.width())
        , m_bottom(writer.height() - 2 * metrics(font(8)).lineSpacing())
    { }

    qreal width() const { return m_width; }
    QFontMetricsF metrics(const QFont &f) const { return QFontMetricsF(f, &m_writer); }

    // Turns the page unless what follows fits below. A table under way starts the new page
    // with its heading row.
    void room(qreal height)
    {
        if (m_top == 0 || m_top + height <= m_bottom)
            return;
        footer();
        if (m_painter)
            m_writer.newPage();
        ++m_page;
        m_top = 0;
        if (!m_heading.isEmpty())
            row(m_heading, m_headingFont, true);
    }

    // A paragraph across the page after a space; the line moves below it.
    void paragraph(const QString &line, const QFont &f, qreal before = 0)
    {
        m_top += before;
        const qreal h = height(line, f, m_width);
        room(h);
        text(0, m_width, line, f);
        m_top += h;
    }

    // Starts a table with these column widths and this heading row (none: no heading).
    void table(const QList<qreal> &widths, const QStringList &heading, const QFont &f)
    {
        m_widths = widths;
        m_heading = heading;
        m_headingFont = f;
        if (!heading.isEmpty())
            row(heading, f, true);
    }

    // A table row, each cell wrapped in its column; a heading row on a shaded band.
    void row(const QStringList &cells, const QFont &f, bool heading = false)
    {
        qreal h = 0;
        for (qsizetype i = 0; i < cells.size(); ++i)
            h = std::max(h, height(cells[i], f, m_widths[i] - 2 * Pad) + 2 * Pad);
        room(h);
        if (m_painter && heading)
            m_painter->fillRect(QRectF(0, m_top, m_width, h), QColor(220, 220, 220));
        m_top += Pad;
        qreal x = 0;
        for (qsizetype i = 0; i < cells.size(); x += m_widths[i++])
            text(x + Pad, m_widths[i] - 2 * Pad, cells[i], f);
        m_top += h - Pad;
        if (m_painter) {
            m_painter->setPen(QPen(QColor(160, 160, 160), 0.5));
            m_painter->drawLine(QPointF(0, m_top), QPointF(m_width, m_top));
        }
    }

    // The 99 buttons under a heading, all on one page, in columns of eight running up and
    // down in turn, with the grid's colours and captions.
    void grid(const QString &heading, const QFont &headingFont, const ReportSection &section)
    {
        const qreal cellWidth = m_width / GridGeometry::Columns;
        const qreal cellHeight = cellWidth * 0.75; // four wide to three high, as on a screen
        m_top += Gap;
        room(metrics(headingFont).lineSpacing() + Pad + GridGeometry::RowsPerColumn * cellHeight);
        paragraph(heading, headingFont);
        m_top += Pad;
        for (int address = FirstAddress; m_painter && address <= LastAddress; ++address) {
            const int column = GridGeometry::column(address);
            const int row = GridGeometry::row(address);
            const int fromTop = column % 2 == 0 ? GridGeometry::RowsPerColumn - row : row - 1;
            const QRectF cell(column * cellWidth, m_top + fromTop * cellHeight, cellWidth,
                              cellHeight);
            const GridCell &shown = section.grid[std::size_t(address - 1)];
            m_painter->fillRect(cell, cellColour(shown.colour));
            m_painter->setPen(QPen(Qt::black, 0.5));
            m_painter->drawRect(cell);
            m_painter->setFont(font(5.5));
            m_painter->drawText(cell, int(Qt::AlignCenter), shown.caption);
        }
        m_top += GridGeometry::RowsPerColumn * cellHeight;
    }

    // Numbers the last page; gives how many there are.
    int finish()
    {
        footer();
        return m_page;
    }

private:
    qreal height(const QString &text, const QFont &f, qreal width) const
    {
        return metrics(f).boundingRect(QRectF(0, 0, width, 1e6), Qt::TextWordWrap, text).height();
    }

    void text(qreal x, qreal width, const QString &text, const QFont &f,
              Qt::Alignment align = Qt::AlignLeft | Qt::AlignTop)
    {
        if (!m_painter)
            return;
        m_painter->setFont(f);
        m_painter->setPen(Qt::black);
        m_painter->drawText(QRectF(x, m_top, width, m_writer.height() - m_top),
                            int(align | Qt::TextWordWrap), text);
    }

    // "Pagina n di m" at the foot of the page.
    void footer()
    {
        m_top = m_bottom;
        text(0, m_width, QStringLiteral("Pagina %1 di %2").arg(m_page).arg(m_total), font(8),
             Qt::AlignHCenter | Qt::AlignBottom);
    }

    QPdfWriter &m_writer;
    QPainter *m_painter;
    int m_total;
    qreal m_width;
    qreal m_bottom; // of the content; the page number goes below
    qreal m_top = 0;
    int m_page = 1;
    QList<qreal> m_widths;
    QStringList m_heading;
    QFont m_headingFont;
};

// Lays the report out on the pages; gives how many it took.
int layOut(const ServiceReport &report, QPdfWriter &writer, QPainter *painter, int total)
{
    Pages pages(writer, painter, total);
    const QFont heading = font(11, true);
    const QFont body = font(9);
    const qreal w = pages.width();

    pages.paragraph(ServiceReport::Title, font(18, true));
    pages.table({w * 0.3, w * 0.7}, {}, body);
    for (const auto &[label, value] : report.header)
        pages.row({label, value.isEmpty() ? QStringLiteral("\u2013") : value}, body);
    if (!report.note.isEmpty())
        pages.paragraph(report.note, body, Gap);

    pages.paragraph(QStringLiteral("Riepilogo per loop"), heading, Gap);
    const qsizetype counts = ServiceReport::SummaryHeadings.size() - 1;
    QList<qreal> summaryWidths(counts + 1, w * 0.78 / qreal(counts));
    summaryWidths[0] = w * 0.22;
    pages.table(summaryWidths, ServiceReport::SummaryHeadings, font(9, true));
    for (const ReportSection &section : report.sections)
        pages.row(section.summaryCells(), body);
    pages.table({}, {}, body);

    pages.paragraph(QStringLiteral("Anomalie (%1)").arg(report.anomalies.size()), heading, Gap);
    if (report.anomalies.isEmpty())
        pages.paragraph(QStringLiteral("Nessuna anomalia."), body);
    for (const QString &anomaly : report.anomalies)
        pages.paragraph(QStringLiteral("\u2022 ") + anomaly, body);

    const QFont table = font(7);
    QList<qreal> tableWidths;
    for (const double share : ServiceReport::TableShares)
        tableWidths.append(share * w);
    for (const ReportSection &section : report.sections) {
        if (section.rows.isEmpty())
            continue;
        // The title stays with the table's heading row and its first row.
        pages.room(Gap + pages.metrics(heading).lineSpacing() + 5 * pages.metrics(table).height());
        pages.paragraph(section.title + QStringLiteral(": letture per indirizzo"), heading, Gap);
        pages.table(tableWidths, ServiceReport::TableHeadings, font(7, true));
        for (const ReportRow &row : section.rows)
            pages.row(row.cells(), table);
        pages.table({}, {}, table);
        pages.grid(section.title + QStringLiteral(": griglia"), heading, section);
    }
    return pages.finish();
}

} // namespace

QByteArray ServiceReportWriter::renderPdf(const ServiceReport &report)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(15, 15, 15, 12), QPageLayout::Millimeter);
    writer.setResolution(72); // a unit is a point
    writer.setTitle(ServiceReport::Title);
    writer.setCreator(QStringLiteral("TestLoop " TESTLOOP_VERSION));
    const int total = layOut(report, writer, nullptr, 0);
    QPainter painter;
    if (!painter.begin(&writer))
        return {};
    layOut(report, writer, &painter, total);
    if (!painter.end())
        return {};
    return buffer.data();
}

ServiceReportWriter::ServiceReportWriter(const LoopData &data, const SharedState &shared,
                                         const CommunicationCounters &counters,
                                         const Transport &link, UserPreferences &preferences,
                                         Prompts &prompts, FileChooser chooser, QWidget *parent)
    : QObject(parent)
    , m_data(data)
    , m_shared(shared)
    , m_counters(counters)
    , m_link(link)
    , m_preferences(preferences)
    , m_prompts(prompts)
    , m_chooser(chooser ? std::move(chooser) : FileChooser(&ServiceReportWriter::chooseWithDialog))
    , m_parentWidget(parent)
    , m_clock(&QDateTime::currentDateTime)
{ }

void ServiceReportWriter::configureDialog(QFileDialog &dialog, const QString &lastName)
{
    configureSaveDialog(dialog, QStringLiteral("PDF (*.pdf)"), QStringLiteral("pdf"), lastName);
}

QString ServiceReportWriter::chooseWithDialog(QWidget *parent, const QString &lastName)
{
    QFileDialog dialog(parent);
    configureDialog(dialog, lastName);
    return runFileDialog(dialog);
}

bool ServiceReportWriter::ask(bool all)
{
    ReportPeople remembered;
    for (std::size_t i = 0; i < remembered.size(); ++i)
        remembered[i] = m_preferences.reportDetail(Detail(i));
    const std::optional<ReportPeople> answers
        = askReportPeople(m_prompts, DetailsTitle, remembered, all);
    for (std::size_t i = 0; answers && i < answers->size(); ++i)
        m_preferences.setReportDetail(Detail(i), answers->at(i).value_or(QString()));
    return answers.has_value();
}

bool ServiceReportWriter::askDetails()
{
    return ask(true);
}

void ServiceReportWriter::writeReport()
{
    if (!ask(false))
        return;
    const QString path = m_chooser(m_parentWidget, m_lastName);
    if (path.isEmpty())
        return;
    m_lastName = path;
    const auto person
        = [this](Detail detail) { return m_preferences.reportDetail(detail).value_or(QString()); };
    const ReportDetails details {person(Detail::Site),
                                 person(Detail::Customer),
                                 person(Detail::Technician),
                                 m_clock().toString(u"dd/MM/yyyy HH:mm"),
                                 QStringLiteral(TESTLOOP_VERSION),
                                 m_link.deviceName()};
    const QByteArray pdf
        = renderPdf(buildServiceReport(m_data, m_shared.settings, m_counters, details));
    const std::optional<SafeWriteFailure> failure = !pdf.isEmpty()
        ? writeFileSafely(path, pdf)
        : SafeWriteFailure {SafeWriteFailure::Stage::Create,
                            QStringLiteral("il PDF non può essere composto")};
    const QString shown = QDir::toNativeSeparators(path);
    if (failure) {
        m_prompts.showMessage(QStringLiteral("Il rapporto non è stato salvato: impossibile %1 il "
                                             "file %2 (%3). Un eventuale file precedente resta "
                                             "invariato.")
                                  .arg(failedStageVerb(failure->stage), shown, failure->reason),
                              ServiceReport::Title, Prompts::Icon::Critical);
        return;
    }
    m_prompts.showMessage(QStringLiteral("Rapporto salvato su file ") + shown, ServiceReport::Title,
                          Prompts::Icon::None);
}

} // namespace testloop
