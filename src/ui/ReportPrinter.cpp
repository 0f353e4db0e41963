#include "ui/ReportPrinter.h"

#include "scan/Prompts.h"
#include "storage/ReadingsWriter.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>

namespace testloop {

namespace {

// The name the user knows the destination by: the output file or the printer.
QString destinationName(const QPrinter &printer)
{
    return printer.outputFormat() == QPrinter::PdfFormat ? printer.outputFileName()
                                                         : printer.printerName();
}

QString startFailure(const QPrinter &printer)
{
    return QStringLiteral("Impossibile avviare la stampa su \"%1\": il rapporto dei valori "
                          "analogici non è stato stampato.\nControllare la stampante scelta e "
                          "riprovare.")
        .arg(destinationName(printer));
}

QString jobFailure(const QPrinter &printer)
{
    return QStringLiteral("La stampa su \"%1\" non è riuscita: il rapporto dei valori analogici "
                          "può essere incompleto o mancante.\nControllare la stampante e "
                          "riprovare.")
        .arg(destinationName(printer));
}

} // namespace

ReportPrinter::ReportPrinter(Prompts &prompts, QWidget *dialogParent)
    : m_prompts(prompts)
    , m_printer(std::make_unique<QPrinter>())
    , m_chooser([dialogParent](QPrinter &printer) {
        QPrintDialog dialog(&printer, dialogParent);
        return dialog.exec() == QDialog::Accepted;
    })
{ }

ReportPrinter::~ReportPrinter() = default;

void ReportPrinter::setChooser(Chooser chooser)
{
    m_chooser = std::move(chooser);
}

bool ReportPrinter::print(const LoopData &data)
{
    return print(data, QDateTime::currentDateTime());
}

bool ReportPrinter::print(const LoopData &data, const QDateTime &now)
{
    // Cancel in the print dialog means no report: paper is not spent on a job the user
    // called off.
    if (m_chooser && !m_chooser(*m_printer))
        return false;

    if (!hasDestination(*m_printer)) {
        m_prompts.showMessage(NoPrinterMessage, MessageTitle, Prompts::Icon::Warning);
        return false;
    }
    // The lines are made after the dialog has closed and painted without returning to the
    // event loop, so both pages show the tables as they stand at one moment.
    const auto failure = paint(ReportLayout::pages(data, readingsDateTimeText(now)), *m_printer);
    if (failure) {
        m_prompts.showMessage(*failure, MessageTitle, Prompts::Icon::Critical);
        return false;
    }
    return true;
}

bool ReportPrinter::hasDestination(const QPrinter &printer)
{
    if (printer.outputFormat() == QPrinter::PdfFormat)
        return !printer.outputFileName().isEmpty();
    return !QPrinterInfo::availablePrinters().isEmpty() && printer.isValid();
}

std::optional<QString> ReportPrinter::paint(const QList<ReportPage> &pages, QPrinter &printer)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return startFailure(printer);

    // The printer's own font: the report sets no font, size or orientation.
    const QFontMetrics metrics = painter.fontMetrics();
    const int lineHeight = std::max(1, metrics.lineSpacing());
    const int sheetWidth = printer.width();
    const int sheetHeight = printer.height();
    int top = 0;
    bool ok = true;
    for (qsizetype index = 0; ok && index < pages.size(); ++index) {
        if (index > 0) {
            ok = printer.newPage();
            top = 0;
        }
        for (const ReportLine &line : pages.at(index)) {
            if (!ok)
                break;
            if (top > 0 && top + lineHeight > sheetHeight) {
                ok = printer.newPage();
                top = 0;
            }
            if (!line.text.isEmpty()) {
                // Centred on the whole text, trailing blanks included; never left of the margin.
                const int left = line.centred
                    ? std::max(0, sheetWidth / 2 - metrics.horizontalAdvance(line.text) / 2)
                    : 0;
                painter.drawText(left, top + metrics.ascent(), line.text);
            }
            top += lineHeight;
        }
    }
    const bool ended = painter.end();
    if (!ok || !ended || printer.printerState() == QPrinter::Error)
        return jobFailure(printer);
    return std::nullopt;
}

} // namespace testloop
