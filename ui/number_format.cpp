#include "number_format.h"

#include <QLocale>

#include <cmath>

namespace ui {

QLocale workstationLocale() {
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return locale;
}

QString generalNumberText(double value) {
    return workstationLocale().toString(value, 'g', 15);
}

QString decimalsText(double value, int minDecimals, int maxDecimals) {
    const QLocale locale = workstationLocale();
    if (std::abs(value) < 0.5 * std::pow(10.0, -maxDecimals))
        value = 0; // what rounds to zero shows no minus sign
    QString text = locale.toString(value, 'f', maxDecimals);
    const QString point = locale.decimalPoint();
    const qsizetype at = text.indexOf(point);
    if (at < 0)
        return text;
    const qsizetype shortest = at + point.size() + minDecimals;
    while (text.size() > shortest && text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(point))
        text.chop(point.size());
    return text;
}

} // namespace ui
