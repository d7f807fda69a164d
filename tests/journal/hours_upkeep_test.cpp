// The day cell of the hours time-sheet after saves and deletions of positions, and two
// workstations saving and deleting positions of the same cell at the same moment.
#include "data/command.h"
#include "data/connection.h"
#include "journal/hours_upkeep.h"
#include "tests/support/recording_messages.h"
#include "tests/support/slow_day_hours.h"
#include "tests/support/test_database.h"

#include <QtTest>

#include <barrier>
#include <memory>
#include <thread>

using journal::DayCell;
using journal::HoursUpkeep;

namespace {

struct Position {
    int shift;
    QDate date;
    int hours;
};

} // namespace

Q_DECLARE_METATYPE(Position)

class HoursUpkeepTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cellAfterSaves_data();
    void cellAfterSaves();
    void cellAfterDeletion_data();
    void cellAfterDeletion();
    void racingWorkstationsKeepTheCellEqualToItsPositions_data();
    void racingWorkstationsKeepTheCellEqualToItsPositions();

private:
    int nextWorker() { return ++lastWorker_; }
    int insertPosition(int worker, const Position& p);
    // The worker's rows as "s<shift> <month>.<year>: d<day>=<hours> ..." (days at 0 left
    // out), rows joined by " | ".
    QString timesheet(int worker);

    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<RecordingMessages> messages_;
    std::unique_ptr<data::Connection> connection_;
    int lastWorker_ = 100;
};

void HoursUpkeepTest::initTestCase() {
    db_ = std::make_unique<TestDatabase>("hours");
    // the operation every position here names
    db_->exec("insert into accounts_dep.vid_oper(id, vid) values (1, 'Сборка');"
              "insert into accounts_dep.oper(id, i_id, vid, naimen) values (1, 1, 1, 0);");
    messages_ = std::make_unique<RecordingMessages>();
    connection_ = std::make_unique<OpenConnection>(db_->connectionString());
    QVERIFY(connection_->isOpen());
}

int HoursUpkeepTest::insertPosition(int worker, const Position& p) {
    return db_
        ->scalar(QStringLiteral(
                     "insert into accounts_dep.smena(data, smena, w_id, i_id, o_id, kol_vo, time) "
                     "values ('%1', %2, %3, 1, 1, 1, %4) returning id")
                     .arg(p.date.toString(Qt::ISODate))
                     .arg(p.shift)
                     .arg(worker)
                     .arg(p.hours))
        .toInt();
}

QString HoursUpkeepTest::timesheet(int worker) {
    return db_->timesheetText(worker);
}

void HoursUpkeepTest::cellAfterSaves_data() {
    QTest::addColumn<QList<Position>>("saves");
    QTest::addColumn<QString>("expected");
    const QDate mar2(2026, 3, 2), mar5(2026, 3, 5), mar31(2026, 3, 31), apr1(2026, 4, 1);
    QTest::newRow("first position of the month inserts the row")
        << QList<Position>{{1, mar2, 8}} << "s1 3.2026: d2=8";
    QTest::newRow("second position of the day sums")
        << QList<Position>{{1, mar2, 8}, {1, mar2, 3}} << "s1 3.2026: d2=11";
    QTest::newRow("another day fills the same row")
        << QList<Position>{{1, mar2, 8}, {1, mar5, 4}} << "s1 3.2026: d2=8 d5=4";
    QTest::newRow("the 31st") << QList<Position>{{2, mar31, 7}} << "s2 3.2026: d31=7";
    QTest::newRow("overtime keeps its own row")
        << QList<Position>{{1, mar2, 8}, {4, mar2, 2}} << "s1 3.2026: d2=8 | s4 3.2026: d2=2";
    QTest::newRow("zero hours still create the row")
        << QList<Position>{{3, mar2, 0}} << "s3 3.2026:";
    QTest::newRow("next month is another row")
        << QList<Position>{{1, mar31, 8}, {1, apr1, 6}} << "s1 3.2026: d31=8 | s1 4.2026: d1=6";
}

void HoursUpkeepTest::cellAfterSaves() {
    QFETCH(QList<Position>, saves);
    QFETCH(QString, expected);
    const int worker = nextWorker();
    HoursUpkeep upkeep(*connection_);
    for (const Position& p : saves) {
        insertPosition(worker, p);
        upkeep.afterSave({worker, p.shift, p.date});
    }
    QCOMPARE(timesheet(worker), expected);
}

