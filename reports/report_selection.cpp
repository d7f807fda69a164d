#include "report_selection.h"

#include "data/dataset.h"

#include <QLocale>

namespace reports {

Selection previousMonth(const QDate& today) {
    const QDate thisMonth(today.year(), today.month(), 1);
    return {thisMonth.addMonths(-1), thisMonth, ProductKind::All};
}

void openSelection(data::Dataset& query, const Selection& selection) {
    query.close();
    query.setParam(QStringLiteral("period_from"), selection.from);
    query.setParam(QStringLiteral("period_to"), selection.to);
    switch (selection.kind) {
    case ProductKind::All:
        query.setFiltered(false);
        break;
    case ProductKind::Finished:
        query.setFilter(QStringLiteral("naimen=0"));
        query.setFiltered(true);
        break;
    case ProductKind::Blanks:
        query.setFilter(QStringLiteral("naimen=1"));
        query.setFiltered(true);
        break;
    }
    query.open();
}

QString reportTitle(const QString& prefix, const Selection& selection) {
    const QLocale locale;
    return prefix + locale.toString(selection.from, QLocale::ShortFormat) + QStringLiteral(" по ") +
           locale.toString(selection.to, QLocale::ShortFormat);
}

QString operationText(const QString& vid, qint64 color) {
    if (color <= 0)
        return vid;
    if (color == 1)
        return vid + QStringLiteral(" (грунт)");
    return vid + QStringLiteral(" (цвет: ") + QString::number(color) + u')';
}

} // namespace reports
