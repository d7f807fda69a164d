// The products and workers pickers: what a choice hands over (trimmed names, ids, the
// worker code), what an empty list hands over, leaving without a choice,
// a worker code that is no whole number, and the search box cleared at each opening.
#include "data/connection.h"
#include "data/dataset.h"
#include "directories/catalog.h"
#include "directories/product_picker.h"
#include "directories/worker_picker.h"
#include "tests/support/recording_messages.h"
#include "tests/support/scripted_modal_runner.h"
#include "tests/support/test_database.h"
#include "tests/support/widget_helpers.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>

namespace {

// Every value handed over, in order.
QStringList handedOver(const std::optional<ProductChoice>& choice) {
    if (!choice)
        return {};
    return {"product " + choice->mark + "|" + QString::number(choice->id)};
}

QStringList handedOver(const std::optional<WorkerChoice>& choice) {
    if (!choice || !choice->worker)
        return {};
    const ChosenWorker& worker = *choice->worker;
    return {"name " + worker.name, "code " + QString::number(worker.code),
            "person " + QString::number(worker.personId)};
}

// How a row is picked or the window left: "double-click", "Enter", "Escape" (in the search
// box) or the name of a button.
void act(QDialog* d, const QString& how) {
    auto* grid = d->findChild<QTableView*>(); // the picker's one grid
    auto* box = d->findChild<QLineEdit*>("searchEdit");
    if (how == "double-click") {
        const QModelIndex current = grid->currentIndex();
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {},
                           current.isValid() ? grid->visualRect(current).center() : QPoint(20, 20));
    } else if (how == "Enter") {
        QTest::keyClick(box, Qt::Key_Return);
    } else if (how == "Escape") {
        QTest::keyClick(box, Qt::Key_Escape);
    } else {
        d->findChild<QPushButton*>(how)->click();
    }
}

void clickRow(QDialog* d, const QString& firstColumn) {
    auto* grid = d->findChild<QTableView*>(); // the picker's one grid
    for (int row = 0; row < grid->model()->rowCount(); ++row) {
        const QModelIndex index = grid->model()->index(row, 0);
        if (index.data().toString() == firstColumn) {
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                              grid->visualRect(index).center());
            QCOMPARE(grid->currentIndex().row(), row);
            return;
        }
    }
    QFAIL(qPrintable("no row " + firstColumn));
}

} // namespace

class PickersTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void products_data();
    void products();
    void workers_data();
    void workers();
    void aWorkerCodeThatIsNoWholeNumber();
    void screenshots();

private:
    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<RecordingMessages> messages_;
    std::unique_ptr<ScriptedModalRunner> runner_;
    data::Connection connection_;
    std::unique_ptr<directories::Catalog> catalog_;
    std::unique_ptr<ProductPicker> productPicker_;
    std::unique_ptr<WorkerPicker> workerPicker_;
};

void PickersTest::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    db_ = std::make_unique<TestDatabase>("pickers");
    messages_ = std::make_unique<RecordingMessages>();
    runner_ = std::make_unique<ScriptedModalRunner>();
    // person ids beyond 32 bits, a name with trailing blanks, one worker without a post today
    db_->exec(R"(
        insert into cmn_contractor.person(id, s_code, s_caption) values
            (700000000001, '101', 'Иванов Иван Петрович'),
            (700000000002, '102', 'Смирнова Ольга Викторовна'),
            (700000000003, '103', 'Кузнецов А.А.   '),
            (700000000004, '104', 'Ивлева Мария Сергеевна');
        insert into cmn_contractor.person(s_code, s_caption, b_employee) values ('105', 'Уволенный', false);
        insert into hrms_staffpos.staffpos(id, s_caption) values (1, 'Слесарь-сборщик'), (2, 'Маляр');
        insert into hrms_movement.movement(id_employee, d_begin, d_end, id_staffpos) values
            (700000000001, '2020-01-01', null, 1),
            (700000000002, '2020-01-01', null, 2),
            (700000000004, '2020-01-01', '2021-01-01', 2);
        insert into accounts_dep.izdel(id, marka, nom, massa) values
            (500, 'КМ-120-01', 'Каркас', 1.5), (501, 'ШР-45   ', 'Шкаф', 2.25),
            (502, 'АБ-7', null, 0.333333333);
    )");
    connection_.setConnectionString(db_->connectionString());
    connection_.open();
    catalog_ = std::make_unique<directories::Catalog>(connection_);
    productPicker_ = std::make_unique<ProductPicker>(*catalog_);
    workerPicker_ = std::make_unique<WorkerPicker>(*catalog_);
}