void HoursUpkeepTest::cellAfterDeletion_data() {
    QTest::addColumn<QList<Position>>("positions");
    QTest::addColumn<bool>("keptBySaves"); // false: positions that never went through a save
    QTest::addColumn<int>("deleted");      // index into positions
    QTest::addColumn<QString>("expected");
    const QDate mar2(2026, 3, 2), mar5(2026, 3, 5);
    QTest::newRow("last position of a day leaves 0, other days kept")
        << QList<Position>{{1, mar2, 8}, {1, mar5, 4}} << true << 0 << "s1 3.2026: d5=4";
    QTest::newRow("last position of the month leaves a row of zeros")
        << QList<Position>{{1, mar2, 8}} << true << 0 << "s1 3.2026:";
    QTest::newRow("one of two positions of the day")
        << QList<Position>{{2, mar2, 8}, {2, mar2, 3}} << true << 1 << "s2 3.2026: d2=8";
    QTest::newRow("no row: nothing is written")
        << QList<Position>{{1, mar2, 8}, {1, mar5, 4}} << false << 0 << "";
}

void HoursUpkeepTest::cellAfterDeletion() {
    QFETCH(QList<Position>, positions);
    QFETCH(bool, keptBySaves);
    QFETCH(int, deleted);
    QFETCH(QString, expected);
    const int worker = nextWorker();
    HoursUpkeep upkeep(*connection_);
    QList<int> ids;
    for (const Position& p : positions) {
        ids << insertPosition(worker, p);
        if (keptBySaves)
            upkeep.afterSave({worker, p.shift, p.date});
    }
    db_->exec(QStringLiteral("delete from accounts_dep.smena where id=%1").arg(ids[deleted]));
    const Position& gone = positions[deleted];
    upkeep.afterDeletion({worker, gone.shift, gone.date});
    QCOMPARE(timesheet(worker), expected);
}

// Two workstations save and delete positions of the same worker, shift and day at the same
// moment, many times over: whatever the interleaving, the cell ends equal to the sum of the
// positions that are left, and the worker has one row.
void HoursUpkeepTest::racingWorkstationsKeepTheCellEqualToItsPositions_data() {
    QTest::addColumn<bool>("withDeletions");
    QTest::newRow("saves") << false;
    QTest::newRow("saves and deletions") << true;
}

void HoursUpkeepTest::racingWorkstationsKeepTheCellEqualToItsPositions() {
    QFETCH(bool, withDeletions);
    // A busy server: the sum of a cell takes a while, so the other workstation's position
    // lands between the sum and its write unless the two are taken one after the other.
    const SlowDayHours busy(*db_, "random() * 0.006");
    const QDate day(2026, 3, 9);
    const auto stationA =
        std::make_unique<OpenConnection>(db_->connectionString()); // two connections
    const auto stationB = std::make_unique<OpenConnection>(db_->connectionString());
    QStringList drifted;
    for (int round = 0; round < 20; ++round) {
        const int worker = nextWorker();
        std::barrier start(2);
        auto saveAndDelete = [&](data::Connection& station, int firstHours) {
            HoursUpkeep upkeep(station);
            data::Command statement(&station);
            start.arrive_and_wait();
            for (int i = 0; i < 4; ++i) {
                statement.setSql(QStringLiteral("insert into accounts_dep.smena(data, smena, "
                                                "w_id, i_id, o_id, kol_vo, time) values ('%1', 1, "
                                                "%2, 1, 1, 1, %3) returning id")
                                     .arg(day.toString(Qt::ISODate))
                                     .arg(worker)
                                     .arg(firstHours + i));
                const qint64 id = statement.executeReturningInt();
                upkeep.afterSave({worker, 1, day});
                if (withDeletions && i % 2 == 1) {
                    statement.setSql(
                        QStringLiteral("delete from accounts_dep.smena where id=%1").arg(id));
                    statement.execute();
                    upkeep.afterDeletion({worker, 1, day});
                }
            }
        };
        std::thread a([&] { saveAndDelete(*stationA, 1); });
        std::thread b([&] { saveAndDelete(*stationB, 2); }); // 24 hours together
        a.join();
        b.join();
        const QString sum = db_->scalar(QStringLiteral("select coalesce(sum(time), 0) from "
                                                       "accounts_dep.smena where w_id=%1")
                                            .arg(worker));
        const QString expected =
            sum == "0" ? QStringLiteral("s1 3.2026:") : QStringLiteral("s1 3.2026: d9=") + sum;
        if (timesheet(worker) != expected)
            drifted << QStringLiteral("%1 instead of %2").arg(timesheet(worker), expected);
    }
    QCOMPARE(drifted, QStringList());
    QVERIFY(messages_->shown.isEmpty());
}

QTEST_GUILESS_MAIN(HoursUpkeepTest)
#include "hours_upkeep_test.moc"
