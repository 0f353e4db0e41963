#pragma once

#include "loopdata/LoopTables.h"
#include "scan/AddressFacts.h"
#include "scan/ButtonColour.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <utility>

namespace testloop {

class CommunicationCounters;
class Prompts;
struct Settings;

// What the service report says of the visit beside the tables: where, for whom, by whom, when
// and through which device. The board code and the thresholds come from the settings the
// verdicts were made with, so the header can never disagree with the tables.
struct ReportDetails
{
    QString site;
    QString customer;
    QString technician;
    QString dateTime; // as the report shows it
    QString programVersion = QStringLiteral(TESTLOOP_VERSION);
    QString device; // the serial device in use
};

// The site, customer and technician, in that order, as the user gave them; nothing for one
// never given.
using ReportPeople = std::array<std::optional<QString>, 3>;
inline const QStringList ReportPeoplePrompts
    = {QStringLiteral("Impianto (sito)"), QStringLiteral("Cliente"), QStringLiteral("Tecnico")};

// Asks for the site, customer and technician: all of them, or only those never given. A prompt
// names the value remembered, which an empty answer keeps. Nothing when the user cancelled.
std::optional<ReportPeople> askReportPeople(Prompts &prompts, const QString &title,
                                            const ReportPeople &remembered, bool all);

// The counts of one loop's sensors or modules.
struct ReportSummary
{
    int found = 0; // answered the scan
    int inRange = 0;
    int outOfRange = 0;
    int faulty = 0;
    int conflicts = 0;
    // Listed by the download and silent. Nothing for modules (the download describes one
    // device per address and cannot tell a module from a sensor), before any download, and
    // for a loop that was not read.
    std::optional<int> notAnswering;
};

// One line of the per-address table, as shown.
struct ReportRow
{
    int address = 0;
    QString type;
    QString zone;
    QString description;
    QString analogue; // "VA450": as stored, as the grid shows it
    QString current;
    QString verdict;
    QString counted; // readings classified; sensors only
    QString validReplies; // "98,7 %"; a dash before the first request

    // The nine cells in the order of ServiceReport::TableHeadings.
    QStringList cells() const;
};

// One cell of the grid's picture: the button's colour and caption.
struct GridCell
{
    ButtonColour colour = ButtonColour::ButtonFace;
    QString caption;
};

// The sensors or the modules of one loop.
struct ReportSection
{
    int loop = 1;
    DeviceSide side = DeviceSide::Sensor;
    QString title; // "Loop 1 sensori"
    // Nothing answered and nothing was asked on the loop: no counts, rows or picture mean
    // anything.
    bool read = false;
    ReportSummary summary;
    QList<ReportRow> rows;
    std::array<GridCell, LastAddress> grid; // address a at index a - 1

    // The section's line of the summary table, in the order of ServiceReport::SummaryHeadings.
    QStringList summaryCells() const;
};

// The content of the service report, ready to be laid out on pages.
struct ServiceReport
{
    static inline const QString Title = QStringLiteral("Rapporto di manutenzione");
    static const QStringList TableHeadings;
    static const QStringList SummaryHeadings;
    // The share of the page's width each column of the per-address table takes.
    static const QList<double> TableShares;

    QList<std::pair<QString, QString>> header; // label and value
    QString note; // what the reader must know to weigh the counts; may be empty
    QList<ReportSection> sections;
    QStringList anomalies; // one Italian sentence each, loop by loop, address by address
};

// The sensors of loops 1 and 2, and the modules of a loop where any module answered, judged
// by the settings' thresholds as the grid judges them.
ServiceReport buildServiceReport(const LoopData &data, const Settings &settings,
                                 const CommunicationCounters &counters,
                                 const ReportDetails &details);

// "98,7 %": one decimal, decimal comma.
QString percentText(double percent);

} // namespace testloop
