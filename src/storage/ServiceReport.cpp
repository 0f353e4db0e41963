#include "storage/ServiceReport.h"

#include "loopdata/NumberText.h"
#include "loopdata/Settings.h"
#include "scan/CommunicationCounters.h"
#include "scan/Evaluation.h"
#include "scan/Prompts.h"

namespace testloop {

const QStringList ServiceReport::TableHeadings = {
    QStringLiteral("Ind."),        QStringLiteral("Tipo"),      QStringLiteral("Zona"),
    QStringLiteral("Descrizione"), QStringLiteral("Analogico"), QStringLiteral("Corrente"),
    QStringLiteral("Esito"),       QStringLiteral("Letture"),   QStringLiteral("Risposte valide")};

const QStringList ServiceReport::SummaryHeadings
    = {QStringLiteral("Loop"),          QStringLiteral("Trovati"), QStringLiteral("In range"),
       QStringLiteral("Fuori range"),   QStringLiteral("Guasti"),  QStringLiteral("Conflitti"),
       QStringLiteral("Non rispondono")};

const QList<double> ServiceReport::TableShares
    = {0.05, 0.19, 0.05, 0.19, 0.09, 0.08, 0.16, 0.07, 0.12};

namespace {

const QString Dash = QStringLiteral("\u2013");

QString sideWord(DeviceSide side)
{
    return side == DeviceSide::Sensor ? QStringLiteral("sensore") : QStringLiteral("modulo");
}

QString analogueText(qint16 analogue)
{
    return QStringLiteral("VA") + plainForm(analogue);
}

QString thresholdsText(qint16 fault, qint16 lower, qint16 upper)
{
    return QStringLiteral("guasto sotto %1, limiti %2 e %3").arg(fault).arg(lower).arg(upper);
}

// 'Loop 1, sensore 6 "UFFICIO 3"': the subject of every sentence about an address.
QString subject(const AddressFacts &facts)
{
    QString text = QStringLiteral("Loop %1, %2 %3")
                       .arg(facts.loop)
                       .arg(sideWord(facts.side))
                       .arg(facts.address);
    if (!facts.description.isEmpty())
        text += QStringLiteral(" \"%1\"").arg(facts.description);
    return text;
}

// What is wrong with what answered, in one sentence; nothing when it is in range.
std::optional<QString> verdictSentence(const AddressFacts &facts, const Thresholds &limits)
{
    const QString who = subject(facts) + QStringLiteral(": ");
    const QString analogue = analogueText(facts.analogue);
    switch (facts.verdict) {
    case Verdict::Fault:
        return who
            + QStringLiteral("GUASTO, valore analogico %1 (soglia di guasto %2), corrente %3.")
                  .arg(analogue)
                  .arg(limits.fault)
                  .arg(facts.current);
    case Verdict::OutOfRange:
        return who
            + QStringLiteral("FUORI RANGE, valore analogico %1 fuori dai limiti %2 e %3, "
                             "corrente %4.")
                  .arg(analogue)
                  .arg(limits.lower)
                  .arg(limits.upper)
                  .arg(facts.current);
    case Verdict::Conflict:
        return who
            + QStringLiteral("CONFLITTO INDIRIZZI, corrente %1 (due dispositivi allo stesso "
                             "indirizzo), valore analogico %2.")
                  .arg(facts.current)
                  .arg(analogue);
    case Verdict::Ok:
    case Verdict::Silent:
        break;
    }
    return std::nullopt;
}

ReportRow row(const AddressFacts &facts, const AddressCounters &counters, bool downloaded)
{
    ReportRow row;
    row.address = facts.address;
    row.type = facts.type;
    // Zone 0 is a real zone (not activated) only once the download has been.
    row.zone = downloaded ? plainForm(facts.zone) : QString();
    row.description = facts.description;
    row.analogue = analogueText(facts.analogue);
    row.current = plainForm(facts.current);
    row.verdict = verdictText(facts.verdict);
    // Modules keep no statistics of their readings.
    row.counted = facts.side == DeviceSide::Sensor ? plainForm(facts.counted) : Dash;
    // The counters belong to the address: sensor and module exchanges are counted together.
    row.validReplies = counters.requests > 0 ? percentText(counters.validPercent()) : Dash;
    return row;
}

bool anyDownloaded(const LoopData &data)
{
    for (int loop = 1; loop <= MaxLoopIndex; ++loop) {
        for (int address = FirstAddress; address <= LastAddress; ++address) {
            if (!data.DeviceType.at(address, loop).isEmpty())
                return true;
        }
    }
    return false;
}

struct SectionInput
{
    const LoopData &data;
    const Settings &settings;
    const CommunicationCounters &counters;
    bool downloaded;
};

ReportSection section(const SectionInput &in, int loop, DeviceSide side, QStringList &anomalies)
{
    const bool sensors = side == DeviceSide::Sensor;
    const Settings &s = in.settings;
    const Thresholds limits = sensors ? Thresholds {s.GSMax, s.VaSMin, s.VaSMax}
                                      : Thresholds {s.GMMax, s.VaMMin, s.VaMMax};
    ReportSection result;
    result.loop = loop;
    result.side = side;
    result.title = QStringLiteral("Loop %1 %2").arg(loop).arg(sensors ? u"sensori" : u"moduli");

    QList<AddressFacts> all;
    for (int address = FirstAddress; address <= LastAddress; ++address) {
        all.append(addressFacts(in.data, s, loop, address, side));
        result.read = result.read || all.last().answered();
    }
    result.read = result.read || in.counters.loopTotal(loop).requests > 0;
    if (!result.read)
        return result;
    if (sensors && in.downloaded)
        result.summary.notAnswering = 0;

    for (const AddressFacts &facts : std::as_const(all)) {
        const ButtonView view = sensors
            ? EvaluateSensor(facts.address, facts.analogue, facts.current, limits)
            : EvaluateModule(facts.address, plainForm(loop), facts.analogue, facts.current, limits);
        // An address the download found unused and that is silent shows as the grid shows it
        // when it leaves those out: "assente" on the button face, not a red fault.
        const bool absent = facts.type == UnusedType && !facts.answered();
        result.grid[std::size_t(facts.address - 1)] = absent
            ? GridCell {ButtonColour::ButtonFace, QStringLiteral("assente")}
            : GridCell {view.colour, view.caption};

        ReportSummary &sum = result.summary;
        sum.found += facts.answered() ? 1 : 0;
        sum.inRange += facts.verdict == Verdict::Ok ? 1 : 0;
        sum.outOfRange += facts.verdict == Verdict::OutOfRange ? 1 : 0;
        sum.faulty += facts.verdict == Verdict::Fault ? 1 : 0;
        sum.conflicts += facts.verdict == Verdict::Conflict ? 1 : 0;
        if (const auto sentence = verdictSentence(facts, limits))
            anomalies.append(*sentence);

        // The download describes one device per address: a module answering where a sensor
        // is silent is the device it listed.
        const bool moduleAnswered = sensors
            && addressFacts(in.data, s, loop, facts.address, DeviceSide::Module).answered();
        const bool silentExpected
            = sensors && facts.expected() && !facts.answered() && !moduleAnswered;
        if (silentExpected) {
            ++*sum.notAnswering;
            anomalies.append(subject(facts)
                             + QStringLiteral(": NON RISPONDE, la configurazione scaricata "
                                              "elenca un dispositivo %1 in zona %2.")
                                   .arg(facts.type)
                                   .arg(facts.zone));
        }
        if (sensors && facts.answered() && facts.type == UnusedType) {
            anomalies.append(subject(facts)
                             + QStringLiteral(": risponde (valore analogico %1, corrente %2) "
                                              "dove la configurazione scaricata indica %3.")
                                   .arg(analogueText(facts.analogue))
                                   .arg(facts.current)
                                   .arg(UnusedType));
        }
        // Sensors: every address the download lists or that answered; modules: those that
        // answered.
        if (facts.answered() || (sensors && facts.expected()))
            result.rows.append(row(facts, in.counters.at(facts.address, loop), in.downloaded));
    }
    return result;
}

} // namespace

QStringList ReportRow::cells() const
{
    return {plainForm(address), type, zone, description, analogue, current, verdict, counted,
            validReplies};
}

QStringList ReportSection::summaryCells() const
{
    if (!read)
        return {title, QStringLiteral("nessuna lettura")};
    const ReportSummary &s = summary;
    return {title,
            QString::number(s.found),
            QString::number(s.inRange),
            QString::number(s.outOfRange),
            QString::number(s.faulty),
            QString::number(s.conflicts),
            s.notAnswering ? QString::number(*s.notAnswering) : Dash};
}

std::optional<ReportPeople> askReportPeople(Prompts &prompts, const QString &title,
                                            const ReportPeople &remembered, bool all)
{
    ReportPeople answers = remembered;
    for (std::size_t i = 0; i < answers.size(); ++i) {
        const std::optional<QString> &kept = remembered[i];
        if (!all && kept)
            continue;
        QString prompt = ReportPeoplePrompts[qsizetype(i)];
        if (kept && !kept->isEmpty())
            prompt += QStringLiteral("\n(ora: %1; lasciare vuoto per mantenerlo)").arg(*kept);
        const std::optional<QString> typed = prompts.askText(prompt, title);
        if (!typed)
            return std::nullopt;
        if (!kept || !typed->trimmed().isEmpty())
            answers[i] = typed->trimmed();
    }
    return answers;
}

QString percentText(double percent)
{
    return QString::number(percent, 'f', 1).replace(u'.', u',') + QStringLiteral(" %");
}

ServiceReport buildServiceReport(const LoopData &data, const Settings &settings,
                                 const CommunicationCounters &counters,
                                 const ReportDetails &details)
{
    ServiceReport report;
    report.header = {
        {QStringLiteral("Impianto"), details.site},
        {QStringLiteral("Cliente"), details.customer},
        {QStringLiteral("Tecnico"), details.technician},
        {QStringLiteral("Data e ora"), details.dateTime},
        {QStringLiteral("Versione del programma"),
         QStringLiteral("TestLoop ") + details.programVersion},
        {QStringLiteral("Codice scheda"), settings.BoardCode},
        {QStringLiteral("Dispositivo seriale"), details.device},
        {QStringLiteral("Soglie sensori"),
         thresholdsText(settings.GSMax, settings.VaSMin, settings.VaSMax)},
        {QStringLiteral("Soglie moduli"),
         thresholdsText(settings.GMMax, settings.VaMMin, settings.VaMMax)},
    };
    const SectionInput input {data, settings, counters, anyDownloaded(data)};
    if (!input.downloaded) {
        report.note = QStringLiteral("La configurazione non è stata scaricata dalla centrale: i "
                                     "dispositivi attesi non sono noti e quelli che non "
                                     "rispondono non sono contati.");
    }
    for (int loop = 1; loop <= MaxLoopIndex; ++loop) {
        report.sections.append(section(input, loop, DeviceSide::Sensor, report.anomalies));
        // Silent modules say nothing, so a loop where none answered has no module section.
        ReportSection modules = section(input, loop, DeviceSide::Module, report.anomalies);
        if (modules.summary.found > 0)
            report.sections.append(std::move(modules));
    }
    return report;
}

} // namespace testloop
