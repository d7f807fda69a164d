#include "report_layout.h"

#include "data/product_kind.h"

namespace reports {

using report::Align;
using report::mm;

const QString kProductKindExpression =
    QStringLiteral("IF(naimen=0,'%1','%2')").arg(data::kFinishedProducts, data::kBlanks);
const QString kColourExpression =
    QStringLiteral("if(color>0,if(color=1,' (грунт)',' (RAL: '+STR(color)+')'),' ')");

namespace {

const QColor kHeadingBackground(244, 244, 244);
const QColor kGroupBackground(224, 224, 224);
const QColor kSumBackground(239, 239, 239);
const QColor kEndBackground(220, 220, 220);

constexpr int kLine = mm(6);       // a heading line, a group header, a footer line
constexpr int kBoxInset = mm(0.5); // keeps neighbouring sum boxes apart

report::Cell textCell(const Column& column, double points, bool bold) {
    report::Cell cell;
    cell.x = column.x;
    cell.width = column.width;
    cell.align = column.align;
    cell.font.pointSize = points;
    cell.font.bold = bold;
    cell.format = column.format;
    cell.expression = column.expression;
    cell.text = column.text;
    return cell;
}

// A sum in its box under the detail column, on the line starting at top.
report::Cell sumBox(const Column& column, int top, double points) {
    report::Cell cell = textCell(column, points, true);
    cell.x += kBoxInset;
    cell.width -= 2 * kBoxInset;
    cell.y = top + kBoxInset;
    cell.height = kLine - 2 * kBoxInset;
    cell.background = kSumBackground;
    cell.frame.sides = report::kAllSides;
    return cell;
}

report::Band heading(const LayoutScheme& scheme) {
    report::Band band;
    band.background = kHeadingBackground;
    const int firstColumn = scheme.headings.empty() ? kPrintableWidth : scheme.headings.front().x;
    const bool ownLine = scheme.headingsBelowTitle;
    band.height = ownLine ? 2 * kLine : mm(8);
    report::Cell title = textCell(
        {.width = ownLine ? kPrintableWidth : firstColumn, .align = Align::Left}, 10, true);
    title.height = ownLine ? kLine : 0;
    band.cells.push_back(title);
    for (const Column& column : scheme.headings) {
        report::Cell cell = textCell(column, 9, true);
        cell.y = ownLine ? kLine : 0;
        band.cells.push_back(cell);
    }
    return band;
}

report::Group reportEnd(const LayoutScheme& scheme) {
    report::Group all;                   // no key: opens once after the heading and ends the report
    all.header.emplace().height = mm(2); // the spacer below the heading
    report::Band end;
    end.height = mm(8);
    end.background = kEndBackground;
    end.frame.sides = report::kAllSides;
    end.cells.push_back(textCell(
        {.x = mm(2), .width = mm(40), .align = Align::Left, .text = QStringLiteral("Итого:")}, 11,
        true));
    for (const Column& column : scheme.totals)
        end.cells.push_back(textCell(column, 11, true));
    all.footer = end;
    return all;
}

report::Group group(const GroupScheme& scheme, int level) {
    report::Group g;
    g.keyField = scheme.key;
    report::Band header;
    header.height = kLine;
    if (scheme.greyHeader)
        header.background = kGroupBackground;
    header.cells.push_back(textCell(
        {.x = mm(1 + 3 * level), .width = mm(150), .expression = scheme.key, .align = Align::Left},
        9, true));
    g.header = header;
    report::Band footer;
    footer.height = scheme.secondLine.empty() ? kLine : 2 * kLine;
    for (const Column& column : scheme.sums)
        footer.cells.push_back(sumBox(column, 0, 9));
    for (const Column& column : scheme.secondLine) {
        if (column.expression.isEmpty()) {
            report::Cell label = textCell(column, 9, true);
            label.y = kLine;
            footer.cells.push_back(label);
        } else {
            footer.cells.push_back(sumBox(column, kLine, 9));
        }
    }
    if (scheme.ruleBelow)
        footer.rules.push_back({report::Rule::Kind::Below});
    g.footer = footer;
    return g;
}

} // namespace

Column headingOver(const Column& column, const QString& text) {
    return {.x = column.x, .width = column.width, .text = text};
}

Column sumUnder(const Column& column, const QString& field, const QString& format) {
    return {.x = column.x,
            .width = column.width,
            .expression = QStringLiteral("sum(%1)").arg(field),
            .format = format};
}

report::Report productionLayout(const LayoutScheme& scheme) {
    report::Report r;
    r.margins = {mm(10), mm(10), mm(10), mm(10)};
    r.heading = heading(scheme);
    r.headingOnEveryPage = false;
    r.groups.push_back(reportEnd(scheme));
    for (size_t level = 0; level < scheme.groups.size(); ++level)
        r.groups.push_back(group(scheme.groups[level], int(level)));
    if (!scheme.groups.empty())
        r.groups.back().keepHeaderWithFooter = true;

    report::Band detail;
    detail.height = scheme.detailPoints < 9 ? mm(4.5) : mm(5);
    for (const Column& column : scheme.detail)
        detail.cells.push_back(textCell(column, scheme.detailPoints, false));
    r.detail = detail;

    report::Band footer;
    footer.height = mm(6);
    report::Cell page = textCell({.x = kPrintableWidth - mm(40),
                                  .width = mm(40),
                                  .expression = QStringLiteral("PAGENUMBER"),
                                  .align = Align::Right},
                                 9, false);
    page.y = mm(1);
    footer.cells.push_back(page);
    r.pageFooter = footer;
    return r;
}

report::Cell& titleCell(report::Report& layout) {
    return layout.heading->cells.front();
}

} // namespace reports
