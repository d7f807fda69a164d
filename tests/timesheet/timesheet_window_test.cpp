// The time-sheet window on the test database: its opening on the journal's month and the
// year list, the grids' titles, the rebuild through "Перестроить", the export read back from
// the saved workbook, and the printed time-sheet read back from its PDF.
#include "app/startup.h"
#include "data/connection.h"
#include "journal/journal_window.h"
#include "seams/clock.h"
#include "spreadsheet/spreadsheet.h"
#include "tests/support/pdf_tools.h"
#include "tests/support/recording_launcher.h"
#include "tests/support/recording_messages.h"
#include "tests/support/scripted_modal_runner.h"
#include "tests/support/test_database.h"
#include "tests/support/widget_helpers.h"
#include "tests/support/xlsx_reader.h"
#include "timesheet/printed_timesheet.h"
#include "timesheet/timesheet_data.h"
#include "timesheet/timesheet_window.h"
#include "ui/cell_colours.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>

class TimesheetWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void opensOnTheJournalsMonth_data();
    void opensOnTheJournalsMonth();
    void titlesFollowTheMonth();
    void everyOpeningReadsTheRowsAfresh();
    void rebuildFromTheWindow();
    void exportReadBack();
    void exportOfAnEmptyMonth();
    void printedSheet();
    void theJournalMenuOpensTheJournalDatesMonth();
    void screenshots();

private:
    void open(const QDate& journalDate, const std::function<void(QDialog*)>& script);
    data::Dataset& rows(int shift) { return data_->timesheetRows(shift); }

    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<RecordingMessages> messages_;
    std::unique_ptr<ScriptedModalRunner> modal_;
    std::unique_ptr<RecordingLauncher> launcher_;
    QTemporaryDir folder_;
    data::Connection connection_;
    std::unique_ptr<timesheet::TimesheetData> data_;
    std::unique_ptr<PrintedTimesheet> printed_;
    std::unique_ptr<TimesheetWindow> window_;
};

void TimesheetWindowTest::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    db_ = std::make_unique<TestDatabase>("timesheet");
    messages_ = std::make_unique<RecordingMessages>();
    modal_ = std::make_unique<ScriptedModalRunner>();
    launcher_ = std::make_unique<RecordingLauncher>();
    spreadsheet::setOutputFolder(folder_.path());
    db_->exec(R"(
        insert into cmn_contractor.person(s_code, s_caption) values
            ('101', 'Иванов И.И.'), ('102', 'Петров П.П.'), ('103', 'Сидоров С.С.');
        insert into accounts_dep.vid_oper(id, vid) values (1, 'Сборка');
        insert into accounts_dep.oper(id, i_id, vid) values (1, 1, 1);
    )");
    connection_.setConnectionString(db_->connectionString());
    connection_.open();
    data_ = std::make_unique<timesheet::TimesheetData>(connection_);
    printed_ = std::make_unique<PrintedTimesheet>(connection_);
    window_ = std::make_unique<TimesheetWindow>(*data_, *printed_);
    window_->applyRights(ui::timesheetRights(ui::LoginRole::Administrator));
}

// April 2026 (30 days): Иванов in shifts 1 and 2 on the 6th, overtime on the 7th and a stored
// 31st; Петров a 9-hour day.
void TimesheetWindowTest::init() {
    db_->exec(R"(
        delete from accounts_dep.h_tabel; truncate accounts_dep.smena;
        insert into accounts_dep.h_tabel(w_id, smena, month, year, d6, d31) values
            (101, 1, 4, 2026, 8, 2), (101, 2, 4, 2026, 3, 0), (102, 1, 4, 2026, 9, 0);
        insert into accounts_dep.h_tabel(w_id, smena, month, year, d7) values (101, 4, 4, 2026, 2);
    )");
    messages_->clear();
    launcher_->opened.clear();
    seams::Clock::setFixedToday(QDate(2026, 12, 10));
}

void TimesheetWindowTest::cleanupTestCase() {
    seams::Clock::setFixedToday(QDate());
    spreadsheet::setOutputFolder(QString());
}

void TimesheetWindowTest::open(const QDate& journalDate,
                               const std::function<void(QDialog*)>& script) {
    modal_->then(script);
    window_->openForMonth(journalDate);
    QCOMPARE(modal_->pending(), 0);
}

