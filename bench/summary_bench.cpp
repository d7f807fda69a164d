// "Сводка месяца" over a year of about 700,000 positions: the window opened on a month (its
// statements read through the data layer, its four charts built and the window painted),
// against the bare statements of the same numbers through libpq and the same four charts
// built by hand with Qt Charts and painted at the same size. Prints its figures; asserts
// nothing.
#include "bare_statement.h"
#include "data/connection.h"
#include "data/statement_files.h"
#include "summary/month_summary.h"
#include "summary/summary_window.h"
#include "tests/support/recording_messages.h"
#include "tests/support/scripted_modal_runner.h"
#include "tests/support/test_database.h"
#include "timing.h"
#include "year_of_positions.h"

#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QGridLayout>
#include <QHorizontalBarSeries>
#include <QLabel>
#include <QStackedBarSeries>
#include <QValueAxis>

#include <libpq-fe.h>

#include <cstdio>

namespace {

constexpr int kRuns = 7;
const QDate kMonth(2026, 11, 1);
const QSize kWindowSize(1366, 740);

BareResult runForMonth(PGconn* connection, const QString& name) {
    const data::ParsedSql statement = data::parseNamedParameters(data::statementText(name));
    std::vector<QByteArray> values;
    for (const QString& param : statement.names)
        values.push_back(param == u"period_from" ? kMonth.toString(Qt::ISODate).toLatin1()
                         : param == u"period_to"
                             ? kMonth.addMonths(1).toString(Qt::ISODate).toLatin1()
                             : QByteArray("0"));
    return runBare(connection, statement, values);
}

QChartView* barChart(QAbstractBarSeries* series, const QStringList& categories, bool horizontal) {
    auto* chart = new QChart;
    chart->addSeries(series);
    auto* categoryAxis = new QBarCategoryAxis;
    categoryAxis->append(categories);
    auto* valueAxis = new QValueAxis;
    chart->addAxis(categoryAxis, horizontal ? Qt::AlignLeft : Qt::AlignBottom);
    chart->addAxis(valueAxis, horizontal ? Qt::AlignBottom : Qt::AlignLeft);
    series->attachAxis(categoryAxis);
    series->attachAxis(valueAxis);
    auto* view = new QChartView(chart);
    return view;
}

// The bare statements and the four charts by hand, on a widget of the window's size.
void byHand(PGconn* connection) {
    const BareResult days = runForMonth(connection, QStringLiteral("summary/days"));
    const BareResult top = runForMonth(connection, QStringLiteral("summary/top_operations"));
    const int count = kMonth.daysInMonth();
    const auto length = static_cast<size_t>(count);
    std::vector<double> pieces(length), sums(length);
    std::vector<std::array<double, 4>> hours(length);
    const int day = days.column("day"), shift = days.column("shift"), kolvo = days.column("pieces"),
              summa = days.column("summa"), time = days.column("hours");
    for (int r = 0; r < days.rows(); ++r) {
        const int d = QDate::fromString(QString::fromLatin1(days.text(r, day)), Qt::ISODate).day();
        pieces[size_t(d - 1)] += days.number(r, kolvo);
        sums[size_t(d - 1)] += days.number(r, summa);
        hours[size_t(d - 1)][size_t(std::atoi(days.text(r, shift)) - 1)] += days.number(r, time);
    }
    QStringList categories;
    for (int d = 1; d <= count; ++d)
        categories.append(QString::number(d));

    QWidget board;
    board.setAttribute(Qt::WA_DontShowOnScreen);
    auto* grid = new QGridLayout(&board);
    auto* pieceSet = new QBarSet("Годные");
    auto* sumSet = new QBarSet("Сумма");
    for (int d = 0; d < count; ++d) {
        pieceSet->append(pieces[size_t(d)]);
        sumSet->append(sums[size_t(d)]);
    }
    auto* pieceSeries = new QBarSeries;
    pieceSeries->append(pieceSet);
    auto* sumSeries = new QBarSeries;
    sumSeries->append(sumSet);
    auto* hourSeries = new QStackedBarSeries;
    for (size_t s = 0; s < 4; ++s) {
        auto* set = new QBarSet(QString::number(s + 1));
        for (int d = 0; d < count; ++d)
            set->append(hours[size_t(d)][s]);
        hourSeries->append(set);
    }
    auto* topSet = new QBarSet("Сумма");
    QStringList names;
    for (int r = top.rows() - 1; r >= 0; --r) {
        names.append(QString::number(r + 1) + ". " + QString::fromUtf8(top.text(r, 0)) + " — " +
                     QString::fromUtf8(top.text(r, 1)));
        topSet->append(top.number(r, top.column("summa")));
    }
    auto* topSeries = new QHorizontalBarSeries;
    topSeries->append(topSet);
    grid->addWidget(new QLabel("Сводка месяца"), 0, 0);
    grid->addWidget(barChart(pieceSeries, categories, false), 1, 0);
    grid->addWidget(barChart(sumSeries, categories, false), 2, 0);
    grid->addWidget(barChart(hourSeries, categories, false), 3, 0);
    grid->addWidget(barChart(topSeries, names, true), 1, 1, 2, 1);
    grid->addWidget(new QLabel("Итого"), 3, 1);
    board.resize(kWindowSize);
    board.show();
    board.grab();
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    RecordingMessages messages;
    ScriptedModalRunner modal;

    TestDatabase db("bench_summary");
    std::printf("creating a year of positions...\n");
    std::fflush(stdout);
    createShopData(db);
    db.exec(QStringLiteral("vacuum analyze accounts_dep.smena"));
    const int positions = db.scalar("select count(*) from accounts_dep.smena").toInt();
    OpenConnection connection(db.connectionString());
    PGconn* bare = db.sys().handle();

    summary::SummaryData data(connection);
    summary::SummaryWindow window(data);
    window.resize(kWindowSize);
    const auto open = [&] {
        modal.then([](QDialog* shown) { shown->grab(); }); // painted, as a person sees it
        window.openForMonth(kMonth);
    };
    // warm both: the statements' plans, the fonts, the charts' first use
    open();
    byHand(bare);

    double program = 1e9, hand = 1e9;
    for (int round = 0; round < 2; ++round) { // the best median of two rounds, taken in turn
        program = std::min(program, medianMs(kRuns, open));
        hand = std::min(hand, medianMs(kRuns, [&] { byHand(bare); }));
    }
    const double ratio = program / hand;
    std::printf("%d positions, the month %02d.%d, median of %d runs (best of 2 rounds)\n",
                positions, kMonth.month(), kMonth.year(), kRuns);
    std::printf("  the window opened on the month %7.1f ms (target under 300 ms: %s)\n", program,
                program < 300 ? "met" : "MISSED");
    std::printf("  bare libpq + the charts by hand %7.1f ms\n", hand);
    std::printf("  ratio %.2fx (target within 1.3x: %s)\n", ratio, ratio <= 1.3 ? "met" : "MISSED");
    return 0;
}
