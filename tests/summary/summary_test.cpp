// "Сводка месяца": its figures against plain SQL and the reports' totals, on a small fixture
// and on the demo's month; the window's charts, tooltips, screen-reader texts and day clicks;
// and norv_report's PDF and PNG against the window's own page and picture.
#include "app/startup.h"
#include "data/connection.h"
#include "data/dataset.h"
#include "data/statement_files.h"
#include "journal/journal_window.h"
#include "journal/positions.h"
#include "reportengine/prepared_report.h"
#include "reports/report_selection.h"
#include "seams/clock.h"
#include "seams/modal_runner.h"
#include "summary/month_summary.h"
#include "summary/summary_board.h"
#include "summary/summary_window.h"
#include "tests/support/pdf_tools.h"
#include "tests/support/recording_messages.h"
#include "tests/support/scripted_modal_runner.h"
#include "tests/support/test_database.h"

#include <QAction>
#include <QBarSet>
#include <QChartView>
#include <QComboBox>
#include <QDateEdit>
#include <QImage>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QToolTip>
#include <QtTest>

#include <cmath>
#include <memory>

namespace {

using data::ProductKind;

// Two workers in the register and one (999) missing from it, whose pieces "Отчет по
// продукции" counts but whose sum "Отчет по рабочим" cannot; two products, a finished and a blank
// operation; positions in March 2026 on a Monday, a Saturday and the last day, in shifts 1, 2 and
// 4, with rejects and fractions, and one each on the days either side of the month.
const QString kFixture = QStringLiteral(R"(
    insert into cmn_contractor.person(id, s_code, s_caption) values
        (10, '101', 'Иванов И.И.'), (11, '102', 'Петров П.П.');
    insert into accounts_dep.izdel(id, marka, nom) values (500, 'КМ-120', 'Каркас'),
        (501, 'ДВ-7', 'Дверь');
    insert into accounts_dep.vid_oper(id, vid) values (1, 'Сборка'), (2, 'Резка');
    insert into accounts_dep.oper(id, i_id, vid, naimen) values (1, 500, 1, 0), (2, 501, 2, 1),
        (3, 501, 1, 0);
    insert into accounts_dep.smena(data, smena, w_id, i_id, o_id, cena, kol_vo, brak, time) values
        ('2026-03-02', 1, 101, 500, 1, 4.5, 10, 2, 8),
        ('2026-03-02', 2, 102, 501, 2, 1.25, 7.5, 0, 4),
        ('2026-03-02', 4, 101, 501, 3, 10, 3, 1, 2),
        ('2026-03-07', 1, 102, 500, 1, 4.5, 20, 0, 6),
        ('2026-03-31', 2, 101, 501, 2, 0.1, 3, 0, 3),
        ('2026-03-31', 1, 999, 500, 1, 4.5, 100, 0, 8),
        ('2026-02-28', 1, 101, 500, 1, 4.5, 50, 0, 8),
        ('2026-04-01', 1, 101, 500, 1, 4.5, 60, 0, 8);
)");

// The same figures asked plainly: per day and shift, over every position whose product,
// operation and type exist; its sum only where the worker is in the register, as "Отчет по
// рабочим" counts it.
const QString kPlainDays = QStringLiteral(R"(
    select s.data as day, s.smena as shift, sum(s.kol_vo - s.brak) as pieces,
           sum((s.kol_vo - s.brak) * s.cena) filter (
               where s.w_id in (select s_code::integer from cmn_contractor.person)) as summa,
           sum(s.time) as hours
    from accounts_dep.smena s, accounts_dep.oper o, accounts_dep.izdel i, accounts_dep.vid_oper v
    where o.id = s.o_id and i.id = s.i_id and v.id = o.vid
      and s.data >= :period_from and s.data < :period_to
      and (:kind = 0 or (:kind = 1 and o.naimen = 0) or (:kind = 2 and o.naimen = 1))
    group by s.data, s.smena)");

bool near(double a, double b) {
    return std::abs(a - b) <= 1e-6 * std::max(1.0, std::max(std::abs(a), std::abs(b)));
}

// What the printed reports total for the month: "Отчет по рабочим" its sum, "Отчет по
// продукции" its pieces, read through their own statements and kind filter.
std::pair<double, double> reportTotals(data::Connection& connection, const QDate& first,
                                       ProductKind kind) {
    const reports::Selection period{first, first.addMonths(1), kind};
    const auto total = [&](const QString& statement, const QString& field) {
        data::Dataset query(&connection);
        query.setSql(data::statementText(statement));
        reports::openSelection(query, period);
        double sum = 0;
        for (query.first(); !query.eof(); query.next())
            sum += query.asDouble(field);
        return sum;
    };
    return {total(QStringLiteral("reports/products"), QStringLiteral("kolvo")),
            total(QStringLiteral("reports/workers"), QStringLiteral("summa"))};
}

} // namespace

class SummaryTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void figuresEqualSql_data();
    void figuresEqualSql();
    void topOperations();
    void demoMonthEqualsSqlAndReports();
    void windowShowsTheMonth();
    void dayClickOpensTheJournalDay();
    void printedPageAndPicture();
    void commandLineWritesTheSame();
    void commandLineRefusals_data();
    void commandLineRefusals();

private:
    void checkAgainstSql(data::Connection& connection, int month, int year, ProductKind kind);
    std::unique_ptr<summary::SummaryWindow> openWindow(int month, int year);

    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<OpenConnection> connection_;
    std::unique_ptr<TestDatabase> demo_;
    std::unique_ptr<OpenConnection> demoConnection_;
    QDate demoMonth_;
    std::unique_ptr<summary::SummaryData> data_;
    std::unique_ptr<RecordingMessages> messages_;
    QTemporaryDir folder_;
};

void SummaryTest::initTestCase() {
    messages_ = std::make_unique<RecordingMessages>();
    db_ = std::make_unique<TestDatabase>("summary");
    db_->exec(kFixture);
    connection_ = std::make_unique<OpenConnection>(db_->connectionString());
    data_ = std::make_unique<summary::SummaryData>(*connection_);

    // the pictures go to a documents folder of the test's own
    QFile dirs(qEnvironmentVariable("XDG_CONFIG_HOME") + "/user-dirs.dirs");
    QDir().mkpath(QFileInfo(dirs).path());
    QVERIFY(dirs.open(QIODevice::WriteOnly));
    dirs.write(QStringLiteral("XDG_DOCUMENTS_DIR=\"%1/documents\"\n").arg(folder_.path()).toUtf8());
    dirs.close();

    // the demo's data: four months of a shop of 300 up to today
    demo_ = std::make_unique<TestDatabase>("summary_demo");
    QProcess psql;
    psql.start("psql", {"-X", "-q", "-v", "ON_ERROR_STOP=1", "-h", demo_->socketDir(), "-p", "5432",
                        "-U", "postgres", "-d", demo_->name(), "-f",
                        QStringLiteral(NORV_SOURCE_DIR "/data/sql/demo.sql")});
    QVERIFY(psql.waitForFinished(240000));
    QVERIFY2(psql.exitCode() == 0, psql.readAllStandardError().constData());
    demoConnection_ = std::make_unique<OpenConnection>(demo_->connectionString());
    const QDate today = QDate::currentDate();
    demoMonth_ = QDate(today.year(), today.month(), 1).addMonths(-1); // a whole month
}

void SummaryTest::checkAgainstSql(data::Connection& connection, int month, int year,
                                  ProductKind kind) {
    summary::SummaryData data(connection);
    const summary::MonthSummary s = data.read(month, year, kind);
    const QDate first(year, month, 1);
    QCOMPARE(int(s.days.size()), first.daysInMonth());

    data::Dataset plain(&connection);
    plain.setSql(kPlainDays);
    plain.setParam("period_from", first);
    plain.setParam("period_to", first.addMonths(1));
    plain.setParam("kind", int(kind));
    plain.open();
    std::vector<summary::DayFigures> expected(s.days.size());
    double pieces = 0, sum = 0, hours = 0;
    for (plain.first(); !plain.eof(); plain.next()) {
        auto& day = expected[size_t(first.daysTo(plain.asDate("day")))];
        day.goodPieces += plain.asDouble("pieces");
        day.sum += plain.asDouble("summa");
        day.hours[size_t(plain.asInt("shift") - 1)] += plain.asDouble("hours");
        pieces += plain.asDouble("pieces");
        sum += plain.asDouble("summa");
        hours += plain.asDouble("hours");
    }
    for (size_t i = 0; i < s.days.size(); ++i) {
        const summary::DayFigures& got = s.days[i];
        QCOMPARE(got.date, first.addDays(qint64(i)));
        QVERIFY2(near(got.goodPieces, expected[i].goodPieces), qPrintable(got.date.toString()));
        QVERIFY2(near(got.sum, expected[i].sum), qPrintable(got.date.toString()));
        for (size_t shift = 0; shift < got.hours.size(); ++shift)
            QVERIFY(near(got.hours[shift], expected[i].hours[shift]));
    }
    QVERIFY(near(s.goodPieces, pieces));
    QVERIFY(near(s.sum, sum));
    QVERIFY(near(s.hours, hours));
    const auto [reportPieces, reportSum] = reportTotals(connection, first, kind);
    QVERIFY2(near(s.goodPieces, reportPieces),
             qPrintable(QString("%1 != %2").arg(s.goodPieces).arg(reportPieces)));
    QVERIFY2(near(s.sum, reportSum), qPrintable(QString("%1 != %2").arg(s.sum).arg(reportSum)));
}

