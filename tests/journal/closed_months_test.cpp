// A month closed in the time-sheet window: what each role may use there and in the journal
// while the month is open and while it is closed, closing and reopening through the window
// with its question, and every kind of change refused through the windows with the database's
// message while the month is closed (closed by another workstation after the window read
// it), then allowed again once the month is reopened.
#include "journal/journal_window.h"
#include "seams/clock.h"
#include "tests/support/dark_palette.h"
#include "tests/support/demo_logins.h"
#include "tests/support/position_editor_harness.h"
#include "tests/support/recording_messages.h"
#include "tests/support/scripted_modal_runner.h"
#include "tests/support/small_shop.h"
#include "tests/support/test_database.h"
#include "tests/support/widget_helpers.h"
#include "timesheet/printed_timesheet.h"
#include "timesheet/timesheet_data.h"
#include "timesheet/timesheet_window.h"
#include "ui/login_role.h"

#include <QtTest>
#include <QtWidgets>

#include <functional>
#include <memory>

namespace {

const QDate kToday(2026, 4, 15);
const QString kMonthClosed = QStringLiteral("Месяц закрыт: изменения невозможны.");
const QString kCloseMonth = QStringLiteral("select accounts_dep.close_month(4, 2026)");
const QString kReopenMonth = QStringLiteral("select accounts_dep.reopen_month(4, 2026)");

// A worker for the brigade, a material with a consignment, and the time-sheet cell of the
// day left at 3 hours, so that a rebuild has something to put right.
const char* const kFixture = R"(
    insert into cmn_contractor.person(id, s_code, s_caption) values (11, '102', 'Петров П.П.');
    insert into cmn_gds_and_srv.gds(id, s_group_tmc, s_code, s_caption, s_full_caption)
        values (3000001, 'Металл', 'Л2', 'Лист 2 мм', 'Лист стальной 2 мм');
    insert into cmn_gds_and_srv.consignment(id, id_gds, s_code, s_warehouse, d_date, f_qty)
        values (3500001, 3000001, 'П-1', 'Склад 1', '2026-01-10', 100);
)";

QString enabledBits(QWidget* window, const QStringList& names) {
    QString bits;
    for (const QString& name : names) {
        if (auto* action = window->findChild<QAction*>(name))
            bits += action->isEnabled() ? u'1' : u'0';
        else if (auto* widget = window->findChild<QWidget*>(name))
            bits += widget->isEnabled() ? u'1' : u'0';
        else
            bits += u'?';
    }
    return bits;
}

const QStringList kJournalButtons{"addButton", "editButton", "deleteButton", "acceptButton",
                                  "timesheetAction"};
const QStringList kTimesheetButtons{"rebuildButton", "closeMonthButton", "reopenMonthButton"};

} // namespace

class ClosedMonthsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void buttonsByRole_data();
    void buttonsByRole();
    void closingAndReopeningThroughTheWindow();
    void aClosedMonthRefusesEveryChange_data();
    void aClosedMonthRefusesEveryChange();
    void screenshots();

private:
    // The time-sheet window of the login on its own connection, opened on this month.
    void inTimesheet(const QString& user, const std::function<void(QDialog*)>& script);
    // Does the action through the windows as the administrator; meanwhile runs when the window
    // has read the month's state, just before the change is written.
    void change(const QString& action, const std::function<void()>& meanwhile);
    // The rows a change of the month touches, in one line.
    QString monthData();
    QStringList errorsShown() const;

    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<RecordingMessages> messages_;
    std::unique_ptr<ScriptedModalRunner> modal_;
    int position_ = 0;
};

void ClosedMonthsTest::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    db_ = std::make_unique<TestDatabase>("closed_months");
    db_->exec(kSmallShopSql);
    db_->exec(kSmallShopRequisitionSql);
    db_->exec(kFixture);
    messages_ = std::make_unique<RecordingMessages>();
    modal_ = std::make_unique<ScriptedModalRunner>();
}

