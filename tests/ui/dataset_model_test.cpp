// The grid model over datasets under Qt's own model checker (QAbstractItemModelTester): its
// answers and signals stay consistent while the dataset is opened, filtered, re-read, closed
// and switched, while rows are edited, appended, refused and removed, and while the current
// record moves, with and without a grid on it.
#include "data/data_error.h"
#include "data/dataset.h"
#include "tests/support/recording_messages.h"
#include "tests/support/test_database.h"
#include "ui/dataset_model.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTableView>
#include <QtTest>

#include <memory>

namespace {

constexpr auto kReport = QAbstractItemModelTester::FailureReportingMode::QtTest;

QList<ui::DatasetColumn> typeColumns() {
    return {
        ui::DatasetColumn{.field = "id", .title = "Код", .hidden = true},
        ui::DatasetColumn{
            .field = "vid", .title = "Вид операции", .stretch = true, .editable = true},
        // a field the statement does not have: the column stays empty
        ui::DatasetColumn{.field = "absent", .title = "Нет такого"},
    };
}

} // namespace

class DatasetModelTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void openFilterRequeryClose();
    void badFilterLeavesTheListConsistent();
    void switchesDatasets();
    void editsAppendsAndRemovesRows();
    void refusedRowStaysPending();
    void currentRecordMoves();
    void gridFollowsTheModel();
    void datasetGoesAway();
    void rowCountChangesOnlyWithAReset();

private:
    std::unique_ptr<data::Dataset> typesDataset(const QString& where = {});
    QString typeNames();

    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<data::Dataset> types_;
    RecordingMessages messages_;
};

void DatasetModelTest::initTestCase() {
    db_ = std::make_unique<TestDatabase>("dataset_model");
}

void DatasetModelTest::init() {
    db_->exec("truncate accounts_dep.vid_oper cascade");
    db_->exec("insert into accounts_dep.vid_oper(vid) values ('Сборка'), ('Сварка'), ('Резка'), "
              "('Покраска'), ('Гибка')");
    types_ = typesDataset();
    messages_.clear();
}

void DatasetModelTest::cleanup() {
    types_.reset();
}

std::unique_ptr<data::Dataset> DatasetModelTest::typesDataset(const QString& where) {
    auto dataset = std::make_unique<data::Dataset>(&db_->sys(), "Vid_oper");
    dataset->setSql("select id, trim(vid) as vid from accounts_dep.vid_oper " + where +
                    " order by vid");
    dataset->setUpdateTable("accounts_dep.vid_oper", "id");
    return dataset;
}

QString DatasetModelTest::typeNames() {
    return db_->scalar("select string_agg(trim(vid), ',' order by vid) from accounts_dep.vid_oper");
}

void DatasetModelTest::openFilterRequeryClose() {
    ui::DatasetModel model(types_.get(), typeColumns());
    QAbstractItemModelTester tester(&model, kReport);
    QCOMPARE(model.rowCount(), 0); // a closed dataset has no rows

    types_->open();
    QCOMPARE(model.rowCount(), 5);
    QCOMPARE(model.columnCount(), 3);
    QCOMPARE(model.index(0, 1).data().toString(), QString("Гибка"));
    QVERIFY(model.index(0, 2).data().toString().isEmpty());
    QVERIFY(!model.index(0, 2).data(ui::DatasetModel::ValueRole).isValid());

    types_->setFilter("vid like 'С%'");
    types_->setFiltered(true);
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.index(1, 1).data().toString(), QString("Сварка"));
    types_->setFilter("vid='Резка'");
    QCOMPARE(model.rowCount(), 1);

    db_->exec("insert into accounts_dep.vid_oper(vid) values ('Резка ручная')");
    types_->setFilter("vid like 'Р%'");
    QCOMPARE(model.rowCount(), 1); // a snapshot: the new row shows after a requery
    types_->requery();
    QCOMPARE(model.rowCount(), 2);
    types_->setFiltered(false);
    QCOMPARE(model.rowCount(), 6);

    types_->close();
    QCOMPARE(model.rowCount(), 0);
    types_->setFiltered(true); // while closed: nothing to show yet
    types_->open();
    QCOMPARE(model.rowCount(), 2);
}

void DatasetModelTest::badFilterLeavesTheListConsistent() {
    ui::DatasetModel model(types_.get(), typeColumns());
    QAbstractItemModelTester tester(&model, kReport);
    types_->open();
    types_->setFiltered(true);
    QVERIFY_THROWS_EXCEPTION(data::FilterError, types_->setFilter("vid like 'O'Brien%'"));
    QCOMPARE(model.rowCount(), 5);
    QVERIFY_THROWS_EXCEPTION(data::FilterError, types_->setFilter("nofield=1"));
    QCOMPARE(model.rowCount(), 5);
    types_->close();
    // a filter that fails on opening leaves the dataset closed
    types_->setFilter("vid=");
    QVERIFY_THROWS_EXCEPTION(data::FilterError, types_->open());
    QCOMPARE(model.rowCount(), 0);
}

