// The day cell of the hours time-sheet after saves and deletions of positions, and two
// workstations storing the first position of a worker's month at the same moment.
#include "data/data_module.h"
#include "journal/hours_upkeep.h"
#include "tests/support/recording_messages.h"
#include "tests/support/test_database.h"

#include <QtTest>

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
    void statementsKeepTheirShape();
    void twoWorkstationsStoreTheFirstPositionOfAMonth_data();
    void twoWorkstationsStoreTheFirstPositionOfAMonth();

private:
    int nextWorker() { return ++lastWorker_; }
    int insertPosition(int worker, const Position& p);
    // The worker's rows as "s<shift> <month>.<year>: d<day>=<hours> ..." (days at 0 left
    // out), rows joined by " | ".
    QString timesheet(int worker);

    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<RecordingMessages> messages_;
    std::unique_ptr<data::DataModule6> dm_;
    int lastWorker_ = 100;
};

void HoursUpkeepTest::initTestCase() {
    db_ = std::make_unique<TestDatabase>("hours");
    db_->useAsBuiltin();
    messages_ = std::make_unique<RecordingMessages>();
    dm_ = std::make_unique<data::DataModule6>();
    QVERIFY(dm_->ADO_DB.isOpen());
}

int HoursUpkeepTest::insertPosition(int worker, const Position& p) {
    return db_
        ->scalar(
            QStringLiteral("insert into accounts_dep.smena(data, smena, w_id, i_id, o_id, time) "
                           "values ('%1', %2, %3, 1, 1, %4) returning id")
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
    HoursUpkeep upkeep(*dm_);
    for (const Position& p : saves) {
        insertPosition(worker, p);
        for (data::Dataset* sheet : {&dm_->H_Tabel_1, &dm_->H_Tabel_2, &dm_->H_Tabel_3}) {
            sheet->setParam("mnth", p.date.month());
            sheet->setParam("yea", p.date.year());
            sheet->open();
        }
        upkeep.afterSave({worker, p.shift, p.date});
        // the time-sheet reads fresh rows when it is shown next
        for (data::Dataset* sheet : {&dm_->H_Tabel_1, &dm_->H_Tabel_2, &dm_->H_Tabel_3})
            QVERIFY(!sheet->isOpen());
        QVERIFY(!dm_->Control.isOpen());
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
    HoursUpkeep upkeep(*dm_);
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

// Other workstations and the month's rebuild read these statements' effects by their shape:
// plain decimal numbers, the date as DD.MM.YYYY.
void HoursUpkeepTest::statementsKeepTheirShape() {
    const int worker = nextWorker();
    const QDate mar5(2026, 3, 5);
    HoursUpkeep upkeep(*dm_);
    insertPosition(worker, {1, mar5, 8});
    upkeep.afterSave({worker, 1, mar5});
    QCOMPARE(dm_->Control.sql(),
             QStringLiteral("select sum(time) as tim from accounts_dep.smena where w_id=%1 and "
                            "smena=1 and data=to_date('05.03.2026', 'DD.MM.YYYY') group by w_id, "
                            "smena, data")
                 .arg(worker));
    QCOMPARE(dm_->H_Tabel_ins.sql(),
             QStringLiteral("insert into accounts_dep.h_tabel(smena, w_id, month, year, d5) "
                            "values(1, %1, 3, 2026, 8)")
                 .arg(worker));
    QCOMPARE(upkeep.countRows({worker, 1, mar5}), 1);
    QCOMPARE(dm_->Control.sql(),
             QStringLiteral("select count(w_id) as cnt from accounts_dep.h_tabel where w_id=%1 and "
                            "smena=1 and month=3 and year=2026")
                 .arg(worker));
    insertPosition(worker, {1, mar5, 2});
    upkeep.afterSave({worker, 1, mar5});
    QCOMPARE(dm_->H_Tabel_ins.sql(),
             QStringLiteral("update accounts_dep.h_tabel set d5=10 where w_id=%1 and smena=1 and "
                            "month=3 and year=2026")
                 .arg(worker));
}

void HoursUpkeepTest::twoWorkstationsStoreTheFirstPositionOfAMonth_data() {
    // Steps: A+/B+ a workstation stores its position, Ar/Br reads the cell (count and sum),
    // Aw/Bw writes it.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("dayOfB");
    QTest::addColumn<QString>("expected");
    QTest::newRow("same day, both read before either writes")
        << QStringList{"A+", "B+", "Ar", "Br", "Aw", "Bw"} << 2 << "s1 3.2026: d2=7";
    QTest::newRow("same day, the later reader writes first")
        << QStringList{"A+", "Ar", "B+", "Br", "Bw", "Aw"} << 2 << "s1 3.2026: d2=7";
    QTest::newRow("same day, the earlier reader writes first")
        << QStringList{"A+", "Ar", "B+", "Br", "Aw", "Bw"} << 2 << "s1 3.2026: d2=7";
    QTest::newRow("different days of the month")
        << QStringList{"A+", "B+", "Ar", "Br", "Aw", "Bw"} << 3 << "s1 3.2026: d2=4 d3=3";
}

void HoursUpkeepTest::twoWorkstationsStoreTheFirstPositionOfAMonth() {
    QFETCH(QStringList, steps);
    QFETCH(int, dayOfB);
    QFETCH(QString, expected);
    const int worker = nextWorker();
    data::DataModule6 stationA, stationB; // two connections
    HoursUpkeep upkeepA(stationA), upkeepB(stationB);
    const Position a{1, QDate(2026, 3, 2), 4}, b{1, QDate(2026, 3, dayOfB), 3};
    const DayCell cellA{worker, a.shift, a.date}, cellB{worker, b.shift, b.date};
    journal::DayCellReading readA, readB;
    for (const QString& step : steps) {
        if (step == "A+")
            insertPosition(worker, a);
        else if (step == "B+")
            insertPosition(worker, b);
        else if (step == "Ar")
            readA = upkeepA.read(cellA);
        else if (step == "Br")
            readB = upkeepB.read(cellB);
        else if (step == "Aw")
            upkeepA.write(cellA, readA);
        else if (step == "Bw")
            upkeepB.write(cellB, readB);
    }
    QVERIFY(!readA.rowExists && !readB.rowExists); // both found no row
    QCOMPARE(
        db_->scalar(
            QStringLiteral("select count(*) from accounts_dep.h_tabel where w_id=%1").arg(worker)),
        QString("1"));
    QCOMPARE(timesheet(worker), expected);
    QVERIFY(messages_->shown.isEmpty());
}

QTEST_GUILESS_MAIN(HoursUpkeepTest)
#include "hours_upkeep_test.moc"
