#include "number_format.h"

#include <QLocale>

#include <charconv>
#include <cmath>
#include <string>

namespace ui {

namespace {

constexpr int kSignificantDigits = 15;

// A value's 15 significant digits and the power of ten of the first one.
struct Digits {
    bool negative = false;
    std::string digits; // exactly kSignificantDigits characters
    int exponent = 0;
};

Digits significantDigits(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::scientific, kSignificantDigits - 1);
    const std::string text(buffer, result.ptr);
    Digits d;
    size_t at = 0;
    if (text[at] == '-') {
        d.negative = true;
        ++at;
    }
    const size_t e = text.find('e');
    for (size_t i = at; i < e; ++i)
        if (text[i] != '.')
            d.digits += text[i];
    d.exponent = std::stoi(text.substr(e + 1));
    return d;
}

// Fixed decimals from the digits: rounded half away from zero at `decimals`, then trailing
// zeros dropped down to minDecimals.
QString fixedText(double value, int minDecimals, int maxDecimals, const QString& point) {
    if (!std::isfinite(value))
        return QString();
    const Digits d = significantDigits(value);
    // Digits of the integer part and of maxDecimals decimals, as one string of units.
    const int kept = d.exponent + 1 + maxDecimals; // digits of d.digits before the cut
    std::string units;
    if (kept > 0) {
        units = d.digits.substr(0, size_t(std::min(kept, kSignificantDigits)));
        if (kept > kSignificantDigits)
            units.append(size_t(kept - kSignificantDigits), '0');
    }
    const bool roundUp = kept >= 0 && kept < kSignificantDigits && d.digits[size_t(kept)] >= '5';
    if (roundUp) {
        int i = int(units.size()) - 1;
        while (i >= 0 && units[size_t(i)] == '9')
            units[size_t(i--)] = '0';
        if (i >= 0)
            ++units[size_t(i)];
        else
            units.insert(units.begin(), '1');
    }
    if (units.size() < size_t(maxDecimals) + 1)
        units.insert(0, size_t(maxDecimals) + 1 - units.size(), '0');
    const bool zero = units.find_first_not_of('0') == std::string::npos;

    const std::string whole = units.substr(0, units.size() - size_t(maxDecimals));
    std::string fraction = units.substr(whole.size());
    while (int(fraction.size()) > minDecimals && fraction.back() == '0')
        fraction.pop_back();
    QString text = QString::fromLatin1(whole);
    if (!fraction.empty())
        text += point + QString::fromLatin1(fraction);
    if (d.negative && !zero)
        text.prepend(u'-');
    return text;
}

} // namespace

QLocale workstationLocale() {
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return locale;
}

QString generalNumberText(double value) {
    return workstationLocale().toString(value, 'g', 15);
}

QString decimalsText(double value, int minDecimals, int maxDecimals) {
    return fixedText(value, minDecimals, maxDecimals, workstationLocale().decimalPoint());
}

} // namespace ui
