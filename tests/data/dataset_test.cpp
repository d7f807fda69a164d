// Datasets and commands against the test database: parameters as real bind
// parameters, snapshots, navigation, filters, updates by key, conversions.
#include "data/command.h"
#include "data/conversions.h"
#include "data/data_error.h"
#include "data/dataset.h"
#include "data/statement.h"
#include "tests/support/test_database.h"

#include <QtTest>

#include <memory>

using namespace data;

class DatasetTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void parsesNamedParameters_data();
    void parsesNamedParameters();
    void bindsValues_data();
    void bindsValues();
    void snapshotAndNavigation();
    void fieldsWithoutRegardToCase();
    void filterOverFetchedRows();
    void badFilterIsAClearError();
    void updatesByKey();
    void commandReturningId();
    void conversions_data();
    void conversions();
    void rejectedStatementCarriesServerMessage();

private:
    std::unique_ptr<TestDatabase> db_;
};

void DatasetTest::initTestCase() {
    db_ = std::make_unique<TestDatabase>("dataset");
    db_->exec("insert into accounts_dep.vid_oper(vid) values ('Сборка'), ('сварка'), ('Резка'), "
              "('д''Артаньян'), ('Покраска')");
}

void DatasetTest::parsesNamedParameters_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("simple") << "select * from t where a=:a and b=:b"
                            << "select * from t where a=$1 and b=$2" << QStringList{"a", "b"};
    QTest::newRow("same name any case") << "where x=:Data or y=:DATA"
                                        << "where x=$1 or y=$1" << QStringList{"data"};
    QTest::newRow("cast untouched") << "select s_code::t_integer, :v::text"
                                    << "select s_code::t_integer, $1::text" << QStringList{"v"};
    QTest::newRow("inside quotes untouched")
        << "select ':a', 'it''s :b', \"c:d\", :e"
        << "select ':a', 'it''s :b', \"c:d\", $1" << QStringList{"e"};
    QTest::newRow("comments untouched") << "select 1 -- :a\n, :b /* :c */"
                                        << "select 1 -- :a\n, $1 /* :c */" << QStringList{"b"};
    QTest::newRow("dollar quotes untouched") << "select $$ :a $$, :b"
                                             << "select $$ :a $$, $1" << QStringList{"b"};
    QTest::newRow("time literal") << "select '12:30'::time"
                                  << "select '12:30'::time" << QStringList{};
    QTest::newRow("underscore and digits") << "values(:s_id,:p_id2)"
                                           << "values($1,$2)" << QStringList{"s_id", "p_id2"};
}

void DatasetTest::parsesNamedParameters() {
    QFETCH(QString, sql);
    QFETCH(QString, text);
    QFETCH(QStringList, names);
    const ParsedSql parsed = parseNamedParameters(sql);
    QCOMPARE(QString::fromUtf8(parsed.text), text);
    QCOMPARE(parsed.names, names);
}

void DatasetTest::bindsValues_data() {
    QTest::addColumn<QString>("cast");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("expectedText"); // as the server gives it back; "<null>" for null
    QTest::newRow("null") << "text" << QVariant() << "<null>";
    QTest::newRow("cyrillic") << "text" << QVariant("Иванов И.П. «ё»") << "Иванов И.П. «ё»";
    QTest::newRow("apostrophe") << "text" << QVariant("O'Brien; drop table x")
                                << "O'Brien; drop table x";
    QTest::newRow("date") << "date" << QVariant(QDate(2026, 2, 1)) << "2026-02-01";
    QTest::newRow("timestamp") << "timestamp"
                               << QVariant(QDateTime(QDate(2026, 2, 1), QTime(13, 5, 7)))
                               << "2026-02-01 13:05:07";
    QTest::newRow("int") << "integer" << QVariant(42) << "42";
    QTest::newRow("double") << "double precision" << QVariant(12.5) << "12.5";
    QTest::newRow("small double") << "double precision" << QVariant(0.0001) << "0.0001";
    QTest::newRow("numeric text") << "numeric" << QVariant("0") << "0";
    QTest::newRow("bool") << "boolean" << QVariant(true) << "True";
}

