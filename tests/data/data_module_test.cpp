// The data module's shared datasets open on the test database with their fields.
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