// Today's position of Иванов with a material, the month open.
void ClosedMonthsTest::init() {
    db_->exec("delete from accounts_dep.closed_month; truncate accounts_dep.smena; "
              "delete from accounts_dep.h_tabel; delete from accounts_dep.smena_gds_use; "
              "delete from accounts_dep.person_temp;");
    position_ = db_->scalar("insert into accounts_dep.smena(data, smena, w_id, i_id, o_id, time, "
                            "ok, kol_vo, cena, id_doc, id_doc_item) values ('2026-04-15', 1, 101, "
                            "500, 1, 8, 'no', 10, 4.5, 7000001, 7100001) returning id")
                    .toInt();
    db_->exec(QString("insert into accounts_dep.smena_gds_use(id_smena, id_gds_use, id_cons_use, "
                      "f_qty_use) values (%1, 3000001, 3500001, 1);"
                      "insert into accounts_dep.h_tabel(w_id, smena, month, year, d15) "
                      "values (101, 1, 4, 2026, 3)")
                  .arg(position_));
    messages_->clear();
    seams::Clock::setFixedToday(kToday);
}

void ClosedMonthsTest::cleanupTestCase() {
    seams::Clock::setFixedToday(QDate());
}

void ClosedMonthsTest::inTimesheet(const QString& user,
                                   const std::function<void(QDialog*)>& script) {
    OpenConnection connection(db_->connectionString(user));
    timesheet::TimesheetData data(connection);
    PrintedTimesheet printed(connection);
    TimesheetWindow window(data, printed);
    window.applyRights(ui::timesheetRights(demoLoginRole(user)));
    modal_->then(script);
    window.openForMonth(kToday);
    QCOMPARE(modal_->pending(), 0);
}

QString ClosedMonthsTest::monthData() {
    return db_->scalar(
               "select string_agg(id || ':' || w_id || ':' || kol_vo || ':' || time || ':' || ok, "
               "' ' order by id) from accounts_dep.smena") +
           " | materials " + db_->scalar("select count(*) from accounts_dep.smena_gds_use") +
           " | brigade " + db_->scalar("select count(*) from accounts_dep.person_temp") + " | " +
           db_->timesheetText(101);
}

QStringList ClosedMonthsTest::errorsShown() const {
    QStringList errors;
    for (const auto& shown : messages_->shown)
        if (shown.kind != RecordingMessages::Kind::Question)
            errors << shown.caption + ": " + shown.text;
    return errors;
}

// The journal's buttons that change positions, "Табель по времени", and the time-sheet's
// "Перестроить", "Закрыть месяц", "Открыть месяц"; the label of a closed month in both.
void ClosedMonthsTest::buttonsByRole_data() {
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("journalOpen"); // add, edit, delete, accept, time-sheet menu
    QTest::addColumn<QString>("journalClosed");
    QTest::addColumn<QString>("sheetOpen"); // rebuild, close, reopen
    QTest::addColumn<QString>("sheetClosed");
    QTest::newRow("economist") << "econom"
                               << "00001"
                               << "00001"
                               << "010"
                               << "000";
    QTest::newRow("administrator") << "sys"
                                   << "11111"
                                   << "00001"
                                   << "110"
                                   << "001";
    QTest::newRow("master") << "zemplar"
                            << "00010"
                            << "00000"
                            << "000"
                            << "000";
    QTest::newRow("clerk") << "petrova"
                           << "11101"
                           << "00001"
                           << "100"
                           << "000";
}

void ClosedMonthsTest::buttonsByRole() {
    QFETCH(QString, user);
    QFETCH(QString, journalOpen);
    QFETCH(QString, journalClosed);
    QFETCH(QString, sheetOpen);
    QFETCH(QString, sheetClosed);
    for (const bool closed : {false, true}) {
        if (closed)
            db_->exec(kCloseMonth);
        StationJournal journal(db_->connectionString(user));
        journal.loginValues().userName = user;
        journal.loginValues().role = demoLoginRole(user);
        journal.applyRights(ui::journalRights(demoLoginRole(user)));
        journal.show();
        QCOMPARE(enabledBits(&journal, kJournalButtons), closed ? journalClosed : journalOpen);
        QCOMPARE(journal.findChild<QLabel*>("monthClosedLabel")->isVisible(), closed);
        inTimesheet(user, [&](QDialog* d) {
            QCOMPARE(enabledBits(d, kTimesheetButtons), closed ? sheetClosed : sheetOpen);
            QCOMPARE(d->findChild<QLabel*>("monthClosedLabel")->isVisible(), closed);
        });
    }
    QCOMPARE(errorsShown(), QStringList{});
}

