// The journal's shift lists on the test database: which positions each shift lists, with
// which columns and in which order, and the statements the journal runs on one position.
#include "data/connection.h"
#include "data/dataset.h"
#include "journal/positions.h"
#include "tests/support/test_database.h"

#include <QtTest>

#include <memory>

class PositionsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void shiftsListTheirPositions_data();
    void shiftsListTheirPositions();
    void anUnknownShiftCountsAsTheFirst();
    void aListedPositionIsCopiedOut();
    void operationPriceAndMaterialCount();

private:
    QStringList listed(int shift);

    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<data::Connection> connection_;
    std::unique_ptr<journal::Positions> positions_;
};

void PositionsTest::initTestCase() {
    db_ = std::make_unique<TestDatabase>("positions");
    db_->exec(R"(
        insert into cmn_contractor.person(id, s_code, s_caption) values
            (10, '101', 'Иванов И.И.'), (11, '102', 'Петров П.П.'), (12, '103', 'Алексеев А.А.');
        insert into accounts_dep.izdel(id, marka, nom, massa) values
            (500, 'КМ-120', 'Каркас', 1), (501, 'АБ-1', 'Балка', 2);
        insert into accounts_dep.vid_oper(id, vid) values (1, 'Сборка'), (2, 'Сварка');
        insert into accounts_dep.oper(id, i_id, vid, naimen) values
            (1, 500, 1, 0), (2, 500, 2, 1), (3, 501, 1, 0), (4, 501, 2, 0);
        insert into accounts_dep.norm(o_id, norma, price) values (1, 10, 5.1235), (1, 20, 4.5);
        insert into accounts_dep.smena(id, data, smena, w_id, i_id, o_id, cena, kol_vo, brak,
                                       time, ok, color)
        values (1, '2026-03-02', 1, 101, 500, 1, 2.5, 10, 1, 8, 'no', 0),
               (2, '2026-03-02', 1, 102, 500, 1, 2.5, 4, 0, 4, 'ok', 0),
               (3, '2026-03-02', 1, 102, 500, 1, 2.5, 4, 0, 4, 'ta', 0),
               (4, '2026-03-02', 1, 102, 500, 1, 2.5, 4, 0, 4, null, 0),
               (5, '2026-03-02', 1, 999, 500, 1, 2.5, 4, 0, 4, 'no', 0),
               (6, '2026-03-02', 1, 101, 501, 4, 1, 1, 0, 1, 'no', 2),
               (7, '2026-03-02', 1, 101, 501, 3, 1, 1, 0, 1, 'no', 1),
               (8, '2026-03-02', 1, 101, 501, 3, 1, 1, 0, 1, 'no', 0),
               (9, '2026-03-02', 2, 102, 501, 3, 1, 3, 0, 2, 'да', 0),
               (10, '2026-03-02', 2, 103, 501, 3, 1, 3, 0, 2, 'no', 0),
               (11, '2026-03-03', 2, 101, 501, 3, 1, 3, 0, 2, 'no', 0),
               (12, '2026-03-02', 3, 101, 500, 2, 1, 3, 0, 2, 'ta', 0),
               (13, '2026-03-02', 4, 101, 501, 3, 1, 3, 0, 2, 'no', 0);
        insert into accounts_dep.smena_gds_use(id_smena, id_gds_use, f_qty_use, id_cons_use)
        values (1, 1, 1, 0), (1, 2, 1, 0);
    )");
    connection_ = std::make_unique<data::Connection>();
    connection_->setConnectionString(db_->connectionString());
    connection_->open();
    positions_ = std::make_unique<journal::Positions>(*connection_);
    positions_->readDay(QDate(2026, 3, 2));
}

QStringList PositionsTest::listed(int shift) {
    data::Dataset& list = positions_->shiftPositions(shift);
    QStringList ids;
    for (list.first(); !list.eof(); list.next())
        ids << list.asString("id");
    return ids;
}

// Shift 1 sorts a worker's positions by mark, operation and colour; the others by the
// worker only. 'ta', a status nobody has and workers the shop does not know are not listed.
void PositionsTest::shiftsListTheirPositions_data() {
    QTest::addColumn<int>("shift");
    QTest::addColumn<QStringList>("ids");
    QTest::newRow("1") << 1 << QStringList{"8", "7", "6", "1", "2"};
    QTest::newRow("2") << 2 << QStringList{"10", "9"};
    QTest::newRow("3") << 3 << QStringList{};
    QTest::newRow("overtime") << 4 << QStringList{"13"};
}

void PositionsTest::shiftsListTheirPositions() {
    QFETCH(int, shift);
    QFETCH(QStringList, ids);
    QCOMPARE(listed(shift), ids);
    data::Dataset& list = positions_->shiftPositions(shift);
    for (const char* f :
         {"id",          "data",          "smena",      "i_id",       "o_id",   "w_id",   "cena",
          "fio",         "marka",         "vid",        "nmn",        "naimen", "kol_vo", "brak",
          "summa",       "prize",         "color",      "time",       "ok",     "vvod",   "id_doc",
          "id_doc_item", "f_gds_qty_use", "id_gds_use", "id_cons_use"})
        QVERIFY2(list.hasField(f), f);
}

void PositionsTest::anUnknownShiftCountsAsTheFirst() {
    QCOMPARE(&positions_->shiftPositions(7), &positions_->shiftPositions(1));
    QCOMPARE(&positions_->shiftPositions(0), &positions_->shiftPositions(1));
}

void PositionsTest::aListedPositionIsCopiedOut() {
    data::Dataset& list = positions_->shiftPositions(1);
    QVERIFY(list.locate("id", 1));
    const std::optional<journal::ListedPosition> p = journal::ListedPosition::current(list);
    QVERIFY(p);
    QCOMPARE(p->workerName, QString("Иванов И.И."));
    QCOMPARE(p->productMark, QString("КМ-120"));
    QCOMPARE(p->quantity, 10.0);
    QCOMPARE(p->hours, 8);
    QVERIFY(!p->accepted());
    QVERIFY(p->version.known());
    QCOMPARE(list.asDouble("summa"), 22.5);
    QVERIFY(list.locate("id", 2));
    QVERIFY(journal::ListedPosition::current(list)->accepted());
    QVERIFY(!journal::ListedPosition::current(positions_->shiftPositions(3)));
}

void PositionsTest::operationPriceAndMaterialCount() {
    QCOMPARE(journal::operationOwnPrice(*connection_, 1), std::optional<float>(4.5f));
    QCOMPARE(journal::operationOwnPrice(*connection_, 3), std::optional<float>());
    QCOMPARE(positions_->materialCount(1), 2);
    QCOMPARE(positions_->materialCount(2), 0);
}

QTEST_GUILESS_MAIN(PositionsTest)
#include "positions_test.moc"
