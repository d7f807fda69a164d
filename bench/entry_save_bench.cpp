// One "Запись" of a new position in the entry dialog (the insert, the time-sheet upkeep, the
// journal's list read again and the material list opened) on a year of about 700,000
// positions, against the same statements sent bare through libpq in the same run (both write
// the position's history through its trigger), and against the same save with the history
// trigger disabled.
#include "bare_statement.h"
#include "data/statement.h"
#include "data/statement_files.h"
#include "journal/hours_upkeep.h"
#include "journal/position.h"
#include "seams/clock.h"
#include "tests/support/position_editor_harness.h"
#include "tests/support/recording_messages.h"
#include "tests/support/scripted_modal_runner.h"
#include "tests/support/test_database.h"
#include "timing.h"
#include "year_of_positions.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QPushButton>

#include <libpq-fe.h>

#include <cstdio>
#include <vector>

namespace {

const QDate kDay(2026, 6, 15);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    RecordingMessages messages;
    ScriptedModalRunner modal;
    TestDatabase db("bench_save");
    createShopData(db);
    seams::Clock::setFixedToday(kDay);

    OpenConnection connection(db.connectionString());
    FakeJournal journal(connection);
    journal.date = kDay;
    journal.login.userName = "petrova";
    journal.positions.readDay(kDay);
    EntryWindows windows(connection);
    PositionEditor& entry = windows.entry;

    // One save of each in turn, so a slow moment of the disk (every save ends in a commit)
    // falls on both sides alike. The program: "Запись" in the dialog, the header filled
    // beforehand (not timed); the bare side: the same statements through libpq alone.
    PGconn* conn = db.sys().handle();
    const data::ParsedSql shiftSql =
        data::parseNamedParameters(journal.positions.shiftPositions(1).sql());
    const data::ParsedSql materialsSql =
        data::parseNamedParameters(data::statementText("journal/position_materials"));
    const data::ParsedSql insertSql =
        data::parseNamedParameters(data::statementText("journal/insert_position"));
    const data::ParsedSql setDay = data::parseNamedParameters(journal::HoursUpkeep::setDaySql());
    const int runs = 41;
    // "Запись" of a new position for the worker: the header filled beforehand, the click timed
    const auto saveThroughDialog = [&](int workerCode, std::vector<double>& times) {
        modal.then([&](QDialog* d) {
            fillEntryHeader(modal, d,
                            {.requisition = 7000001,
                             .line = 7100001,
                             .worker =
                                 [&](QDialog* list) {
                                     return shownList(list, "workersView")
                                         .locate("id", QString::number(workerCode));
                                 },
                             .quantity = "12,5",
                             .hours = "4"});
            QElapsedTimer timer;
            timer.start();
            entryChild<QPushButton>(d, "saveHeaderButton")->click();
            times.push_back(double(timer.nsecsElapsed()) / 1e6);
        });
        journal.add(entry);
        if (messages.shown.isEmpty())
            return true;
        std::fprintf(stderr, "the dialog said: %s\n", qPrintable(messages.shown.first().text));
        return false;
    };
    // The same save without the history: the position's history trigger disabled by the
    // superuser around it (not timed); every other trigger is there on both sides.
    const auto keepHistory = [&](bool on) {
        db.exec(QStringLiteral("alter table accounts_dep.smena %1 trigger history")
                    .arg(on ? "enable" : "disable"));
    };
    std::vector<double> program, libpq, withoutHistory;
    for (int i = 0; i < runs; ++i) {
        // workers of one hour a position (codes 1001 + 8k and 1005 + 8k), whose day stays below
        // 24 hours with these saves
        if (!saveThroughDialog(1001 + 8 * (i % 50), program))
            return 1;

        journal::Position p;
        p.workerCode = 1001 + (i * 7) % 300;
        p.productId = 1;
        p.operationId = 1;
        p.operationPrice = 1.5f;
        p.quantity = "12,5";
        p.rejects = "0";
        p.hours = "4";
        p.workDay = kDay;
        p.requisitionId = 7000001;
        p.requisitionLineId = 7100001;
        QHash<QString, QByteArray> bound;
        for (const auto& [name, value] : journal::positionValues(p, {false, 1, kDay}))
            bound.insert(name, data::parameterText(value));
        std::vector<QByteArray> insertValues;
        for (const QString& name : insertSql.names)
            insertValues.push_back(bound.value(name));
        QElapsedTimer timer;
        timer.start();
        PQclear(PQexec(conn, "begin")); // the position and its cell are one transaction
        const QByteArray id = runBare(conn, insertSql, insertValues).text(0, 0);
        runBare(conn, setDay, {QByteArray::number(p.workerCode), "1", "2026-06-15", "true"});
        PQclear(PQexec(conn, "commit"));
        runBare(conn, shiftSql, {"2026-06-15", "ta"});
        runBare(conn, materialsSql, {id});
        libpq.push_back(double(timer.nsecsElapsed()) / 1e6);

        keepHistory(false);
        const bool saved = saveThroughDialog(1005 + 8 * (i % 50), withoutHistory);
        keepHistory(true);
        if (!saved)
            return 1;
    }
    const double programMs = median(program), libpqMs = median(libpq);
    std::printf("one \"Запись\" of a new position among %s positions, median of %d: the dialog "
                "%.2f ms, the same statements through libpq %.2f ms (ratio %.2f, target <= 1.30; "
                "target under 20 ms)\n",
                qPrintable(db.scalar("select count(*) from accounts_dep.smena")), runs, programMs,
                libpqMs, programMs / libpqMs);
    const double plainMs = median(withoutHistory);
    std::printf("the same \"Запись\" with the history %.2f ms, without it %.2f ms (ratio %.2f, "
                "target <= 1.30); history rows now %s\n",
                programMs, plainMs, programMs / plainMs,
                qPrintable(db.scalar("select count(*) from accounts_dep.history")));
    return 0;
}
