// The entry dialog on the test database, driven as a clerk drives it: the price of a save in
// add and edit mode, the quantity box and the checks, the frozen header after a new position,
// repeated edits, view mode, the time-sheet cells a save leaves, a server that reads dates
// month first, the materials with their proposal and limits, and the brigade.
#include "data/dataset.h"
#include "seams/clock.h"
#include "tests/support/position_editor_harness.h"
#include "tests/support/recording_messages.h"
#include "tests/support/scripted_modal_runner.h"
#include "tests/support/test_database.h"
#include "tests/support/widget_helpers.h"
#include "ui/lookup_combo_box.h"

#include <QtTest>
#include <QtWidgets>

#include <functional>
#include <memory>

namespace {

const QDate kMonday(2026, 3, 2);
const QDate kTuesday(2026, 3, 3);
const qint64 kRequisition = 7000001; // lines: 7100001 product 500 (100 pieces), 7100002 product 501
const qint64 kLine100 = 7100001;
const qint64 kLineFree = 7100002;

} // namespace

class EntryDialogTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void priceOfASave_data();
    void priceOfASave();
    void theHeaderOfEachOpening_data();
    void theHeaderOfEachOpening();
    void anotherWorkerKeepsTheOperation();
    void theNextPositionKeepsItsLineOperationAndDay();
    void quantityBox();
    void checksRefuseAndWriteNothing_data();
    void checksRefuseAndWriteNothing();
    void valuesInRange_data();
    void valuesInRange();
    void positionPriceInRange_data();
    void positionPriceInRange();
    void anImpossibleTypedDateIsRefused_data();
    void anImpossibleTypedDateIsRefused();
    void addFreezesTheHeaderAndOpensTheSections();
    void editRewritesOnePosition();
    void editMovingAPositionKeepsBothCells_data();
    void editMovingAPositionKeepsBothCells();
    void twoPositionsOnOneDaySum();
    void viewShowsEverythingDisabled();
    void aServerReadingDatesMonthFirst();
    void materialProposal_data();
    void materialProposal();
    void materialLimits_data();
    void materialLimits();
    void theConsignmentOfferedHasSomethingLeft();
    void deletingAMaterialKeepsTheListNearIt();
    void brigadeAddAndRemove();
    void brigadeDivision_data();
    void brigadeDivision();
    void screenshots();

private:
    // Runs the dialog's opener; what the person does inside is script.
    void inDialog(const std::function<void()>& open, const std::function<void(QDialog*)>& script);
    // The header of a new position: requisition and line, worker, operation, numbers.
    void fillHeader(QDialog* d, qint64 line, const QString& worker, int operation,
                    const QString& quantity, const QString& hours, const QString& rejects = "0");
    void pickWorker(QDialog* d, const QString& name, const char* button = "pickWorkerButton");
    void pickOperation(QDialog* d, int operation);
    void choose(QDialog* d, const char* lookup, qint64 key);
    // A new position saved through the dialog; its id.
    int addThroughDialog(const QString& worker = "Иванов И.И.", int operation = 1,
                         const QString& quantity = "10", const QString& hours = "8");
    QString position(int id, const QString& columns);
    int positions();

    template <typename T> T* child(QWidget* w, const char* name) {
        T* found = w->findChild<T*>(QString::fromLatin1(name));
        if (!found)
            qFatal("no %s", name);
        return found;
    }

    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<RecordingMessages> messages_;
    std::unique_ptr<ScriptedModalRunner> modal_;
    std::unique_ptr<OpenConnection> connection_;
    std::unique_ptr<FakeJournal> journal_;
    std::unique_ptr<EntryWindows> windows_;
    PositionEditor* entry_ = nullptr;
};

void EntryDialogTest::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    db_ = std::make_unique<TestDatabase>("entry");
    messages_ = std::make_unique<RecordingMessages>();
    modal_ = std::make_unique<ScriptedModalRunner>();
    db_->exec(R"(
        insert into cmn_contractor.person(id, s_code, s_caption) values
            (10, '101', 'Иванов И.И.'), (11, '102', 'Петров П.П.'), (12, '103', 'Сидоров С.С.');
        insert into accounts_dep.izdel(id, marka, nom, massa) values
            (500, 'КМ-120', 'Каркас', 1), (501, 'АБ-1', 'Балка', 2);
        insert into accounts_dep.vid_oper(id, vid) values (1, 'Сборка'), (2, 'Покраска');
        insert into accounts_dep.oper(id, i_id, vid, naimen) values
            (1, 500, 1, 0), (2, 500, 2, 1), (3, 501, 1, 0);
        insert into accounts_dep.norm(o_id, norma, price) values
            (1, 10, 5), (1, 20, 4.5), (2, 1, 2), (3, 1, 7);
        insert into mnf_doc.doc(id, s_number, d_date) values
            (7000001, '15', '2026-03-01'), (7000002, '16', '2026-03-02');
        insert into mnf_doc.doc_item(id, id_doc, n_line, id_gds, f_qty) values
            (7100001, 7000001, 1, 500, 100), (7100002, 7000001, 2, 501, 0),
            (7100003, 7000002, 1, 500, 0);
        insert into cmn_gds_and_srv.gds(id, s_group_tmc, s_code, s_caption, s_full_caption) values
            (3000001, 'Металл', 'Л2', 'Лист 2 мм', 'Лист стальной 2 мм'),
            (3000002, 'ЛКМ', 'Э7035', 'Эмаль ral 7035', 'Эмаль RAL 7035'),
            (3000003, 'Металл', 'П1', 'Проволока', 'Проволока 1 мм');
        insert into cmn_gds_and_srv.consignment(id, id_gds, s_code, s_warehouse, d_date, f_qty)
        values (3500000, 3000001, 'П-0', 'Склад 1', '2025-12-01', 0),
               (3500001, 3000001, 'П-1', 'Склад 1', '2026-01-10', 10.0004),
               (3500002, 3000002, 'П-7', 'Склад 2', '2026-01-11', 5);
        insert into cmn_gds_and_srv.gds_attr(id, f_mass, f_color_qty) values (500, 0.4, 0.05);
    )");
    connection_ = std::make_unique<OpenConnection>(db_->connectionString());
    journal_ = std::make_unique<FakeJournal>(*connection_);
    windows_ = std::make_unique<EntryWindows>(*connection_);
    entry_ = &windows_->entry;
}

