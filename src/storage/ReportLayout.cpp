#include "storage/ReportLayout.h"

#include "loopdata/NumberText.h"

namespace testloop {

namespace {

constexpr int ValuePlaces = 4;
constexpr int LabelAddressPlaces = 2;
constexpr int LoopCount = 2;

} // namespace

QString ReportLayout::labelCell(int address)
{
    const QString digits = address >= MaxAddressIndex
        ? QString(LabelAddressPlaces, u' ')
        : QStringLiteral("%1").arg(address, LabelAddressPlaces, 10, QLatin1Char('0'));
    return (QStringLiteral("N ") + digits).leftJustified(CellWidth, u' ');
}

QString ReportLayout::valueCell(int value)
{
    // Zero-padding puts the sign in front of the zeros: -5 gives "-005".
    const QString text = QStringLiteral("%1").arg(value, ValuePlaces, 10, QLatin1Char('0'));
    return text + QString(std::max(1, CellWidth - int(text.size())), u' ');
}

QString ReportLayout::labelLine(int rowStart)
{
    QString line;
    for (int address = rowStart + 1; address <= rowStart + CellsPerRow; ++address)
        line += labelCell(address);
    return line;
}

QString ReportLayout::valueLine(const AddressTable<qint16> &table, int loop, int rowStart)
{
    QString line;
    for (int address = rowStart + 1; address <= rowStart + CellsPerRow; ++address)
        line += valueCell(table.at(address, loop));
    return line;
}

QString ReportLayout::titleLine(const QString &title, int loop)
{
    return title + printForm(loop);
}

ReportPage ReportLayout::page(const AddressTable<qint16> &table, const QString &title,
                              const QString &dateTime)
{
    ReportPage lines;
    lines.reserve(LinesPerPage);
    lines.append(ReportLine {dateTime, false});
    lines.append(ReportLine {QStringLiteral(" "), false});
    for (int loop = 1; loop <= LoopCount; ++loop) {
        lines.append(ReportLine {titleLine(title, loop), true});
        lines.append(ReportLine {});
        for (int row = 0; row < Rows; ++row) {
            const int rowStart = row * CellsPerRow;
            lines.append(ReportLine {labelLine(rowStart), true});
            lines.append(ReportLine {valueLine(table, loop, rowStart), true});
            lines.append(ReportLine {});
        }
        lines.append(ReportLine {});
    }
    return lines;
}

QList<ReportPage> ReportLayout::pages(const LoopData &data, const QString &dateTime)
{
    return {page(data.SensorAnalogue, SensorTitle, dateTime),
            page(data.ModuleAnalogue, ModuleTitle, dateTime)};
}

} // namespace testloop
