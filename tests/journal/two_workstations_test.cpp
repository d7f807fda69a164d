// Two workstations on one journal: a save from the entry dialog, a deletion or an acceptance
// from the journal of a position that the other one changed or deleted since it was opened or
// listed is refused and writes nothing; data another session holds ends the action with a
// message instead of a frozen window.
#include "data/command.h"
#include "data/connection.h"
#include "data/statement.h"
#include "journal/journal_window.h"
#include "journal/position.h"
#include "seams/clock.h"
#include "tests/support/position_editor_harness.h"
#include "tests/support/recording_messages.h"
#include "tests/support/scripted_modal_runner.h"
#include "tests/support/small_shop.h"
#include "tests/support/test_database.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>

namespace {

const QDate kMonday(2026, 3, 2);
const QString kChanged = "Позиция изменена на другом рабочем месте. Откройте её заново.";
const QString kDeleted = "Позиция удалена на другом рабочем месте.";
const QString kBusy = "Данные заняты другим рабочим местом. Повторите позже.";

// What the other workstation does meanwhile, as SQL on its own connection (%1: the id).
// (an acceptance needs a material row, which the test gives every position)
const char* const kAccepts = "select accounts_dep.smena__accept_row(%1)";
const char* const kEdits = "update accounts_dep.smena set kol_vo=kol_vo+1 where id=%1";
const char* const kMovesIt = "update accounts_dep.smena set data=data+1 where id=%1";
const char* const kDeletes = "delete from accounts_dep.smena where id=%1";
const char* const kDivides =
    "insert into accounts_dep.person_temp(id_smena, id_person) values (%1, 11);"
    "select accounts_dep.divide_between_person(%1)";

} // namespace

class TwoWorkstationsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void connectionHasTimeouts();
    void entrySaveOfAStalePosition_data();
    void entrySaveOfAStalePosition();
    void entrySavesTwiceFromOneOpening();
    void journalActionOnAStalePosition_data();
    void journalActionOnAStalePosition();
    void heldDataEndsTheAction_data();
    void heldDataEndsTheAction();

private:
    int addPosition(int hours = 8);
    QString row(int id) {
        return db_->scalar(
            QString("select kol_vo || '/' || time || '/' || ok from accounts_dep.smena where id=%1")
                .arg(id));
    }
    // The other workstation: a connection of its own, its transaction left open by hold.
    void other(const QString& sql);
    void hold(const QString& sql) {
        other("begin");
        other(sql);
    }
    void release() { other("rollback"); }
    void lowerLockTimeout(data::Connection& connection);
    void openChange(int id, const std::function<void(QDialog*)>& script);
    // The journal of a login that may record and accept, listing Monday's positions.
    std::unique_ptr<StationJournal> openJournal();
    QStringList errorsShown();

    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<RecordingMessages> messages_;
    std::unique_ptr<ScriptedModalRunner> modal_;
    std::unique_ptr<data::Connection> other_;
    std::unique_ptr<OpenConnection> connection_;
    std::unique_ptr<FakeJournal> journal_;
    std::unique_ptr<EntryWindows> windows_;
};

void TwoWorkstationsTest::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    db_ = std::make_unique<TestDatabase>("workstations");
    db_->exec(kSmallShopSql);
    db_->exec(R"(
        insert into cmn_contractor.person(id, s_code, s_caption) values (11, '102', 'Петров П.П.');
    )");
    db_->exec(kSmallShopRequisitionSql);
    messages_ = std::make_unique<RecordingMessages>();
    modal_ = std::make_unique<ScriptedModalRunner>();
    other_ = std::make_unique<data::Connection>();
    other_->setConnectionString(db_->connectionString());
    other_->open();
    connection_ = std::make_unique<OpenConnection>(db_->connectionString());
    journal_ = std::make_unique<FakeJournal>(*connection_);
    windows_ = std::make_unique<EntryWindows>(*connection_);
}

void TwoWorkstationsTest::init() {
    // truncate: accepted positions refuse a delete, whoever sends it
    db_->exec("truncate accounts_dep.smena, accounts_dep.h_tabel, accounts_dep.smena_gds_use, "
              "accounts_dep.person_temp;");
    messages_->clear();
    seams::Clock::setFixedToday(kMonday);
    journal_->date = kMonday;
    journal_->login = {};
    journal_->login.userName = "petrova";
    journal_->readShift();
}

void TwoWorkstationsTest::cleanup() {
    release();
    seams::Clock::setFixedToday(QDate());
    QCOMPARE(modal_->pending(), 0);
}