void PickersTest::cleanupTestCase() {
    workerPicker_.reset();
    productPicker_.reset();
    catalog_.reset();
    connection_.close();
}

void PickersTest::init() {
    messages_->clear();
    runner_->opened.clear();
}

void PickersTest::products_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("row"); // clicked first; empty: none
    QTest::addColumn<QString>("how");
    QTest::addColumn<QStringList>("handed");
    QTest::newRow("double-click, mark trimmed")
        << ""
        << "ШР-45"
        << "double-click" << QStringList{"product ШР-45|501"};
    QTest::newRow("searched in small letters")
        << "км"
        << ""
        << "double-click" << QStringList{"product КМ-120-01|500"};
    QTest::newRow("double-click on an empty list") << "Я"
                                                   << ""
                                                   << "double-click" << QStringList{"product |0"};
    QTest::newRow("Escape") << ""
                            << "АБ-7"
                            << "Escape" << QStringList{};
    QTest::newRow("Выход") << ""
                           << "АБ-7"
                           << "closeButton" << QStringList{};
    QTest::newRow("Enter chooses nothing") << "АБ"
                                           << ""
                                           << "Enter" << QStringList{};
}

void PickersTest::products() {
    QFETCH(QString, typed);
    QFETCH(QString, row);
    QFETCH(QString, how);
    QFETCH(QStringList, handed);
    productPicker_->findChild<QLineEdit*>("searchEdit")->setText("ШР"); // left from the last pick
    bool stillOpen = false;
    runner_->then([&](QDialog* d) {
        auto* box = d->findChild<QLineEdit*>("searchEdit");
        QVERIFY(box->isVisible());
        QCOMPARE(box->text(), QString());
        QCOMPARE(catalog_->products().recordCount(), 3);
        typeInto(box, typed);
        if (!row.isEmpty())
            clickRow(d, row);
        act(d, how);
        stillOpen = d->isVisible();
    });
    const auto choice = productPicker_->pick();
    QCOMPARE(runner_->opened, QList<QString>{"ProductPicker"});
    QCOMPARE(handedOver(choice), handed);
    QCOMPARE(stillOpen, how == "Enter"); // no default button: Enter does nothing
    QVERIFY(productPicker_->findChild<QLineEdit*>("searchEdit")->isHidden());
    QVERIFY(!catalog_->products().isOpen());
    QCOMPARE(messages_->shown.size(), 0);
}

void PickersTest::workers_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("how");
    QTest::addColumn<QStringList>("handed");
    QTest::addColumn<int>("chosen");
    QTest::newRow("Выбрать") << ""
                             << "Смирнова Ольга Викторовна"
                             << "chooseButton"
                             << QStringList{"name Смирнова Ольга Викторовна", "code 102",
                                            "person 700000000002"}
                             << 1;
    QTest::newRow("double-click, name trimmed")
        << ""
        << "Кузнецов А.А."
        << "double-click" << QStringList{"name Кузнецов А.А.", "code 103", "person 700000000003"}
        << 1;
    QTest::newRow("Enter in the search box")
        << "ивл"
        << ""
        << "Enter" << QStringList{"name Ивлева Мария Сергеевна", "code 104", "person 700000000004"}
        << 1;
    QTest::newRow("Выбрать on an empty list") << "Я"
                                              << ""
                                              << "chooseButton" << QStringList{} << 1;
    QTest::newRow("double-click on an empty list") << "Я"
                                                   << ""
                                                   << "double-click" << QStringList{} << 1;
    QTest::newRow("Выход") << ""
                           << "Кузнецов А.А."
                           << "closeButton" << QStringList{} << 0;
    QTest::newRow("Escape") << "Ив"
                            << ""
                            << "Escape" << QStringList{} << 0;
}

