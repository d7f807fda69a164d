#pragma once

#include <QString>

namespace data {

// Text to number the way the runtime converts typed or stored values; failures are
// DataErrors with the runtime's own messages:
//   "'%s' is not a valid integer value", "'%s' is not a valid floating point value".
int toInt(const QString& text);
qint64 toInt64(const QString& text);
// A whole number that must fit an int, with the same message when it does not.
int toInt(qint64 value);
// Decimal text with ',' or '.' as the separator.
double toDouble(const QString& text);

// The value rounded half away from zero at `decimals` places, as stored amounts are kept.
double rounded(double value, int decimals);

// Number text for SQL: plain decimal, '.' as the separator, no exponent, no trailing zeros.
QString sqlNumber(double value, int maxDecimals = 10);
QString sqlNumber(qint64 value);

// Fixed-width (char(n)) columns arrive padded with blanks at the end; this is the text
// without them (leading blanks stay).
QString withoutPadding(QString text);

} // namespace data