void SummaryTest::figuresEqualSql_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<double>("pieces");
    QTest::addColumn<double>("sum");
    QTest::addColumn<double>("hours");
    // 8 + 7.5 + 2 + 20 + 3 + 100 of the worker not in the register, whose sum no report has;
    // 36 + 9.375 + 20 + 90 + 0.3; 8 + 4 + 2 + 6 + 3 + 8
    QTest::newRow("все") << int(ProductKind::All) << 140.5 << 155.675 << 31.0;
    QTest::newRow("готовая продукция") << int(ProductKind::Finished) << 130.0 << 146.0 << 24.0;
    QTest::newRow("заготовки") << int(ProductKind::Blanks) << 10.5 << 9.675 << 7.0;
}

void SummaryTest::figuresEqualSql() {
    QFETCH(int, kind);
    QFETCH(double, pieces);
    QFETCH(double, sum);
    QFETCH(double, hours);
    checkAgainstSql(*connection_, 3, 2026, ProductKind(kind));
    const summary::MonthSummary s = data_->read(3, 2026, ProductKind(kind));
    QVERIFY(near(s.goodPieces, pieces));
    QVERIFY(near(s.sum, sum));
    QVERIFY(near(s.hours, hours));
    QVERIFY(s.days[6].weekend());  // 7 March 2026, a Saturday
    QVERIFY(!s.days[1].weekend()); // 2 March, a Monday
}

void SummaryTest::topOperations() {
    const summary::MonthSummary s = data_->read(3, 2026, ProductKind::All);
    QCOMPARE(int(s.topOperations.size()), 3);
    QCOMPARE(s.topOperations[0].name, QStringLiteral("Сборка — Каркас КМ-120"));
    QVERIFY(near(s.topOperations[0].sum, 126));
    QCOMPARE(s.topOperations[1].name, QStringLiteral("Сборка — Дверь ДВ-7"));
    QCOMPARE(s.topOperations[2].name, QStringLiteral("Резка — Дверь ДВ-7 (заготовки)"));
    QVERIFY(near(s.topOperations[2].goodPieces, 10.5));
    // an empty month: every day at zero, no operations
    const summary::MonthSummary empty = data_->read(1, 2026, ProductKind::All);
    QCOMPARE(int(empty.days.size()), 31);
    QVERIFY(empty.topOperations.empty());
    QCOMPARE(empty.sum, 0.0);
}

void SummaryTest::demoMonthEqualsSqlAndReports() {
    for (ProductKind kind : {ProductKind::All, ProductKind::Finished, ProductKind::Blanks})
        checkAgainstSql(*demoConnection_, demoMonth_.month(), demoMonth_.year(), kind);
    summary::SummaryData data(*demoConnection_);
    const summary::MonthSummary s =
        data.read(demoMonth_.month(), demoMonth_.year(), ProductKind::All);
    QVERIFY(s.sum > 0);
    QCOMPARE(int(s.topOperations.size()), 10);
    for (size_t i = 1; i < s.topOperations.size(); ++i)
        QVERIFY(s.topOperations[i - 1].sum >= s.topOperations[i].sum);
}

std::unique_ptr<summary::SummaryWindow> SummaryTest::openWindow(int month, int year) {
    auto window = std::make_unique<summary::SummaryWindow>(*data_);
    window->findChild<QComboBox*>("monthCombo")->setCurrentIndex(month - 1);
    window->findChild<QComboBox*>("yearCombo")->setCurrentText(QString::number(year));
    return window;
}

