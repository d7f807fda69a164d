// Norms of an operation: opened by a double-click only with "Цены" ticked, the price format,
// a row added in the grid (written as the operation's, sorted by norm), a row changed, a row
// the database refuses staying pending, the last row kept by "Удалить", "Сохранить" (and
// Enter and Escape) leaving the operations list on the same row with the new smallest price
// and count, and the title-bar close dropping what is pending.
#include "data/connection.h"
#include "data/dataset.h"
#include "directories/catalog.h"
#include "directories/norms_window.h"
#include "directories/operation_editor.h"
#include "directories/operations_window.h"
#include "tests/support/recording_messages.h"
#include "tests/support/scripted_modal_runner.h"
#include "tests/support/test_database.h"
#include "tests/support/widget_helpers.h"
#include "ui/number_format.h"
#include "ui/value_rules.h"

#include <QtTest>
#include <QtWidgets>

#include <functional>
#include <memory>

namespace {

QTableView* gridOf(QWidget* w) {
    return w->findChild<QTableView*>(); // each window has one grid
}

// Types into a cell as a person would: the cell's edit box, one key per character, Enter.
void typeCell(QTableView* grid, int row, int column, const QString& text) {
    const QModelIndex index = grid->model()->index(row, column);
    grid->setCurrentIndex(index);
    QCoreApplication::processEvents(); // a row the grid left is written first
    grid->edit(index);
    QLineEdit* box = nullptr;
    for (auto* candidate : grid->viewport()->findChildren<QLineEdit*>())
        if (candidate->isVisible())
            box = candidate;
    QVERIFY(box);
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Backspace);
    typeInto(box, text);
    QTest::keyClick(box, Qt::Key_Return);
    QCoreApplication::processEvents();
}

void goToRow(QTableView* grid, int row) {
    grid->setCurrentIndex(grid->model()->index(row, 0));
    QCoreApplication::processEvents();
}

} // namespace

class NormsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void doubleClickOpensTheNormsOnlyWhenTicked_data();
    void doubleClickOpensTheNormsOnlyWhenTicked();
    void priceFormat_data();
    void priceFormat();
    void addARow();
    void addARowByKeyboard();
    void changeARow();
    void aRowTheDatabaseRefusesStaysPending();
    void valuesInRange_data();
    void valuesInRange();
    void deleteKeepsTheLastRow_data();
    void deleteKeepsTheLastRow();
    void saveShowsTheNewMinimumOnTheSameRow_data();
    void saveShowsTheNewMinimumOnTheSameRow();
    void titleBarCloseDropsPendingChanges();
    void screenshots();

private:
    // Opens the norms of an operation from the operations list and runs script in them.
    void inNormsOf(int operationId, const std::function<void(QDialog*)>& script);
    // The grid's rows without the one for a new row: "norm|price|bonus".
    QStringList shown();
    QString stored(int operationId) {
        return db_->scalar(QStringLiteral("select string_agg(norma||'/'||price||'/'||prize, ' ' "
                                          "order by norma, id) from accounts_dep.norm "
                                          "where o_id=%1")
                               .arg(operationId));
    }
    QString operationRow() { // the operations list's current row
        const data::Dataset& operations = catalog_->operations();
        return QStringLiteral("%1: %2 %3, %4 norms")
            .arg(operations.recNo())
            .arg(operations.asString("marka"))
            .arg(operations.asDouble("cena"))
            .arg(operations.asInt("norma"));
    }

    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<RecordingMessages> messages_;
    std::unique_ptr<ScriptedModalRunner> runner_;
    data::Connection connection_;
    std::unique_ptr<directories::Catalog> catalog_;
    std::unique_ptr<OperationsWindow> operations_;
    std::unique_ptr<OperationEditor> operationEditor_;
    std::unique_ptr<NormsWindow> norms_;
};

void NormsTest::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    db_ = std::make_unique<TestDatabase>("norms");
    messages_ = std::make_unique<RecordingMessages>();
    runner_ = std::make_unique<ScriptedModalRunner>();
    connection_.setConnectionString(db_->connectionString());
    connection_.open();
    catalog_ = std::make_unique<directories::Catalog>(connection_);
    operations_ = std::make_unique<OperationsWindow>(*catalog_);
    operationEditor_ = std::make_unique<OperationEditor>(*catalog_);
    norms_ = std::make_unique<NormsWindow>(connection_);
    operations_->useEditors(*operationEditor_, *norms_);
}

void NormsTest::cleanupTestCase() {
    norms_.reset();
    operationEditor_.reset();
    operations_.reset();
    catalog_.reset();
    connection_.close();
}