void PickersTest::workers() {
    QFETCH(QString, typed);
    QFETCH(QString, row);
    QFETCH(QString, how);
    QFETCH(QStringList, handed);
    QFETCH(int, chosen);
    // a pick before this one leaves its search text and its choice
    runner_->then([](QDialog* d) {
        d->findChild<QLineEdit*>("searchEdit")->setText("См");
        d->findChild<QPushButton*>("chooseButton")->click();
    });
    QVERIFY(workerPicker_->pick().has_value());
    QVERIFY(!catalog_->employees().isOpen());
    runner_->then([&](QDialog* d) {
        auto* box = d->findChild<QLineEdit*>("searchEdit");
        QVERIFY(box->isVisible());
        QCOMPARE(box->text(), QString());
        QCOMPARE(catalog_->employees().recordCount(), 4); // employees only
        auto* choose = d->findChild<QPushButton*>("chooseButton");
        QCOMPARE(shownText(choose->text()), QString("Выбрать"));
        QVERIFY(choose->isDefault());
        typeInto(box, typed);
        if (!row.isEmpty())
            clickRow(d, row);
        act(d, how);
        QVERIFY(!d->isVisible());
    });
    const auto choice = workerPicker_->pick();
    QCOMPARE(int(choice.has_value()), chosen);
    QCOMPARE(handedOver(choice), handed);
    QCOMPARE(messages_->shown.size(), 0);
    QVERIFY(!catalog_->employees().isOpen());
}

// The register's code is text; one that is no whole number is refused before anything is
// handed over, so no name goes out with another worker's code.
void PickersTest::aWorkerCodeThatIsNoWholeNumber() {
    db_->exec(
        "insert into cmn_contractor.person(s_code, s_caption) values ('A12', 'Ааронов Б.Б.')");
    runner_->then([&](QDialog* d) {
        clickRow(d, "Ааронов Б.Б.");
        act(d, "chooseButton");
        QVERIFY(d->isVisible());
        act(d, "closeButton");
    });
    QVERIFY(!workerPicker_->pick().has_value());
    QCOMPARE(messages_->shown.size(), 1);
    QCOMPARE(messages_->shown[0].kind, RecordingMessages::Kind::Error);
    QCOMPARE(messages_->shown[0].text,
             QString("Код этого рабочего в справочнике кадров не число: выбрать его нельзя. "
                     "Обратитесь к администратору."));
    QCOMPARE(messages_->shown[0].detail, QString("'A12' is not a valid integer value"));
    db_->exec("delete from cmn_contractor.person where s_code='A12'");
}

void PickersTest::screenshots() {
    const QString dir = qEnvironmentVariable("TEST_OUTPUT_DIR");
    if (dir.isEmpty())
        QSKIP("TEST_OUTPUT_DIR is not set");
    QDir().mkpath(dir);
    runner_->then([&](QDialog* d) {
        auto* grid = d->findChild<QTableView*>(); // the picker's one grid
        const QAbstractItemModel* model = grid->model();
        QCOMPARE(d->windowTitle(), QString("Изделия"));
        QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QString("Марка изделия"));
        QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QString("Коробки"));
        QCOMPARE(model->index(1, 1).data().toString(), QString("1,5"));
        QCOMPARE(model->index(1, 1).data(Qt::TextAlignmentRole).toInt() & Qt::AlignHorizontal_Mask,
                 int(Qt::AlignLeft));
        clickRow(d, "КМ-120-01");
        QVERIFY(saveScreenshot(d, dir + "/product_picker.png"));
    });
    productPicker_->pick();
    runner_->then([&](QDialog* d) {
        auto* grid = d->findChild<QTableView*>(); // the picker's one grid
        const QAbstractItemModel* model = grid->model();
        QCOMPARE(d->windowTitle(), QString("Список рабочих"));
        QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QString("ФИО"));
        QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QString("Должность"));
        clickRow(d, "Смирнова Ольга Викторовна");
        QVERIFY(saveScreenshot(d, dir + "/worker_picker.png"));
    });
    workerPicker_->pick();
}

QTEST_MAIN(PickersTest)
#include "pickers_test.moc"
