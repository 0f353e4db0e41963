#include "storage/CsvExport.h"

#include "loopdata/LoopTables.h"
#include "scan/AddressFacts.h"
#include "scan/CommunicationCounters.h"

namespace testloop {

namespace {

constexpr char Separator = ';';
constexpr char LineEnd[] = "\r\n";
constexpr char ByteOrderMark[] = "\xEF\xBB\xBF";

// A field as a spreadsheet reads it back: quoted, with its quotes doubled, when it holds the
// separator, a quote or a line break.
QByteArray field(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    if (!bytes.contains(Separator) && !bytes.contains('"') && !bytes.contains('\r')
        && !bytes.contains('\n'))
        return bytes;
    bytes.replace("\"", "\"\"");
    return '"' + bytes + '"';
}

// One decimal, with a comma and without thousands separators, whatever the system's locale.
QString decimal(double value)
{
    return QString::number(value, 'f', 1).replace(u'.', u',');
}

void appendRow(QByteArray &out, const QStringList &cells)
{
    for (qsizetype i = 0; i < cells.size(); ++i) {
        if (i > 0)
            out += Separator;
        out += field(cells[i]);
    }
    out += LineEnd;
}

QStringList addressCells(const AddressFacts &facts)
{
    const bool sensor = facts.side == DeviceSide::Sensor;
    QStringList cells = {
        QString::number(facts.loop),
        sensor ? QStringLiteral("sensore") : QStringLiteral("modulo"),
        QString::number(facts.address),
        facts.type,
        QString::number(facts.zone),
        facts.description,
        facts.leftOutOfTest ? QStringLiteral("sì") : QStringLiteral("no"),
        QString::number(facts.analogue),
        QString::number(facts.current),
        verdictText(facts.verdict),
    };
    const QStringList statistics = {
        QString::number(facts.counted),         QString::number(facts.inRange),
        QString::number(facts.outOfRange),      QString::number(facts.faulty),
        QString::number(facts.lastReadings[0]), QString::number(facts.lastReadings[1]),
        QString::number(facts.lastReadings[2]),
    };
    // Modules keep no statistics: their cells stay empty rather than showing zeros.
    cells += sensor ? statistics : QStringList(statistics.size());
    return cells;
}

QStringList counterCells(const AddressCounters &c)
{
    QStringList cells = {QString::number(c.requests), QString::number(c.validReplies),
                         QString::number(c.timeouts)};
    for (const int discarded : c.discarded)
        cells += QString::number(discarded);
    cells += QString::number(c.reReads);
    const bool replied = c.validReplies > 0;
    cells += replied ? decimal(c.lastResponseMs) : QString();
    cells += replied ? decimal(c.meanResponseMs()) : QString();
    cells += c.requests > 0 ? decimal(c.validPercent()) : QString();
    return cells;
}

} // namespace

QStringList csvExportHeader()
{
    // The discarded replies follow DiscardReason: other loop, short, garbled, not awaited.
    return {
        QStringLiteral("Loop"),
        QStringLiteral("Dispositivo"),
        QStringLiteral("Indirizzo"),
        QStringLiteral("Tipo"),
        QStringLiteral("Zona"),
        QStringLiteral("Descrizione"),
        QStringLiteral("Escluso dal test"),
        QStringLiteral("Valore analogico"),
        QStringLiteral("Corrente"),
        QStringLiteral("Esito"),
        QStringLiteral("Letture"),
        QStringLiteral("Letture in range"),
        QStringLiteral("Letture fuori range"),
        QStringLiteral("Letture di guasto"),
        QStringLiteral("Lettura 1"),
        QStringLiteral("Lettura 2"),
        QStringLiteral("Lettura 3"),
        QStringLiteral("Richieste"),
        QStringLiteral("Risposte valide"),
        QStringLiteral("Nessuna risposta in tempo"),
        QStringLiteral("Scartate: altro loop"),
        QStringLiteral("Scartate: incomplete"),
        QStringLiteral("Scartate: non valide"),
        QStringLiteral("Scartate: senza richiesta"),
        QStringLiteral("Riletture"),
        QStringLiteral("Ultima risposta (ms)"),
        QStringLiteral("Risposta media (ms)"),
        QStringLiteral("Risposte valide (%)"),
    };
}

QByteArray exportCsv(const LoopData &data, const Settings &settings,
                     const CommunicationCounters &counters)
{
    QByteArray out = ByteOrderMark;
    appendRow(out, csvExportHeader());
    for (int loop = 1; loop <= MaxLoopIndex; ++loop) {
        for (const DeviceSide side : {DeviceSide::Sensor, DeviceSide::Module}) {
            for (int address = FirstAddress; address <= LastAddress; ++address) {
                appendRow(out,
                          addressCells(addressFacts(data, settings, loop, address, side))
                              + counterCells(counters.at(address, loop)));
            }
        }
    }
    return out;
}

} // namespace testloop
