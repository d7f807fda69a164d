#include "summary_board.h"

#include "reportengine/prepared_report.h"
#include "reportengine/report_definition.h"
#include "ui/cell_colours.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCoreApplication>
#include <QCursor>
#include <QEvent>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QGraphicsRectItem>
#include <QGridLayout>
#include <QHorizontalBarSeries>
#include <QLabel>
#include <QPainter>
#include <QStackedBarSeries>
#include <QToolTip>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <memory>

namespace summary {

namespace {

const QStringList kShiftNames{QStringLiteral("1 смена"), QStringLiteral("2 смена"),
                              QStringLiteral("3 смена"), QStringLiteral("Сверхурочно")};
// an operation's name on its axis; the whole name is in its bar's text
constexpr int kLongestOperationLabel = 42;
// the printed page: its margins, and the title's room above the drawing
constexpr double kPageMarginMm = 10;
constexpr int kTitleHeight = report::mm(10);
// the printed drawing is made at twice the picture's pixels, sharp on paper
constexpr int kPrintScale = 2;

// The charts' colours, made from the palette: bars in the highlight's hue turned round the
// colour wheel, each dark or light enough to stand out from the chart's base; weekends
// shaded in the time-sheet's red, as a tint the palette's text reads on.
struct ChartColours {
    QColor background;
    QColor text;
    QColor grid;
    QColor weekend;
    std::array<QColor, kShifts> bars;
};

ChartColours coloursOf(const QPalette& palette) {
    ChartColours c;
    c.background = palette.color(QPalette::Base);
    c.text = palette.color(QPalette::Text);
    c.grid = palette.color(QPalette::Mid);
    c.weekend = ui::tintFor(QColor(255, 224, 224), palette);
    const QColor highlight = palette.color(QPalette::Highlight);
    const int hue = std::max(0, highlight.hslHue());
    const std::array<int, kShifts> turns{0, 150, 240, 60};
    for (size_t i = 0; i < c.bars.size(); ++i) {
        const QColor turned =
            QColor::fromHsl((hue + turns[i]) % 360, std::max(140, highlight.hslSaturation()), 120);
        c.bars[i] = ui::readableOn(turned, c.background);
    }
    return c;
}

QValueAxis* valueAxis(const ChartColours& colours, double largest) {
    // at most four steps of 1, 2, 2.5 or 5 times a power of ten: a chart a third of a
    // laptop's screen high still has room for every number
    double step = 1;
    if (largest > 0) {
        const double raw = largest / 4;
        const double power = std::pow(10.0, std::floor(std::log10(raw)));
        for (const double m : {1.0, 2.0, 2.5, 5.0, 10.0})
            if ((step = m * power) >= raw)
                break;
    }
    const int steps = std::max(1, int(std::ceil(largest / step - 1e-9)));
    auto* axis = new QValueAxis;
    axis->setRange(0, steps * step);
    axis->setTickCount(steps + 1);
    const int decimals = step >= 1 && step == std::floor(step) ? 0
                         : step * 10 == std::floor(step * 10)  ? 1
                                                               : 2;
    axis->setLabelFormat(QStringLiteral("%.") + QString::number(decimals) + u'f');
    axis->setLabelsColor(colours.text);
    axis->setGridLineColor(colours.grid);
    axis->setLinePenColor(colours.grid);
    return axis;
}

QBarCategoryAxis* categoryAxis(const ChartColours& colours, const QStringList& categories) {
    auto* axis = new QBarCategoryAxis;
    axis->append(categories);
    axis->setLabelsColor(colours.text);
    axis->setTitleBrush(colours.text);
    axis->setGridLineVisible(false);
    axis->setLinePenColor(colours.grid);
    return axis;
}

// The days under a chart, bar i over day i + 1: every day's number where they fit side by
// side, else every second or the fifths, chosen again whenever the plot area changes width.
QCategoryAxis* dayAxis(QChart* chart, const ChartColours& colours, const QFont& font, int days) {
    auto* axis = new QCategoryAxis;
    axis->setRange(-0.5, days - 0.5);
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    axis->setLabelsFont(font);
    axis->setLabelsColor(colours.text);
    axis->setTitleBrush(colours.text);
    axis->setGridLineVisible(false);
    axis->setLinePenColor(colours.grid);
    chart->addAxis(axis, Qt::AlignBottom);
    const double room = QFontMetricsF(font).horizontalAdvance(QStringLiteral("30")) * 1.8;
    auto step = std::make_shared<int>(0);
    const auto label = [axis, days, room, step](const QRectF& area) {
        if (days == 0 || area.width() <= 0)
            return;
        const double perDay = area.width() / days;
        const int wanted = perDay >= room ? 1 : 2 * perDay >= room ? 2 : 5;
        if (wanted == *step)
            return;
        *step = wanted;
        for (const QString& old : axis->categoriesLabels())
            axis->remove(old);
        for (int day = 1; day <= days; ++day)
            if (wanted == 2 ? day % 2 == 1 : wanted == 1 || day == 1 || day % wanted == 0)
                axis->append(QString::number(day), day - 1);
    };
    QObject::connect(chart, &QChart::plotAreaChanged, axis, label);
    label(chart->plotArea());
    return axis;
}

QChart* newChart(const QString& title, const ChartColours& colours, const QFont& font) {
    auto* chart = new QChart;
    chart->setLocale(QLocale(QLocale::Russian, QLocale::Russia));
    chart->setLocalizeNumbers(true);
    chart->setBackgroundBrush(colours.background);
    chart->setBackgroundRoundness(0);
    chart->setTitle(title);
    QFont titleFont = font;
    titleFont.setBold(true);
    chart->setTitleFont(titleFont);
    chart->setTitleBrush(colours.text);
    chart->setMargins(QMargins(2, 0, 4, 0));
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    chart->legend()->setLabelColor(colours.text);
    chart->legend()->setFont(font);
    return chart;
}

QString shortened(const QString& text) {
    return text.size() <= kLongestOperationLabel
               ? text
               : text.left(kLongestOperationLabel - 1).trimmed() + QChar(0x2026);
}

void replaceChart(QChartView* view, QChart* chart) {
    QChart* old = view->chart();
    view->setChart(chart);
    delete old; // the view gives the old one up, it does not delete it
}

} // namespace

SummaryBoard::SummaryBoard(QWidget* parent)
    : QWidget(parent), title_(new QLabel(this)), kind_(new QLabel(this)),
      piecesView_(new QChartView(this)), sumView_(new QChartView(this)),
      hoursView_(new QChartView(this)), operationsView_(new QChartView(this)),
      totals_(new QLabel(this)) {
    setObjectName(QStringLiteral("summaryBoard"));
    title_->setObjectName(QStringLiteral("summaryTitle"));
    kind_->setObjectName(QStringLiteral("summaryKind"));
    QFont titleFont = title_->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    title_->setFont(titleFont);
    totals_->setObjectName(QStringLiteral("summaryTotals"));
    totals_->setTextFormat(Qt::RichText);
    totals_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    totals_->setWordWrap(true);
    for (QChartView* view : {piecesView_, sumView_, hoursView_, operationsView_}) {
        view->setRenderHint(QPainter::Antialiasing);
        view->setFrameShape(QFrame::NoFrame);
        view->setMinimumSize(200, 120);
        view->setFocusPolicy(Qt::TabFocus); // a screen reader reaches each chart by Tab
    }
    piecesView_->setObjectName(QStringLiteral("piecesChart"));
    sumView_->setObjectName(QStringLiteral("sumChart"));
    hoursView_->setObjectName(QStringLiteral("hoursChart"));
    operationsView_->setObjectName(QStringLiteral("operationsChart"));

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->addWidget(title_, 0, 0);
    grid->addWidget(kind_, 0, 1, Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(piecesView_, 1, 0);
    grid->addWidget(sumView_, 2, 0);
    grid->addWidget(hoursView_, 3, 0);
    grid->addWidget(operationsView_, 1, 1, 2, 1);
    grid->addWidget(totals_, 3, 1);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    // the hours' chart holds its legend and the month's name too: a little more room for it
    grid->setRowStretch(1, 4);
    grid->setRowStretch(2, 4);
    grid->setRowStretch(3, 5);
    rebuildCharts();
}

void SummaryBoard::showSummary(const MonthSummary& summary) {
    summary_ = summary;
    rebuildCharts();
}

void SummaryBoard::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange)
        rebuildCharts(); // the charts' colours and fonts are made from the board's
}

