#include "month_summary.h"

#include "data/statement_files.h"

#include <QLocale>

#include <cmath>

namespace summary {

namespace {

// The Russian formats with the thousands apart: a chart's axis and its totals are read at a
// glance, "1 234 567" sooner than "1234567".
QLocale russian() {
    return QLocale(QLocale::Russian, QLocale::Russia);
}

QString fixedText(double value, int decimals) {
    const double shown = std::abs(value) < 0.5 * std::pow(10.0, -decimals) ? 0.0 : value;
    return russian().toString(shown, 'f', decimals);
}

} // namespace

QString monthText(int month, int year) {
    return russian().standaloneMonthName(month, QLocale::LongFormat) + u' ' +
           QString::number(year) + QStringLiteral(" г.");
}

QString dayText(const QDate& date) {
    return russian().dayName(date.dayOfWeek(), QLocale::ShortFormat) + QStringLiteral(", ") +
           date.toString(QStringLiteral("dd.MM.yyyy"));
}

QString piecesText(double pieces) {
    const double whole = std::round(pieces);
    if (std::abs(pieces - whole) < 0.005)
        return fixedText(whole, 0);
    QString text = fixedText(pieces, 2);
    if (text.endsWith(u'0'))
        text.chop(1);
    return text;
}

QString moneyText(double sum) {
    return fixedText(sum, 2);
}

QString hoursText(double hours) {
    return piecesText(hours);
}

QString MonthSummary::title() const {
    return QStringLiteral("Сводка месяца: ") + monthText(month, year);
}

QString MonthSummary::kindText() const {
    switch (kind) {
    case data::ProductKind::Finished:
        return data::kFinishedProducts;
    case data::ProductKind::Blanks:
        return data::kBlanks;
    case data::ProductKind::All:
        break;
    }
    return QStringLiteral("Все виды продукции");
}

SummaryData::SummaryData(data::Connection& connection)
    : days_(&connection, QStringLiteral("summaryDays")),
      operations_(&connection, QStringLiteral("summaryOperations")) {
    days_.setSql(data::statementText(QStringLiteral("summary/days")));
    operations_.setSql(data::statementText(QStringLiteral("summary/top_operations")));
}

MonthSummary SummaryData::read(int month, int year, data::ProductKind kind) {
    MonthSummary s;
    s.month = month;
    s.year = year;
    s.kind = kind;
    const QDate first(year, month, 1);
    for (QDate day = first; day.month() == month; day = day.addDays(1))
        s.days.push_back({.date = day});

    for (data::Dataset* query : {&days_, &operations_}) {
        query->close();
        query->setParam(QStringLiteral("period_from"), first);
        query->setParam(QStringLiteral("period_to"), first.addMonths(1));
        query->setParam(QStringLiteral("kind"), int(kind));
    }

    days_.open();
    for (days_.first(); !days_.eof(); days_.next()) {
        const qint64 index = first.daysTo(days_.asDate(QStringLiteral("day")));
        const int shift = days_.asInt(QStringLiteral("shift"));
        if (index < 0 || index >= qint64(s.days.size()) || shift < 1 || shift > kShifts)
            continue; // the statement asks for neither
        DayFigures& day = s.days[size_t(index)];
        const double pieces = days_.asDouble(QStringLiteral("pieces"));
        const double sum = days_.asDouble(QStringLiteral("summa"));
        const double hours = days_.asDouble(QStringLiteral("hours"));
        day.goodPieces += pieces;
        day.sum += sum;
        day.hours[size_t(shift - 1)] += hours;
        s.goodPieces += pieces;
        s.sum += sum;
        s.hours += hours;
    }
    days_.close();

    operations_.open();
    for (operations_.first(); !operations_.eof(); operations_.next()) {
        QString name = operations_.asString(QStringLiteral("vid")).trimmed() +
                       QStringLiteral(" — ") +
                       operations_.asString(QStringLiteral("nom")).trimmed();
        const QString mark = operations_.asString(QStringLiteral("marka")).trimmed();
        if (!mark.isEmpty())
            name += u' ' + mark;
        if (operations_.asInt(QStringLiteral("naimen")) != 0)
            name += QStringLiteral(" (заготовки)");
        s.topOperations.push_back({.name = name,
                                   .goodPieces = operations_.asDouble(QStringLiteral("pieces")),
                                   .sum = operations_.asDouble(QStringLiteral("summa"))});
    }
    operations_.close();
    return s;
}

} // namespace summary