void EntryDialogTest::init() {
    // truncate: no row trigger, so accepted positions go too
    db_->exec("truncate accounts_dep.smena; delete from accounts_dep.h_tabel; "
              "delete from accounts_dep.smena_gds_use; delete from accounts_dep.person_temp;");
    messages_->clear();
    seams::Clock::setFixedToday(kMonday);
    journal_->date = kMonday;
    journal_->weekend = false;
    journal_->login = {};
    journal_->login.userName = "petrova";
    journal_->readShift();
}

void EntryDialogTest::cleanup() {
    seams::Clock::setFixedToday(QDate());
    QCOMPARE(modal_->pending(), 0);
}

void EntryDialogTest::inDialog(const std::function<void()>& open,
                               const std::function<void(QDialog*)>& script) {
    modal_->then(script);
    open();
}

void EntryDialogTest::choose(QDialog* d, const char* lookup, qint64 key) {
    QVERIFY2(chooseLookupKey(d, lookup, key),
             qPrintable(QString("%1 has no %2").arg(lookup).arg(key)));
}

void EntryDialogTest::pickWorker(QDialog* d, const QString& name, const char* button) {
    QVERIFY2(pickFromList(*modal_, d, button, workerNamed(name)),
             qPrintable("the worker is not offered: " + name));
}

void EntryDialogTest::pickOperation(QDialog* d, int operation) {
    QVERIFY2(pickFromList(*modal_, d, "pickOperationButton", operationNumbered(operation)),
             "the operation is not offered");
}

void EntryDialogTest::fillHeader(QDialog* d, qint64 line, const QString& worker, int operation,
                                 const QString& quantity, const QString& hours,
                                 const QString& rejects) {
    const QString missing = fillEntryHeader(*modal_, d,
                                            {.requisition = kRequisition,
                                             .line = line,
                                             .worker = workerNamed(worker),
                                             .operation = operationNumbered(operation),
                                             .quantity = quantity,
                                             .hours = hours,
                                             .rejects = rejects});
    QVERIFY2(missing.isEmpty(), qPrintable(missing));
}

int EntryDialogTest::addThroughDialog(const QString& worker, int operation, const QString& quantity,
                                      const QString& hours) {
    int id = 0;
    inDialog([this] { journal_->add(*entry_); },
             [&](QDialog* d) {
                 // operations 1 and 2 are on the product of the line of 100 pieces
                 fillHeader(d, operation == 3 ? kLineFree : kLine100, worker, operation, quantity,
                            hours);
                 child<QPushButton>(d, "saveHeaderButton")->click();
                 id = entry_->positionId();
             });
    return id;
}

QString EntryDialogTest::position(int id, const QString& columns) {
    return db_->scalar(
        QStringLiteral("select %1 from accounts_dep.smena where id=%2").arg(columns).arg(id));
}

int EntryDialogTest::positions() {
    return db_->scalar("select count(*) from accounts_dep.smena").toInt();
}

// The stored price: the operation's own (its smallest norm price, 4,5) times the factors of
// the save, in add mode and again when the stored position is saved in edit mode.
// The price box shows, read-only, the price the save stores and names its factor, before the
// save in add mode and when the position is opened for a change.
void EntryDialogTest::priceOfASave_data() {
    QTest::addColumn<int>("shift");
    QTest::addColumn<bool>("dayOff");
    QTest::addColumn<QString>("cena");
    QTest::addColumn<QString>("shown"); // the box, then its factor
    QTest::newRow("shift 1") << 1 << false << "4.5"
                             << "4,5 ";
    QTest::newRow("shift 2, day off") << 2 << true << "9"
                                      << "9 × 2: выходной";
    QTest::newRow("shift 3") << 3 << false << "5.4"
                             << "5,4 × 1,2: смена 3";
    QTest::newRow("shift 3, day off") << 3 << true << "10.8"
                                      << "10,8 × 2,4: смена 3, выходной";
    QTest::newRow("overtime") << 4 << false << "6.75"
                              << "6,75 × 1,5: переработка";
    QTest::newRow("overtime, day off") << 4 << true << "13.5"
                                       << "13,5 × 3: переработка, выходной";
}

void EntryDialogTest::priceOfASave() {
    QFETCH(int, shift);
    QFETCH(bool, dayOff);
    QFETCH(QString, cena);
    QFETCH(QString, shown);
    journal_->login.currentShift = shift;
    journal_->weekend = dayOff;
    journal_->readShift();
    const auto priceShown = [this](QDialog* d) {
        if (!child<QLineEdit>(d, "priceEdit")->isReadOnly())
            return QString("typed into");
        return child<QLineEdit>(d, "priceEdit")->text() + " " +
               child<QLabel>(d, "priceFactorLabel")->text();
    };
    int id = 0;
    inDialog([this] { journal_->add(*entry_); },
             [&](QDialog* d) {
                 QCOMPARE(priceShown(d), QString(" ")); // nothing before an operation
                 fillHeader(d, kLine100, "Иванов И.И.", 1, "10", "8");
                 QCOMPARE(priceShown(d), shown);
                 child<QPushButton>(d, "saveHeaderButton")->click();
                 id = entry_->positionId();
             });
    QVERIFY(id > 0);
    QCOMPARE(position(id, "cena"), cena);
    QCOMPARE(position(id, "ok"), QString("no"));
    journal_->readShift();
    QVERIFY(journal_->currentShift().locate("id", id));
    inDialog([this] { journal_->change(*entry_); },
             [&](QDialog* d) {
                 QCOMPARE(d->windowTitle(), QString("Изменение данных о позиции"));
                 QCOMPARE(entry_->mode(), PositionEditor::Mode::Edit);
                 QCOMPARE(priceShown(d), shown);
                 child<QPushButton>(d, "saveHeaderButton")->click();
             });
    QCOMPARE(position(id, "cena"), cena); // not the stored price times the factors again
    QVERIFY(messages_->shown.isEmpty());
}

