// A position and the time-sheet cells it counts in change together or not at all, and a
// deletion recomputes the cell the position really sat in, not the one an old list showed.
#include "data/connection.h"
#include "data/data_error.h"
#include "journal/position.h"
#include "tests/support/recording_messages.h"
#include "tests/support/test_database.h"

#include <QtTest>

#include <memory>

using journal::DayCell;
using journal::Position;
using journal::PositionSaver;

class PositionSaverTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void aSaveFailingHalfWayChangesNothing_data();
    void aSaveFailingHalfWayChangesNothing();
    void aDeletionRecomputesTheCellAsStored();

private:
    Position stored(int worker, const QDate& day, int hours);
    QString sheets() { return db_->timesheetText(101) + " / " + db_->timesheetText(102); }

    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<RecordingMessages> messages_;
    std::unique_ptr<data::Connection> connection_;
};

namespace {

const QDate kMar2(2026, 3, 2);
const QDate kMar3(2026, 3, 3);
const journal::SaveConditions kShift1{false, 1, kMar3};

} // namespace

void PositionSaverTest::initTestCase() {
    db_ = std::make_unique<TestDatabase>("saver");
    db_->exec(R"(
        insert into accounts_dep.vid_oper(id, vid) values (1, 'Сборка');
        insert into accounts_dep.oper(id, i_id, vid, naimen) values (1, 1, 1, 0);
        -- the time-sheet refuses worker 102's cells: the save fails after its first statement
        create function accounts_dep.refuse_102() returns trigger language plpgsql as $$
        begin
            if new.w_id = 102 then
                raise exception 'Табель недоступен';
            end if;
            return new;
        end $$;
    )");
    messages_ = std::make_unique<RecordingMessages>();
    connection_ = std::make_unique<OpenConnection>(db_->connectionString());
    QVERIFY(connection_->isOpen());
}

void PositionSaverTest::init() {
    db_->exec("drop trigger if exists refuse_102 on accounts_dep.h_tabel;"
              "delete from accounts_dep.smena; delete from accounts_dep.h_tabel;");
}

Position PositionSaverTest::stored(int worker, const QDate& day, int hours) {
    Position p;
    p.workerCode = worker;
    p.productId = 1;
    p.operationId = 1;
    p.operationPrice = 2.5f;
    p.quantity = "10";
    p.rejects = "0";
    p.hours = QString::number(hours);
    p.workDay = day;
    p.id = PositionSaver(*connection_).save(p, kShift1);
    return p;
}

void PositionSaverTest::aSaveFailingHalfWayChangesNothing_data() {
    QTest::addColumn<bool>("edit"); // else a new position
    QTest::addColumn<QString>("positions");
    QTest::addColumn<QString>("cells");
    QTest::newRow("a new position") << false << "101:8"
                                    << "s1 3.2026: d2=8 / ";
    QTest::newRow("an edit moving it to another worker") << true << "101:8"
                                                         << "s1 3.2026: d2=8 / ";
}

void PositionSaverTest::aSaveFailingHalfWayChangesNothing() {
    QFETCH(bool, edit);
    Position p = stored(101, kMar2, 8);
    db_->exec("create trigger refuse_102 before insert or update on accounts_dep.h_tabel "
              "for each row execute function accounts_dep.refuse_102()");
    if (!edit)
        p.id = 0;
    p.workerCode = 102;
    QVERIFY_THROWS_EXCEPTION(data::DataError, PositionSaver(*connection_).save(p, kShift1));
    QTEST(db_->scalar("select string_agg(w_id || ':' || time, ' ' order by id) "
                      "from accounts_dep.smena"),
          "positions");
    QTEST(sheets(), "cells");
    // and the connection goes on working
    p.workerCode = 101;
    p.id = 0;
    PositionSaver(*connection_).save(p, kShift1);
    QCOMPARE(db_->timesheetText(101), QString("s1 3.2026: d2=16"));
}

void PositionSaverTest::aDeletionRecomputesTheCellAsStored() {
    const Position p = stored(101, kMar2, 8);
    const DayCell listed{101, 1, kMar2};
    // another workstation moves it to the next day after this one listed it
    Position moved = p;
    moved.workDay = kMar3;
    PositionSaver(*std::make_unique<OpenConnection>(db_->connectionString())).save(moved, kShift1);
    QCOMPARE(db_->timesheetText(101), QString("s1 3.2026: d3=8"));

    PositionSaver(*connection_).remove(p.id, listed);
    QCOMPARE(db_->scalar("select count(*) from accounts_dep.smena"), QString("0"));
    QCOMPARE(db_->timesheetText(101), QString("s1 3.2026:"));
}

QTEST_MAIN(PositionSaverTest)
#include "position_saver_test.moc"