QChart* SummaryBoard::dayChart(QChartView* view, const QString& title) {
    QChart* chart = newChart(title, coloursOf(palette()), font());
    replaceChart(view, chart);
    return chart;
}

// Weekends behind the bars: a band over each Saturday's and Sunday's category, laid again
// whenever the plot area moves.
void SummaryBoard::shadeWeekends(QChart* chart) {
    const QColor colour = coloursOf(palette()).weekend;
    std::vector<int> weekends;
    for (size_t i = 0; i < summary_.days.size(); ++i)
        if (summary_.days[i].weekend())
            weekends.push_back(int(i));
    const int days = int(summary_.days.size());
    auto bands = std::make_shared<std::vector<QGraphicsRectItem*>>();
    for (size_t i = 0; i < weekends.size(); ++i) {
        auto* band = new QGraphicsRectItem(chart);
        band->setBrush(colour);
        band->setPen(Qt::NoPen);
        band->setZValue(-0.5);
        bands->push_back(band);
    }
    const auto place = [chart, bands, weekends, days](const QRectF& area) {
        if (days == 0)
            return;
        const double width = area.width() / days;
        for (size_t i = 0; i < weekends.size(); ++i)
            (*bands)[i]->setRect(area.left() + weekends[i] * width, area.top(), width,
                                 area.height());
    };
    connect(chart, &QChart::plotAreaChanged, chart, place);
    place(chart->plotArea());
}