void DatasetTest::bindsValues() {
    QFETCH(QString, cast);
    QFETCH(QVariant, value);
    QFETCH(QString, expectedText);
    Dataset ds(&db_->sys(), "bind");
    ds.setSql(QStringList{"select :Value::" + cast + " as v,", " ':value' as q"});
    ds.setParam("VALUE", value);
    ds.open();
    QCOMPARE(ds.recordCount(), 1);
    QCOMPARE(ds.isNull("v") ? QString("<null>") : ds.asString("v"), expectedText);
    QCOMPARE(ds.asString("q"), QString(":value"));
}

void DatasetTest::snapshotAndNavigation() {
    Dataset ds(&db_->sys(), "Vid_oper");
    ds.setSql("select * from accounts_dep.vid_oper order by vid");
    QCOMPARE(ds.recNo(), 0);
    ds.open();
    QCOMPARE(ds.recordCount(), 5);
    QCOMPARE(ds.recNo(), 1);
    QVERIFY(!ds.eof());
    int seen = 0;
    for (ds.first(); !ds.eof(); ds.next())
        ++seen;
    QCOMPARE(seen, 5);
    QCOMPARE(ds.recNo(), 5); // next() past the end stays on the last row
    ds.prior();
    QCOMPARE(ds.recNo(), 4);
    ds.setRecNo(99);
    QCOMPARE(ds.recNo(), 5);

    // another connection's change shows only after a re-read
    db_->exec("insert into accounts_dep.vid_oper(vid) values ('Гибка')");
    QCOMPARE(ds.recordCount(), 5);
    ds.requery();
    QCOMPARE(ds.recordCount(), 6);

    QVERIFY(
        ds.locate("VID", QString("Резка").leftJustified(128, ' '))); // char(128) is blank-padded
    QCOMPARE(ds.asString("vid").trimmed(), QString("Резка"));
    const int at = ds.recNo();
    QVERIFY(!ds.locate("vid", "нет такой"));
    QCOMPARE(ds.recNo(), at);
    const int id = ds.asInt("id");
    ds.first();
    QVERIFY(ds.locate("id", id));
    QCOMPARE(ds.recNo(), at);
    db_->exec("delete from accounts_dep.vid_oper where vid='Гибка'");
}

void DatasetTest::fieldsWithoutRegardToCase() {
    Dataset ds(&db_->sys(), "q");
    ds.setSql("select 1::smallint as NAIMEN, 'x'::text as MarKa, null::integer as n, "
              "7::numeric(15,0) as id");
    ds.open();
    QCOMPARE(ds.asInt("naimen"), 1);
    QCOMPARE(ds.asString("MARKA"), QString("x"));
    QVERIFY(ds.isNull("N"));
    QCOMPARE(ds.asInt("n"), 0);
    QCOMPARE(ds.asInt("ID"), 7);
    QVERIFY_THROWS_EXCEPTION(DataError, ds.asString("no_such_field"));
}

void DatasetTest::filterOverFetchedRows() {
    Dataset ds(&db_->sys(), "Vid_oper");
    ds.setSql("select * from accounts_dep.vid_oper order by vid");
    ds.setFilter("vid like 'с%'");
    ds.setFiltered(true);
    ds.open();                     // a filter set before opening applies on open
    QCOMPARE(ds.recordCount(), 2); // Сборка, сварка
    ds.setFilter("vid like 'д''а%'");
    QCOMPARE(ds.recordCount(), 1);
    QCOMPARE(ds.recNo(), 1);
    ds.setFiltered(false);
    QCOMPARE(ds.recordCount(), 5);
    ds.setFiltered(true);
    ds.setFilter("vid like '" + FilterExpression::quoteText("д'Арт") + "%'");
    QCOMPARE(ds.recordCount(), 1);
}

void DatasetTest::badFilterIsAClearError() {
    Dataset ds(&db_->sys(), "Vid_oper");
    ds.setSql("select * from accounts_dep.vid_oper order by vid");
    ds.open();
    ds.setFiltered(true);
    QVERIFY_THROWS_EXCEPTION(FilterError, ds.setFilter("vid like 'O'Brien%'"));
    QCOMPARE(ds.recordCount(), 5); // the list is still there, unfiltered
    QVERIFY_THROWS_EXCEPTION(FilterError, ds.setFilter("nofield=1"));
}

