#include "printed_timesheet.h"

#include "month_rows.h"

#include "data/statement_files.h"
#include "reportengine/dataset_rows.h"
#include "reportengine/prepared_report.h"
#include "reportengine/report_definition.h"

#include <QApplication>
#include <QScopeGuard>

namespace {

// Across the 277 mm between the margins of a landscape A4 page.
constexpr int kNameWidth = report::mm(55);
constexpr int kDayWidth = report::mm(6.6);
constexpr int kTotalX = kNameWidth + 31 * kDayWidth;
constexpr int kTotalWidth = report::mm(15);
const QColor kGrey(128, 128, 128);

report::Cell cell(int x, int width, report::Align align, double points, bool bold) {
    report::Cell c;
    c.x = x;
    c.width = width;
    c.align = align;
    c.font.pointSize = points;
    c.font.bold = bold;
    return c;
}

// Grey dotted lines between the day cells, from the left of day 1 to the right of day 31.
void addDayRules(report::Band& band) {
    for (int day = 0; day <= 31; ++day)
        band.rules.push_back({report::Rule::Kind::Vertical, kNameWidth + day * kDayWidth,
                              report::LineStyle::Dotted, kGrey});
}

report::Report layout(const QString& periodLabel) {
    using report::Align;
    report::Report r;
    r.orientation = report::Orientation::Landscape;
    r.margins = {report::mm(10), report::mm(10), report::mm(10), report::mm(10)};

    report::Band heading;
    heading.height = report::mm(7);
    heading.rules.push_back({report::Rule::Kind::Above});
    heading.rules.push_back({report::Rule::Kind::Below});
    report::Cell period = cell(0, kNameWidth, Align::Left, 10, true);
    period.text = periodLabel;
    heading.cells.push_back(period);
    for (int day = 1; day <= 31; ++day) {
        report::Cell title =
            cell(kNameWidth + (day - 1) * kDayWidth, kDayWidth, Align::Center, 10, true);
        title.padding = 0;
        title.text = QString::number(day);
        heading.cells.push_back(title);
    }
    report::Cell total = cell(kTotalX, kTotalWidth, Align::Right, 10, true);
    total.text = QStringLiteral("Итого");
    heading.cells.push_back(total);
    addDayRules(heading);
    r.heading = heading;
    r.headingOnEveryPage = true;

    report::Band detail;
    detail.height = report::mm(5);
    detail.rules.push_back({report::Rule::Kind::Above, 0, report::LineStyle::Dotted, kGrey});
    detail.rules.push_back({report::Rule::Kind::Below, 0, report::LineStyle::Dotted, kGrey});
    report::Cell name = cell(0, kNameWidth, Align::Left, 9, false);
    name.expression = QStringLiteral("fio");
    detail.cells.push_back(name);
    QStringList days;
    for (int day = 1; day <= 31; ++day) {
        report::Cell hours =
            cell(kNameWidth + (day - 1) * kDayWidth, kDayWidth, Align::Center, 9, false);
        hours.padding = 0;
        hours.expression = QStringLiteral("sd%1").arg(day);
        detail.cells.push_back(hours);
        days << QStringLiteral("sd%1").arg(day);
    }
    report::Cell rowTotal = cell(kTotalX, kTotalWidth, Align::Center, 9, true);
    rowTotal.expression = days.join(u'+');
    detail.cells.push_back(rowTotal);
    addDayRules(detail);
    r.detail = detail;

    report::Band footer;
    footer.height = report::mm(6);
    report::Cell page =
        cell(kTotalX + kTotalWidth - report::mm(30), report::mm(30), Align::Right, 9, false);
    page.y = report::mm(1);
    page.expression = QStringLiteral("PAGENUMBER");
    footer.cells.push_back(page);
    r.pageFooter = footer;
    return r;
}

} // namespace

PrintedTimesheet::PrintedTimesheet(data::Connection& connection)
    : monthRows_(&connection, QStringLiteral("monthRows")) {
    monthRows_.setSql(data::statementText(QStringLiteral("timesheet/worker_month_totals")));
}

namespace {

report::PreparedReport prepareMonth(data::Dataset& rows, int month, int year,
                                    const QString& periodLabel) {
    timesheet::openMonth(rows, month, year);
    report::PreparedReport prepared =
        report::PreparedReport::prepare(layout(periodLabel), report::DatasetRows(rows));
    prepared.setTitle(QStringLiteral("Табель по времени, ") + periodLabel);
    return prepared;
}

} // namespace

report::PreparedReport PrintedTimesheet::layOut(int month, int year, const QString& periodLabel) {
    const auto closeAfterwards = qScopeGuard([this] { monthRows_.close(); });
    return prepareMonth(monthRows_, month, year, periodLabel);
}

void PrintedTimesheet::preview(int month, int year, const QString& periodLabel) {
    const auto closeAfterwards = qScopeGuard([this] { monthRows_.close(); });
    const report::PreparedReport prepared = prepareMonth(monthRows_, month, year, periodLabel);
    prepared.preview(QApplication::activeWindow());
}

void PrintedTimesheet::writePdf(int month, int year, const QString& periodLabel,
                                const QString& path) {
    layOut(month, year, periodLabel).writePdf(path);
}
