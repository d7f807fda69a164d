// A shop's first year against its tenth: about 700,000 and 7,000,000 positions, each in a
// database of its own, measured in the same run. The journal's day, one save with its upkeep
// and a month's rebuild must stay flat (at most 1.2x); the year's report by workers must
// grow with the year it covers, not with the table. Each position has its history row, and the
// saves write theirs.
#include "journal/position.h"
#include "journal/positions.h"
#include "reports/production_reports.h"
#include "tests/support/recording_messages.h"
#include "tests/support/test_database.h"
#include "timesheet/month_rebuild.h"
#include "timing.h"
#include "year_of_positions.h"

#include <QApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {

// The history a shop's years leave: each position's insertion as its trigger records it (the
// bench's years are loaded without the row triggers, as a restore is).
void addHistoryOfPositions(TestDatabase& db) {
    // ten years' rows take longer than the program's statement timeout
    db.exec("set statement_timeout = 0");
    db.exec("insert into accounts_dep.history(at, login, client, subject, action, row_id, "
            "position_id, new) select s.data + time '12:00', 'petrova', 'local', 'smena', "
            "'insert', s.id, s.id, to_jsonb(s) from accounts_dep.smena s order by s.id; "
            "analyze accounts_dep.history");
    db.exec("reset statement_timeout");
}

struct Figures {
    qint64 positions = 0;
    qint64 historyRows = 0;
    double journalMs = 0;
    double saveMs = 0;
    double rebuildMs = 0;
    double yearReportMs = 0;
};

Figures measure(TestDatabase& db, int lastYear, const QString& pdf) {
    OpenConnection connection(db.connectionString());
    Figures f;
    f.positions = db.scalar("select count(*) from accounts_dep.smena").toLongLong();
    f.historyRows = db.scalar("select count(*) from accounts_dep.history").toLongLong();
    const QDate day(lastYear, 6, 15);
    journal::Positions positions(connection);
    data::Dataset& shift = positions.shiftPositions(1);
    shift.setParam("data", day);
    f.journalMs = medianMs(21, [&] {
        shift.close();
        shift.open();
    });
    journal::PositionSaver saver(connection);
    int worker = 0;
    f.saveMs = medianMs(21, [&] {
        journal::Position p;
        p.workerCode = 1001 + (worker++ * 37) % 400;
        p.productId = 1;
        p.operationId = 1;
        p.operationPrice = 1.5f;
        p.quantity = "10";
        p.rejects = "0";
        p.hours = "4";
        p.workDay = day;
        saver.save(p, {false, 1, day});
    });
    f.rebuildMs = medianMs(3, [&] { timesheet::MonthRebuild(connection).run(6, lastYear); });
    WorkersReport workers(connection);
    const auto yearReport = [&] {
        workers.writePdf(
            {QDate(lastYear, 1, 1), QDate(lastYear + 1, 1, 1), reports::ProductKind::All}, pdf);
    };
    yearReport(); // the first reads the year from the disk into the server's cache
    f.yearReportMs = medianMs(5, yearReport);
    return f;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    RecordingMessages messages;
    QTemporaryDir folder;
    TestDatabase oneYear("bench_1y");
    createShopData(oneYear, 1);
    addHistoryOfPositions(oneYear);
    TestDatabase tenYears("bench_10y");
    // ten years that end with this one: a work date may not lie past next year
    createShopData(tenYears, 10, 2017);
    addHistoryOfPositions(tenYears);
    const Figures a = measure(oneYear, 2026, folder.filePath("1y.pdf"));
    const Figures b = measure(tenYears, 2026, folder.filePath("10y.pdf"));
    std::printf("positions: %lld in one year, %lld in ten; history rows before the saves: %lld "
                "and %lld\n",
                a.positions, b.positions, a.historyRows, b.historyRows);
    const auto line = [](const char* what, double one, double ten, const char* target) {
        std::printf("  %-34s %9.1f ms  %9.1f ms  ratio %.2f (%s)\n", what, one, ten, ten / one,
                    target);
    };
    line("journal: one day's shift", a.journalMs, b.journalMs, "target <= 1.2");
    line("one save with its upkeep", a.saveMs, b.saveMs, "target <= 1.2");
    line("rebuild of a month", a.rebuildMs, b.rebuildMs, "target <= 1.2");
    line("the year's report by workers (PDF)", a.yearReportMs, b.yearReportMs, "target <= 1.2");
    return messages.shown.isEmpty() ? 0 : 1;
}