void DatasetTest::updatesByKey() {
    Dataset ds(&db_->sys(), "Vid_oper");
    ds.setSql("select * from accounts_dep.VID_OPER order by vid");
    ds.setUpdateTable("accounts_dep.vid_oper", "id");
    ds.open();
    ds.append();
    ds.setValue("VID", "Шлифовка");
    ds.post();
    QCOMPARE(ds.recordCount(), 6);
    QCOMPARE(ds.asString("vid").trimmed(), QString("Шлифовка"));
    const int newId = ds.asInt("id");
    QVERIFY(newId > 0);
    QCOMPARE(
        db_->scalar(QString("select trim(vid) from accounts_dep.vid_oper where id=%1").arg(newId)),
        QString("Шлифовка"));

    ds.edit();
    ds.setValue("vid", "Полировка");
    ds.post();
    QCOMPARE(
        db_->scalar(QString("select trim(vid) from accounts_dep.vid_oper where id=%1").arg(newId)),
        QString("Полировка"));

    ds.remove();
    QCOMPARE(ds.recordCount(), 5);
    QCOMPARE(
        db_->scalar(QString("select count(*) from accounts_dep.vid_oper where id=%1").arg(newId)),
        QString("0"));

    Dataset readOnly(&db_->sys(), "ro");
    readOnly.setSql("select 1 as x");
    readOnly.open();
    QVERIFY_THROWS_EXCEPTION(DataError, readOnly.edit());
}

void DatasetTest::commandReturningId() {
    Command ins(&db_->sys(), "ins");
    ins.setSql("insert into accounts_dep.vid_oper(vid) values (:vid) returning id");
    ins.setParam("VID", "Штамповка ' ; --");
    const qint64 id = ins.executeReturningInt();
    QVERIFY(id > 0);
    Command del(&db_->sys(), "del");
    del.setSql("delete from accounts_dep.vid_oper where id=:id");
    del.setParam("id", id);
    QCOMPARE(del.execute(), 1);
    QCOMPARE(del.execute(), 0);
}

void DatasetTest::conversions_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("intResult"); // value or the error text
    QTest::addColumn<QString>("doubleResult");
    QTest::newRow("integer") << "12"
                             << "12"
                             << "12";
    QTest::newRow("decimal comma") << "12,5"
                                   << "'12,5' is not a valid integer value"
                                   << "12.5";
    QTest::newRow("decimal point") << "0.25"
                                   << "'0.25' is not a valid integer value"
                                   << "0.25";
    QTest::newRow("two commas") << "1,2,3"
                                << "'1,2,3' is not a valid integer value"
                                << "'1,2,3' is not a valid floating point value";
    QTest::newRow("letters") << "A12"
                             << "'A12' is not a valid integer value"
                             << "'A12' is not a valid floating point value";
    QTest::newRow("empty") << ""
                           << "'' is not a valid integer value"
                           << "'' is not a valid floating point value";
}

void DatasetTest::conversions() {
    QFETCH(QString, text);
    QFETCH(QString, intResult);
    QFETCH(QString, doubleResult);
    auto run = [](auto f) {
        try {
            return f();
        } catch (const DataError& e) {
            return e.message();
        }
    };
    QCOMPARE(run([&] { return QString::number(toInt(text)); }), intResult);
    QCOMPARE(run([&] { return QString::number(toDouble(text)); }), doubleResult);
}

void DatasetTest::rejectedStatementCarriesServerMessage() {
    Dataset ds(&db_->sys(), "bad");
    ds.setSql("select * from accounts_dep.no_such_table");
    try {
        ds.open();
        QFAIL("opened");
    } catch (const DataError& e) {
        QVERIFY2(e.message().contains("no_such_table"), qPrintable(e.message()));
    }
    QVERIFY(!ds.isOpen());
}

QTEST_GUILESS_MAIN(DatasetTest)
#include "dataset_test.moc"
