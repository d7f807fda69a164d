// The catalog's lists on the test database (fields, what each leaves out, their order), the
// duplicate check with its values bound, and the commands on operations.
#include "data/connection.h"
#include "data/dataset.h"
#include "directories/catalog.h"
#include "tests/support/recording_messages.h"
#include "tests/support/test_database.h"

#include <QtTest>

#include <memory>

class CatalogTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void listsOpenWithTheirFields_data();
    void listsOpenWithTheirFields();
    void operationWithoutNormsIsNotListed();
    void personWithTwoCurrentMovementsIsListedTwice();
    void refuseDuplicate_data();
    void refuseDuplicate();
    void operationCommandsWriteByTheirValues();

private:
    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<RecordingMessages> messages_;
    data::Connection connection_;
    std::unique_ptr<directories::Catalog> catalog_;
};

void CatalogTest::initTestCase() {
    db_ = std::make_unique<TestDatabase>("catalog");
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
        select setval('accounts_dep.oper_id_seq', 3);
        insert into accounts_dep.norm(o_id, norma, price, prize) values
            (1, 10, 5.1235, 0), (1, 20, 4.5, 5), (3, 1, 100, 0);
    )");
    connection_.setConnectionString(db_->connectionString());
    connection_.open();
    catalog_ = std::make_unique<directories::Catalog>(connection_);
    QVERIFY(messages_->shown.isEmpty());
}

void CatalogTest::listsOpenWithTheirFields_data() {
    QTest::addColumn<QString>("list");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<int>("rows");
    QTest::newRow("employees") << "employees" << QStringList{"id", "fio", "p_id", "s_staffpos_hl"}
                               << 4;
    QTest::newRow("products") << "products" << QStringList{"MARKA", "id", "nom", "massa"} << 2;
    QTest::newRow("operations") << "operations"
                                << QStringList{"MARKA", "VID", "NAIMEN", "nmn",     "norma",
                                               "cena",  "id",  "i_id",   "oper_vid"}
                                << 2;
    QTest::newRow("operationTypes") << "operationTypes" << QStringList{"VID", "ID"} << 2;
}

void CatalogTest::listsOpenWithTheirFields() {
    QFETCH(QString, list);
    QFETCH(QStringList, fields);
    QFETCH(int, rows);
    data::Dataset& ds = list == "employees"    ? catalog_->employees()
                        : list == "products"   ? catalog_->products()
                        : list == "operations" ? catalog_->operations()
                                               : catalog_->operationTypes();
    ds.open();
    for (const QString& f : fields)
        QVERIFY2(ds.hasField(f), qPrintable(f));
    QCOMPARE(ds.recordCount(), rows);
    ds.close();
}

void CatalogTest::operationWithoutNormsIsNotListed() {
    data::Dataset& operations = catalog_->operations();
    operations.open();
    QVERIFY(!operations.locate("id", 2));
    QVERIFY(operations.locate("id", 1));
    QCOMPARE(operations.asInt("norma"), 2);
    QCOMPARE(operations.asDouble("cena"), 4.5);
    QCOMPARE(operations.asString("nmn"), QString("Готовая продукция"));
    QCOMPARE(operations.asString("MARKA"), QString("КМ-120"));
    operations.close();
    data::Dataset& products = catalog_->products();
    products.open();
    QVERIFY(products.locate("id", 500));
    QCOMPARE(products.asDouble("massa"), 1.23457);
    products.close();
    QCOMPARE(catalog_->productMark(501), QString("АБ-1"));
    QCOMPARE(catalog_->productMark(999), QString());
}

void CatalogTest::personWithTwoCurrentMovementsIsListedTwice() {
    data::Dataset& employees = catalog_->employees();
    employees.open();
    QStringList seen;
    for (employees.first(); !employees.eof(); employees.next())
        seen << employees.asString("fio") + "|" + employees.asString("s_staffpos_hl");
    // ordered by name; the non-employee is missing; an ended movement leaves no position
    QCOMPARE(seen.size(), 4);
    QCOMPARE(seen.first(), QString("Алексеев А.А.|"));
    QVERIFY(seen.contains("Петров П.П.|Сварщик"));
    QVERIFY(seen.contains("Петров П.П.|Маляр"));
    QVERIFY(seen.contains("Иванов И.И.|Сварщик"));
    QVERIFY(employees.locate("fio", "Иванов И.И."));
    QCOMPARE(employees.asInt("id"), 101);
    QCOMPARE(employees.asInt("p_id"), 10);
    employees.close();
}

