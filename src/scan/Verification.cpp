#include "scan/Verification.h"

#include "loopdata/NumberText.h"

namespace testloop {

namespace {

int percent(qint16 count, qint16 total)
{
    return int(qint64(count) * 100 / total); // truncates toward zero
}

} // namespace

Verification verifySensor(int address, qint16 readCount, qint16 okCount, qint16 outOfRangeCount,
                          qint16 faultCount)
{
    Verification v;
    if (readCount > 0) {
        v.okPercent = percent(okCount, readCount);
        v.outOfRangePercent = percent(outOfRangeCount, readCount);
        v.faultPercent = percent(faultCount, readCount);
        v.colour = v.okPercent > 50 ? ButtonColour::Green : ButtonColour::Red;
    }
    v.caption = QStringLiteral("N°") + printForm(address) + u'\n' + printForm(v.okPercent)
        + QStringLiteral("%\n") + printForm(v.outOfRangePercent) + QStringLiteral("%\n")
        + printForm(v.faultPercent) + u'%';
    return v;
}

} // namespace testloop
