// The month's rebuild: the rows it writes equal those of the cell-by-cell rebuild on a month
// with all four shifts; a failure half-way leaves the month as it was; a save on another
// workstation during a rebuild is not lost.
#include "data/command.h"
#include "data/connection.h"
#include "data/data_error.h"
#include "data/dataset.h"
#include "journal/hours_upkeep.h"
#include "tests/support/per_cell_rebuild.h"
#include "tests/support/recording_messages.h"
#include "tests/support/test_database.h"
#include "timesheet/month_rebuild.h"

#include <QDeadlineTimer>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <exception>
#include <memory>
#include <thread>

class MonthRebuildTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void equalsTheCellByCellRebuild();
    void aFailureHalfWayLeavesTheMonth();
    void aSaveDuringARebuildIsNotLost();

private:
    // The rows of March 2026 (and, to see they stay, of February), without their ids.
    QString sheet();

    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<RecordingMessages> messages_;
    data::Connection connection_;
};

void MonthRebuildTest::initTestCase() {
    db_ = std::make_unique<TestDatabase>("rebuild");
    messages_ = std::make_unique<RecordingMessages>();
    connection_.setConnectionString(db_->connectionString());
    connection_.open();
}

// Positions of March 2026 in every shift (a day with two positions, a position of 0 hours,
// the 31st), a February position, and the month's rows drifted: a wrong day, a worker whose
// positions are gone.
void MonthRebuildTest::init() {
    db_->exec(R"(
        delete from accounts_dep.smena; delete from accounts_dep.h_tabel;
        drop trigger if exists fail_day_15 on accounts_dep.h_tabel;
        insert into accounts_dep.vid_oper(id, vid) values (1, 'Сборка') on conflict do nothing;
        insert into accounts_dep.oper(id, i_id, vid) values (1, 1, 1) on conflict do nothing;
        insert into accounts_dep.smena(data, smena, w_id, i_id, o_id, kol_vo, time) values
            ('2026-03-01', 1, 101, 1, 1, 1, 8), ('2026-03-01', 1, 101, 1, 1, 1, 3),
            ('2026-03-02', 2, 101, 1, 1, 1, 7), ('2026-03-15', 3, 102, 1, 1, 1, 12),
            ('2026-03-15', 4, 102, 1, 1, 1, 2), ('2026-03-20', 1, 103, 1, 1, 1, 0),
            ('2026-03-31', 1, 102, 1, 1, 1, 5), ('2026-02-27', 1, 101, 1, 1, 1, 6);
        insert into accounts_dep.h_tabel(w_id, smena, month, year, d1, d5) values
            (101, 1, 3, 2026, 4, 9), (104, 1, 3, 2026, 8, 0), (101, 1, 2, 2026, 0, 0);
        update accounts_dep.h_tabel set d27 = 6 where month = 2;
    )");
}

QString MonthRebuildTest::sheet() {
    QStringList days;
    for (int d = 1; d <= 31; ++d)
        days << QStringLiteral("d%1").arg(d);
    return db_->scalar(QStringLiteral("select string_agg(concat_ws(' ', w_id, smena, month, year, "
                                      "%1), ' | ' order by year, month, w_id, smena) from "
                                      "accounts_dep.h_tabel")
                           .arg(days.join(", ")));
}

void MonthRebuildTest::equalsTheCellByCellRebuild() {
    rebuildMonthCellByCell(db_->sys(), 3, 2026);
    const QString reference = sheet();
    QVERIFY(reference.contains("102 4 3 2026"));  // overtime has its own row
    QVERIFY(!reference.contains("104 1 3 2026")); // no positions, no row
    QVERIFY(reference.contains("101 1 2 2026"));  // another month stays
    init();
    QList<int> progress;
    timesheet::MonthRebuild(connection_).run(3, 2026, [&](int day) { progress << day; });
    QCOMPARE(sheet(), reference);
    QCOMPARE(progress.size(), 31);
    QCOMPARE(progress.first(), 1);
    QCOMPARE(progress.last(), 31);
    QCOMPARE(db_->timesheetText(101), QString("s1 2.2026: d27=6 | s1 3.2026: d1=11 | "
                                              "s2 3.2026: d2=7"));
}

void MonthRebuildTest::aFailureHalfWayLeavesTheMonth() {
    db_->exec(R"(
        create function accounts_dep.fail_day_15() returns trigger language plpgsql as $$
        begin
            if new.d15 <> 0 then raise exception 'the disk is full'; end if;
            return new;
        end $$;
        create trigger fail_day_15 before insert or update on accounts_dep.h_tabel
            for each row execute function accounts_dep.fail_day_15();
    )");
    const QString before =
        db_->scalar("select string_agg(id || ':' || w_id || ':' || d1 || ':' || d5, ' ' order by "
                    "id) from accounts_dep.h_tabel");
    QList<int> progress;
    try {
        timesheet::MonthRebuild(connection_).run(3, 2026, [&](int day) { progress << day; });
        QFAIL("the rebuild went through");
    } catch (const data::DataError& e) {
        QVERIFY(e.message().contains("the disk is full"));
    }
    QCOMPARE(progress.size(), 31); // the days are read, the month's write fails
    QCOMPARE(db_->scalar("select string_agg(id || ':' || w_id || ':' || d1 || ':' || d5, ' ' "
                         "order by id) from accounts_dep.h_tabel"),
             before);
    // the connection goes on working afterwards
    data::Dataset one(&connection_);
    one.setSql("select 1 as one");
    one.open();
    QCOMPARE(one.asInt("one"), 1);
    db_->exec("drop trigger fail_day_15 on accounts_dep.h_tabel; "
              "drop function accounts_dep.fail_day_15()");
}

// Another workstation saves a position of a day the rebuild has already read while the
// rebuild goes on: the cell ends with that position's hours. The save starts from the
// rebuild's progress, and the rebuild goes on only once the save is written or waits for a
// lock, however fast the machine.
void MonthRebuildTest::aSaveDuringARebuildIsNotLost() {
    OpenConnection other(db_->connectionString());
    const int otherPid = readScalar(other, "select pg_backend_pid()").toInt();
    std::atomic<bool> saved = false;
    std::exception_ptr failure; // the save's, thrown here as if it had run in the test
    std::jthread save;
    timesheet::MonthRebuild(connection_).run(3, 2026, [&](int day) {
        if (day != 3) // the 2nd is read, the position goes there
            return;
        save = std::jthread([&] {
            try {
                data::Command insert(&other);
                insert.setSql("insert into accounts_dep.smena(data, smena, w_id, i_id, o_id, "
                              "kol_vo, time) values ('2026-03-02', 2, 101, 1, 1, 1, 4)");
                insert.execute();
                journal::HoursUpkeep(other).afterSave({101, 2, QDate(2026, 3, 2)});
            } catch (...) {
                failure = std::current_exception();
            }
            saved = true;
        });
        const QString waiting =
            QStringLiteral("select count(*) from pg_stat_activity where pid = %1 and "
                           "wait_event_type = 'Lock'")
                .arg(otherPid);
        QDeadlineTimer deadline(30000);
        while (!saved && db_->scalar(waiting) == "0" && !deadline.hasExpired())
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    });
    save.join();
    if (failure)
        std::rethrow_exception(failure);
    QCOMPARE(db_->timesheetText(101),
             QString("s1 2.2026: d27=6 | s1 3.2026: d1=11 | s2 3.2026: d2=11"));
    QVERIFY(messages_->shown.isEmpty());
}

QTEST_GUILESS_MAIN(MonthRebuildTest)
#include "month_rebuild_test.moc"