int TwoWorkstationsTest::addPosition(int hours) {
    const int id =
        db_->scalar(QString("insert into accounts_dep.smena(data, smena, w_id, i_id, o_id, time, "
                            "ok, kol_vo, brak, cena, id_doc, id_doc_item) values ('2026-03-02', 1, "
                            "101, 500, 1, %1, 'no', 10, 0, 4.5, 7000001, 7100001) returning id")
                        .arg(hours))
            .toInt();
    db_->exec(QString("insert into accounts_dep.smena_gds_use(id_smena, id_gds_use, f_qty_use) "
                      "values (%1, 1, 1)")
                  .arg(id));
    return id;
}

void TwoWorkstationsTest::other(const QString& sql) {
    for (const QString& statement : sql.split(u';', Qt::SkipEmptyParts))
        data::execute(*other_, data::parseNamedParameters(statement), {});
}

void TwoWorkstationsTest::lowerLockTimeout(data::Connection& connection) {
    data::Command set(&connection);
    set.setSql("set lock_timeout = '200ms'");
    set.execute();
}

void TwoWorkstationsTest::openChange(int id, const std::function<void(QDialog*)>& script) {
    journal_->readShift();
    QVERIFY(journal_->currentShift().locate("id", id));
    modal_->then(script);
    journal_->change(windows_->entry);
}

std::unique_ptr<StationJournal> TwoWorkstationsTest::openJournal() {
    auto journal = std::make_unique<StationJournal>(db_->connectionString());
    journal->loginValues().userName = "sys";
    journal->loginValues().currentShift = 1;
    journal->applyRights({.recordPositions = true, .acceptPositions = true});
    journal->show();
    return journal;
}

QStringList TwoWorkstationsTest::errorsShown() {
    QStringList texts;
    for (const auto& shown : messages_->shown)
        if (shown.kind != RecordingMessages::Kind::Question)
            texts << shown.caption + ": " + shown.text;
    return texts;
}

void TwoWorkstationsTest::connectionHasTimeouts() {
    data::Dataset shown(connection_.get());
    shown.setSql("select current_setting('lock_timeout') as l, "
                 "current_setting('statement_timeout') as s");
    shown.open();
    QCOMPARE(shown.asString("l"), QString("10s"));
    QCOMPARE(shown.asString("s"), QString("5min"));
}

// The dialog opened the position, the other workstation acts, then "Запись" with 12 pieces.
void TwoWorkstationsTest::entrySaveOfAStalePosition_data() {
    QTest::addColumn<QString>("meanwhile"); // empty: nothing happens
    QTest::addColumn<QString>("message");   // empty: saved
    QTest::newRow("nothing meanwhile") << ""
                                       << "";
    QTest::newRow("accepted") << kAccepts << kChanged;
    QTest::newRow("edited") << kEdits << kChanged;
    QTest::newRow("moved to another day") << kMovesIt << kChanged;
    QTest::newRow("divided among a brigade") << kDivides << kChanged;
    QTest::newRow("deleted") << kDeletes << kDeleted;
}

void TwoWorkstationsTest::entrySaveOfAStalePosition() {
    QFETCH(QString, meanwhile);
    QFETCH(QString, message);
    const int id = addPosition();
    QString left; // the row as the other workstation left it
    openChange(id, [&](QDialog* d) {
        if (!meanwhile.isEmpty())
            other(meanwhile.arg(id));
        left = row(id) + " " + db_->timesheetText(101);
        entryChild<QLineEdit>(d, "quantityEdit")->setText("12");
        entryChild<QPushButton>(d, "saveHeaderButton")->click();
        d->reject();
    });
    // the journal's list read afterwards is what the database holds now
    QCOMPARE(journal_->currentShift().locate("id", id),
             !meanwhile.contains("data") && meanwhile != kDeletes);
    if (message.isEmpty()) {
        QVERIFY2(messages_->shown.isEmpty(), qPrintable(messages_->last()));
        QCOMPARE(row(id), QString("12/8/no"));
        return;
    }
    QCOMPARE(messages_->shown.size(), 1);
    QCOMPARE(messages_->shown[0].text, message);
    QCOMPARE(messages_->shown[0].caption, QString("Ошибка"));
    QCOMPARE(row(id) + " " + db_->timesheetText(101), left);
}

// The dialog stays open after "Запись": its second save stands on what its first wrote.
void TwoWorkstationsTest::entrySavesTwiceFromOneOpening() {
    const int id = addPosition();
    openChange(id, [&](QDialog* d) {
        for (const char* quantity : {"12", "13,25"}) {
            entryChild<QLineEdit>(d, "quantityEdit")->setText(quantity);
            entryChild<QPushButton>(d, "saveHeaderButton")->click();
        }
        other(QString(kAccepts).arg(id));
        entryChild<QLineEdit>(d, "quantityEdit")->setText("14");
        entryChild<QPushButton>(d, "saveHeaderButton")->click();
        d->reject();
    });
    QCOMPARE(messages_->shown.size(), 1);
    QCOMPARE(messages_->last(), kChanged);
    QCOMPARE(row(id), QString("13.25/8/ok"));
}