QString SummaryBoard::barText(const QBarSet* set, int index) const {
    if (!set || index < 0)
        return {};
    if (set == operations_) {
        const int rank = int(summary_.topOperations.size()) - 1 - index;
        if (rank < 0 || rank >= int(summary_.topOperations.size()))
            return {};
        const OperationFigures& op = summary_.topOperations[size_t(rank)];
        return QStringLiteral("%1. %2: %3 руб., %4 шт.")
            .arg(rank + 1)
            .arg(op.name, moneyText(op.sum), piecesText(op.goodPieces));
    }
    if (index >= int(summary_.days.size()))
        return {};
    const DayFigures& day = summary_.days[size_t(index)];
    const QString date = dayText(day.date) + (day.weekend() ? QStringLiteral(" (выходной)") : "");
    if (set == pieces_)
        return date + QStringLiteral(": годных %1 шт.").arg(piecesText(day.goodPieces));
    if (set == sums_)
        return date + QStringLiteral(": сдельно %1 руб.").arg(moneyText(day.sum));
    for (size_t shift = 0; shift < hours_.size(); ++shift)
        if (set == hours_[shift])
            return date + QStringLiteral(", %1: %2 ч")
                              .arg(kShiftNames[int(shift)], hoursText(day.hours[shift]));
    return {};
}

// Hovering shows the bar's text; a click on a day's bar says which day.
void SummaryBoard::watchBars(QBarSet* set, QChartView* view, bool days) {
    connect(set, &QBarSet::hovered, view, [this, set, view](bool on, int index) {
        if (on)
            QToolTip::showText(QCursor::pos(), barText(set, index), view);
        else
            QToolTip::hideText();
    });
    if (days)
        connect(set, &QBarSet::clicked, this, [this](int index) {
            if (index >= 0 && index < int(summary_.days.size()))
                emit dayClicked(summary_.days[size_t(index)].date);
        });
}

// A chart is a picture to a screen reader: its name is the title, its description every bar.
void SummaryBoard::describe(QChartView* view, const QList<QBarSet*>& sets) {
    QStringList lines;
    for (QBarSet* set : sets) {
        // the operations from the largest, which is drawn at the top and stored last
        const bool downwards = set == operations_;
        for (int n = 0; n < set->count(); ++n)
            lines.append(barText(set, downwards ? set->count() - 1 - n : n));
    }
    view->setAccessibleName(view->chart()->title());
    view->setAccessibleDescription(lines.isEmpty() ? QStringLiteral("Нет позиций")
                                                   : lines.join(QStringLiteral(";\n")));
}