void SummaryTest::windowShowsTheMonth() {
    auto window = openWindow(3, 2026);
    window->resize(1366, 768);
    window->show();
    QCoreApplication::processEvents(); // the charts lay their axes out
    summary::SummaryBoard& board = window->board();
    const summary::MonthSummary& s = board.shownSummary();
    QCOMPARE(s.month, 3);
    QCOMPARE(board.piecesBars()->count(), 31);
    QCOMPARE(board.piecesBars()->at(1), 8.0 + 7.5 + 2);
    QCOMPARE(board.sumBars()->at(6), 90.0);
    QCOMPARE(board.hourBars()[3]->at(1), 2.0); // overtime on the 2nd
    QCOMPARE(board.operationBars()->at(board.operationBars()->count() - 1), 126.0);

    // tooltips and what a screen reader reads: the day in Russian, the numbers with a comma
    QCOMPARE(board.barText(board.piecesBars(), 1),
             QStringLiteral("пн, 02.03.2026: годных 17,5 шт."));
    QCOMPARE(board.barText(board.sumBars(), 6),
             QStringLiteral("сб, 07.03.2026 (выходной): сдельно 90,00 руб."));
    QCOMPARE(board.barText(board.hourBars()[1], 30),
             QStringLiteral("вт, 31.03.2026, 2 смена: 3 ч"));
    QCOMPARE(board.barText(board.operationBars(), board.operationBars()->count() - 1),
             QStringLiteral("1. Сборка — Каркас КМ-120: 126,00 руб., 128 шт."));
    QVERIFY(board.piecesView()->accessibleDescription().contains(
        QStringLiteral("пн, 02.03.2026: годных 17,5 шт.")));
    QVERIFY(board.hoursView()->accessibleDescription().contains(
        QStringLiteral("пн, 02.03.2026, Сверхурочно: 2 ч")));
    QCOMPARE(board.operationsView()->accessibleName(),
             QStringLiteral("Десять операций с наибольшей суммой, руб."));
    emit board.hourBars()[3]->hovered(true, 1);
    QCOMPARE(QToolTip::text(), QStringLiteral("пн, 02.03.2026, Сверхурочно: 2 ч"));
    emit board.hourBars()[3]->hovered(false, 1);

    // another kind reads the month again
    window->findChild<QRadioButton*>("blanksRadio")->setChecked(true);
    QCOMPARE(board.shownSummary().kind, ProductKind::Blanks);
    QCOMPARE(board.piecesBars()->at(1), 7.5);

    // light and dark, as a person sees them
    const QString out = qEnvironmentVariable("TEST_OUTPUT_DIR");
    if (!out.isEmpty()) {
        QDir().mkpath(out);
        window->findChild<QRadioButton*>("allKindsRadio")->setChecked(true);
        QCoreApplication::processEvents();
        window->grab().save(out + "/summary_window_light.png");
        QPalette dark(QColor(30, 30, 30));
        dark.setColor(QPalette::Base, QColor(25, 25, 25));
        dark.setColor(QPalette::Text, QColor(230, 230, 230));
        dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
        dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
        window->setPalette(dark);
        QCoreApplication::processEvents();
        window->grab().save(out + "/summary_window_dark.png");
    }
}

void SummaryTest::dayClickOpensTheJournalDay() {
    ScriptedModalRunner runner;
    summary::SummaryWindow window(*data_);
    runner.then([&window](QDialog*) { emit window.board().sumBars()->clicked(6); });
    QCOMPARE(window.openForMonth(QDate(2026, 3, 15)), QDate(2026, 3, 7));
    // closed without a click: no day
    QVERIFY(!window.openForMonth(QDate(2026, 3, 15)).isValid());

    // through the journal's menu: the journal comes back on the day clicked
    seams::Clock::setFixedToday(QDate(2026, 3, 20));
    Program program(AppArguments{db_->socketDir(), db_->name()}, db_->connectionString("sys"));
    runner.then([&](QDialog* journal) {
        runner.then([](QDialog* shown) {
            auto* summary = qobject_cast<summary::SummaryWindow*>(shown);
            QVERIFY(summary);
            QCOMPARE(summary->month(), 3); // the journal date's month
            emit summary->board().piecesBars()->clicked(1);
        });
        journal->findChild<QAction*>("monthSummaryAction")->trigger();
        QCOMPARE(journal->findChild<QDateEdit*>("journalDateEdit")->date(), QDate(2026, 3, 2));
        QCOMPARE(program.positions().shiftPositions(1).recordCount(), 1);
    });
    seams::execModal(&program.journal());
    QCOMPARE(runner.pending(), 0);
    seams::Clock::setFixedToday(QDate());
}