// The economist closes the month after the question naming it; only the administrator opens it
// again. Both are in the history under their logins.
void ClosedMonthsTest::closingAndReopeningThroughTheWindow() {
    const auto closedBy = [this] {
        return db_->scalar("select coalesce(string_agg(closed_by, ' '), '-') from "
                           "accounts_dep.closed_month where month = 4 and year = 2026");
    };
    const QString historyBefore =
        db_->scalar("select coalesce(max(id), 0) from accounts_dep.history");
    inTimesheet("econom", [&](QDialog* d) {
        auto* close = d->findChild<QPushButton*>("closeMonthButton");
        messages_->answer(false);
        close->click();
        QCOMPARE(messages_->last(), QString("Закрыть месяц Апрель 2026? После закрытия позиции, "
                                            "материалы и табель этого месяца изменить нельзя."));
        QCOMPARE(closedBy(), QString("-"));
        messages_->answer(true);
        close->click();
        QCOMPARE(closedBy(), QString("econom"));
        auto* label = d->findChild<QLabel*>("monthClosedLabel");
        QVERIFY(label->isVisible());
        // when and by whom, the time the server's
        QVERIFY2(QRegularExpression(R"(^Месяц закрыт \d\d\.\d\d\.\d{4} \d\d:\d\d \(econom\)$)")
                     .match(label->text())
                     .hasMatch(),
                 qPrintable(label->text()));
        QCOMPARE(enabledBits(d, kTimesheetButtons), QString("000"));
    });
    inTimesheet("sys", [&](QDialog* d) {
        QCOMPARE(enabledBits(d, kTimesheetButtons), QString("001"));
        messages_->answer(true);
        d->findChild<QPushButton*>("reopenMonthButton")->click();
        QCOMPARE(messages_->last(), QString("Открыть месяц Апрель 2026? Его позиции, материалы и "
                                            "табель снова можно будет изменять."));
        QCOMPARE(enabledBits(d, kTimesheetButtons), QString("110"));
        QVERIFY(!d->findChild<QLabel*>("monthClosedLabel")->isVisible());
    });
    QCOMPARE(closedBy(), QString("-"));
    QCOMPARE(db_->scalar("select string_agg(login || ' ' || action || ' ' || month || '.' || year, "
                         "', ' order by id) from accounts_dep.history where subject = "
                         "'closed_month' and id > " +
                         historyBefore),
             QString("econom close 4.2026, sys reopen 4.2026"));
    QCOMPARE(errorsShown(), QStringList{});
}

void ClosedMonthsTest::aClosedMonthRefusesEveryChange_data() {
    QTest::addColumn<QString>("action");
    for (const char* action : {"a new position", "a change", "a deletion", "an acceptance",
                               "a material", "a brigade share", "the rebuild"})
        QTest::newRow(action) << QString(action);
}

// Closed after the window has read the month, as by another workstation: the window's button
// is still enabled, the database refuses and the person reads why. Reopened, the same works.
void ClosedMonthsTest::aClosedMonthRefusesEveryChange() {
    QFETCH(QString, action);
    QString before;
    change(action, [&] {
        db_->exec(kCloseMonth);
        before = monthData();
    });
    QCOMPARE(errorsShown(), QStringList{"Ошибка: " + kMonthClosed});
    QCOMPARE(monthData(), before);

    db_->exec(kReopenMonth);
    messages_->clear();
    change(action, [&] { before = monthData(); });
    QCOMPARE(errorsShown(), QStringList{});
    QVERIFY2(monthData() != before, qPrintable(before));
}

