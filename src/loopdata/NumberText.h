#pragma once

#include <QString>
#include <QStringView>

namespace testloop {

// The numeric value of a text: blanks are ignored, a decimal number (optional sign, digits,
// optional fraction) is read from the start up to the first character that cannot belong to
// it, and a text that starts with no digit gives 0. "07" gives 7, "1 " gives 1, "AB" gives 0.
double numericValue(QStringView text);

// A numeric value used as a table index or counter: rounded half to even, then held within
// the range of int so that a wild value can never wrap.
int toWhole(double value);

// Print form: one blank before a number that is not negative, "-" before a negative one.
QString printForm(long long value);
// Plain form: the decimal number alone.
QString plainForm(long long value);

} // namespace testloop
