#pragma once

#include "loopdata/LoopTables.h"

#include <QList>
#include <QString>

namespace testloop {

// One printed line: its text and whether it is centred on the sheet (otherwise it starts at
// the left margin). An empty text is an empty line.
struct ReportLine
{
    QString text;
    bool centred = false;

    friend bool operator==(const ReportLine &, const ReportLine &) = default;
};

// The lines of one report page; consecutive pages are separated by a page break.
using ReportPage = QList<ReportLine>;

// The text of the analogue values report: the sensor page and the module page, each holding
// both loops as tables of ten rows of ten addresses. Pure: the tables and the date-time text
// go in, the lines come out.
class ReportLayout
{
public:
    static constexpr int Rows = 10;
    static constexpr int CellsPerRow = 10;
    static constexpr int CellWidth = 8;
    static constexpr int LinesPerPage = 68;
    static inline const QString SensorTitle = QStringLiteral("LINEA SENSORI LOOP ");
    static inline const QString ModuleTitle = QStringLiteral("LINEA MODULI LOOP ");

    // "N 07    "; address 100 gives "N       " (no scan ever reaches it).
    static QString labelCell(int address);
    // The value in four places, zero-padded ("0250    "). A value that needs more than four
    // places (five digits, or a sign with four digits) is printed in full; the trailing blanks
    // shrink so the cell keeps its eight characters and the columns stay aligned, with at least
    // one blank before the next cell. A negative value keeps its sign in front: -5 gives "-005".
    static QString valueCell(int value);
    // The ten label cells of the row starting after rowStart (0, 10, ..., 90).
    static QString labelLine(int rowStart);
    // The ten value cells of addresses rowStart+1..rowStart+10 of one loop.
    static QString valueLine(const AddressTable<qint16> &table, int loop, int rowStart);
    // The title text followed by the loop number in print form: "LINEA MODULI LOOP  2".
    static QString titleLine(const QString &title, int loop);

    // One page: the date-time line, a line with one blank, then both loops' tables.
    static ReportPage page(const AddressTable<qint16> &table, const QString &title,
                           const QString &dateTime);
    // The sensor page and then the module page.
    static QList<ReportPage> pages(const LoopData &data, const QString &dateTime);
};

} // namespace testloop