// In the list: 1 КМ-120-01 Покраска (operation 2), 2 КМ-120-01 Сборка (1), 3 ШР-45 Сборка (3).
void NormsTest::init() {
    db_->exec(R"(
        delete from accounts_dep.norm; delete from accounts_dep.oper;
        delete from accounts_dep.vid_oper; delete from accounts_dep.izdel;
        insert into accounts_dep.izdel(id, marka, nom, massa) values
            (500, 'КМ-120-01', 'Каркас', 1), (501, 'ШР-45', 'Шкаф', 2);
        insert into accounts_dep.vid_oper(id, vid) values (1, 'Сборка'), (2, 'Покраска');
        insert into accounts_dep.oper(id, i_id, vid, naimen) values
            (1, 500, 1, 0), (2, 500, 2, 1), (3, 501, 1, 0);
        insert into accounts_dep.norm(o_id, norma, price, prize) values
            (1, 20, 10.25, 5), (1, 10, 12.5, 0), (2, 0, 7, 0), (3, 0, 30.125, 0);
    )");
    messages_->clear();
    runner_->opened.clear();
    operations_->findChild<QCheckBox*>("normsOnDoubleClickCheck")->setChecked(true);
}

void NormsTest::inNormsOf(int operationId, const std::function<void(QDialog*)>& script) {
    runner_->then([=, this](QDialog* list) {
        QVERIFY(catalog_->operations().locate("id", operationId));
        const QModelIndex row = gridOf(list)->currentIndex();
        QTest::mouseDClick(gridOf(list)->viewport(), Qt::LeftButton, {},
                           gridOf(list)->visualRect(row).center());
    });
    runner_->then(script);
    operations_->openDirectory();
    QCOMPARE(runner_->pending(), 0);
}

QStringList NormsTest::shown() {
    const QAbstractItemModel* model = gridOf(norms_.get())->model();
    QStringList rows;
    for (int row = 0; row < norms_->norms().recordCount(); ++row)
        rows << QStringLiteral("%1|%2|%3")
                    .arg(model->index(row, 0).data().toString(),
                         model->index(row, 1).data().toString(),
                         model->index(row, 2).data().toString());
    return rows;
}

void NormsTest::doubleClickOpensTheNormsOnlyWhenTicked_data() {
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<QString>("opened");
    QTest::newRow("ticked") << true << "NormsWindow";
    QTest::newRow("not ticked: a change") << false << "OperationEditor";
}

void NormsTest::doubleClickOpensTheNormsOnlyWhenTicked() {
    QFETCH(bool, ticked);
    QFETCH(QString, opened);
    operations_->findChild<QCheckBox*>("normsOnDoubleClickCheck")->setChecked(ticked);
    QStringList rows;
    inNormsOf(1, [&](QDialog* d) {
        if (d == norms_.get())
            rows = shown();
    });
    QCOMPARE(runner_->opened, QList<QString>({"OperationsWindow", opened}));
    if (ticked) {
        QCOMPARE(norms_->windowTitle(), QString("Норматив"));
        QCOMPARE(rows, QStringList({"10|12,50|0", "20|10,25|5"})); // in norm order
    }
}

void NormsTest::priceFormat_data() {
    QTest::addColumn<double>("price");
    QTest::addColumn<QString>("text");
    QTest::newRow("two decimals at least") << 12.5 << "12,50";
    QTest::newRow("a whole number") << 3.0 << "3,00";
    QTest::newRow("a third decimal") << 0.125 << "0,125";
    QTest::newRow("rounded to three") << 1.2346 << "1,235";
    QTest::newRow("a fourth decimal only") << 7.0004 << "7,00";
    QTest::newRow("zero") << 0.0 << "0,00";
    QTest::newRow("a little below zero") << -0.0004 << "0,00";
    QTest::newRow("negative") << -2.5 << "-2,50";
    QTest::newRow("no thousands separator") << 1234567.5 << "1234567,50";
}

void NormsTest::priceFormat() {
    QFETCH(double, price);
    QFETCH(QString, text);
    QCOMPARE(ui::decimalsText(price, 2, 3), text);
}

// Typed into the row below the last: written with the operation's o_id when the grid leaves
// it, then in its place in norm order, the grid on the row it went to.
void NormsTest::addARow() {
    QStringList rows;
    QString current;
    inNormsOf(1, [&](QDialog* d) {
        QTableView* grid = gridOf(d);
        QCOMPARE(grid->model()->rowCount(), 3);
        typeCell(grid, 2, 0, "5");
        typeCell(grid, 2, 1, "8.5");
        typeCell(grid, 2, 2, "3");
        QCOMPARE(stored(1), QString("10/12.5/0 20/10.25/5")); // not written while on the row
        goToRow(grid, 1);                                     // the norm 20
        rows = shown();
        current = norms_->norms().asString("norma");
        d->close();
    });
    QCOMPARE(stored(1), QString("5/8.5/3 10/12.5/0 20/10.25/5"));
    QCOMPARE(db_->scalar("select count(*) from accounts_dep.norm"), QString("5"));
    QCOMPARE(rows, QStringList({"5|8,50|3", "10|12,50|0", "20|10,25|5"}));
    QCOMPARE(current, QString("20"));
    QCOMPARE(messages_->shown.size(), 0);
}

