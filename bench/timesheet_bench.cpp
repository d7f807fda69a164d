// The hours time-sheet of a month with 1,000 workers and about 60,000 positions, entered day
// after day as a shop enters them: the
// program's rebuild against the cell-by-cell rebuild on the same data, and the month's export
// to a spreadsheet.
#include "data/connection.h"
#include "seams/messages.h"
#include "spreadsheet/spreadsheet.h"
#include "tests/support/per_cell_rebuild.h"
#include "tests/support/recording_launcher.h"
#include "tests/support/recording_messages.h"
#include "tests/support/scripted_modal_runner.h"
#include "tests/support/test_database.h"
#include "timesheet/month_rebuild.h"
#include "timesheet/printed_timesheet.h"
#include "timesheet/timesheet_data.h"
#include "timesheet/timesheet_window.h"
#include "timing.h"

#include <QApplication>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    RecordingMessages messages;
    TestDatabase db("bench_timesheet");
    db.exec(R"(
        insert into cmn_contractor.person(id, s_code, s_caption)
          select g, (1000 + g)::text, 'Работник ' || lpad(g::text, 4, '0') from generate_series(1, 1000) g;
        insert into accounts_dep.vid_oper(id, vid) values (1, 'Сборка');
        insert into accounts_dep.oper(id, i_id, vid) values (1, 1, 1);
        insert into accounts_dep.smena(data, smena, w_id, i_id, o_id, kol_vo, time)
          select date '2026-03-01' + g / 1936, 1 + (g % 1936) / 1000 + (g % 1936 % 3 = 0)::int,
                 1001 + (g % 1936) % 1000, 1, 1, 1, 1 + g % 9
          from generate_series(0, 59999) g;
        analyze;
    )");
    data::Connection connection;
    connection.setConnectionString(db.connectionString());
    connection.open();

    // the month's rows, every day of them, in one hash
    QString days;
    for (int day = 1; day <= 31; ++day)
        days += QStringLiteral(", d%1").arg(day);
    const QString rowsHash =
        QStringLiteral("select md5(string_agg(concat_ws(' ', w_id, smena") + days +
        QStringLiteral("), '|' order by w_id, smena)) from accounts_dep.h_tabel");

    const double perCellMs = medianMs(1, [&] { rebuildMonthCellByCell(db.sys(), 3, 2026); });
    const QString reference = db.scalar(rowsHash);
    const double programMs = medianMs(5, [&] { timesheet::MonthRebuild(connection).run(3, 2026); });
    const QString rebuilt = db.scalar(rowsHash);
    const int rows = db.scalar("select count(*) from accounts_dep.h_tabel").toInt();
    std::printf("rebuild of a month (60000 positions, %d rows): the program %.1f ms, cell by cell "
                "%.0f ms (%.0fx faster, target >= 100x and under 100 ms); same rows: %s\n",
                rows, programMs, perCellMs, perCellMs / programMs,
                reference == rebuilt ? "yes" : "NO");

    // the export through the window's button
    ScriptedModalRunner modal;
    RecordingLauncher launcher;
    QTemporaryDir folder;
    spreadsheet::setOutputFolder(folder.path());
    PrintedTimesheet printed(connection);
    timesheet::TimesheetData data(connection);
    TimesheetWindow window(data, printed);
    double exportMs = 0;
    modal.then([&](QDialog* d) {
        exportMs = medianMs(3, [&] { d->findChild<QPushButton*>("exportButton")->click(); });
    });
    window.openForMonth(QDate(2026, 3, 1));
    std::printf("export of the month (1000 workers x 33 cells) through \"Excel\": %.0f ms\n",
                exportMs);

    // the printed time-sheet of the month straight to a PDF (its preview prepares the same)
    const QString pdf = folder.filePath("timesheet.pdf");
    const double printMs =
        medianMs(3, [&] { printed.writePdf(3, 2026, QStringLiteral("Март 2026 г."), pdf); });
    std::printf("printed time-sheet of 1000 workers to PDF (%lld KB): %.0f ms (target under 1 s; "
                "the engine against bare QPainter: report_engine_bench)\n",
                static_cast<long long>(QFileInfo(pdf).size() / 1024), printMs);
    return messages.shown.isEmpty() ? 0 : 1;
}