// The year list runs from 2007 to this year; a journal date outside it ends on the last year.
void TimesheetWindowTest::opensOnTheJournalsMonth_data() {
    QTest::addColumn<QDate>("journalDate");
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("year");
    QTest::newRow("this year") << QDate(2026, 4, 15) << "Апрель"
                               << "2026";
    QTest::newRow("the first year") << QDate(2007, 1, 3) << "Январь"
                                    << "2007";
    QTest::newRow("before the list") << QDate(2005, 6, 1) << "Июнь"
                                     << "2026";
}

void TimesheetWindowTest::opensOnTheJournalsMonth() {
    QFETCH(QDate, journalDate);
    QFETCH(QString, month);
    QFETCH(QString, year);
    open(journalDate, [&](QDialog* d) {
        auto* years = d->findChild<QComboBox*>("yearCombo");
        QCOMPARE(years->count(), 2026 - 2007 + 1);
        QCOMPARE(years->itemText(years->count() - 1), QString("2026"));
        QCOMPARE(d->findChild<QComboBox*>("monthCombo")->currentText(), month);
        QCOMPARE(years->currentText(), year);
        QVERIFY(rows(1).isOpen());
        QVERIFY(!d->findChild<QProgressBar*>("rebuildProgress")->isVisible());
    });
    // the opener closes the lists afterwards
    QVERIFY(!rows(1).isOpen() && !rows(2).isOpen() && !rows(3).isOpen());
}

void TimesheetWindowTest::titlesFollowTheMonth() {
    open(QDate(2026, 4, 1), [&](QDialog* d) {
        auto* grid = d->findChild<QTableView*>("shift1View");
        const QAbstractItemModel* model = grid->model();
        const auto title = [&](int column) {
            return model->headerData(column, Qt::Horizontal, Qt::ForegroundRole)
                .value<QBrush>()
                .color();
        };
        QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QString("Фамилия И. О."));
        QCOMPARE(model->headerData(32, Qt::Horizontal).toString(), QString("Итого"));
        // red and silver, made readable on the header
        const QPalette& header = grid->horizontalHeader()->palette();
        QCOMPARE(title(4), ui::titleColour(QColor(255, 0, 0), header)); // Saturday the 4th
        QCOMPARE(title(4).hslHue(), 0);
        // Monday the 6th keeps the header's own colour
        QVERIFY(!model->headerData(6, Qt::Horizontal, Qt::ForegroundRole).isValid());
        QCOMPARE(title(31), ui::titleColour(QColor(192, 192, 192), header)); // past April's end
        QCOMPARE(rows(1).recordCount(), 2);
        QVERIFY(rows(1).locate("w_id", 101));
        QCOMPARE(rows(1).asInt("summ"), 10);
        QCOMPARE(rows(2).recordCount(), 1);
        QCOMPARE(rows(3).recordCount(), 0);
        // another month re-reads the three shifts
        d->findChild<QComboBox*>("monthCombo")->setCurrentIndex(2);
        QCOMPARE(rows(1).recordCount(), 0);
        QVERIFY(!model->headerData(31, Qt::Horizontal, Qt::ForegroundRole).isValid());
    });
}

// Nobody needs to close the rows between two openings: what was written meanwhile (a save
// on this or another workstation) shows on the next one.
void TimesheetWindowTest::everyOpeningReadsTheRowsAfresh() {
    const auto ivanovsTotal = [](QDialog* d) {
        const QAbstractItemModel* model = d->findChild<QTableView*>("shift1View")->model();
        return model->index(0, 32).data().toString(); // Иванов sorts first
    };
    QString first;
    open(QDate(2026, 4, 1), [&](QDialog* d) { first = ivanovsTotal(d); });
    QCOMPARE(first, QString("10"));
    // rows left open from before the change are read again too
    rows(1).setParam("month", 4);
    rows(1).setParam("year", 2026);
    rows(1).open();
    db_->exec("update accounts_dep.h_tabel set d6 = 5 where w_id = 101 and smena = 1");
    QString second;
    open(QDate(2026, 4, 1), [&](QDialog* d) { second = ivanovsTotal(d); });
    QCOMPARE(second, QString("7"));
}

