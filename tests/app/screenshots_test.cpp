// Saves what a person sees: the login window and the journal for a master, "sys" and
// "econom", as PNGs in TEST_OUTPUT_DIR, to be looked at after a change.
#include "app/login_dialog.h"
#include "app/startup.h"
#include "data/dataset.h"
#include "journal/journal_window.h"
#include "seams/clock.h"
#include "tests/support/recording_messages.h"
#include "tests/support/scripted_modal_runner.h"
#include "tests/support/test_database.h"
#include "tests/support/widget_helpers.h"
#include "ui/guard.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTextEdit>
#include <QtTest>

#include <memory>

class ScreenshotsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void loginAndJournal_data();
    void loginAndJournal();
    void theWindowsOfADay();
    void anErrorBox();

private:
    QString outputDir_;
    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<RecordingMessages> messages_;
    std::unique_ptr<ScriptedModalRunner> runner_;
};

void ScreenshotsTest::initTestCase() {
    QApplication* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    setupRussianLocale(*app);
    outputDir_ = qEnvironmentVariable("TEST_OUTPUT_DIR", QDir::tempPath());
    QDir().mkpath(outputDir_);
    db_ = std::make_unique<TestDatabase>("shots");
    messages_ = std::make_unique<RecordingMessages>();
    runner_ = std::make_unique<ScriptedModalRunner>();
    // On a copy of the demo data (scripts/docs-pictures) the pictures show its last day;
    // otherwise a small day of its own, a Saturday.
    const QString lastDay = db_->scalar("select max(data) from accounts_dep.smena");
    if (!lastDay.isEmpty()) {
        seams::Clock::setFixedToday(QDate::fromString(lastDay, Qt::ISODate));
        return;
    }
    seams::Clock::setFixedToday(QDate(2026, 3, 7));
    db_->exec(R"(
        insert into cmn_contractor.person(id, s_code, s_caption, b_employee) values
            (1, '101', 'Иванов Иван Петрович', true), (2, '102', 'Смирнова Ольга Викторовна', true),
            (3, '103', 'Кузнецов А.А.', true);
        insert into accounts_dep.izdel(id, marka, nom, massa) values
            (500, 'КМ-120-01', 'Каркас', 1.5), (501, 'ШР-45', 'Шкаф', 2);
        insert into accounts_dep.vid_oper(id, vid) values (1, 'Сборка'), (2, 'Покраска'), (3, 'Сварка');
        insert into accounts_dep.oper(id, i_id, vid, naimen) values (1, 500, 1, 0), (2, 501, 2, 0), (3, 500, 3, 1);
        insert into accounts_dep.smena(data, smena, w_id, i_id, o_id, cena, kol_vo, brak, time, color, ok, vvod) values
            ('2026-03-07', 1, 101, 500, 1, 12.5, 40, 2, 8, 0, 'ok', '2026-03-07 09:15:00'),
            ('2026-03-07', 1, 102, 501, 2, 30.25, 12, 0, 6, 5015, 'no', '2026-03-07 10:02:00'),
            ('2026-03-07', 1, 103, 500, 3, 7, 100, 5, 8, 0, 'да', '2026-03-07 11:40:00'),
            ('2026-03-07', 2, 101, 500, 1, 12.5, 10, 0, 4, 1, 'no', '2026-03-07 18:00:00');
    )");
}

void ScreenshotsTest::loginAndJournal_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("master") << "zemplar";
    QTest::newRow("sys") << "sys";
    QTest::newRow("econom") << "econom";
}

void ScreenshotsTest::loginAndJournal() {
    QFETCH(QString, name);
    Program program(AppArguments{db_->socketDir(), db_->name()});
    LoginDialog& login = program.login();
    login.findChild<QLineEdit*>("loginEdit")->setText(name);
    login.findChild<QLineEdit*>("passwordEdit")->setText(TestDatabase::passwordOf(name));
    QVERIFY(login.grab().save(outputDir_ + "/login.png"));
    runner_->then(
        [&](QDialog* d) { QVERIFY(saveScreenshot(d, outputDir_ + "/journal_" + name + ".png")); });
    login.findChild<QPushButton*>("loginButton")->click();
    QCOMPARE(runner_->pending(), 0);
}

// A day of the shop as the README and the users' guide show it: the entry dialog on a stored
// position, the time-sheet of the month, a printed report in its preview and the month's
// summary.
void ScreenshotsTest::theWindowsOfADay() {
    Program program(AppArguments{db_->socketDir(), db_->name()});
    LoginDialog& login = program.login();
    login.findChild<QLineEdit*>("loginEdit")->setText("sys");
    login.findChild<QLineEdit*>("passwordEdit")->setText(TestDatabase::passwordOf("sys"));
    runner_->then([&](QDialog* journal) {
        // a position of the day with its materials, when there is one
        const QString withMaterials = db_->scalar(
            QStringLiteral("select min(s.id) from accounts_dep.smena s join "
                           "accounts_dep.smena_gds_use u on u.id_smena = s.id where s.data = '%1' "
                           "and s.smena = 1 and s.ok = 'no'")
                .arg(seams::Clock::today().toString(Qt::ISODate)));
        const QString open = db_->scalar(
            QStringLiteral("select min(id) from accounts_dep.smena where data = '%1' and "
                           "smena = 1 and ok = 'no'")
                .arg(seams::Clock::today().toString(Qt::ISODate)));
        program.journal().shownPositions().locate(
            "id", (withMaterials.isEmpty() ? open : withMaterials).toInt());
        QVERIFY(saveScreenshot(journal, outputDir_ + "/day_journal.png"));
        runner_->then([&](QDialog* entry) {
            QVERIFY(saveScreenshot(entry, outputDir_ + "/day_position_editor.png"));
        });
        journal->findChild<QPushButton*>("editButton")->click();
        runner_->then([&](QDialog* sheet) {
            QVERIFY(saveScreenshot(sheet, outputDir_ + "/day_timesheet.png"));
        });
        journal->findChild<QAction*>("timesheetAction")->trigger();
        runner_->then([&](QDialog* reports) {
            runner_->then([&](QDialog* preview) {
                preview->resize(900, 1060);
                QTest::qWait(200); // the preview lays out its pages
                QVERIFY(saveScreenshot(preview, outputDir_ + "/day_report_preview.png"));
            });
            reports->findChild<QPushButton*>("workerDetailsButton")->click();
        });
        journal->findChild<QAction*>("summaryReportsAction")->trigger();
        runner_->then([&](QDialog* summary) {
            summary->resize(1366, 740);
            QVERIFY(saveScreenshot(summary, outputDir_ + "/day_summary.png"));
        });
        journal->findChild<QAction*>("monthSummaryAction")->trigger();
    });
    login.findChild<QPushButton*>("loginButton")->click();
    QCOMPARE(runner_->pending(), 0);
}

// An error box as a person sees it, its technical text opened, as the users' guide shows it.
void ScreenshotsTest::anErrorBox() {
    const std::unique_ptr<QMessageBox> box = seams::QtMessages::errorBox(
        ui::kStatementFailed,
        "could not extend file \"base/16384/16410\": No space left on device\n"
        "Check free disk space.",
        seams::kErrorCaption);
    box->show();
    for (QAbstractButton* b : box->buttons())
        if (box->buttonRole(b) == QMessageBox::ActionRole)
            b->click(); // "Показать подробности..."
    QVERIFY(box->findChild<QTextEdit*>()->isVisible());
    QVERIFY(saveScreenshot(box.get(), outputDir_ + "/day_error_box.png"));
}

QTEST_MAIN(ScreenshotsTest)
#include "screenshots_test.moc"