void ClosedMonthsTest::change(const QString& action, const std::function<void()>& meanwhile) {
    StationJournal journal(db_->connectionString("sys"));
    journal.loginValues().userName = "sys";
    journal.loginValues().role = ui::LoginRole::Administrator;
    journal.applyRights(ui::journalRights(ui::LoginRole::Administrator));
    EntryWindows windows(journal.connection());
    journal.useEntryDialog(windows.entry);
    journal.show();
    QVERIFY(journal.shownPositions().locate("id", position_));
    const auto button = [&journal](const char* name) {
        return journal.findChild<QPushButton*>(name);
    };
    const auto save = [&](QDialog* d) {
        meanwhile();
        entryChild<QPushButton>(d, "saveHeaderButton")->click();
        d->reject();
    };
    if (action == "a new position") {
        modal_->then([&](QDialog* d) {
            QCOMPARE(fillEntryHeader(*modal_, d,
                                     {.requisition = 7000001,
                                      .line = 7100001,
                                      .worker = workerNamed("Иванов И.И."),
                                      .operation = operationNumbered(1),
                                      .quantity = "5",
                                      .hours = "2"}),
                     QString());
            save(d);
        });
        button("addButton")->click();
    } else if (action == "a change") {
        modal_->then([&](QDialog* d) {
            entryChild<QLineEdit>(d, "quantityEdit")->setText("12");
            save(d);
        });
        button("editButton")->click();
    } else if (action == "a deletion" || action == "an acceptance") {
        meanwhile();
        messages_->answer(true);
        button(action == "a deletion" ? "deleteButton" : "acceptButton")->click();
    } else if (action == "a material") {
        modal_->then([&](QDialog* d) {
            meanwhile();
            modal_->then([&](QDialog* m) {
                QVERIFY(chooseLookupKey(m, "materialCombo", 3000001));
                entryChild<QLineEdit>(m, "consumptionEdit")->setText("2");
                entryChild<QPushButton>(m, "saveButton")->click();
                if (m->isVisible())
                    m->reject();
            });
            entryChild<QPushButton>(d, "addMaterialButton")->click();
            d->reject();
        });
        button("editButton")->click();
    } else if (action == "a brigade share") {
        // the brigade of a new position, stored before the month was closed
        modal_->then([&](QDialog* d) {
            QCOMPARE(fillEntryHeader(*modal_, d,
                                     {.requisition = 7000001,
                                      .line = 7100001,
                                      .worker = workerNamed("Иванов И.И."),
                                      .operation = operationNumbered(1),
                                      .quantity = "5",
                                      .hours = "2"}),
                     QString());
            entryChild<QPushButton>(d, "saveHeaderButton")->click();
            meanwhile();
            QVERIFY(pickFromList(*modal_, d, "addMemberButton", workerNamed("Петров П.П.")));
            d->reject();
        });
        button("addButton")->click();
    } else if (action == "the rebuild") {
        timesheet::TimesheetData data(journal.connection());
        PrintedTimesheet printed(journal.connection());
        TimesheetWindow sheet(data, printed);
        sheet.applyRights(ui::timesheetRights(ui::LoginRole::Administrator));
        bool closedAfter = false;
        modal_->then([&](QDialog* d) {
            meanwhile();
            d->findChild<QPushButton*>("rebuildButton")->click();
            // the window shows what it was refused for
            closedAfter = d->findChild<QLabel*>("monthClosedLabel")->isVisible() &&
                          !d->findChild<QPushButton*>("rebuildButton")->isEnabled();
        });
        sheet.openForMonth(kToday);
        QCOMPARE(closedAfter, !errorsShown().isEmpty());
    }
    QCOMPARE(modal_->pending(), 0);
    // the journal read again shows the month as the database holds it
    journal.findChild<QPushButton*>("refreshButton")->click();
    QCOMPARE(journal.findChild<QLabel*>("monthClosedLabel")->isVisible(), !errorsShown().isEmpty());
}

// The journal and the time-sheet of a closed month as the administrator sees them, in a light
// and a dark palette: closed_months_*.png.
void ClosedMonthsTest::screenshots() {
    const QString dir = qEnvironmentVariable("TEST_OUTPUT_DIR");
    if (dir.isEmpty())
        QSKIP("TEST_OUTPUT_DIR is not set");
    QDir().mkpath(dir);
    db_->exec(kCloseMonth);
    QPalette dark = darkDesktopPalette();
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        dark.setColor(QPalette::Disabled, role, QColor(127, 127, 127));
    const QPalette light = QApplication::palette();
    const auto restore = qScopeGuard([&light] { QApplication::setPalette(light); });
    for (const auto& [theme, palette] : {std::pair{"light", light}, std::pair{"dark", dark}}) {
        QApplication::setPalette(palette);
        StationJournal journal(db_->connectionString("sys"));
        journal.applyRights(ui::journalRights(ui::LoginRole::Administrator));
        journal.resize(1366, 700);
        journal.show();
        QVERIFY(
            saveScreenshot(&journal, dir + QString("/closed_months_journal_%1.png").arg(theme)));
        inTimesheet("sys", [&](QDialog* d) {
            d->resize(1366, 700);
            QVERIFY(saveScreenshot(d, dir + QString("/closed_months_timesheet_%1.png").arg(theme)));
        });
    }
}

QTEST_MAIN(ClosedMonthsTest)
#include "closed_months_test.moc"
