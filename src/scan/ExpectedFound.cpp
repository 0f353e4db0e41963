#include "scan/ExpectedFound.h"

#include "loopdata/LoopTables.h"
#include "scan/CommunicationCounters.h"

namespace testloop {

namespace {

QString named(const AddressFacts &facts)
{
    QString text = QStringLiteral("Indirizzo %1").arg(facts.address);
    if (!facts.type.isEmpty())
        text += QStringLiteral(" (%1)").arg(facts.type);
    if (!facts.description.isEmpty())
        text += QStringLiteral(" \"%1\"").arg(facts.description);
    return text;
}

} // namespace

FindingsReadiness findingsReadiness(const LoopData &data, const CommunicationCounters &counters,
                                    int loop)
{
    FindingsReadiness ready;
    ready.passed = true;
    for (int address = FirstAddress; address <= LastAddress; ++address) {
        ready.downloaded = ready.downloaded || !data.DeviceType.at(address, loop).isEmpty();
        ready.passed = ready.passed && counters.at(address, loop).requests > 0;
    }
    return ready;
}

QList<Finding> expectedAgainstFound(const LoopData &data, const Settings &settings, int loop,
                                    DeviceSide side)
{
    QList<Finding> findings;
    for (int address = FirstAddress; address <= LastAddress; ++address) {
        const AddressFacts facts = addressFacts(data, settings, loop, address, side);
        if (facts.expected() && !facts.answered()) {
            findings.append({Finding::Kind::NeverRead, address,
                             named(facts) + QStringLiteral(": atteso, mai letto")});
        } else if (facts.type == UnusedType && facts.answered()) {
            findings.append({Finding::Kind::Unexpected, address,
                             named(facts)
                                 + QStringLiteral(": risponde ma non è configurato (VA%1, [%2])")
                                       .arg(facts.analogue)
                                       .arg(facts.current)});
        }
        if (facts.verdict == Verdict::Conflict) {
            findings.append({Finding::Kind::Conflict, address,
                             named(facts)
                                 + QStringLiteral(": conflitto di indirizzi (assorbimento %1)")
                                       .arg(facts.current)});
        }
    }
    return findings;
}

} // namespace testloop
