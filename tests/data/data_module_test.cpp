// The data module's shared datasets open on the test database with their fields, and
// the duplicate check behaves as the editors rely on.
#include "data/data_error.h"
#include "data/data_module.h"
#include "tests/support/recording_messages.h"
#include "tests/support/test_database.h"

#include <QtTest>

#include <memory>

using namespace data;

class DataModuleTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void sharedDatasetsOpenWithTheirFields_data();
    void sharedDatasetsOpenWithTheirFields();
    void operationWithoutNormsIsNotListed();
    void personWithTwoCurrentMovementsIsListedTwice();
    void checkExists_data();
    void checkExists();
    void aNewModuleConnectsNowhere();

private:
    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<RecordingMessages> messages_;
    std::unique_ptr<DataModule6> dm_;
};

void DataModuleTest::initTestCase() {
    db_ = std::make_unique<TestDatabase>("datamodule");
    db_->useAsBuiltin();
    messages_ = std::make_unique<RecordingMessages>();
    db_->exec(R"(
        insert into hrms_staffpos.staffpos(id, s_caption) values (1, 'Сварщик'), (2, 'Маляр');
        insert into cmn_contractor.person(id, s_code, s_caption, b_employee) values
            (10, '101', 'Иванов И.И.', true), (11, '102', 'Петров П.П.', true),
            (12, '103', 'Сидоров С.С.', false), (13, '104', 'Алексеев А.А.', true);
        insert into hrms_movement.movement(id_employee, d_begin, d_end, id_staffpos) values
            (10, current_date - 100, null, 1),
            (11, current_date - 100, null, 1), (11, current_date - 10, current_date + 10, 2),
            (13, current_date - 100, current_date - 50, 1);
        insert into accounts_dep.izdel(id, marka, nom, massa) values
            (500, 'КМ-120', 'Каркас', 1.234567891), (501, 'АБ-1', 'Балка', 2);
        insert into accounts_dep.vid_oper(id, vid) values (1, 'Сборка'), (2, 'Сварка');
        insert into accounts_dep.oper(id, i_id, vid, naimen, cena_new) values
            (1, 500, 1, 0, null), (2, 500, 2, 1, null), (3, 501, 1, 0, null);
        insert into accounts_dep.norm(o_id, norma, price, prize) values
            (1, 10, 5.1235, 0), (1, 20, 4.5, 5), (3, 1, 100, 0);
        insert into accounts_dep.smena(data, smena, w_id, i_id, o_id, cena, kol_vo, brak, time, ok)
        values ('2026-03-02', 1, 101, 500, 1, 2.5, 10, 1, 8, 'no'),
               ('2026-03-02', 1, 102, 500, 1, 2.5, 4, 0, 4, 'ok'),
               ('2026-03-02', 1, 102, 500, 1, 2.5, 4, 0, 4, 'ta'),
               ('2026-03-02', 1, 102, 500, 1, 2.5, 4, 0, 4, null),
               ('2026-03-02', 1, 999, 500, 1, 2.5, 4, 0, 4, 'no'),
               ('2026-03-02', 2, 101, 501, 3, 1, 3, 0, 2, 'да'),
               ('2026-03-02', 4, 101, 501, 3, 1, 3, 0, 2, 'no');
        insert into accounts_dep.h_tabel(w_id, smena, month, year, d2) values (101, 1, 3, 2026, 8);
    )");
    dm_ = std::make_unique<DataModule6>();
    QVERIFY(dm_->ADO_DB.isOpen());
    QVERIFY(messages_->shown.isEmpty());
}

void DataModuleTest::sharedDatasetsOpenWithTheirFields_data() {
    QTest::addColumn<QString>("dataset");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<int>("rows");
    QTest::newRow("Workers") << "Workers" << QStringList{"id", "fio", "p_id", "s_staffpos_hl"} << 4;
    QTest::newRow("Izdel") << "Izdel" << QStringList{"MARKA", "id", "nom", "massa"} << 2;
    QTest::newRow("Oper") << "Oper" << QStringList{"MARKA", "VID", "NAIMEN", "nmn",     "norma",
                                                   "cena",  "id",  "i_id",   "oper_vid"}
                          << 2;
    QTest::newRow("Vid_oper") << "Vid_oper" << QStringList{"VID", "ID"} << 2;
    QTest::newRow("H_Tabel_1") << "H_Tabel_1"
                               << QStringList{"fio", "w_id", "month", "year", "smena",
                                              "id",  "d1",   "d31",   "summ"}
                               << 1;
    QTest::newRow("H_Tabel_2") << "H_Tabel_2" << QStringList{"fio", "summ"} << 0;
    QTest::newRow("H_Tabel_3") << "H_Tabel_3" << QStringList{"fio", "summ"} << 0;
}

