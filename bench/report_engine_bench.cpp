// A time-sheet of 1,000 rows (a name, 31 day numbers, the row total; a heading on every
// page, grey dotted rules, page numbers; about 30 landscape pages) prepared and written to
// a PDF by the report engine, against the same texts and rules drawn straight onto a
// QPdfWriter by hand. Prints its figures; asserts nothing. Needs no database.
#include "reportengine/prepared_report.h"
#include "reportengine/report_definition.h"
#include "reportengine/rows.h"
#include "timing.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QLocale>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace report;

namespace {

constexpr int kRows = 1000;
constexpr int kDays = 31;
constexpr int kRuns = 5;
constexpr int kRounds = 3;

// The sheet's geometry, in mm, shared by the layout and the hand-drawn baseline.
constexpr double kMargin = 10;
constexpr double kPrintableWidth = 297 - 2 * kMargin;
constexpr double kPrintableHeight = 210 - 2 * kMargin;
constexpr double kNameWidth = 60;
constexpr double kDayWidth = 6.5;
constexpr double kTotalX = kNameWidth + kDays * kDayWidth;
constexpr double kTotalWidth = 17;
constexpr double kHeadingHeight = 7;
constexpr double kRowHeight = 5.5;
constexpr double kFooterHeight = 6;
constexpr double kPadding = 0.5;
const QColor kGrey(150, 150, 150);
const QString kPeriod = QStringLiteral("Март 2026 г.");

struct SheetRow {
    QString name;
    int days[kDays]; // 0: nothing worked, printed empty
};

std::vector<SheetRow> sheetRows() {
    std::vector<SheetRow> rows(kRows);
    for (int i = 0; i < kRows; ++i) {
        rows[size_t(i)].name = QStringLiteral("Работник %1 И. О.").arg(i + 1);
        for (int d = 0; d < kDays; ++d)
            rows[size_t(i)].days[d] = (d + i) % 7 == 0 ? 0 : 8 + (d + i) % 3;
    }
    return rows;
}

Cell cell(double x, double width, Align align, double points, bool bold) {
    Cell c;
    c.x = mm(x);
    c.width = mm(width);
    c.align = align;
    c.font.pointSize = points;
    c.font.bold = bold;
    return c;
}

Report sheetLayout() {
    Report r;
    r.orientation = Orientation::Landscape;
    Band heading;
    heading.height = mm(kHeadingHeight);
    heading.rules = {{Rule::Kind::Above}, {Rule::Kind::Below}};
    Cell period = cell(0, kNameWidth, Align::Left, 10, true);
    period.text = kPeriod;
    heading.cells.push_back(period);
    Band detail;
    detail.height = mm(kRowHeight);
    detail.rules = {{Rule::Kind::Above, 0, LineStyle::Dotted, kGrey},
                    {Rule::Kind::Below, 0, LineStyle::Dotted, kGrey}};
    Cell name = cell(0, kNameWidth, Align::Left, 9, false);
    name.expression = QStringLiteral("fio");
    detail.cells.push_back(name);
    QStringList total;
    for (int d = 1; d <= kDays; ++d) {
        const double x = kNameWidth + (d - 1) * kDayWidth;
        Cell title = cell(x, kDayWidth, Align::Center, 10, true);
        title.text = QString::number(d);
        heading.cells.push_back(title);
        Cell day = cell(x, kDayWidth, Align::Center, 9, false);
        day.expression = QStringLiteral("sd%1").arg(d);
        detail.cells.push_back(day);
        for (Band* band : {&heading, &detail})
            band->rules.push_back({Rule::Kind::Vertical, mm(x), LineStyle::Dotted, kGrey});
        total.append(day.expression);
    }
    for (Band* band : {&heading, &detail})
        band->rules.push_back({Rule::Kind::Vertical, mm(kTotalX), LineStyle::Dotted, kGrey});
    Cell totalTitle = cell(kTotalX, kTotalWidth, Align::Center, 10, true);
    totalTitle.text = QStringLiteral("Итого");
    heading.cells.push_back(totalTitle);
    Cell totalCell = cell(kTotalX, kTotalWidth, Align::Center, 9, true);
    totalCell.expression = total.join(u'+');
    detail.cells.push_back(totalCell);
    r.heading = heading;
    r.headingOnEveryPage = true;
    r.detail = detail;
    Band footer;
    footer.height = mm(kFooterHeight);
    Cell page = cell(kPrintableWidth - 40, 40, Align::Right, 9, false);
    page.expression = QStringLiteral("PAGENUMBER");
    footer.cells.push_back(page);
    r.pageFooter = footer;
    return r;
}

TableRows engineRows(const std::vector<SheetRow>& sheet) {
    QStringList fields{QStringLiteral("fio")};
    for (int d = 1; d <= kDays; ++d)
        fields.append(QStringLiteral("sd%1").arg(d));
    TableRows rows(fields);
    for (const SheetRow& s : sheet) {
        std::vector<QVariant> row{s.name};
        for (int d = 0; d < kDays; ++d)
            row.push_back(s.days[d] == 0 ? QVariant() : QVariant(s.days[d]));
        rows.append(std::move(row));
    }
    return rows;
}

// What a person would write to draw the sheet: device units of the writer, point-size fonts,
// centred texts by their measured width, each rule once, the grid's verticals per page.
int drawByHand(const std::vector<SheetRow>& sheet, const QString& path) {
    QPdfWriter writer(path);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                     QMarginsF(kMargin, kMargin, kMargin, kMargin),
                                     QPageLayout::Millimeter));
    QPainter painter(&writer);
    const double px = writer.logicalDpiX() / 25.4; // device units per mm
    QFont regular(kDefaultFontFamily, 9), bold(kDefaultFontFamily, 9),
        title(kDefaultFontFamily, 10);
    bold.setBold(true);
    title.setBold(true);
    const QFontMetricsF regularMetrics(regular, &writer), boldMetrics(bold, &writer),
        titleMetrics(title, &writer);
    const QPen solid(Qt::black, 0.2 * px), dotted(kGrey, 0.2 * px, Qt::DotLine, Qt::FlatCap);
    const double width = kPrintableWidth * px;
    auto baseline = [](double top, double height, const QFontMetricsF& m) {
        return top + (height - m.ascent() - m.descent()) / 2 + m.ascent();
    };
    auto centred = [&](const QFontMetricsF& m, double x, double w, double y, const QString& t) {
        painter.drawText(QPointF(x + (w - m.horizontalAdvance(t)) / 2, y), t);
    };

    const int perPage = int((kPrintableHeight - kHeadingHeight - kFooterHeight) / kRowHeight);
    int pages = 0;
    for (size_t first = 0; first < sheet.size(); first += size_t(perPage)) {
        if (pages++ > 0)
            writer.newPage();
        const size_t end = std::min(sheet.size(), first + size_t(perPage));
        const double headingH = kHeadingHeight * px, rowH = kRowHeight * px;
        // Texts: the heading, the rows, the page number.
        painter.setPen(Qt::black);
        painter.setFont(title);
        const double titleY = baseline(0, headingH, titleMetrics);
        painter.drawText(QPointF(kPadding * px, titleY), kPeriod);
        for (int d = 1; d <= kDays; ++d)
            centred(titleMetrics, (kNameWidth + (d - 1) * kDayWidth) * px, kDayWidth * px, titleY,
                    QString::number(d));
        centred(titleMetrics, kTotalX * px, kTotalWidth * px, titleY, QStringLiteral("Итого"));
        for (size_t i = first; i < end; ++i) {
            const SheetRow& row = sheet[i];
            const double top = headingH + double(i - first) * rowH;
            const double y = baseline(top, rowH, regularMetrics);
            painter.setFont(regular);
            painter.drawText(QPointF(kPadding * px, y), row.name);
            int total = 0;
            for (int d = 0; d < kDays; ++d) {
                total += row.days[d];
                if (row.days[d] != 0)
                    centred(regularMetrics, (kNameWidth + d * kDayWidth) * px, kDayWidth * px, y,
                            QString::number(row.days[d]));
            }
            painter.setFont(bold);
            centred(boldMetrics, kTotalX * px, kTotalWidth * px, baseline(top, rowH, boldMetrics),
                    QString::number(total));
        }
        painter.setFont(regular);
        const QString number = QString::number(pages);
        painter.drawText(QPointF(width - kPadding * px - regularMetrics.horizontalAdvance(number),
                                 baseline((kPrintableHeight - kFooterHeight) * px,
                                          kFooterHeight * px, regularMetrics)),
                         number);
        // Rules: the dotted grid first, the heading's solid rules over it.
        const double bottom = headingH + double(end - first) * rowH;
        painter.setPen(dotted);
        for (size_t i = first; i <= end; ++i) {
            const double y = headingH + double(i - first) * rowH;
            painter.drawLine(QPointF(0, y), QPointF(width, y));
        }
        for (int d = 0; d <= kDays; ++d) {
            const double x = (kNameWidth + d * kDayWidth) * px;
            painter.drawLine(QPointF(x, 0), QPointF(x, bottom));
        }
        painter.setPen(solid);
        painter.drawLine(QPointF(0, 0), QPointF(width, 0));
        painter.drawLine(QPointF(0, headingH), QPointF(width, headingH));
    }
    painter.end();
    return pages;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    QTemporaryDir folder;
    if (!folder.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    const QString enginePdf = folder.filePath(QStringLiteral("engine.pdf"));
    const QString handPdf = folder.filePath(QStringLiteral("hand.pdf"));
    const std::vector<SheetRow> sheet = sheetRows();
    const TableRows rows = engineRows(sheet);
    const Report layout = sheetLayout();

    // Rounds of both in turn, the best median of each: the machine's other load then
    // weighs on both sides alike.
    int enginePages = 0, handPages = 0;
    double prepareMs = 1e9, engineMs = 1e9, handMs = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        prepareMs = std::min(prepareMs, medianMs(kRuns, [&] {
                                 enginePages = PreparedReport::prepare(layout, rows).pageCount();
                             }));
        engineMs = std::min(engineMs, medianMs(kRuns, [&] {
                                const PreparedReport prepared =
                                    PreparedReport::prepare(layout, rows);
                                prepared.writePdf(enginePdf);
                            }));
        handMs = std::min(handMs, medianMs(kRuns, [&] { handPages = drawByHand(sheet, handPdf); }));
    }

    std::printf("time-sheet, %d rows x %d days, landscape, best median of %d runs in %d rounds\n",
                kRows, kDays, kRuns, kRounds);
    std::printf(
        "  engine (prepare + PDF): %8.1f ms, %d pages, %lld bytes (prepare alone %.1f ms)\n",
        engineMs, enginePages, QFileInfo(enginePdf).size(), prepareMs);
    std::printf("  QPainter by hand:       %8.1f ms, %d pages, %lld bytes\n", handMs, handPages,
                QFileInfo(handPdf).size());
    std::printf("  ratio engine / hand:    %8.2f (target at most 1.3, engine under 1000 ms)\n",
                engineMs / handMs);
    return 0;
}
