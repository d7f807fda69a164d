#pragma once

#include <QLocale>
#include <QString>

namespace ui {

// Numbers as the program shows them, in the workstation's (Russian) format: decimal comma,
// no thousands separator.

// The workstation's locale for numbers: its decimal separator, no thousands separator.
QLocale workstationLocale();

// The general format: up to 15 significant digits, as short as the value allows
// ("12,5", "0,3" for 0.1 + 0.2, "7").
QString generalNumberText(double value);

// A fixed pattern such as "#0.00#": at least minDecimals decimals, more up to maxDecimals
// only where they are not zero ("#0.00#": 12,5 -> "12,50", 0,125 -> "0,125", 3 -> "3,00").
// Rounded half away from zero on the value a person would write (its 15 significant
// digits), so 2.675 gives 2,68 and not 2,67 from binary noise; what rounds to zero shows
// no minus sign.
QString decimalsText(double value, int minDecimals, int maxDecimals);

} // namespace ui