// Every opening starts on "Заявка" (a view, with nothing to change, on "Выход"); the caption
// "Закрыто мастером" stands over an accepted position's header only; each box is named by its
// own label for a screen reader, not by that caption.
void EntryDialogTest::theHeaderOfEachOpening_data() {
    QTest::addColumn<QString>("opening");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("focus");
    QTest::newRow("add") << "add"
                         << ""
                         << ""
                         << "requisitionCombo";
    QTest::newRow("change") << "change"
                            << "no"
                            << ""
                            << "requisitionCombo";
    QTest::newRow("view") << "view"
                          << "no"
                          << ""
                          << "closeButton";
    QTest::newRow("view, accepted") << "view"
                                    << "ok"
                                    << "Закрыто мастером"
                                    << "closeButton";
}

void EntryDialogTest::theHeaderOfEachOpening() {
    QFETCH(QString, opening);
    QFETCH(QString, status);
    QFETCH(QString, caption);
    QFETCH(QString, focus);
    if (!status.isEmpty()) {
        const int id = addThroughDialog();
        db_->exec(QString("update accounts_dep.smena set ok='%1' where id=%2").arg(status).arg(id));
        journal_->readShift();
        QVERIFY(journal_->currentShift().locate("id", id));
    }
    // the focus left elsewhere by the opening before
    modal_->then([this](QDialog* d) { child<QLineEdit>(d, "hoursEdit")->setFocus(); });
    journal_->add(*entry_);
    inDialog(
        [&] {
            if (opening == "add")
                journal_->add(*entry_);
            else if (opening == "change")
                journal_->change(*entry_);
            else
                journal_->view(*entry_);
        },
        [&](QDialog* d) {
            QCOMPARE(d->focusWidget()->objectName(), focus);
            QCOMPARE(child<QGroupBox>(d, "headerGroup")->title(), caption);
            const QList<std::pair<const char*, QString>> named{
                {"requisitionCombo", "Заявка"}, {"requisitionLineCombo", "Строка"},
                {"workerEdit", "ФИО"},          {"operationEdit", "Операция"},
                {"quantityEdit", "Кол-во"},     {"hoursEdit", "Время"},
                {"workDateEdit", "Дата"},       {"rejectsEdit", "Брак"},
                {"priceEdit", "Цена"}};
            for (const auto& [box, name] : named) {
                QWidget* w = child<QWidget>(d, box);
                QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
                QVERIFY2(a, box);
                // its first label is its own; a combo box says its entry as its name
                const auto labels = a->relations(QAccessible::Label);
                QVERIFY2(!labels.isEmpty(), box);
                QCOMPARE(labels.first().first->text(QAccessible::Name), name);
                if (!qobject_cast<QComboBox*>(w))
                    QCOMPARE(a->text(QAccessible::Name), name);
            }
        });
}

// Another worker did the same work: the operation stays, and the save stores both.
void EntryDialogTest::anotherWorkerKeepsTheOperation() {
    const int id = addThroughDialog("Иванов И.И.", 1, "10", "8");
    journal_->readShift();
    QVERIFY(journal_->currentShift().locate("id", id));
    inDialog([this] { journal_->change(*entry_); },
             [&](QDialog* d) {
                 pickWorker(d, "Петров П.П.");
                 QCOMPARE(child<QLineEdit>(d, "operationEdit")->text(),
                          QString("КМ-120; Сборка; Готовая продукция"));
                 child<QPushButton>(d, "saveHeaderButton")->click();
             });
    QVERIFY(messages_->shown.isEmpty());
    QCOMPARE(position(id, "w_id || ' ' || o_id"), QString("102 1"));
}

// "Запись и следующая" stores the position and starts the next on the same requisition, line,
// operation and day; the worker and the numbers are the next one's. From a change it goes on
// as a new position.
void EntryDialogTest::theNextPositionKeepsItsLineOperationAndDay() {
    const int first = addThroughDialog("Иванов И.И.", 1, "10", "8");
    journal_->readShift();
    QVERIFY(journal_->currentShift().locate("id", first));
    int next = 0;
    inDialog([this] { journal_->change(*entry_); },
             [&](QDialog* d) {
                 child<QDateEdit>(d, "workDateEdit")->setDate(kTuesday);
                 child<QPushButton>(d, "saveNextButton")->click();
                 QCOMPARE(d->windowTitle(), QString("Заведение новой позиции"));
                 QCOMPARE(child<QLineEdit>(d, "workerEdit")->text(), QString());
                 QCOMPARE(child<QLineEdit>(d, "quantityEdit")->text(), QString());
                 QCOMPARE(child<QLineEdit>(d, "hoursEdit")->text(), QString("0"));
                 QCOMPARE(child<QLabel>(d, "positionIdLabel")->text(), QString());
                 QCOMPARE(child<QLineEdit>(d, "priceEdit")->text(), QString("4,5"));
                 QCOMPARE(d->focusWidget(), child<QWidget>(d, "workerEdit"));
                 pickWorker(d, "Сидоров С.С.");
                 child<QLineEdit>(d, "quantityEdit")->setText("3");
                 child<QLineEdit>(d, "hoursEdit")->setText("2");
                 child<QPushButton>(d, "saveNextButton")->click();
                 next = entry_->positionId();
                 QCOMPARE(next, 0); // a third one is begun
                 QVERIFY(child<QGroupBox>(d, "headerGroup")->isEnabled());
             });
    QVERIFY(messages_->shown.isEmpty());
    QCOMPARE(db_->scalar("select string_agg(w_id || ' ' || o_id || ' ' || id_doc_item || ' ' || "
                         "data || ' ' || kol_vo || ' ' || time, ' | ' order by id) from "
                         "accounts_dep.smena"),
             QString("101 1 %1 2026-03-03 10 8 | 103 1 %1 2026-03-03 3 2").arg(kLine100));
}

void EntryDialogTest::quantityBox() {
    int id = 0;
    inDialog([this] { journal_->add(*entry_); },
             [&](QDialog* d) {
                 fillHeader(d, kLine100, "Иванов И.И.", 1, "", "8");
                 auto* quantity = child<QLineEdit>(d, "quantityEdit");
                 pickOperation(d, 1);
                 QCOMPARE(quantity->text(), QString("0")); // the operation pick leaves 0 in it
                 quantity->clear();
                 typeInto(quantity, "12.5");
                 QCOMPARE(quantity->text(), QString("12,5"));
                 quantity->clear();
                 typeInto(quantity, "1,,2");
                 child<QPushButton>(d, "saveHeaderButton")->click();
                 QCOMPARE(messages_->last(), QString("Введите число, например 12,5."));
                 QCOMPARE(positions(), 0);
                 quantity->setText("12,5");
                 child<QPushButton>(d, "saveHeaderButton")->click();
                 id = entry_->positionId();
             });
    QCOMPARE(position(id, "kol_vo"), QString("12.5"));
}