void SummaryBoard::rebuildCharts() {
    const ChartColours colours = coloursOf(palette());
    const QFont chartFont = font();
    const bool any = summary_.month > 0;
    title_->setText(any ? summary_.title() : QStringLiteral("Сводка месяца"));
    kind_->setText(any ? summary_.kindText() : QString());

    const int dayCount = int(summary_.days.size());
    double mostPieces = 0, mostSum = 0, mostHours = 0;
    for (const DayFigures& day : summary_.days) {
        mostPieces = std::max(mostPieces, day.goodPieces);
        mostSum = std::max(mostSum, day.sum);
        double hours = 0;
        for (double h : day.hours)
            hours += h;
        mostHours = std::max(mostHours, hours);
    }
    QFont dayFont = chartFont;
    dayFont.setPointSizeF(chartFont.pointSizeF() * 0.8);
    const QString dayAxisTitle =
        any ? monthText(summary_.month, summary_.year) + QStringLiteral(", выходные затенены")
            : QString();

    // good pieces, then the sum, by day
    const auto dayBars = [&](QChartView* view, const QString& title, QBarSet*& set,
                             const QString& name, double largest, const QColor& colour,
                             auto valueOf) {
        QChart* chart = dayChart(view, title);
        auto* series = new QBarSeries;
        set = new QBarSet(name);
        set->setColor(colour);
        set->setBorderColor(colour);
        for (const DayFigures& day : summary_.days)
            set->append(valueOf(day));
        series->append(set);
        series->setBarWidth(0.7);
        chart->addSeries(series);
        QCategoryAxis* x = dayAxis(chart, colours, dayFont, dayCount);
        QValueAxis* y = valueAxis(colours, largest);
        y->setLabelsFont(chartFont);
        chart->addAxis(y, Qt::AlignLeft);
        series->attachAxis(x);
        series->attachAxis(y);
        chart->legend()->hide();
        shadeWeekends(chart);
        watchBars(set, view, true);
        describe(view, {set});
    };
    dayBars(piecesView_, QStringLiteral("Годные изделия по дням, шт."), pieces_,
            QStringLiteral("Годные, шт."), mostPieces, colours.bars[0],
            [](const DayFigures& d) { return d.goodPieces; });
    dayBars(sumView_, QStringLiteral("Сдельная сумма по дням, руб."), sums_,
            QStringLiteral("Сумма, руб."), mostSum, colours.bars[2],
            [](const DayFigures& d) { return d.sum; });

    // hours by shift, stacked
    {
        QChart* chart = dayChart(hoursView_, QStringLiteral("Часы по сменам, ч"));
        auto* series = new QStackedBarSeries;
        for (size_t shift = 0; shift < hours_.size(); ++shift) {
            hours_[shift] = new QBarSet(kShiftNames[int(shift)]);
            hours_[shift]->setColor(colours.bars[shift]);
            hours_[shift]->setBorderColor(colours.bars[shift]);
            for (const DayFigures& day : summary_.days)
                hours_[shift]->append(day.hours[shift]);
            series->append(hours_[shift]);
        }
        series->setBarWidth(0.7);
        chart->addSeries(series);
        // the month's name once, under the lowest of the three
        QCategoryAxis* x = dayAxis(chart, colours, dayFont, dayCount);
        x->setTitleText(dayAxisTitle);
        x->setTitleFont(chartFont);
        QValueAxis* y = valueAxis(colours, mostHours);
        y->setLabelsFont(chartFont);
        chart->addAxis(y, Qt::AlignLeft);
        series->attachAxis(x);
        series->attachAxis(y);
        chart->legend()->setAlignment(Qt::AlignTop); // the days under the others' days
        chart->legend()->setFont(dayFont);
        shadeWeekends(chart);
        for (QBarSet* set : hours_)
            watchBars(set, hoursView_, true);
        describe(hoursView_, {hours_.begin(), hours_.end()});
    }

    // the ten operations, the largest at the top
    {
        QChart* chart = newChart(QStringLiteral("Десять операций с наибольшей суммой, руб."),
                                 colours, chartFont);
        replaceChart(operationsView_, chart);
        auto* series = new QHorizontalBarSeries;
        operations_ = new QBarSet(QStringLiteral("Сумма, руб."));
        operations_->setColor(colours.bars[0]);
        operations_->setBorderColor(colours.bars[0]);
        QStringList names;
        double largest = 0;
        const int count = int(summary_.topOperations.size());
        for (int rank = count - 1; rank >= 0; --rank) {
            const OperationFigures& op = summary_.topOperations[size_t(rank)];
            names.append(shortened(QStringLiteral("%1. %2").arg(rank + 1).arg(op.name)));
            operations_->append(op.sum);
            largest = std::max(largest, op.sum);
        }
        series->append(operations_);
        series->setBarWidth(0.7);
        chart->addSeries(series);
        QBarCategoryAxis* y = categoryAxis(colours, names);
        y->setLabelsFont(chartFont);
        QValueAxis* x = valueAxis(colours, largest);
        x->setLabelsFont(chartFont);
        x->setLabelsAngle(-30);
        chart->addAxis(y, Qt::AlignLeft);
        chart->addAxis(x, Qt::AlignBottom);
        series->attachAxis(x);
        series->attachAxis(y);
        chart->legend()->hide();
        watchBars(operations_, operationsView_, false);
        describe(operationsView_, {operations_});
    }
    fillTotals();
}