void DatasetModelTest::switchesDatasets() {
    auto welding = typesDataset("where vid like 'С%'");
    welding->open();
    ui::DatasetModel model(types_.get(), typeColumns());
    QAbstractItemModelTester tester(&model, kReport);
    QSignalSpy current(&model, &ui::DatasetModel::currentRowChanged);
    types_->open();
    QCOMPARE(model.rowCount(), 5);

    welding->setRecNo(2);
    model.setDataset(welding.get());
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(current.last().at(0).toInt(), 1);
    types_->close(); // the dataset left behind no longer moves the model
    QCOMPARE(model.rowCount(), 2);

    model.setDataset(nullptr);
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(current.last().at(0).toInt(), -1);
    QVERIFY(!model.index(0, 0).isValid());

    model.setEditing({.keyField = "id"});
    model.setDataset(types_.get()); // closed: no row, not even the one for a new row
    QCOMPARE(model.rowCount(), 0);
    types_->open();
    QCOMPARE(model.rowCount(), 6);
    model.setDataset(welding.get());
    QCOMPARE(model.rowCount(), 3);
}

void DatasetModelTest::editsAppendsAndRemovesRows() {
    types_->open();
    ui::DatasetModel model(types_.get(), typeColumns());
    QAbstractItemModelTester tester(&model, kReport);
    model.setEditing({.keyField = "id"});
    QCOMPARE(model.rowCount(), 6); // five and the one for a new row
    QVERIFY(model.isAppendRow(5));
    QVERIFY(model.flags(model.index(0, 1)) & Qt::ItemIsEditable);
    QVERIFY(!(model.flags(model.index(0, 0)) & Qt::ItemIsEditable));
    QVERIFY(!(model.flags(model.index(0, 2)) & Qt::ItemIsEditable));

    // a changed row is pending until written
    QVERIFY(model.setData(model.index(1, 1), "Покраска порошковая"));
    QCOMPARE(model.pendingRow(), 1);
    QCOMPARE(model.headerData(1, Qt::Vertical).toString(), QString("✎"));
    QCOMPARE(model.index(1, 1).data().toString(), QString("Покраска порошковая"));
    QVERIFY(!model.setData(model.index(2, 1), "Другая")); // another row waits first
    model.writePendingRow();
    QCOMPARE(model.pendingRow(), -1);
    QCOMPARE(typeNames(), QString("Гибка,Покраска порошковая,Резка,Сборка,Сварка"));

    // typing the same text again changes nothing
    QVERIFY(!model.setData(model.index(0, 1), "Гибка"));
    QCOMPARE(model.pendingRow(), -1);

    // the extra row becomes a new one
    QVERIFY(model.setData(model.index(5, 1), "Шлифовка"));
    QCOMPARE(model.pendingRow(), 5);
    QCOMPARE(model.rowCount(), 6);
    model.writePendingRow();
    QCOMPARE(model.rowCount(), 7);
    QVERIFY(model.isAppendRow(6));
    // the row as the database stored it (a char(128) column: padded)
    QCOMPARE(types_->asString("vid").trimmed(), QString("Шлифовка"));
    QCOMPARE(model.index(types_->currentRow(), 1).data().toString(), QString("Шлифовка"));

    // dropped changes
    QVERIFY(model.setData(model.index(0, 1), "Гибка листа"));
    model.cancelPendingRow();
    QCOMPARE(model.index(0, 1).data().toString(), QString("Гибка"));
    QVERIFY(model.setData(model.index(6, 1), "Не нужна"));
    model.cancelPendingRow();
    QCOMPARE(model.rowCount(), 7);

    // a row removed and the list re-read after a write
    model.setEditing({.keyField = "id", .afterWrite = [](data::Dataset& d) { d.requery(); }});
    types_->setRecNo(1);
    types_->remove();
    QCOMPARE(model.rowCount(), 6);
    QVERIFY(model.setData(model.index(0, 1), "Правка"));
    model.writePendingRow();
    QCOMPARE(model.rowCount(), 6);
    QCOMPARE(typeNames(), QString("Правка,Резка,Сборка,Сварка,Шлифовка"));
    QVERIFY(messages_.shown.isEmpty());
}

