// A first start as a new user finds it and a login an administrator adds with plain SQL:
// the program starts on the login window without an error box and without connecting, and a
// clerk created as the README says logs in and works in the journal, the entry dialog, the
// time-sheet and the reports.
#include "app/login_dialog.h"
#include "app/startup.h"
#include "directories/catalog.h"
#include "journal/journal_window.h"
#include "seams/clock.h"
#include "tests/support/recording_messages.h"
#include "tests/support/scripted_modal_runner.h"
#include "tests/support/small_shop.h"
#include "tests/support/test_database.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>
#include <optional>

class NewLoginTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void theDemoStartsOnTheLoginWindow();
    void aClerkAddedWithPlainSql();

private:
    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<RecordingMessages> messages_;
    std::unique_ptr<ScriptedModalRunner> runner_;
    std::optional<TestDatabase::Login> clerk_;
};

void NewLoginTest::initTestCase() {
    db_ = std::make_unique<TestDatabase>("newlogin");
    messages_ = std::make_unique<RecordingMessages>();
    runner_ = std::make_unique<ScriptedModalRunner>();
    seams::Clock::setFixedToday(QDate(2026, 3, 10));
    db_->exec(kSmallShopSql);
    db_->exec(R"(
        insert into accounts_dep.smena(data, smena, w_id, i_id, o_id, cena, kol_vo, time) values
            ('2026-03-10', 1, 101, 500, 1, 4.5, 10, 8), ('2026-02-12', 1, 101, 500, 1, 4.5, 4, 3);
    )");
    // exactly what the README tells an administrator; nothing else is set for the role
    clerk_.emplace(db_->createLogin("ivanova", "ivanova-pass"));
}

void NewLoginTest::cleanupTestCase() {
    seams::Clock::setFixedToday(QDate());
    clerk_.reset();
}

void NewLoginTest::theDemoStartsOnTheLoginWindow() {
    messages_->clear();
    Program program(AppArguments{db_->socketDir(), db_->name()});
    QVERIFY(!program.connection().isOpen());
    QVERIFY(program.login().isVisible());
    QVERIFY2(messages_->shown.isEmpty(), qPrintable(messages_->last()));
}

void NewLoginTest::aClerkAddedWithPlainSql() {
    messages_->clear();
    QCOMPARE(db_->scalar(QStringLiteral("select count(*) from pg_db_role_setting s join pg_roles "
                                        "r on r.oid = s.setrole where r.rolname = '%1'")
                             .arg(clerk_->name())),
             QString("0"));
    Program program(AppArguments{db_->socketDir(), db_->name()});
    LoginDialog& login = program.login();
    login.findChild<QLineEdit*>("loginEdit")->setText(clerk_->name());
    login.findChild<QLineEdit*>("passwordEdit")->setText("ivanova-pass");
    QStringList seen;
    runner_->then([&](QDialog* journal) {
        JournalWindow& form1 = program.journal();
        seen << QString("journal %1").arg(form1.shownPositions().recordCount());
        // the entry dialog with its requisitions and the operations of a line
        runner_->then([&](QDialog* entry) {
            seen << entry->windowTitle();
            runner_->then([&](QDialog* workers) {
                seen << QString("workers %1").arg(program.catalog().employees().recordCount());
                workers->reject();
            });
            entry->findChild<QPushButton*>("pickWorkerButton")->click();
        });
        journal->findChild<QPushButton*>("addButton")->click();
        // the time-sheet of the month and its rebuild
        runner_->then([&](QDialog* sheet) {
            sheet->findChild<QPushButton*>("rebuildButton")->click();
            seen << QString("time-sheet %1")
                        .arg(sheet->findChild<QTableView*>("shift1View")->model()->rowCount());
        });
        journal->findChild<QAction*>("timesheetAction")->trigger();
        // a report of the previous month
        runner_->then([&](QDialog* reports) {
            runner_->then([&](QDialog* preview) { seen << preview->metaObject()->className(); });
            reports->findChild<QPushButton*>("workersReportButton")->click();
        });
        journal->findChild<QAction*>("summaryReportsAction")->trigger();
    });
    login.findChild<QPushButton*>("loginButton")->click();
    QCOMPARE(seen, QStringList({"journal 1", "Заведение новой позиции", "workers 1", "time-sheet 1",
                                "QPrintPreviewDialog"}));
    QVERIFY2(messages_->shown.isEmpty(), qPrintable(messages_->last()));
    QCOMPARE(db_->timesheetText(101), QString("s1 3.2026: d10=8"));
}

QTEST_MAIN(NewLoginTest)
#include "new_login_test.moc"