// The names and values go in bound, so a quote is only a letter of the name.
void CatalogTest::refuseDuplicate_data() {
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QVariantMap>("values");
    QTest::addColumn<bool>("refused");
    QTest::newRow("a new name") << "count_operation_types_named"
                                << QVariantMap{{"name", "Покраска"}} << false;
    QTest::newRow("a name in another case")
        << "count_operation_types_named" << QVariantMap{{"name", "сБОРКА"}} << true;
    QTest::newRow("a quote in the name")
        << "count_operation_types_named" << QVariantMap{{"name", "x' or ''='"}} << false;
    QTest::newRow("its own name") << "count_other_operation_types_named"
                                  << QVariantMap{{"name", "Сборка"}, {"id", 1}} << false;
    QTest::newRow("another type's name") << "count_other_operation_types_named"
                                         << QVariantMap{{"name", "Сборка"}, {"id", 2}} << true;
    QTest::newRow("the same operation")
        << "count_same_operations" << QVariantMap{{"oper_vid", 1}, {"naimen", 0}, {"i_id", 500}}
        << true;
    QTest::newRow("another kind") << "count_same_operations"
                                  << QVariantMap{{"oper_vid", 1}, {"naimen", 1}, {"i_id", 500}}
                                  << false;
    QTest::newRow("its own values")
        << "count_other_same_operations"
        << QVariantMap{{"oper_vid", 1}, {"naimen", 0}, {"i_id", 500}, {"id", 1}} << false;
    QTest::newRow("a type in use") << "count_operations_of_type" << QVariantMap{{"id", 2}} << true;
}

void CatalogTest::refuseDuplicate() {
    QFETCH(QString, statement);
    QFETCH(QVariantMap, values);
    QFETCH(bool, refused);
    data::Parameters bound;
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        bound.set(it.key(), it.value());
    messages_->clear();
    QCOMPARE(catalog_->refuseDuplicate(statement, "Такая операция уже заведена!", bound), refused);
    if (refused) {
        QCOMPARE(messages_->shown.size(), 1);
        QCOMPARE(messages_->shown[0].text, QString("Такая операция уже заведена!"));
        QCOMPARE(messages_->shown[0].caption, QString("Ошибка"));
        QVERIFY(messages_->shown[0].kind == RecordingMessages::Kind::Error);
    } else {
        QVERIFY(messages_->shown.isEmpty());
    }
}

void CatalogTest::operationCommandsWriteByTheirValues() {
    const auto stored = [this] {
        return db_->scalar("select string_agg(id||':'||i_id||'/'||vid||'/'||naimen, ' ' "
                           "order by id) from accounts_dep.oper");
    };
    catalog_->insertOperation({.operationTypeId = 2, .productKind = 0, .productId = 501}, 7.25);
    QCOMPARE(stored(), QString("1:500/1/0 2:500/2/1 3:501/1/0 4:501/2/0"));
    // the first price becomes the new operation's norm
    QCOMPARE(db_->scalar("select price from accounts_dep.norm where o_id = 4"), QString("7.25"));
    catalog_->updateOperation(4, {.operationTypeId = 2, .productKind = 1, .productId = 501});
    QCOMPARE(stored(), QString("1:500/1/0 2:500/2/1 3:501/1/0 4:501/2/1"));
    db_->exec("delete from accounts_dep.norm where o_id = 4");
    catalog_->deleteOperation(4);
    QCOMPARE(stored(), QString("1:500/1/0 2:500/2/1 3:501/1/0"));
}

QTEST_GUILESS_MAIN(CatalogTest)
#include "catalog_test.moc"
