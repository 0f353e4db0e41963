#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>

namespace testloop {

// The numeric value of a text: blanks are ignored, a decimal number (optional sign, digits,
// optional fraction) is read from the start up to the first character that cannot belong to
// it, and a text that starts with no digit gives 0. "07" gives 7, "1 " gives 1, "AB" gives 0.
double numericValue(QStringView text);

// A numeric value used as a table index or counter: rounded half to even, then held within
// the range of int so that a wild value can never wrap.
int toWhole(double value);

// A whole number held within 16 signed bits, as every table entry and counter is.
qint16 toInt16(long long value);
// A numeric value stored in a 16-bit table entry: rounded as toWhole, then held in range.
inline qint16 toInt16(double value)
{
    return toInt16(static_cast<long long>(toWhole(value)));
}
// One more, stopping at 32767 instead of wrapping negative.
inline qint16 plusOne(qint16 value)
{
    return toInt16(static_cast<long long>(value) + 1);
}
// The table index of a loop text: "1" gives 1, "2" gives 2.
inline int loopIndex(QStringView loopText)
{
    return toWhole(numericValue(loopText));
}

// Print form: one blank before a number that is not negative, "-" before a negative one.
QString printForm(long long value);
// Plain form: the decimal number alone.
QString plainForm(long long value);

} // namespace testloop
