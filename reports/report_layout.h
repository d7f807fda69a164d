#pragma once

#include "reportengine/report_definition.h"

#include <QString>

#include <vector>

namespace reports {

// The band scheme all production reports share, A4 portrait: the heading once with the title
// and the column headings, a narrow spacer, one or two group levels with a header on each key
// and boxed sums in each footer, the detail lines, the framed report end "Итого:" and the page
// number at the bottom right of every page. A report gives only its columns and groups.

inline constexpr int kPrintableWidth = report::mm(190); // A4 less 10 mm margins

// A text over, in or under a detail column: an expression of the row or of its group (a
// field, a sum), or a fixed text when the expression is empty.
struct Column {
    int x = 0;
    int width = 0;
    QString expression{};
    QString format{}; // "#0.00", "#0.000", "#0"; empty: a plain number
    report::Align align = report::Align::Center;
    QString text{};
};

struct GroupScheme {
    QString key{};
    bool greyHeader = true;           // white otherwise
    std::vector<Column> sums{};       // boxed, on the footer's first line
    std::vector<Column> secondLine{}; // optional second footer line
    bool ruleBelow = false;
};

struct LayoutScheme {
    std::vector<Column> headings;    // bold texts over their columns, right of the title
    bool headingsBelowTitle = false; // a line of their own where the title needs the width
    std::vector<GroupScheme> groups; // outer to inner; the innermost stays with its footer
    std::vector<Column> detail;
    double detailPoints = 9;
    std::vector<Column> totals; // the report end, after "Итого:"
};

// Texts built from a row: the product kind and the colour (" (грунт)", " (RAL: 7035)", " ").
extern const QString kProductKindExpression;
extern const QString kColourExpression;

// A heading over a column; a sum of field's values under it.
Column headingOver(const Column& column, const QString& text);
Column sumUnder(const Column& column, const QString& field, const QString& format = {});

report::Report productionLayout(const LayoutScheme& scheme);

// The title label of a layout made by productionLayout; its text is set for each run.
report::Cell& titleCell(report::Report& layout);

} // namespace reports