void DatasetModelTest::refusedRowStaysPending() {
    types_->open();
    ui::DatasetModel model(types_.get(), typeColumns());
    QAbstractItemModelTester tester(&model, kReport);
    model.setEditing({.keyField = "id"});
    // the unique index on the name, regardless of case
    QVERIFY(model.setData(model.index(5, 1), "сварка"));
    QVERIFY_THROWS_EXCEPTION(data::DataError, model.writePendingRow());
    QCOMPARE(model.pendingRow(), 5);
    QCOMPARE(model.rowCount(), 6);
    QVERIFY(model.setData(model.index(5, 1), "Сварка точечная"));
    model.writePendingRow();
    QCOMPARE(model.rowCount(), 7);

    QVERIFY(model.setData(model.index(0, 1), "Резка"));
    QVERIFY_THROWS_EXCEPTION(data::DataError, model.writePendingRow());
    QCOMPARE(model.pendingRow(), 0);
    model.cancelPendingRow();
    QCOMPARE(model.pendingRow(), -1);
    QCOMPARE(typeNames(), QString("Гибка,Покраска,Резка,Сборка,Сварка,Сварка точечная"));
}

void DatasetModelTest::currentRecordMoves() {
    types_->open();
    ui::DatasetModel model(types_.get(), typeColumns());
    QAbstractItemModelTester tester(&model, kReport);
    QSignalSpy current(&model, &ui::DatasetModel::currentRowChanged);
    types_->last();
    QCOMPARE(current.last().at(0).toInt(), 4);
    types_->prior();
    types_->first();
    types_->next();
    QCOMPARE(current.last().at(0).toInt(), 1);
    QVERIFY(types_->locate("vid", "Сварка"));
    QCOMPARE(model.index(types_->currentRow(), 1).data().toString(), QString("Сварка"));

    // the row indicator of an editing grid
    model.setEditing({.keyField = "id"});
    model.setGridRow(2);
    QCOMPARE(model.headerData(2, Qt::Vertical).toString(), QString("▶"));
    QCOMPARE(model.headerData(5, Qt::Vertical).toString(), QString("*"));
    model.setGridRow(5);
    model.setGridRow(-1);
    types_->setFilter("vid='нет такого'");
    types_->setFiltered(true);
    QCOMPARE(model.rowCount(), 1); // only the one for a new row
    QCOMPARE(current.last().at(0).toInt(), -1);
}

void DatasetModelTest::gridFollowsTheModel() {
    types_->open();
    ui::DatasetModel model(types_.get(), typeColumns());
    QAbstractItemModelTester tester(&model, kReport);
    QTableView view;
    ui::bindDataGrid(&view, &model);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    types_->setRecNo(3);
    QCOMPARE(view.currentIndex().row(), 2);
    view.setCurrentIndex(model.index(4, 1));
    QCOMPARE(types_->recNo(), 5);
    types_->setFilter("vid like 'С%'");
    types_->setFiltered(true);
    QCOMPARE(view.model()->rowCount(), 2);
    types_->requery();
    types_->close();
    QVERIFY(!view.currentIndex().isValid());
    types_->open();

    QTableView editable;
    ui::DatasetModel editing(types_.get(), typeColumns());
    QAbstractItemModelTester editingTester(&editing, kReport);
    editing.setEditing({.keyField = "id"});
    ui::bindEditableGrid(&editable, &editing);
    editable.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editable));
    editable.setCurrentIndex(editing.index(0, 1));
    QVERIFY(editing.setData(editing.index(0, 1), "Сборка узлов"));
    editable.setCurrentIndex(editing.index(2, 1)); // leaving the row writes it
    QTRY_COMPARE(editing.pendingRow(), -1);
    QCOMPARE(typeNames(), QString("Гибка,Покраска,Резка,Сборка узлов,Сварка"));
}

void DatasetModelTest::datasetGoesAway() {
    auto dataset = typesDataset();
    dataset->open();
    ui::DatasetModel model(dataset.get(), typeColumns());
    QAbstractItemModelTester tester(&model, kReport);
    model.setEditing({.keyField = "id"});
    QCOMPARE(model.rowCount(), 6);
    dataset.reset();
    QCOMPARE(model.rowCount(), 0);
    QVERIFY(!model.index(0, 1).data().isValid());
    model.setDataset(types_.get());
    QCOMPARE(model.rowCount(), 0);
}

// The dataset moves its current record and opens or closes before it reports the reset; what a
// view asks the model in between must still be the count it was told.
void DatasetModelTest::rowCountChangesOnlyWithAReset() {
    ui::DatasetModel model(types_.get(), typeColumns());
    QAbstractItemModelTester tester(&model, kReport);
    model.setEditing({.keyField = "id"});
    QList<int> seen;
    connect(&model, &ui::DatasetModel::currentRowChanged, this, [&] { seen << model.rowCount(); });
    int announced = model.rowCount();
    connect(&model, &QAbstractItemModel::modelReset, this, [&] { announced = model.rowCount(); });

    QCOMPARE(announced, 0);
    types_->open();
    QCOMPARE(seen, QList<int>{0}); // before the reset: the closed list's count
    QCOMPARE(announced, 6);
    seen.clear();
    types_->close();
    types_->open();
    QCOMPARE(seen, QList<int>{0});
    QCOMPARE(model.rowCount(), announced);
}

QTEST_MAIN(DatasetModelTest)
#include "dataset_model_test.moc"