void EntryDialogTest::checksRefuseAndWriteNothing_data() {
    QTest::addColumn<qint64>("line");
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("rejects");
    QTest::addColumn<QString>("message"); // empty: saved
    const QString above = "Количество изделий не может быть больше требуемого!";
    QTest::newRow("line of 100: 100") << kLine100 << "100"
                                      << "0"
                                      << "";
    QTest::newRow("line of 100: 100,5") << kLine100 << "100,5"
                                        << "0" << above;
    QTest::newRow("line without a limit: 100,5") << kLineFree << "100,5"
                                                 << "0"
                                                 << "";
    QTest::newRow("rejects above the quantity") << kLineFree << "3"
                                                << "4"
                                                << "Брак не может быть больше количества!";
}

void EntryDialogTest::checksRefuseAndWriteNothing() {
    QFETCH(qint64, line);
    QFETCH(QString, quantity);
    QFETCH(QString, rejects);
    QFETCH(QString, message);
    const int operation = line == kLine100 ? 1 : 3; // an operation on the line's product
    inDialog([this] { journal_->add(*entry_); },
             [&](QDialog* d) {
                 fillHeader(d, line, "Петров П.П.", operation, quantity, "4", rejects);
                 child<QPushButton>(d, "saveHeaderButton")->click();
             });
    QCOMPARE(positions(), message.isEmpty() ? 1 : 0);
    QCOMPARE(messages_->last(), message);
    if (!message.isEmpty())
        QCOMPARE(messages_->shown.last().caption, QString("Ошибка"));
}

// Each bound just inside and just outside, on a line without a limit; today is 02.03.2026.
void EntryDialogTest::valuesInRange_data() {
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("hours");
    QTest::addColumn<QDate>("day");
    QTest::addColumn<int>("otherHours");  // the worker's position in shift 2 of that day
    QTest::addColumn<QString>("message"); // empty: saved
    const QString quantity = "Количество должно быть больше 0 и не больше 1 000 000.";
    const QString hours = "Часы должны быть от 0 до 24.";
    const QString daySum = "Часов рабочего за день по всем сменам не может быть больше 24.";
    const QString date = "Дата работы должна быть с 2000 года по следующий год.";
    QTest::newRow("quantity 0") << "0"
                                << "8" << kMonday << 0 << quantity;
    QTest::newRow("quantity 0,001") << "0,001"
                                    << "8" << kMonday << 0 << "";
    QTest::newRow("quantity 1 000 000") << "1000000"
                                        << "8" << kMonday << 0 << "";
    QTest::newRow("quantity 1 000 000,001") << "1000000,001"
                                            << "8" << kMonday << 0 << quantity;
    QTest::newRow("quantity 1e308 pasted") << "1e308"
                                           << "8" << kMonday << 0 << quantity;
    QTest::newRow("hours 0") << "10"
                             << "0" << kMonday << 0 << "";
    QTest::newRow("hours 24") << "10"
                              << "24" << kMonday << 0 << "";
    QTest::newRow("hours 25") << "10"
                              << "25" << kMonday << 0 << hours;
    QTest::newRow("hours -1 pasted") << "10"
                                     << "-1" << kMonday << 0 << hours;
    QTest::newRow("a day of 24 hours") << "10"
                                       << "4" << kMonday << 20 << "";
    QTest::newRow("a day of 25 hours") << "10"
                                       << "5" << kMonday << 20 << daySum;
    QTest::newRow("31.12.1999") << "10"
                                << "8" << QDate(1999, 12, 31) << 0 << date;
    QTest::newRow("01.01.2000") << "10"
                                << "8" << QDate(2000, 1, 1) << 0 << "";
    QTest::newRow("31.12 of next year") << "10"
                                        << "8" << QDate(2027, 12, 31) << 0 << "";
    QTest::newRow("01.01 two years on") << "10"
                                        << "8" << QDate(2028, 1, 1) << 0 << date;
    QTest::newRow("year 9999") << "10"
                               << "8" << QDate(9999, 3, 2) << 0 << date;
}

void EntryDialogTest::valuesInRange() {
    QFETCH(QString, quantity);
    QFETCH(QString, hours);
    QFETCH(QDate, day);
    QFETCH(int, otherHours);
    QFETCH(QString, message);
    if (otherHours > 0)
        db_->exec(QString("insert into accounts_dep.smena(data, smena, w_id, i_id, o_id, kol_vo, "
                          "time) values ('%1', 2, 102, 501, 3, 1, %2)")
                      .arg(day.toString(Qt::ISODate))
                      .arg(otherHours));
    const int before = positions();
    inDialog([this] { journal_->add(*entry_); },
             [&](QDialog* d) {
                 fillHeader(d, kLineFree, "Петров П.П.", 3, quantity, hours);
                 child<QDateEdit>(d, "workDateEdit")->setDate(day);
                 child<QPushButton>(d, "saveHeaderButton")->click();
             });
    QCOMPARE(messages_->last(), message);
    QCOMPARE(positions(), before + (message.isEmpty() ? 1 : 0));
    if (!message.isEmpty())
        QCOMPARE(messages_->shown.last().caption, QString("Ошибка"));
}

// An operation priced before prices were kept below 10^6, saved on a day off (twice its price).
void EntryDialogTest::positionPriceInRange_data() {
    QTest::addColumn<QString>("price");
    QTest::addColumn<QString>("message");
    // the operation's price is held in 32 bits: a half is exact at this size
    QTest::newRow("4 999 999,5 makes 9 999 999") << "4999999.5"
                                                 << "";
    QTest::newRow("5 000 000 makes 10 000 000") << "5000000"
                                                << "Цена позиции должна быть от 0 до 10 000 000.";
}

