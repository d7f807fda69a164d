#pragma once

#include "data/product_kind.h"

#include <QDate>
#include <QString>

namespace data {
class Dataset;
}

namespace reports {

// What the report window's choices select: a product kind (the items of "Вид продукции" in
// their order) and a period from its first day (included) to its end (excluded).
using ProductKind = data::ProductKind;

struct Selection {
    QDate from;
    QDate to;
    ProductKind kind = ProductKind::All;
};

// The period the window proposes: the month before today's, up to the first of this month.
Selection previousMonth(const QDate& today);

// Reads the query afresh for the selection (an open query would keep the rows of an earlier
// period): the period bound to the parameters period_from and period_to, the fetched rows
// filtered by the product kind (naimen); "Все" switches the filter off.
void openSelection(data::Dataset& query, const Selection& selection);

// The printed title: the prefix and both dates in the locale's short format.
QString reportTitle(const QString& prefix, const Selection& selection);

// The spreadsheet's operation text: the type, then " (грунт)" for colour 1 or
// " (цвет: <number>)" for any other positive colour.
QString operationText(const QString& vid, qint64 color);

} // namespace reports