// Down below the last row, type, Tab to the next cell, Up: as a person would.
void NormsTest::addARowByKeyboard() {
    QStringList rows;
    inNormsOf(1, [&](QDialog* d) {
        QTableView* grid = gridOf(d);
        d->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(d));
        grid->setFocus();
        goToRow(grid, 1);
        const auto keys = [](const QString& typed) { typeIntoFocus(typed); };
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QCOMPARE(grid->currentIndex().row(), 2);
        keys("5");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        keys("8.5");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        keys("3");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCoreApplication::processEvents();
        QCOMPARE(stored(1), QString("10/12.5/0 20/10.25/5"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
        QCoreApplication::processEvents();
        rows = shown();
        d->close();
    });
    QCOMPARE(stored(1), QString("5/8.5/3 10/12.5/0 20/10.25/5"));
    QCOMPARE(rows, QStringList({"5|8,50|3", "10|12,50|0", "20|10,25|5"}));
    QCOMPARE(messages_->shown.size(), 0);
}

void NormsTest::changeARow() {
    QStringList rows;
    inNormsOf(1, [&](QDialog* d) {
        QTableView* grid = gridOf(d);
        typeCell(grid, 1, 1, "9,125");
        typeCell(grid, 1, 0, "25");
        goToRow(grid, 0);
        rows = shown();
        d->close();
    });
    QCOMPARE(stored(1), QString("10/12.5/0 25/9.125/5"));
    QCOMPARE(rows, QStringList({"10|12,50|0", "25|9,125|5"}));
    QCOMPARE(messages_->shown.size(), 0);
}

// A new row without a price: the window refuses it, the grid goes back to it with its
// values, and a price makes it go through.
void NormsTest::aRowTheDatabaseRefusesStaysPending() {
    inNormsOf(1, [&](QDialog* d) {
        QTableView* grid = gridOf(d);
        typeCell(grid, 2, 0, "30");
        goToRow(grid, 0);
        QCOMPARE(messages_->shown.size(), 1);
        QCOMPARE(messages_->shown[0].kind, RecordingMessages::Kind::Error);
        QCOMPARE(messages_->shown[0].text, ui::kPriceOutOfRange);
        QCOMPARE(grid->currentIndex().row(), 2);
        QCOMPARE(grid->model()->headerData(2, Qt::Vertical).toString(), QString("✎"));
        QCOMPARE(grid->model()->index(2, 0).data().toString(), QString("30"));
        QCOMPARE(stored(1), QString("10/12.5/0 20/10.25/5"));
        button(d, "saveButton")->click(); // "Сохранить" meets the same refusal
        QVERIFY(d->isVisible());
        QCOMPARE(messages_->shown.size(), 2);
        typeCell(grid, 2, 1, "6");
        goToRow(grid, 0);
        d->close();
    });
    QCOMPARE(stored(1), QString("10/12.5/0 20/10.25/5 30/6/0"));
    QCOMPARE(messages_->shown.size(), 2);
}

// Norm 20 of operation 1 (price 10,25, bonus 5) changed in one cell: each bound just inside
// and just outside; a value out of range stays pending with its message, nothing written.
void NormsTest::valuesInRange_data() {
    QTest::addColumn<int>("column"); // 0 norm, 1 price, 2 bonus
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message"); // empty: written
    QTest::newRow("norm 0") << 0 << "0"
                            << "";
    QTest::newRow("norm 999 999") << 0 << "999999"
                                  << "";
    QTest::newRow("norm 1 000 000") << 0 << "1000000" << ui::kNormOutOfRange;
    QTest::newRow("price 0") << 1 << "0" << ui::kPriceOutOfRange;
    QTest::newRow("price 0,0001") << 1 << "0,0001"
                                  << "";
    QTest::newRow("price 999 999,9999") << 1 << "999999,9999"
                                        << "";
    QTest::newRow("price 1 000 000") << 1 << "1000000" << ui::kPriceOutOfRange;
    QTest::newRow("price with five decimals") << 1 << "1,23455" << ui::kPriceOutOfRange;
    QTest::newRow("bonus 0") << 2 << "0"
                             << "";
    QTest::newRow("bonus 1000") << 2 << "1000"
                                << "";
    QTest::newRow("bonus 1001") << 2 << "1001" << ui::kBonusOutOfRange;
}

void NormsTest::valuesInRange() {
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    const QString before = stored(1);
    QString written;
    inNormsOf(1, [&](QDialog* d) {
        QTableView* grid = gridOf(d);
        typeCell(grid, 1, column, typed);
        goToRow(grid, 0);
        written = stored(1);
        d->close(); // drops what is still pending
    });
    QCOMPARE(messages_->last(), message);
    if (message.isEmpty()) {
        QStringList row = QString("20/10.25/5").split('/');
        row[column] = QString(typed).replace(',', '.');
        QVERIFY2(written.contains(row.join('/')), qPrintable(written));
    } else {
        QCOMPARE(messages_->shown.last().caption, QString("Ошибка"));
        QCOMPARE(written, before);
    }
}

void NormsTest::deleteKeepsTheLastRow_data() {
    QTest::addColumn<int>("operation");
    QTest::addColumn<QString>("storedAfter");
    QTest::newRow("two rows: the current one goes") << 1 << "20/10.25/5";
    QTest::newRow("the last row stays") << 3 << "0/30.125/0";
}

void NormsTest::deleteKeepsTheLastRow() {
    QFETCH(int, operation);
    QFETCH(QString, storedAfter);
    int rowsAfter = -1;
    inNormsOf(operation, [&](QDialog* d) {
        goToRow(gridOf(d), 0);
        button(d, "deleteButton")->click();
        rowsAfter = norms_->norms().recordCount();
        QVERIFY(d->isVisible());
        d->close();
    });
    QCOMPARE(stored(operation), storedAfter);
    QCOMPARE(rowsAfter, 1);
    QCOMPARE(messages_->shown.size(), 0); // no question
}

// A cheaper new norm, still pending, written by "Сохранить" or the keys that press it.
void NormsTest::saveShowsTheNewMinimumOnTheSameRow_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("Сохранить") << "saveButton";
    QTest::newRow("Enter") << "Enter";
    QTest::newRow("Escape") << "Escape";
}