void EntryDialogTest::positionPriceInRange() {
    QFETCH(QString, price);
    QFETCH(QString, message);
    // stored before the database kept prices in range: past its rules, as a restore loads it
    db_->exec("set session_replication_role = replica; update accounts_dep.norm set price=" +
              price + " where o_id=3; set session_replication_role = origin");
    journal_->weekend = true;
    inDialog([this] { journal_->add(*entry_); },
             [&](QDialog* d) {
                 fillHeader(d, kLineFree, "Петров П.П.", 3, "1", "8");
                 child<QPushButton>(d, "saveHeaderButton")->click();
             });
    db_->exec("update accounts_dep.norm set price=7 where o_id=3");
    QCOMPARE(messages_->last(), message);
    QCOMPARE(positions(), message.isEmpty() ? 1 : 0);
}

// 31.02.2026 typed into the date box: refused, not saved on another day.
void EntryDialogTest::anImpossibleTypedDateIsRefused_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("day, then month") << "day, then month";
    QTest::newRow("its digits in a row") << "31022026";
}

void EntryDialogTest::anImpossibleTypedDateIsRefused() {
    QFETCH(QString, how);
    inDialog([this] { journal_->add(*entry_); },
             [&](QDialog* d) {
                 fillHeader(d, kLineFree, "Петров П.П.", 3, "10", "8");
                 auto* date = child<QDateEdit>(d, "workDateEdit");
                 date->setFocus();
                 if (how == "day, then month") {
                     date->setSelectedSection(QDateTimeEdit::DaySection);
                     typeInto(date, "31");
                     date->setSelectedSection(QDateTimeEdit::MonthSection);
                     typeInto(date, "02");
                 } else {
                     date->setSelectedSection(QDateTimeEdit::DaySection);
                     typeInto(date, how);
                 }
                 QCOMPARE(date->text(), QString("31.02.2026"));
                 QFocusEvent out(QEvent::FocusOut);
                 QApplication::sendEvent(date, &out);
                 child<QPushButton>(d, "saveHeaderButton")->click();
                 QCOMPARE(messages_->last(), QString("Такой даты нет в календаре."));
                 QCOMPARE(positions(), 0);
                 // the date it shows again is saved once the person saves again
                 child<QPushButton>(d, "saveHeaderButton")->click();
                 QCOMPARE(positions(), 1);
                 QCOMPARE(position(entry_->positionId(), "data"),
                          date->date().toString(Qt::ISODate));
             });
}

// After the first save the header is frozen and the materials and the brigade open; the next
// "Добавить" starts from an empty, usable header. Missing fields are refused.
void EntryDialogTest::addFreezesTheHeaderAndOpensTheSections() {
    const QStringList sections{"addMaterialButton", "removeMaterialButton", "addMemberButton",
                               "removeMemberButton", "divideButton"};
    inDialog([this] { journal_->add(*entry_); },
             [&](QDialog* d) {
                 QCOMPARE(d->windowTitle(), QString("Заведение новой позиции"));
                 for (const QString& b : sections)
                     QVERIFY2(!child<QPushButton>(d, qPrintable(b))->isEnabled(), qPrintable(b));
                 child<QPushButton>(d, "saveHeaderButton")->click();
                 QCOMPARE(messages_->last(), QString("Все поля должны быть заполнены!"));
                 fillHeader(d, kLineFree, "Иванов И.И.", 3, "10", "8");
                 // a requisition chosen again drops the line, the worker and the operation
                 choose(d, "requisitionCombo", kRequisition);
                 QVERIFY(!child<ui::LookupComboBox>(d, "requisitionLineCombo")->showsText());
                 QCOMPARE(child<QLineEdit>(d, "workerEdit")->text(), QString());
                 QCOMPARE(child<QLineEdit>(d, "operationEdit")->text(), QString());
                 fillHeader(d, kLineFree, "Иванов И.И.", 3, "10", "8");
                 QCOMPARE(child<QLineEdit>(d, "operationEdit")->text(),
                          QString("АБ-1; Сборка; Готовая продукция"));
                 QCOMPARE(child<QLineEdit>(d, "priceEdit")->text(), QString("7"));
                 child<QPushButton>(d, "saveHeaderButton")->click();
                 const int id = entry_->positionId();
                 QVERIFY(id > 0);
                 QCOMPARE(child<QLabel>(d, "positionIdLabel")->text(), QString::number(id));
                 QVERIFY(!child<QGroupBox>(d, "headerGroup")->isEnabled());
                 QVERIFY(!child<QPushButton>(d, "saveHeaderButton")->isEnabled());
                 for (const QString& b : sections)
                     QVERIFY2(child<QPushButton>(d, qPrintable(b))->isEnabled(), qPrintable(b));
                 QVERIFY(child<QTableView>(d, "materialsView")->isEnabled());
                 QVERIFY(child<QTableView>(d, "brigadeView")->isEnabled());
             });
    // back in the journal, its list stands on the new position
    QCOMPARE(journal_->currentShift().asInt("id"), entry_->positionId());
    QCOMPARE(position(entry_->positionId(), "w_id || ' ' || i_id || ' ' || o_id || ' ' || "
                                            "id_doc || ' ' || id_doc_item || ' ' || time"),
             QString("101 501 3 7000001 7100002 8"));
    inDialog([this] { journal_->add(*entry_); },
             [&](QDialog* d) {
                 QVERIFY(child<QGroupBox>(d, "headerGroup")->isEnabled());
                 QVERIFY(child<QPushButton>(d, "saveHeaderButton")->isEnabled());
                 QCOMPARE(child<QLabel>(d, "positionIdLabel")->text(), QString());
                 QCOMPARE(child<QLineEdit>(d, "workerEdit")->text(), QString());
                 QCOMPARE(child<QLineEdit>(d, "quantityEdit")->text(), QString());
                 QCOMPARE(child<QLineEdit>(d, "rejectsEdit")->text(), QString("0"));
                 QVERIFY(!child<ui::LookupComboBox>(d, "requisitionCombo")->showsText());
                 QCOMPARE(entry_->positionId(), 0);
             });
    QCOMPARE(positions(), 1);
}