void TimesheetWindowTest::rebuildFromTheWindow() {
    db_->exec("insert into accounts_dep.smena(data, smena, w_id, i_id, o_id, kol_vo, time) values "
              "('2026-04-06', 1, 103, 1, 1, 1, 7), ('2026-04-30', 3, 103, 1, 1, 1, 12)");
    open(QDate(2026, 4, 1), [&](QDialog* d) {
        d->findChild<QPushButton*>("rebuildButton")->click();
        QCOMPARE(d->findChild<QProgressBar*>("rebuildProgress")->maximum(), 30);
        QVERIFY(!d->findChild<QProgressBar*>("rebuildProgress")->isVisible());
        QVERIFY(rows(1).isOpen());
        QCOMPARE(rows(1).recordCount(), 1); // only the worker with positions
        QCOMPARE(rows(3).recordCount(), 1);
    });
    QCOMPARE(db_->timesheetText(103), QString("s1 4.2026: d6=7 | s3 4.2026: d30=12"));
    QCOMPARE(db_->timesheetText(101), QString());
    QVERIFY(messages_->shown.isEmpty());
}

// A worker in two shifts is one line with the hours added, overtime counted, the stored 31st
// of a 30-day month written in column 32.
void TimesheetWindowTest::exportReadBack() {
    QString caption;
    open(QDate(2026, 4, 1), [&](QDialog* d) {
        d->findChild<QPushButton*>("exportButton")->click();
        caption = shownText(d->findChild<QPushButton*>("exportButton")->text());
    });
    QCOMPARE(caption, QString("Excel (2 из 2)"));
    QCOMPARE(launcher_->opened.size(), 1);
    XlsxReader sheet;
    QVERIFY2(sheet.load(launcher_->opened.last()), qPrintable(sheet.error()));
    QCOMPARE(sheet.text(1, 1), QString("Апрель 2026"));
    QVERIFY(sheet.cell(1, 1)->bold && sheet.cell(1, 1)->textFormat);
    QCOMPARE(sheet.text(2, 1), QString("Фамилия И.О."));
    QCOMPARE(sheet.text(2, 2), QString("1"));
    QVERIFY(sheet.cell(2, 2)->bold && !sheet.cell(2, 2)->textFormat);
    QCOMPARE(sheet.text(2, 33), QString("Итого"));
    QCOMPARE(sheet.text(3, 1), QString("Иванов И.И."));
    QVERIFY(!sheet.cell(3, 1)->bold);
    QCOMPARE(sheet.text(3, 7), QString("11")); // the 6th: 8 + 3 of two shifts
    QCOMPARE(sheet.text(3, 8), QString("2"));  // overtime on the 7th
    QCOMPARE(sheet.text(3, 32), QString("2")); // the stored 31st
    QCOMPARE(sheet.text(3, 2), QString("0"));
    QCOMPARE(sheet.text(3, 33), QString("15"));
    QCOMPARE(sheet.text(4, 1), QString("Петров П.П."));
    QCOMPARE(sheet.text(4, 33), QString("9"));
    QCOMPARE(sheet.text(5, 1), QString());
    QVERIFY(sheet.columnWidth(1) > 0); // auto-fitted
}

void TimesheetWindowTest::exportOfAnEmptyMonth() {
    QString caption;
    open(QDate(2026, 5, 1), [&](QDialog* d) {
        d->findChild<QPushButton*>("exportButton")->click();
        caption = shownText(d->findChild<QPushButton*>("exportButton")->text());
    });
    QCOMPARE(caption, QString("Excel (0 из 0)"));
    XlsxReader sheet;
    QVERIFY(sheet.load(launcher_->opened.last()));
    QCOMPARE(sheet.text(1, 1), QString("Май 2026"));
    QCOMPARE(sheet.text(2, 33), QString("Итого"));
    QCOMPARE(sheet.text(3, 1), QString());
}