void TwoWorkstationsTest::journalActionOnAStalePosition_data() {
    QTest::addColumn<bool>("accepting"); // else deleting
    QTest::addColumn<QString>("meanwhile");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("after"); // the row; empty: gone
    for (bool accepting : {false, true}) {
        const char* action = accepting ? "accept" : "delete";
        QTest::addRow("%s, nothing meanwhile", action) << accepting << ""
                                                       << "" << (accepting ? "10/8/ok" : "");
        QTest::addRow("%s an accepted one", action)
            << accepting << kAccepts << kChanged << "10/8/ok";
        QTest::addRow("%s an edited one", action) << accepting << kEdits << kChanged << "11/8/no";
        QTest::addRow("%s a deleted one", action) << accepting << kDeletes << kDeleted << "";
    }
}

void TwoWorkstationsTest::journalActionOnAStalePosition() {
    QFETCH(bool, accepting);
    QFETCH(QString, meanwhile);
    QFETCH(QString, message);
    QFETCH(QString, after);
    const int id = addPosition();
    const std::unique_ptr<StationJournal> journal = openJournal();
    QVERIFY(journal->shownPositions().locate("id", id));
    if (!meanwhile.isEmpty())
        other(meanwhile.arg(id));
    messages_->answer(true);
    journal->findChild<QPushButton*>(accepting ? "acceptButton" : "deleteButton")->click();
    QCOMPARE(errorsShown(), message.isEmpty() ? QStringList{} : QStringList{"Ошибка: " + message});
    QCOMPARE(row(id), after);
    // the list is read again: it shows what the database holds
    QCOMPARE(journal->shownPositions().locate("id", id), !after.isEmpty());
    if (!after.isEmpty())
        QCOMPARE(journal->shownPositions().asString("ok").trimmed(), after.section('/', 2));
}

// Another session holds what the action needs; the program waits its lock timeout (lowered
// here), says so and writes nothing.
void TwoWorkstationsTest::heldDataEndsTheAction_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("held");
    QTest::newRow("edit, the position held") << "edit"
                                             << "select * from accounts_dep.smena for update";
    // the other workstation saves a position of the same worker and day: his day is locked
    QTest::newRow("new position, the worker's day held")
        << "new"
        << "insert into accounts_dep.smena(data, smena, w_id, i_id, o_id, kol_vo, time) "
           "values ('2026-03-02', 2, 101, 500, 1, 1, 1)";
    QTest::newRow("deletion, the position held") << "delete"
                                                 << "select * from accounts_dep.smena for update";
    QTest::newRow("acceptance, the position held") << "accept"
                                                   << "select * from accounts_dep.smena for update";
}

void TwoWorkstationsTest::heldDataEndsTheAction() {
    QFETCH(QString, action);
    QFETCH(QString, held);
    const int id = addPosition(4);
    db_->exec("select accounts_dep.h_tabel_set_day(101, 1, '2026-03-02', true)");
    db_->exec(QString("insert into accounts_dep.smena_gds_use(id_smena, id_gds_use, f_qty_use) "
                      "values (%1, 1, 1)")
                  .arg(id));
    const QString before = row(id) + " " + db_->timesheetText(101);
    hold(held);
    if (action == "edit" || action == "new") {
        lowerLockTimeout(*connection_);
        if (action == "edit") {
            openChange(id, [&](QDialog* d) {
                entryChild<QLineEdit>(d, "quantityEdit")->setText("12");
                entryChild<QPushButton>(d, "saveHeaderButton")->click();
                d->reject();
            });
        } else {
            modal_->then([&](QDialog* d) {
                const QString missing = fillEntryHeader(*modal_, d,
                                                        {.requisition = 7000001,
                                                         .line = 7100001,
                                                         .worker = workerNamed("Иванов И.И."),
                                                         .operation = operationNumbered(1),
                                                         .quantity = "5",
                                                         .hours = "2"});
                QVERIFY2(missing.isEmpty(), qPrintable(missing));
                entryChild<QPushButton>(d, "saveHeaderButton")->click();
                d->reject();
            });
            journal_->add(windows_->entry);
        }
    } else {
        const std::unique_ptr<StationJournal> journal = openJournal();
        lowerLockTimeout(journal->connection());
        QVERIFY(journal->shownPositions().locate("id", id));
        messages_->answer(true);
        journal->findChild<QPushButton*>(action == "accept" ? "acceptButton" : "deleteButton")
            ->click();
    }
    release();
    QCOMPARE(errorsShown(), QStringList{"Ошибка: " + kBusy});
    QCOMPARE(row(id) + " " + db_->timesheetText(101), before);
    QCOMPARE(db_->scalar("select count(*) from accounts_dep.smena"), QString("1"));
}

QTEST_MAIN(TwoWorkstationsTest)
#include "two_workstations_test.moc"
