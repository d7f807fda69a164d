#include "conversions.h"

#include "data_error.h"

#include <cmath>
#include <limits>

namespace data {

namespace {

[[noreturn]] void notInteger(const QString& text) {
    throw DataError::notANumber(QStringLiteral("'%1' is not a valid integer value").arg(text),
                                true);
}

} // namespace

qint64 toInt64(const QString& text) {
    const QString t = text.trimmed();
    bool ok = false;
    const qint64 v = t.toLongLong(&ok, 10);
    if (!ok || t.isEmpty())
        notInteger(text);
    return v;
}

int toInt(const QString& text) {
    const qint64 v = toInt64(text);
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        notInteger(text);
    return int(v);
}

int toInt(qint64 value) {
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        notInteger(QString::number(value));
    return int(value);
}

double toDouble(const QString& text) {
    QString t = text.trimmed();
    t.replace(u',', u'.');
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || t.isEmpty() || !std::isfinite(v))
        throw DataError::notANumber(
            QStringLiteral("'%1' is not a valid floating point value").arg(text));
    return v;
}

double rounded(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale;
}

QString sqlNumber(double value, int maxDecimals) {
    if (!std::isfinite(value))
        throw DataError::notANumber(
            QStringLiteral("'%1' is not a valid floating point value").arg(QString::number(value)));
    QString s = QString::number(value, 'f', maxDecimals);
    if (s.contains(u'.')) {
        while (s.endsWith(u'0'))
            s.chop(1);
        if (s.endsWith(u'.'))
            s.chop(1);
    }
    if (s == u"-0")
        s = QStringLiteral("0");
    return s;
}

QString sqlNumber(qint64 value) {
    return QString::number(value);
}

QString withoutPadding(QString text) {
    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == u' ')
        --end;
    text.truncate(end);
    return text;
}

} // namespace data
