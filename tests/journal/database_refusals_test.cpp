// What the database refuses reaches a person as one Russian error box: its own rules and
// values out of range with the server's text, data held too long as busy, a text that is no
// number above the technical text; any other failure as the sentence of its class (the
// connection lost, no right, a statement failed, the program's own error) with the technical
// text as detail. The windows that write show them so and write nothing.
#include "data/command.h"
#include "data/conversions.h"
#include "journal/journal_window.h"
#include "seams/clock.h"
#include "tests/support/position_editor_harness.h"
#include "tests/support/recording_messages.h"
#include "tests/support/scripted_modal_runner.h"
#include "tests/support/small_shop.h"
#include "tests/support/test_database.h"
#include "ui/guard.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>

namespace {

const QDate kMonday(2026, 3, 2);

QString raising(const QString& state, const QString& text) {
    return QStringLiteral("do $$ begin raise exception '%1' using errcode = '%2'; end $$")
        .arg(text, state);
}

// A test-only rule of the position table, as the database's own triggers will raise them.
const char* const kRefuseTrigger = R"(
    create or replace function accounts_dep.test_refuse() returns trigger language plpgsql as $$
    begin
        raise exception '%', tg_argv[1] using errcode = tg_argv[0];
    end $$;
)";

} // namespace

class DatabaseRefusalsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void oneMessagePerKind_data();
    void oneMessagePerKind();
    void windowsShowTheRuleAndWriteNothing_data();
    void windowsShowTheRuleAndWriteNothing();

private:
    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<RecordingMessages> messages_;
    std::unique_ptr<ScriptedModalRunner> modal_;
    std::unique_ptr<OpenConnection> connection_;
};

void DatabaseRefusalsTest::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    db_ = std::make_unique<TestDatabase>("refusals");
    db_->exec(kSmallShopSql);
    db_->exec(kSmallShopRequisitionSql);
    db_->exec(kRefuseTrigger);
    messages_ = std::make_unique<RecordingMessages>();
    modal_ = std::make_unique<ScriptedModalRunner>();
    connection_ = std::make_unique<OpenConnection>(db_->connectionString());
}

void DatabaseRefusalsTest::init() {
    db_->exec("drop trigger if exists test_refuse on accounts_dep.smena;"
              "delete from accounts_dep.closed_month;"
              "delete from accounts_dep.smena; delete from accounts_dep.h_tabel;"
              "delete from accounts_dep.smena_gds_use;");
    messages_->clear();
    seams::Clock::setFixedToday(kMonday);
}

void DatabaseRefusalsTest::oneMessagePerKind_data() {
    QTest::addColumn<QStringList>("sql"); // none: a typed text the program reads as a number
    QTest::addColumn<QString>("shown");   // "<kind>: <text>\n<detail>"
    const QString accepted = "Позиция принята мастером: изменить или удалить её нельзя.";
    QTest::newRow("NV001") << QStringList{raising("NV001", accepted)}
                           << "error Ошибка: " + accepted;
    QTest::newRow("NV003") << QStringList{raising("NV003", "Не заведен расход ТМЦ!")}
                           << "error Ошибка: Не заведен расход ТМЦ!";
    QTest::newRow("NV005 of a closed month")
        << QStringList{"select accounts_dep.close_month(3, 2026)",
                       "select accounts_dep.h_tabel_set_day(101, 1, '2026-03-02', true)"}
        << "error Ошибка: Месяц закрыт: изменения невозможны.";
    QTest::newRow("23514 from a rule")
        << QStringList{raising("23514", "Часы должны быть от 0 до 24.")}
        << "error Ошибка: Часы должны быть от 0 до 24.";
    QTest::newRow("23514 from a plain check constraint")
        << QStringList{"create temp table if not exists plain_check (x integer check (x > 0))",
                       "insert into plain_check values (-1)"}
        << "error Ошибка: Значение не входит в допустимые пределы.\nnew row for relation";
    QTest::newRow("55P03") << QStringList{raising("55P03",
                                                  "canceling statement due to lock timeout")}
                           << "error Ошибка: Данные заняты другим рабочим местом. Повторите позже.";
    QTest::newRow("57014 by the statement timeout")
        << QStringList{"set statement_timeout = '50ms'", "select pg_sleep(2)"}
        << "error Ошибка: Данные заняты другим рабочим местом. Повторите позже.";
    QTest::newRow("a typed text that is no number")
        << QStringList{}
        << "error Ошибка: Введите целое число, например 8.\n'12а' is not a valid integer value";
    QTest::newRow("a statement error")
        << QStringList{"select * from accounts_dep.no_such_table"}
        << "error Ошибка: " + ui::kStatementFailed + "\nrelation \"accounts_dep.no_such_table\"";
    QTest::newRow("no right") << QStringList{raising("42501", "permission denied for table smena")}
                              << "error Ошибка: " + ui::kServerRefused + "\npermission denied";
    QTest::newRow("the connection lost")
        << QStringList{"select pg_terminate_backend(pg_backend_pid())"}
        << "error Ошибка: " + data::kConnectionLost;
}