void DataModuleTest::sharedDatasetsOpenWithTheirFields() {
    QFETCH(QString, dataset);
    QFETCH(QStringList, fields);
    QFETCH(int, rows);
    Dataset* ds = dm_->findChild<Dataset*>(dataset);
    if (!ds) {
        for (Dataset* d : {&dm_->Workers, &dm_->Izdel, &dm_->Oper, &dm_->Vid_oper, &dm_->H_Tabel_1,
                           &dm_->H_Tabel_2, &dm_->H_Tabel_3})
            if (d->name() == dataset)
                ds = d;
    }
    QVERIFY(ds);
    ds->close();
    ds->setParam("mnth", 3);
    ds->setParam("yea", 2026);
    ds->open();
    for (const QString& f : fields)
        QVERIFY2(ds->hasField(f), qPrintable(f));
    QCOMPARE(ds->recordCount(), rows);
    ds->close();
}

void DataModuleTest::operationWithoutNormsIsNotListed() {
    dm_->Oper.close();
    dm_->Oper.open();
    QVERIFY(!dm_->Oper.locate("id", 2));
    QVERIFY(dm_->Oper.locate("id", 1));
    QCOMPARE(dm_->Oper.asInt("norma"), 2);
    QCOMPARE(dm_->Oper.asDouble("cena"), 4.5);
    QCOMPARE(dm_->Oper.asString("nmn"), QString("Готовая продукция"));
    QCOMPARE(dm_->Oper.asString("MARKA"), QString("КМ-120"));
    dm_->Izdel.close();
    dm_->Izdel.open();
    QVERIFY(dm_->Izdel.locate("id", 500));
    QCOMPARE(dm_->Izdel.asDouble("massa"), 1.23457);
    dm_->Izdel.close();
    dm_->Oper.close();
}

void DataModuleTest::personWithTwoCurrentMovementsIsListedTwice() {
    dm_->Workers.close();
    dm_->Workers.open();
    QStringList seen;
    for (dm_->Workers.first(); !dm_->Workers.eof(); dm_->Workers.next())
        seen << dm_->Workers.asString("fio") + "|" + dm_->Workers.asString("s_staffpos_hl");
    // ordered by name; the non-employee is missing; an ended movement leaves no position
    QCOMPARE(seen.size(), 4);
    QCOMPARE(seen.first(), QString("Алексеев А.А.|"));
    QVERIFY(seen.contains("Петров П.П.|Сварщик"));
    QVERIFY(seen.contains("Петров П.П.|Маляр"));
    QVERIFY(seen.contains("Иванов И.И.|Сварщик"));
    QVERIFY(dm_->Workers.locate("fio", "Иванов И.И."));
    QCOMPARE(dm_->Workers.asInt("id"), 101);
    QCOMPARE(dm_->Workers.asInt("p_id"), 10);
    dm_->Workers.close();
}

void DataModuleTest::checkExists_data() {
    QTest::addColumn<QString>("statement");
    QTest::addColumn<bool>("exists");
    QTest::newRow("none")
        << "select count(*) as cnt from accounts_dep.vid_oper where upper(vid)='ПОКРАСКА'" << false;
    QTest::newRow("one")
        << "select count(*) as cnt from accounts_dep.vid_oper where upper(vid)='СБОРКА'" << true;
    QTest::newRow("many") << "select count(*) as cnt from accounts_dep.vid_oper" << true;
}

void DataModuleTest::checkExists() {
    QFETCH(QString, statement);
    QFETCH(bool, exists);
    messages_->clear();
    QCOMPARE(dm_->CheckExists(statement, "Такая операция уже заведена!"), exists);
    if (exists) {
        QCOMPARE(messages_->shown.size(), 1);
        QCOMPARE(messages_->shown[0].text, QString("Такая операция уже заведена!"));
        QCOMPARE(messages_->shown[0].caption, QString("Ошибка"));
        QVERIFY(messages_->shown[0].kind == RecordingMessages::Kind::Error);
    } else {
        QVERIFY(messages_->shown.isEmpty());
    }
    QVERIFY(!dm_->Control.isOpen());
}

// Nothing connects before the login: no box at start, no idle connection.
void DataModuleTest::aNewModuleConnectsNowhere() {
    data::DataModule6::connectNewModulesWith({});
    messages_->clear();
    DataModule6 dm;
    QVERIFY(!dm.ADO_DB.isOpen());
    QVERIFY(messages_->shown.isEmpty());
    db_->useAsBuiltin();
}

QTEST_GUILESS_MAIN(DataModuleTest)
#include "data_module_test.moc"
