#include "value_rules.h"

#include <cmath>

namespace ui {

std::optional<double> decimalValue(const QString& text) {
    QString t = text.trimmed();
    t.replace(u',', u'.');
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || t.isEmpty() || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<double> decimalValue(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return std::nullopt;
    return decimalValue(value.toString());
}

bool quantityAllowed(double quantity) {
    return quantity > 0 && quantity <= kMaxQuantity;
}

bool hoursAllowed(qint64 hours) {
    return hours >= 0 && hours <= kMaxHours;
}

bool workDateAllowed(const QDate& day, const QDate& today) {
    return day.isValid() && day >= QDate(2000, 1, 1) && day <= QDate(today.year() + 1, 12, 31);
}

bool priceAllowed(double price) {
    if (!(price > 0 && price < 1000000))
        return false;
    // a fifth decimal leaves a fraction of a ten-thousandth; below 10^10 a double still shows
    // that far above its own rounding
    const double scaled = price * 10000;
    return std::fabs(scaled - std::round(scaled)) < 1e-3;
}

bool positionPriceAllowed(double price) {
    return price >= 0 && price < 10000000;
}

bool normAllowed(double norm) {
    return norm >= 0 && norm <= 999999;
}

bool bonusAllowed(double bonus) {
    return bonus >= 0 && bonus <= 1000;
}

} // namespace ui
