#include "reportengine/number_text.h"

#include "reportengine/report_error.h"
#include "ui/number_format.h"

#include <QRegularExpression>

#include <cmath>

namespace report {

namespace {

constexpr long double kNanosPerUnit = 1e9L;
constexpr double kIntegerLimit = 1e15; // below it a double holds every whole number exactly

} // namespace

NumberFormat NumberFormat::parse(const QString& pattern) {
    NumberFormat format;
    const QLocale locale = ui::workstationLocale();
    format.asciiIntegers_ = locale.zeroDigit() == u"0" && locale.negativeSign() == u"-";
    if (pattern.isEmpty())
        return format;
    static const QRegularExpression shape(QStringLiteral("^#*0(?:\\.(0*)(#*))?$"));
    const QRegularExpressionMatch match = shape.match(pattern);
    if (!match.hasMatch())
        throw ReportError(QStringLiteral("Неизвестный формат числа «%1»").arg(pattern));
    format.plain_ = false;
    format.minDecimals_ = int(match.capturedLength(1));
    format.maxDecimals_ = format.minDecimals_ + int(match.capturedLength(2));
    return format;
}

QString NumberFormat::text(double value) const {
    if (plain_) {
        // Whole numbers (hours, pieces) are most of a report's numbers; the general
        // conversion would give the same digits the slow way.
        if (asciiIntegers_ && std::abs(value) < kIntegerLimit && value == std::trunc(value))
            return QString::number(static_cast<long long>(value));
        return ui::generalNumberText(value == 0 ? 0.0 : value); // no "-0"
    }
    return ui::decimalsText(value, minDecimals_, maxDecimals_);
}

void ExactSum::add(double value) {
    if (!(std::abs(value) < kIntegerLimit)) {
        beyond_ += value;
        return;
    }
    const double whole = std::trunc(value);
    const double fraction = value - whole; // exact for doubles
    nanos_ += __int128(static_cast<long long>(whole)) * 1000000000 + std::llround(fraction * 1e9);
}

double ExactSum::value() const {
    return double(static_cast<long double>(nanos_) / kNanosPerUnit + beyond_);
}

} // namespace report