void EntryDialogTest::editRewritesOnePosition() {
    const int id = addThroughDialog("Иванов И.И.", 1, "10", "8");
    journal_->readShift();
    QVERIFY(journal_->currentShift().locate("id", id));
    const qsizetype openedBefore = modal_->opened.count("PositionEditor");
    inDialog([this] { journal_->change(*entry_); },
             [&](QDialog* d) {
                 QCOMPARE(child<QLabel>(d, "positionIdLabel")->text(), QString::number(id));
                 QCOMPARE(child<QLineEdit>(d, "workerEdit")->text(), QString("Иванов И.И."));
                 QCOMPARE(child<QLineEdit>(d, "quantityEdit")->text(), QString("10"));
                 QCOMPARE(child<ui::LookupComboBox>(d, "requisitionLineCombo")->keyValue(),
                          kLine100);
                 QVERIFY(child<ui::LookupComboBox>(d, "requisitionCombo")->showsText());
                 QVERIFY(child<QPushButton>(d, "addMaterialButton")->isEnabled());
                 QVERIFY(!child<QPushButton>(d, "addMemberButton")->isEnabled());
                 child<QLineEdit>(d, "hoursEdit")->setText("6");
                 child<QPushButton>(d, "saveHeaderButton")->click();
                 child<QLineEdit>(d, "hoursEdit")->setText("5");
                 child<QLineEdit>(d, "quantityEdit")->setText("9,5");
                 child<QPushButton>(d, "saveHeaderButton")->click();
                 QVERIFY(child<QPushButton>(d, "saveHeaderButton")->isEnabled());
             });
    QCOMPARE(positions(), 1);
    QCOMPARE(position(id, "time || ' ' || kol_vo"), QString("5 9.5"));
    QCOMPARE(db_->timesheetText(101), QString("s1 3.2026: d2=5"));
    // an accepted position is not opened for a change
    db_->exec(QString("update accounts_dep.smena set ok='ok' where id=%1").arg(id));
    journal_->readShift();
    journal_->change(*entry_);
    QCOMPARE(modal_->opened.count("PositionEditor"), openedBefore + 1); // the change, nothing more
}

// A position moved to another day or worker leaves its old cell with what is left there.
void EntryDialogTest::editMovingAPositionKeepsBothCells_data() {
    QTest::addColumn<bool>("otherDay");
    QTest::addColumn<QString>("ivanov");
    QTest::addColumn<QString>("petrov");
    QTest::newRow("to another day") << true << "s1 3.2026: d2=3 d3=8"
                                    << "";
    QTest::newRow("to another worker") << false << "s1 3.2026: d2=3"
                                       << "s1 3.2026: d2=8";
}

void EntryDialogTest::editMovingAPositionKeepsBothCells() {
    QFETCH(bool, otherDay);
    QFETCH(QString, ivanov);
    QFETCH(QString, petrov);
    const int moved = addThroughDialog("Иванов И.И.", 1, "10", "8");
    addThroughDialog("Иванов И.И.", 3, "2", "3");
    QCOMPARE(db_->timesheetText(101), QString("s1 3.2026: d2=11"));
    journal_->readShift();
    QVERIFY(journal_->currentShift().locate("id", moved));
    inDialog([this] { journal_->change(*entry_); },
             [&](QDialog* d) {
                 if (otherDay) {
                     child<QDateEdit>(d, "workDateEdit")->setDate(kTuesday);
                 } else {
                     pickWorker(d, "Петров П.П.");
                     pickOperation(d, 1);
                 }
                 child<QPushButton>(d, "saveHeaderButton")->click();
             });
    QCOMPARE(db_->timesheetText(101), ivanov);
    QCOMPARE(db_->timesheetText(102), petrov);
}

void EntryDialogTest::twoPositionsOnOneDaySum() {
    addThroughDialog("Сидоров С.С.", 1, "10", "5");
    QCOMPARE(db_->timesheetText(103), QString("s1 3.2026: d2=5"));
    addThroughDialog("Сидоров С.С.", 3, "1", "4");
    QCOMPARE(db_->timesheetText(103), QString("s1 3.2026: d2=9"));
}

void EntryDialogTest::viewShowsEverythingDisabled() {
    const int id = addThroughDialog();
    db_->exec(QString("insert into accounts_dep.person_temp(id_smena, id_person) values (%1, 11)")
                  .arg(id));
    journal_->readShift();
    QVERIFY(journal_->currentShift().locate("id", id));
    inDialog([this] { journal_->view(*entry_); },
             [&](QDialog* d) {
                 QCOMPARE(d->windowTitle(), QString("Просмотр данных о позиции"));
                 QCOMPARE(entry_->mode(), PositionEditor::Mode::View);
                 for (const char* name :
                      {"saveHeaderButton", "addMaterialButton", "removeMaterialButton",
                       "addMemberButton", "removeMemberButton", "divideButton"})
                     QVERIFY2(!child<QPushButton>(d, name)->isEnabled(), name);
                 QVERIFY(!child<QGroupBox>(d, "headerGroup")->isEnabled());
                 QVERIFY(!child<QTableView>(d, "materialsView")->isEnabled());
                 QCOMPARE(child<ui::LookupComboBox>(d, "requisitionCombo")->currentText(),
                          QString("Заявка № 15 от 01.03.2026"));
                 QCOMPARE(child<ui::LookupComboBox>(d, "requisitionLineCombo")->keyValue(),
                          kLine100);
                 QCOMPARE(child<QLabel>(d, "positionIdLabel")->text(), QString::number(id));
                 // the brigade of the position, to read
                 QCOMPARE(entry_->brigadeMembers().recordCount(), 1);
             });
    QCOMPARE(position(id, "time"), QString("8"));
}

// The entry date goes in as day.month.year text; a server that reads dates month first by
// default must still store the 13th of March.
void EntryDialogTest::aServerReadingDatesMonthFirst() {
    db_->exec(QString("alter database %1 set DateStyle = 'ISO, MDY'").arg(db_->name()));
    OpenConnection station(
        db_->connectionString()); // a new connection takes the database's setting
    QCOMPARE(readScalar(station, "select '03.04.2026'::date::text"), QString("2026-04-03"));
    FakeJournal journal(station);
    journal.date = QDate(2026, 3, 13);
    journal.login.userName = "petrova";
    journal.readShift();
    seams::Clock::setFixedToday(QDate(2026, 3, 13));
    EntryWindows windows(station);
    PositionEditor& entry = windows.entry;
    modal_->then([&](QDialog* d) {
        const QString missing = fillEntryHeader(*modal_, d,
                                                {.requisition = kRequisition,
                                                 .line = kLine100,
                                                 .worker = workerNamed("Иванов И.И."),
                                                 .quantity = "1"});
        QVERIFY2(missing.isEmpty(), qPrintable(missing));
        child<QPushButton>(d, "saveHeaderButton")->click();
    });
    journal.add(entry);
    db_->exec(QString("alter database %1 reset DateStyle").arg(db_->name()));
    QVERIFY(entry.positionId() > 0);
    QCOMPARE(position(entry.positionId(), "data || ' ' || vvod::date"),
             QString("2026-03-13 2026-03-13"));
    QCOMPARE(db_->timesheetText(101), QString("s1 3.2026:"));
}