// Landscape A4, the heading with the period on every page, a total per line; 40 workers do
// not fit on one page.
void TimesheetWindowTest::printedSheet() {
    db_->exec(R"(
        insert into cmn_contractor.person(s_code, s_caption)
          select (200 + g)::text, 'Работник ' || lpad(g::text, 2, '0') from generate_series(1, 40) g;
        insert into accounts_dep.h_tabel(w_id, smena, month, year, d1, d2)
          select 200 + g, 1, 4, 2026, g % 9, 8 from generate_series(1, 40) g;
    )");
    const QString path = folder_.filePath("timesheet.pdf");
    printed_->writePdf(4, 2026, "Апрель 2026 г.", path);
    QVERIFY(!printed_->monthRows().isOpen());
    // "Печать" shows the same report in the preview
    QString previewed;
    open(QDate(2026, 4, 1), [&](QDialog* d) {
        modal_->then([&](QDialog* preview) {
            previewed = preview->metaObject()->className();
            QVERIFY(printed_->monthRows().isOpen());
        });
        d->findChild<QPushButton*>("printButton")->click();
    });
    QCOMPARE(previewed, QString("QPrintPreviewDialog"));
    QVERIFY(!printed_->monthRows().isOpen());
    const QString info = pdfInfo(path);
    QVERIFY2(info.contains(QRegularExpression("Page size:\\s+842 x 595 pts \\(A4\\)")),
             qPrintable(info));
    QVERIFY(info.contains(QRegularExpression("Pages:\\s+2\\b")));
    const QStringList pages = pdfText(path).split('\f', Qt::SkipEmptyParts);
    QCOMPARE(pages.size(), 2);
    for (const QString& page : pages) {
        QVERIFY(page.contains("Апрель 2026 г."));
        QVERIFY(page.contains("Итого"));
        QVERIFY(page.contains(QRegularExpression("\\b1\\s+2\\s+3\\s")));
    }
    // Иванов: 8 + 3 on the 6th, 2 on the 7th, 2 on the 31st
    QVERIFY(pages[0].contains(
        QRegularExpression("Иванов И\\.И\\.\\s+0\\s+0\\s+0\\s+0\\s+0\\s+11\\s+2")));
    QVERIFY(pages[0].contains(
        QRegularExpression("Иванов И\\.И\\..*\\b15\\s*$", QRegularExpression::MultilineOption)));
    QVERIFY(
        pages[1].contains(QRegularExpression("\\b2\\s*$", QRegularExpression::MultilineOption)));
    db_->exec("delete from cmn_contractor.person where s_code::integer > 200");
}

// The journal on another day than today: the time-sheet opens on that day's month, and the
// journal is back on today afterwards.
void TimesheetWindowTest::theJournalMenuOpensTheJournalDatesMonth() {
    Program program(AppArguments{}, db_->connectionString());
    JournalWindow& journal = program.journal();
    journal.findChild<QDateEdit*>("journalDateEdit")->setDate(QDate(2026, 4, 20));
    QString period;
    modal_->then([&](QDialog* d) {
        QCOMPARE(d, static_cast<QDialog*>(&program.timesheet()));
        period = d->findChild<QComboBox*>("monthCombo")->currentText() + " " +
                 d->findChild<QComboBox*>("yearCombo")->currentText();
        QCOMPARE(d->findChild<QTableView*>("shift1View")->model()->rowCount(), 2);
    });
    journal.findChild<QAction*>("timesheetAction")->trigger();
    QCOMPARE(period, QString("Апрель 2026"));
    // the rows are let go with the window
    QCOMPARE(program.timesheet().findChild<QTableView*>("shift1View")->model()->rowCount(), 0);
    QCOMPARE(journal.findChild<QDateEdit*>("journalDateEdit")->date(), QDate(2026, 12, 10));
}

void TimesheetWindowTest::screenshots() {
    const QString dir = qEnvironmentVariable("TEST_OUTPUT_DIR");
    if (dir.isEmpty())
        QSKIP("TEST_OUTPUT_DIR is not set");
    QDir().mkpath(dir);
    db_->exec(R"(
        insert into cmn_contractor.person(s_code, s_caption) values
            ('104', 'Кузнецова А.В.'), ('105', 'Лебедев Н.Н.');
        insert into accounts_dep.h_tabel(w_id, smena, month, year, d1, d2, d3, d6, d7, d8, d9, d10, d13)
          values (103, 1, 4, 2026, 8, 8, 8, 8, 10, 8, 8, 11, 8),
                 (104, 1, 4, 2026, 8, 0, 8, 4, 8, 8, 12, 8, 8),
                 (105, 3, 4, 2026, 0, 8, 8, 8, 8, 9, 8, 8, 6);
    )");
    open(QDate(2026, 4, 1), [&](QDialog* d) {
        auto* tabs = d->findChild<QTabWidget*>("shiftTabs");
        for (int tab = 0; tab < 3; ++tab) {
            tabs->setCurrentIndex(tab);
            QVERIFY(saveScreenshot(d, dir + QString("/timesheet_shift%1.png").arg(tab + 1)));
        }
    });
    printed_->writePdf(4, 2026, "Апрель 2026 г.", dir + "/timesheet_printed.pdf");
}

QTEST_MAIN(TimesheetWindowTest)
#include "timesheet_window_test.moc"