void SummaryBoard::fillTotals() {
    std::array<double, kShifts> byShift{};
    int workingDays = 0;
    for (const DayFigures& day : summary_.days) {
        for (size_t s = 0; s < byShift.size(); ++s)
            byShift[s] += day.hours[s];
        if (day.goodPieces != 0 || day.sum != 0)
            ++workingDays;
    }
    QString rows;
    const auto row = [&rows](const QString& name, const QString& value, bool indented = false) {
        rows +=
            QStringLiteral("<tr><td>%1%2</td><td align=\"right\">&nbsp;&nbsp;<b>%3</b></td></tr>")
                .arg(indented ? QStringLiteral("&nbsp;&nbsp;&nbsp;") : QString(),
                     name.toHtmlEscaped(), value.toHtmlEscaped());
    };
    row(QStringLiteral("Годных изделий, шт."), piecesText(summary_.goodPieces));
    row(QStringLiteral("Сдельная сумма, руб."), moneyText(summary_.sum));
    row(QStringLiteral("Часов, всего"), hoursText(summary_.hours));
    for (size_t s = 0; s < byShift.size(); ++s)
        row(kShiftNames[int(s)], hoursText(byShift[s]), true);
    row(QStringLiteral("Дней с выпуском"), QString::number(workingDays));
    totals_->setText(QStringLiteral("<b>Итого за месяц</b><table>") + rows +
                     QStringLiteral("</table>"));
}

QPalette paperPalette() {
    QPalette p(Qt::black, Qt::white);
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::Window, Qt::white);
    p.setColor(QPalette::Text, Qt::black);
    p.setColor(QPalette::WindowText, Qt::black);
    p.setColor(QPalette::Mid, QColor(160, 160, 160));
    p.setColor(QPalette::Highlight, QColor(48, 140, 198));
    return p;
}

namespace {

// A board that is never shown on a screen, laid out at size in the paper palette and the
// printed reports' font, so every process draws it alike.
std::unique_ptr<SummaryBoard> paperBoard(const MonthSummary& summary, const QSize& size) {
    auto board = std::make_unique<SummaryBoard>();
    board->setAttribute(Qt::WA_DontShowOnScreen);
    board->setPalette(paperPalette());
    board->setFont(QFont(report::kDefaultFontFamily, 9));
    board->showSummary(summary);
    board->resize(size);
    board->show();
    board->layout()->activate();
    // the charts lay out their axes and legends on posted events
    QCoreApplication::sendPostedEvents();
    return board;
}

QImage drawn(SummaryBoard& board, int scale) {
    QImage image(board.size() * scale, QImage::Format_RGB32);
    image.fill(board.palette().color(QPalette::Window));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
    board.render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    painter.end();
    return image;
}

} // namespace

QImage picture(const MonthSummary& summary) {
    const std::unique_ptr<SummaryBoard> board = paperBoard(summary, kPictureSize);
    QImage image = drawn(*board, 1);
    image.setText(QStringLiteral("Title"), summary.title());
    return image;
}

report::PreparedReport printedSummary(const MonthSummary& summary) {
    const QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                             QMarginsF(kPageMarginMm, kPageMarginMm, kPageMarginMm, kPageMarginMm),
                             QPageLayout::Millimeter);
    const QRectF area = layout.paintRect(QPageLayout::Millimeter);
    const QRect page(0, 0, report::mm(area.width()), report::mm(area.height()));

    // the drawing without its own title and kind, which the page prints as text
    const std::unique_ptr<SummaryBoard> board = paperBoard(summary, kPictureSize);
    board->findChild<QLabel*>(QStringLiteral("summaryTitle"))->setText(QString());
    board->findChild<QLabel*>(QStringLiteral("summaryKind"))->setText(QString());
    const QImage image = drawn(*board, kPrintScale);

    report::Page sheet;
    report::Font titleFont{.pointSize = 14, .bold = true};
    sheet.texts.push_back({.position = QPointF(0, report::mm(6)),
                           .font = 0,
                           .color = Qt::black,
                           .text = summary.title() + QStringLiteral(" · ") + summary.kindText()});
    QRect room = page.adjusted(0, kTitleHeight, 0, 0);
    const QSize fitted = kPictureSize.scaled(room.size(), Qt::KeepAspectRatio);
    room = QRect(room.left() + (room.width() - fitted.width()) / 2, room.top(), fitted.width(),
                 fitted.height());
    sheet.drawings.push_back({.rect = room, .image = image});
    report::PreparedReport printed = report::PreparedReport::ofPages(layout, {titleFont}, {sheet});
    printed.setTitle(summary.title());
    return printed;
}

QString pictureFileName(const MonthSummary& summary) {
    QString name = QStringLiteral("Сводка %1.%2")
                       .arg(summary.month, 2, 10, QLatin1Char('0'))
                       .arg(summary.year);
    if (summary.kind != data::ProductKind::All)
        name += QStringLiteral(", ") + summary.kindText().toLower();
    return name + QStringLiteral(".png");
}

} // namespace summary
