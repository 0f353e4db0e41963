#include "loopdata/NumberText.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace testloop {

double numericValue(QStringView text)
{
    QString compact;
    compact.reserve(text.size());
    for (QChar c : text) {
        if (c != u' ' && c != u'\t' && c != u'\n' && c != u'\r')
            compact.append(c);
    }

    qsizetype pos = 0;
    bool negative = false;
    if (pos < compact.size() && (compact[pos] == u'-' || compact[pos] == u'+')) {
        negative = compact[pos] == u'-';
        ++pos;
    }
    double value = 0;
    bool anyDigit = false;
    while (pos < compact.size() && compact[pos].isDigit() && compact[pos].unicode() < 128) {
        value = value * 10 + (compact[pos].unicode() - u'0');
        anyDigit = true;
        ++pos;
    }
    if (pos < compact.size() && compact[pos] == u'.') {
        ++pos;
        double scale = 0.1;
        while (pos < compact.size() && compact[pos].isDigit() && compact[pos].unicode() < 128) {
            value += scale * (compact[pos].unicode() - u'0');
            scale /= 10;
            anyDigit = true;
            ++pos;
        }
    }
    if (!anyDigit)
        return 0;
    return negative ? -value : value;
}

int toWhole(double value)
{
    if (std::isnan(value))
        return 0;
    const double rounded = std::nearbyint(value);
    if (rounded >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (rounded <= double(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return int(rounded);
}

qint16 toInt16(long long value)
{
    return qint16(std::clamp<long long>(value, std::numeric_limits<qint16>::min(),
                                        std::numeric_limits<qint16>::max()));
}

QString printForm(long long value)
{
    return value < 0 ? QString::number(value) : u' ' + QString::number(value);
}

QString plainForm(long long value)
{
    return QString::number(value);
}

} // namespace testloop
