#pragma once

#include <QString>

namespace report {

// How a cell prints a number: "#0.00", "#0.000", "#0" give fixed decimals ("#0.00#" also
// allows a third one where it is not zero); an empty pattern gives a plain number, up to 15
// significant digits and as short as the value allows (12,5, not 12,50). The decimal point
// is the workstation's. Rounding is half away from zero on the value a person would write
// (its 15 significant digits), so 2.675 prints 2,68 and not 2,67 from binary noise; what
// rounds to zero never shows a minus sign.
class NumberFormat {
public:
    // Throws ReportError for a pattern it does not know.
    static NumberFormat parse(const QString& pattern);

    QString text(double value) const;

private:
    NumberFormat() = default;
    bool plain_ = true;
    int minDecimals_ = 0;
    int maxDecimals_ = 0;
    bool asciiIntegers_ = false; // the locale writes whole numbers as QString::number does
};

// A sum of decimal values that stays exact: each addend is taken to nine decimals and added
// as an integer, so thousands of kopecks never drift (0.1 added 100 000 times is 10000).
class ExactSum {
public:
    void add(double value);
    void clear() { *this = ExactSum(); }
    double value() const;

private:
    __int128 nanos_ = 0;
    long double beyond_ = 0; // addends too large for the integer part
};

} // namespace report