// The proposal is the position's quantity times the product's norm per piece: paint for a
// material with "RAL" in its name, metal otherwise, nothing for a product without norms.
void EntryDialogTest::materialProposal_data() {
    QTest::addColumn<int>("operation");
    QTest::addColumn<qint64>("material");
    QTest::addColumn<QString>("proposal");
    QTest::newRow("metal: 12,5 × 0,4") << 1 << qint64(3000001) << "5";
    QTest::newRow("paint: 12,5 × 0,05") << 1 << qint64(3000002) << "0,625";
    QTest::newRow("a product without norms") << 3 << qint64(3000001) << "0";
}

void EntryDialogTest::materialProposal() {
    QFETCH(int, operation);
    QFETCH(qint64, material);
    QFETCH(QString, proposal);
    inDialog([this] { journal_->add(*entry_); },
             [&](QDialog* d) {
                 fillHeader(d, operation == 1 ? kLine100 : kLineFree, "Иванов И.И.", operation,
                            "12,5", "8");
                 child<QPushButton>(d, "saveHeaderButton")->click();
                 modal_->then([&](QDialog* m) {
                     QCOMPARE(m->windowTitle(), QString("Материал"));
                     choose(m, "materialCombo", material);
                     QCOMPARE(child<QLineEdit>(m, "consumptionEdit")->text(), proposal);
                     child<QLineEdit>(m, "consumptionEdit")->setText("0,5");
                     child<QPushButton>(m, "saveButton")->click();
                     QVERIFY(!m->isVisible());
                 });
                 child<QPushButton>(d, "addMaterialButton")->click();
                 QCOMPARE(entry_->materialRows().recordCount(), 1);
             });
    QCOMPARE(db_->scalar("select id_gds_use || ' ' || f_qty_use from accounts_dep.smena_gds_use"),
             QString("%1 0.5").arg(material));
}

void EntryDialogTest::materialLimits_data() {
    QTest::addColumn<qint64>("material");
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("message"); // empty: stored
    const QString above = "Расход ТМЦ не может быть больше партии!";
    QTest::newRow("all that is left") << qint64(3000001) << "10,0004"
                                      << "";
    QTest::newRow("equal at 3 decimals") << qint64(3000001) << "10,0001"
                                         << "";
    QTest::newRow("above at 3 decimals") << qint64(3000001) << "10,001" << above;
    QTest::newRow("a material without consignments") << qint64(3000003) << "1" << above;
    QTest::newRow("zero") << qint64(3000001) << "0"
                          << "Расход ТМЦ не может быть 0!";
    QTest::newRow("empty") << qint64(3000001) << ""
                           << "Расход ТМЦ не может быть 0!";
    QTest::newRow("no material") << qint64(0) << "1"
                                 << "Все поля должны быть заполнены!";
    QTest::newRow("not a number") << qint64(3000001) << "1,,2"
                                  << "Введите число, например 12,5.";
}

void EntryDialogTest::materialLimits() {
    QFETCH(qint64, material);
    QFETCH(QString, quantity);
    QFETCH(QString, message);
    inDialog([this] { journal_->add(*entry_); },
             [&](QDialog* d) {
                 fillHeader(d, kLine100, "Иванов И.И.", 1, "20", "8");
                 child<QPushButton>(d, "saveHeaderButton")->click();
                 modal_->then([&](QDialog* m) {
                     if (material != 0)
                         choose(m, "materialCombo", material);
                     child<QLineEdit>(m, "consumptionEdit")->setText(quantity);
                     child<QPushButton>(m, "saveButton")->click();
                     QCOMPARE(m->isVisible(), !message.isEmpty());
                 });
                 child<QPushButton>(d, "addMaterialButton")->click();
             });
    QCOMPARE(messages_->last(), message);
    QCOMPARE(db_->scalar("select count(*) from accounts_dep.smena_gds_use").toInt(),
             message.isEmpty() ? 1 : 0);
}

// The oldest consignment of the material is used up: the one offered is the first with
// something left.
void EntryDialogTest::theConsignmentOfferedHasSomethingLeft() {
    inDialog([this] { journal_->add(*entry_); },
             [&](QDialog* d) {
                 fillHeader(d, kLine100, "Иванов И.И.", 1, "20", "8");
                 child<QPushButton>(d, "saveHeaderButton")->click();
                 modal_->then([&](QDialog* m) {
                     choose(m, "materialCombo", 3000001);
                     const data::Dataset& offered =
                         *qobject_cast<ui::DatasetModel*>(
                              child<QTableView>(m, "consignmentsView")->model())
                              ->dataset();
                     QCOMPARE(offered.recordCount(), 2);
                     QCOMPARE(offered.asInt64("id"), qint64(3500001));
                     QCOMPARE(child<QTableView>(m, "consignmentsView")->currentIndex().row(), 1);
                     m->reject();
                 });
                 child<QPushButton>(d, "addMaterialButton")->click();
             });
}

void EntryDialogTest::deletingAMaterialKeepsTheListNearIt() {
    const int id = addThroughDialog("Иванов И.И.", 1, "10", "8");
    db_->exec(QString("insert into accounts_dep.smena_gds_use(id_smena, id_gds_use, id_cons_use, "
                      "f_qty_use) values (%1, 3000001, 3500001, 1), (%1, 3000001, 3500001, 2), "
                      "(%1, 3000002, 3500002, 3)")
                  .arg(id));
    journal_->readShift();
    QVERIFY(journal_->currentShift().locate("id", id));
    inDialog([this] { journal_->change(*entry_); },
             [&](QDialog* d) {
                 data::Dataset& list = entry_->materialRows();
                 QCOMPARE(list.recordCount(), 3);
                 QVERIFY(list.locate("f_qty_use", 2.0));
                 const int near = list.recNo();
                 child<QPushButton>(d, "removeMaterialButton")->click();
                 QCOMPARE(list.recordCount(), 2);
                 QCOMPARE(list.recNo(), std::min(near, 2));
                 QVERIFY(list.locate("f_qty_use", 3.0));
                 QCOMPARE(list.asString("s_cons_use_hl"), QString("П-7, Склад 2, ост. 2 кг"));
             });
    QVERIFY(messages_->shown.isEmpty()); // no question asked
    QCOMPARE(db_->scalar("select string_agg(f_qty_use::text, ' ' order by f_qty_use) from "
                         "accounts_dep.smena_gds_use"),
             QString("1 3"));
}

