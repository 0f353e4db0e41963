#pragma once

#include "storage/ReportLayout.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QPrinter;
class QWidget;

namespace testloop {

class Prompts;
struct LoopData;

// Prints the analogue values report: the print dialog, then the sensor page and the module
// page on the printer chosen there. Problems are told to the user through the prompts.
class ReportPrinter
{
public:
    // Lets the user choose the printer and its settings; true when the user confirmed.
    using Chooser = std::function<bool(QPrinter &)>;

    static inline const QString MessageTitle = QStringLiteral("STAMPA VALORI ANALOGICI");
    static inline const QString NoPrinterMessage
        = QStringLiteral("Nessuna stampante disponibile: il rapporto dei valori analogici non è "
                         "stato stampato.\nInstallare una stampante o scegliere la stampa su "
                         "file (PDF) e riprovare.");

    // The default chooser is the system's print dialog over dialogParent.
    explicit ReportPrinter(Prompts &prompts, QWidget *dialogParent = nullptr);
    ~ReportPrinter();

    void setChooser(Chooser chooser);
    // The printer kept between reports, so the choices made in the dialog stay.
    QPrinter &printer() { return *m_printer; }

    // Shows the chooser and prints both pages with the current date and time to the printer
    // chosen there; true when the whole job was handed to the printer. Cancel prints nothing.
    bool print(const LoopData &data);
    bool print(const LoopData &data, const QDateTime &now);

    // Paints the pages on a printer whose output is already chosen; a page break separates
    // consecutive pages, and lines past the bottom of a sheet continue on the next one. Gives
    // the Italian text of the failure, or nothing when the job was handed over.
    static std::optional<QString> paint(const QList<ReportPage> &pages, QPrinter &printer);

    // Whether the printer leads anywhere: an installed printer or a named output file.
    static bool hasDestination(const QPrinter &printer);

private:
    Prompts &m_prompts;
    std::unique_ptr<QPrinter> m_printer;
    Chooser m_chooser;
};

} // namespace testloop
