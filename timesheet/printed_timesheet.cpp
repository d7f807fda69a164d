#include "printed_timesheet.h"

#include "month_rows.h"

#include "data/data_module.h"
#include "reportengine/dataset_rows.h"
#include "reportengine/prepared_report.h"
#include "reportengine/report_definition.h"

#include <QApplication>
#include <QScopeGuard>

namespace {

const QStringList kSql{
    QStringLiteral("select person.s_caption fio,sum(d1) as sd1,sum(d2) as sd2,sum(d3) as sd3,"
                   "sum(d4) as sd4,"),
    QStringLiteral("sum(d5) as sd5,sum(d6) as sd6,sum(d7) as sd7,sum(d8) as sd8,sum(d9) as sd9,"),
    QStringLiteral("sum(d10) as sd10,sum(d11) as sd11,sum(d12) as sd12,sum(d13) as sd13,"),
    QStringLiteral("sum(d14) as sd14,sum(d15) as sd15,sum(d16) as sd16,sum(d17) as sd17,"),
    QStringLiteral("sum(d18) as sd18,sum(d19) as sd19,sum(d20) as sd20,sum(d21) as sd21,"),
    QStringLiteral("sum(d22) as sd22,sum(d23) as sd23,sum(d24) as sd24,sum(d25) as sd25,"),
    QStringLiteral("sum(d26) as sd26,sum(d27) as sd27,sum(d28) as sd28,sum(d29) as sd29,"),
    QStringLiteral("sum(d30) as sd30,sum(d31) as sd31 from accounts_dep.h_tabel, "
                   "cmn_contractor.person person where"),
    QStringLiteral("h_tabel.w_id=person.s_code::t_integer and month=:mnth and"),
    QStringLiteral("year=:yea group by fio order by fio"),
};

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

PrintedTimesheet::PrintedTimesheet(data::DataModule6& dataModule)
    : H_Tabel(&dataModule.ADO_DB, QStringLiteral("H_Tabel")) {
    H_Tabel.setSql(kSql);
}

namespace {

report::PreparedReport prepareMonth(data::Dataset& rows, int month, int year,
                                    const QString& periodLabel) {
    timesheet::openMonth(rows, month, year);
    return report::PreparedReport::prepare(layout(periodLabel), report::DatasetRows(rows));
}

} // namespace

void PrintedTimesheet::preview(int month, int year, const QString& periodLabel) {
    const auto closeAfterwards = qScopeGuard([this] { H_Tabel.close(); });
    const report::PreparedReport prepared = prepareMonth(H_Tabel, month, year, periodLabel);
    prepared.preview(QApplication::activeWindow());
}

void PrintedTimesheet::writePdf(int month, int year, const QString& periodLabel,
                                const QString& path) {
    const auto closeAfterwards = qScopeGuard([this] { H_Tabel.close(); });
    prepareMonth(H_Tabel, month, year, periodLabel).writePdf(path);
}