void EntryDialogTest::brigadeAddAndRemove() {
    inDialog([this] { journal_->add(*entry_); },
             [&](QDialog* d) {
                 fillHeader(d, kLineFree, "Иванов И.И.", 3, "10", "8");
                 child<QPushButton>(d, "saveHeaderButton")->click();
                 data::Dataset& brigade = entry_->brigadeMembers();
                 pickWorker(d, "Петров П.П.", "addMemberButton");
                 // the header keeps the position's own worker
                 QCOMPARE(child<QLineEdit>(d, "workerEdit")->text(), QString("Иванов И.И."));
                 pickWorker(d, "Петров П.П.", "addMemberButton"); // the same person twice
                 pickWorker(d, "Сидоров С.С.", "addMemberButton");
                 QCOMPARE(brigade.recordCount(), 3);
                 modal_->then([](QDialog* list) { list->reject(); }); // a pick left
                 child<QPushButton>(d, "addMemberButton")->click();
                 QCOMPARE(brigade.recordCount(), 3);
                 QVERIFY(brigade.locate("s_caption", "Сидоров С.С."));
                 child<QPushButton>(d, "removeMemberButton")->click();
                 QStringList names;
                 for (brigade.first(); !brigade.eof(); brigade.next())
                     names << brigade.asString("s_caption");
                 QCOMPARE(names, QStringList({"Петров П.П.", "Петров П.П."}));
             });
    QVERIFY(messages_->shown.isEmpty());
    // the position keeps its own worker
    QCOMPARE(position(entry_->positionId(), "w_id"), QString("101"));
}

// "Сохранить" divides the position among its brigade and closes the dialog, with or without
// members; a division the database refuses (the position accepted meanwhile, or a share that
// would get no pieces) is reported and the dialog closes all the same.
void EntryDialogTest::brigadeDivision_data() {
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QStringList>("members");
    QTest::addColumn<bool>("acceptedMeanwhile"); // a master accepted it on another workstation
    QTest::addColumn<QString>("divided");        // the positions afterwards, "worker:hours"
    QTest::addColumn<QString>("message");
    QTest::newRow("two members") << "10" << QStringList{"Петров П.П."} << false << "101:4 102:4"
                                 << "";
    QTest::newRow("no members") << "10" << QStringList{} << false << "101:8"
                                << "";
    QTest::newRow("refused by the database")
        << "10" << QStringList{"Петров П.П."} << true << "101:8"
        << "Невозможно сохранить данные в БД!";
    QTest::newRow("a share without pieces")
        << "0,001" << QStringList{"Петров П.П."} << false << "101:8"
        << "Невозможно сохранить данные в БД!";
}

void EntryDialogTest::brigadeDivision() {
    QFETCH(QString, quantity);
    QFETCH(QStringList, members);
    QFETCH(bool, acceptedMeanwhile);
    QFETCH(QString, divided);
    QFETCH(QString, message);
    inDialog([this] { journal_->add(*entry_); },
             [&](QDialog* d) {
                 fillHeader(d, kLineFree, "Иванов И.И.", 3, quantity, "8");
                 child<QPushButton>(d, "saveHeaderButton")->click();
                 for (const QString& name : members)
                     pickWorker(d, name, "addMemberButton");
                 if (acceptedMeanwhile)
                     db_->exec("update accounts_dep.smena set ok='ok'");
                 child<QPushButton>(d, "divideButton")->click();
                 QVERIFY(!d->isVisible());
             });
    QCOMPARE(db_->scalar("select string_agg(w_id || ':' || time, ' ' order by w_id) from "
                         "accounts_dep.smena"),
             divided);
    QCOMPARE(messages_->last(), message);
}

// What a clerk sees: a new position before and after its save with two materials and a
// brigade of two, the same position in edit and view mode, and the material dialog.
void EntryDialogTest::screenshots() {
    const QString dir = qEnvironmentVariable("TEST_OUTPUT_DIR");
    if (dir.isEmpty())
        QSKIP("TEST_OUTPUT_DIR is not set");
    QDir().mkpath(dir);
    inDialog([this] { journal_->add(*entry_); },
             [&](QDialog* d) {
                 QVERIFY(saveScreenshot(d, dir + "/position_editor_add_empty.png"));
                 fillHeader(d, kLine100, "Иванов И.И.", 1, "12,5", "8", "1");
                 QVERIFY(saveScreenshot(d, dir + "/position_editor_add_filled.png"));
                 child<QPushButton>(d, "saveHeaderButton")->click();
                 for (qint64 material : {3000001, 3000002}) {
                     modal_->then([&, material](QDialog* m) {
                         choose(m, "materialCombo", material);
                         if (material == 3000002)
                             QVERIFY(saveScreenshot(m, dir + "/material_dialog.png"));
                         child<QPushButton>(m, "saveButton")->click();
                     });
                     child<QPushButton>(d, "addMaterialButton")->click();
                 }
                 pickWorker(d, "Петров П.П.", "addMemberButton");
                 pickWorker(d, "Сидоров С.С.", "addMemberButton");
                 QVERIFY(saveScreenshot(d, dir + "/position_editor_add_saved.png"));
             });
    journal_->readShift();
    QVERIFY(journal_->currentShift().locate("id", entry_->positionId()));
    inDialog([this] { journal_->change(*entry_); },
             [&](QDialog* d) { QVERIFY(saveScreenshot(d, dir + "/position_editor_edit.png")); });
    inDialog([this] { journal_->view(*entry_); },
             [&](QDialog* d) { QVERIFY(saveScreenshot(d, dir + "/position_editor_view.png")); });
}

QTEST_MAIN(EntryDialogTest)
#include "position_editor_test.moc"