void NormsTest::saveShowsTheNewMinimumOnTheSameRow() {
    QFETCH(QString, how);
    QString before;
    QString after;
    bool closed = false;
    runner_->then([&](QDialog* list) {
        QVERIFY(catalog_->operations().locate("id", 1));
        before = operationRow();
        const QModelIndex row = gridOf(list)->currentIndex();
        QTest::mouseDClick(gridOf(list)->viewport(), Qt::LeftButton, {},
                           gridOf(list)->visualRect(row).center());
        after = operationRow();
    });
    runner_->then([&](QDialog* d) {
        QTableView* grid = gridOf(d);
        typeCell(grid, 2, 0, "40");
        typeCell(grid, 2, 1, "1,5");
        if (how == "saveButton")
            button(d, "saveButton")->click();
        else
            QTest::keyClick(grid, how == "Enter" ? Qt::Key_Return : Qt::Key_Escape);
        closed = !d->isVisible();
    });
    operations_->openDirectory();
    QVERIFY(closed);
    QCOMPARE(before, QString("2: КМ-120-01 10.25, 2 norms"));
    QCOMPARE(after, QString("2: КМ-120-01 1.5, 3 norms"));
    QCOMPARE(stored(1), QString("10/12.5/0 20/10.25/5 40/1.5/0"));
    QCOMPARE(messages_->shown.size(), 0);
}

void NormsTest::titleBarCloseDropsPendingChanges() {
    QString after;
    inNormsOf(1, [&](QDialog* d) {
        QTableView* grid = gridOf(d);
        typeCell(grid, 0, 1, "1");
        typeCell(grid, 0, 2, "9");
        d->close();
        after = operationRow();
    });
    QCOMPARE(stored(1), QString("10/12.5/0 20/10.25/5"));
    QCOMPARE(after, QString("2: КМ-120-01 10.25, 2 norms"));
    QCOMPARE(norms_->norms().state(), data::Dataset::State::Browse);
}

void NormsTest::screenshots() {
    const QString dir = qEnvironmentVariable("TEST_OUTPUT_DIR");
    if (dir.isEmpty())
        QSKIP("TEST_OUTPUT_DIR is not set");
    QDir().mkpath(dir);
    db_->exec("insert into accounts_dep.norm(o_id, norma, price, prize) values "
              "(1, 50, 9.875, 10), (1, 100, 8, 15), (1, 200, 7.3333, 20)");
    inNormsOf(1, [&](QDialog* d) {
        QTableView* grid = gridOf(d);
        QCOMPARE(grid->model()->headerData(0, Qt::Horizontal).toString(), QString("Норматив"));
        QCOMPARE(grid->model()->headerData(1, Qt::Horizontal).toString(), QString("Цена"));
        QCOMPARE(grid->model()->headerData(2, Qt::Horizontal).toString(), QString("Премия, %"));
        typeCell(grid, 5, 1, "6.5");
        grid->setCurrentIndex(grid->model()->index(5, 2));
        QVERIFY(saveScreenshot(d, dir + "/norms.png"));
        d->close();
    });
}

QTEST_MAIN(NormsTest)
#include "norms_test.moc"