void DatabaseRefusalsTest::oneMessagePerKind() {
    QFETCH(QStringList, sql);
    QFETCH(QString, shown);
    ui::runGuarded([&] {
        if (sql.isEmpty())
            data::toInt(QStringLiteral("12а"));
        for (const QString& statement : sql) {
            data::Command command(connection_.get());
            command.setSql(statement);
            command.execute();
        }
    });
    data::Command reset(connection_.get());
    reset.setSql("reset statement_timeout");
    reset.execute();
    QCOMPARE(messages_->shown.size(), 1);
    const RecordingMessages::Shown& m = messages_->shown[0];
    const QString text =
        "error " + m.caption + ": " + m.text + (m.detail.isEmpty() ? QString() : "\n" + m.detail);
    QVERIFY2(text.startsWith(shown), qPrintable(text));
}

// A rule the database keeps refuses a save of the entry dialog, a deletion and an acceptance
// of the journal: the server's text in the box, the position as it was.
void DatabaseRefusalsTest::windowsShowTheRuleAndWriteNothing_data() {
    QTest::addColumn<QString>("action");
    QTest::newRow("save from the entry dialog") << "save";
    QTest::newRow("deletion from the journal") << "delete";
    QTest::newRow("acceptance from the journal") << "accept";
}

void DatabaseRefusalsTest::windowsShowTheRuleAndWriteNothing() {
    QFETCH(QString, action);
    const int id =
        db_->scalar("insert into accounts_dep.smena(data, smena, w_id, i_id, o_id, time, ok, "
                    "kol_vo, cena, id_doc, id_doc_item) values ('2026-03-02', 1, 101, 500, 1, 8, "
                    "'no', 10, 4.5, 7000001, 7100001) returning id")
            .toInt();
    db_->exec(QString("insert into accounts_dep.smena_gds_use(id_smena, id_gds_use, f_qty_use) "
                      "values (%1, 1, 1)")
                  .arg(id));
    const QString rule = action == "accept" ? "Принимать позиции может только мастер."
                                            : "Позиция принята мастером: изменить или удалить "
                                              "её нельзя.";
    const QString state = action == "accept" ? "NV002" : "NV001";
    db_->exec(QString("create trigger test_refuse before update or delete on accounts_dep.smena "
                      "for each row execute function accounts_dep.test_refuse('%1', '%2')")
                  .arg(state, rule));
    const QString before = db_->scalar(
        QString("select kol_vo || '/' || ok from accounts_dep.smena where id=%1").arg(id));
    if (action == "save") {
        FakeJournal journal(*connection_);
        journal.date = kMonday;
        journal.login.userName = "petrova";
        journal.readShift();
        EntryWindows windows(*connection_);
        QVERIFY(journal.currentShift().locate("id", id));
        modal_->then([&](QDialog* d) {
            entryChild<QLineEdit>(d, "quantityEdit")->setText("12");
            entryChild<QPushButton>(d, "saveHeaderButton")->click();
            d->reject();
        });
        journal.change(windows.entry);
    } else {
        StationJournal journal(db_->connectionString());
        journal.loginValues().userName = "sys";
        journal.loginValues().currentShift = 1;
        journal.applyRights({.recordPositions = true, .acceptPositions = true});
        journal.show();
        QVERIFY(journal.shownPositions().locate("id", id));
        messages_->answer(true);
        journal.findChild<QPushButton*>(action == "accept" ? "acceptButton" : "deleteButton")
            ->click();
    }
    QStringList errors;
    for (const auto& shown : messages_->shown)
        if (shown.kind != RecordingMessages::Kind::Question)
            errors << (shown.kind == RecordingMessages::Kind::Error ? shown.caption + ": "
                                                                    : "standard: ") +
                          shown.text;
    QCOMPARE(errors, QStringList{"Ошибка: " + rule});
    QCOMPARE(db_->scalar(
                 QString("select kol_vo || '/' || ok from accounts_dep.smena where id=%1").arg(id)),
             before);
    QCOMPARE(db_->timesheetText(101), QString(""));
}

QTEST_MAIN(DatabaseRefusalsTest)
#include "database_refusals_test.moc"