void SummaryTest::printedPageAndPicture() {
    auto window = openWindow(3, 2026);
    const report::PreparedReport page = window->printedPage();
    QCOMPARE(page.pageCount(), 1);
    QCOMPARE(page.pageLayout().orientation(), QPageLayout::Landscape);
    QCOMPARE(page.pageLayout().pageSize().id(), QPageSize::A4);
    QCOMPARE(page.title(), QStringLiteral("Сводка месяца: март 2026 г."));

    const QString path = window->savePicture();
    QCOMPARE(QFileInfo(path).fileName(), QStringLiteral("Сводка 03.2026.png"));
    QCOMPARE(QFileInfo(path).path(), folder_.path() + "/documents");
    // a second one never writes over the first
    QCOMPARE(QFileInfo(window->savePicture()).fileName(), QStringLiteral("Сводка 03.2026 (2).png"));
    const QImage image(path);
    QCOMPARE(image.size(), summary::kPictureSize);
    QCOMPARE(image.text("Title"), QStringLiteral("Сводка месяца: март 2026 г."));
}

void SummaryTest::commandLineWritesTheSame() {
    auto window = openWindow(3, 2026);
    window->findChild<QRadioButton*>("finishedRadio")->setChecked(true);
    const QString windowPng = window->savePicture();
    const QString windowPdf = folder_.filePath("window.pdf");
    window->printedPage().writePdf(windowPdf);

    const QString cliPng = folder_.filePath("cli.png");
    const QString cliPdf = folder_.filePath("cli.pdf");
    for (const QStringList& output : {QStringList{"--png", cliPng}, QStringList{"--pdf", cliPdf}}) {
        QProcess p;
        p.start(QStringLiteral(NORV_REPORT_PROGRAM),
                QStringList{db_->socketDir(), db_->name(), "sys", "summary", "--month", "3",
                            "--year", "2026", "--kind", "finished"} +
                    output);
        p.write("sysdemo\n");
        p.closeWriteChannel();
        QVERIFY(p.waitForFinished(60000));
        QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
    }

    // the picture: pixel for pixel the window's
    const QImage fromCli(cliPng);
    const QImage fromWindow(windowPng);
    QCOMPARE(fromCli.size(), summary::kPictureSize);
    QVERIFY(fromCli.convertToFormat(QImage::Format_RGB32) ==
            fromWindow.convertToFormat(QImage::Format_RGB32));
    QCOMPARE(fromCli.text("Title"), QStringLiteral("Сводка месяца: март 2026 г."));

    // the page: its title as text, one A4 landscape page, rendered alike
    QCOMPARE(pdfInfo(cliPdf, "Title"), QStringLiteral("Сводка месяца: март 2026 г."));
    QCOMPARE(pdfInfo(cliPdf, "Pages"), QStringLiteral("1"));
    QVERIFY(pdfInfo(cliPdf, "Page size").contains("842"));
    QVERIFY(pdfText(cliPdf).contains(
        QStringLiteral("Сводка месяца: март 2026 г. · Готовая продукция")));
    for (const QString& pdf : {cliPdf, windowPdf})
        QCOMPARE(runTool("pdftoppm", {"-r", "60", "-png", "-singlefile", pdf, pdf}), QString());
    const QImage cliPage(cliPdf + ".png");
    QVERIFY(!cliPage.isNull());
    QVERIFY(cliPage == QImage(windowPdf + ".png"));
    if (const QString out = qEnvironmentVariable("TEST_OUTPUT_DIR"); !out.isEmpty()) {
        QFile::copy(cliPng, out + "/summary_cli.png");
        runTool("pdftoppm", {"-r", "100", "-png", "-singlefile", cliPdf, out + "/summary_page"});
    }
}

void SummaryTest::commandLineRefusals_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("complaint");
    QTest::newRow("no month") << QStringList{"summary", "--year", "2026", "--png", "x.png"}
                              << "для сводки нужны --month и --year";
    QTest::newRow("both files") << QStringList{"summary", "--month", "3",     "--year", "2026",
                                               "--png",   "x.png",   "--pdf", "x.pdf"}
                                << "сводка пишется в один файл";
    QTest::newRow("xlsx") << QStringList{"summary", "--month", "3",     "--year",
                                         "2026",    "--xlsx",  "x.xlsx"}
                          << "сводка пишется в один файл";
    QTest::newRow("png of a report")
        << QStringList{"timesheet", "--month", "3", "--year", "2026", "--png", "x.png"}
        << "только сводка";
}

void SummaryTest::commandLineRefusals() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, complaint);
    QProcess p;
    p.setWorkingDirectory(folder_.path());
    p.start(QStringLiteral(NORV_REPORT_PROGRAM), QStringList{"sys"} + arguments);
    p.closeWriteChannel();
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 1);
    QVERIFY2(QString::fromUtf8(p.readAllStandardError()).contains(complaint),
             qPrintable(complaint));
    QVERIFY(!QFile::exists(folder_.filePath("x.png")));
}

QTEST_MAIN(SummaryTest)
#include "summary_test.moc"
