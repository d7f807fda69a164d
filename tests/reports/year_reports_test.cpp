// The printed reports and the printed time-sheet at a large shop's sizes: the benchmarks' year
// of about 700,000 positions, and a December whose sums are the size of a large shop's year
// (28535301,60 amount, 1208023,68 boxes, 213268,5 pieces on requisitions; four months of the
// demo give 28630606,10 and 1194447,82). No number may be cut, nor printed smaller than its
// column's font; the report end "Итого:" read back from the PDF equals what the database adds
// up itself, position by position.
#include "bench/year_of_positions.h"
#include "data/connection.h"
#include "reportengine/prepared_report.h"
#include "reports/production_reports.h"
#include "tests/support/pdf_tools.h"
#include "tests/support/test_database.h"
#include "timesheet/printed_timesheet.h"

#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

using reports::ProductKind;

// The five reports by the names the test's rows use.
enum class Printed { Workers, Products, WorkerDetails, ProductDetails, Requisitions };

// The report end's numbers as the database reckons them from the positions of the period and
// kind, in the order and format the report prints them: amounts with two decimals, boxes of
// "Отчет по продукции" whole, everything else as short as the value allows.
QString expectedTotalsSql(Printed report, const QDate& from, const QDate& to, ProductKind kind) {
    const QString plain = QStringLiteral("replace(trim_scale(%1)::text, '.', ',')");
    const QString amount =
        QStringLiteral("replace(round(sum((s.kol_vo::numeric - s.brak) * s.cena::numeric), "
                       "2)::text, '.', ',')");
    const QString pieces = plain.arg(QStringLiteral("sum(s.kol_vo::numeric)"));
    const QString rejects = plain.arg(QStringLiteral("sum(s.brak)"));
    const QString boxes =
        plain.arg(QStringLiteral("round(sum(i.massa::numeric * s.kol_vo::numeric), 2)"));
    QString totals;
    switch (report) {
    case Printed::Workers:
        totals = amount;
        break;
    case Printed::Products:
        totals = QStringLiteral("round(sum(i.massa::numeric * (s.kol_vo::numeric - s.brak)))::text"
                                " || ' ' || ") +
                 plain.arg(QStringLiteral("sum(s.kol_vo::numeric - s.brak)"));
        break;
    case Printed::WorkerDetails:
        totals = QStringList{rejects, pieces, amount}.join(QStringLiteral(" || ' ' || "));
        break;
    case Printed::ProductDetails:
    case Printed::Requisitions:
        totals = QStringList{rejects, boxes, pieces, amount}.join(QStringLiteral(" || ' ' || "));
        break;
    }
    QString where = QStringLiteral("s.data >= '%1' and s.data < '%2'")
                        .arg(from.toString(Qt::ISODate), to.toString(Qt::ISODate));
    if (kind == ProductKind::Finished)
        where += QStringLiteral(" and o.naimen = 0");
    else if (kind == ProductKind::Blanks)
        where += QStringLiteral(" and o.naimen = 1");
    if (report == Printed::Requisitions)
        where += QStringLiteral(" and s.id_doc in (select id from mnf_doc.doc)");
    return QStringLiteral("select %1 from accounts_dep.smena s "
                          "join accounts_dep.oper o on o.id = s.o_id "
                          "join accounts_dep.izdel i on i.id = s.i_id where %2")
        .arg(totals, where);
}

// The report's last page alone as a PDF, painted as the preview, the printer and the PDF
// file paint it.
void writeLastPage(const report::PreparedReport& prepared, const QString& path) {
    QPdfWriter writer(path);
    writer.setPageLayout(prepared.pageLayout());
    QPainter painter(&writer);
    prepared.paintPage(painter, prepared.pageCount() - 1);
}

// Every number that did not fit in its cell's font, one a line, for a failure's message.
QString unfitNumbers(const std::vector<report::UnfitText>& items) {
    QStringList lines;
    for (const report::UnfitText& item : items)
        if (item.number)
            lines.append(QStringLiteral("page %1, «%2»: %3 printed as %4 in %5 pt")
                             .arg(item.page + 1)
                             .arg(item.cell, item.text, item.printed)
                             .arg(item.pointSize));
    return lines.join(u'\n');
}

} // namespace

Q_DECLARE_METATYPE(Printed)
Q_DECLARE_METATYPE(reports::ProductKind)

class YearReportsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void reportEnds_data();
    void reportEnds();
    void timesheets_data();
    void timesheets();

private:
    reports::PrintedReport& reportOf(Printed which);

    std::unique_ptr<TestDatabase> db_;
    data::Connection connection_;
    std::unique_ptr<WorkersReport> workers_;
    std::unique_ptr<ProductsReport> products_;
    std::unique_ptr<WorkerDetailsReport> workerDetails_;
    std::unique_ptr<ProductDetailsReport> productDetails_;
    std::unique_ptr<RequisitionsReport> requisitions_;
    std::unique_ptr<PrintedTimesheet> timesheet_;
    QTemporaryDir folder_;
};

// The shop's year 2026 as the benchmarks have it, with fifty requisitions over nine positions
// in ten and colours; then December 2025: four positions of a year's size in two products
// that weigh 5,6 and 0,5 and one that weighs nothing, two of them on a requisition, and a
// worker with 8 hours in each of three shifts every day of the month.
void YearReportsTest::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    db_ = std::make_unique<TestDatabase>("year_reports");
    createShopData(*db_);
    // without the positions' row triggers, as the year was loaded: with them the update
    // alone takes longer than all the reports
    db_->exec(R"(
        insert into mnf_doc.doc(id, s_number, d_date)
          select 7000001 + g, 'З-' || (1000 + g), '2026-01-01' from generate_series(1, 49) g;
        set session_replication_role = replica;
        update accounts_dep.smena set id_doc = 7000001 + id % 50, color = (id % 4) * (id % 3)
          where id % 10 <> 0;
        set session_replication_role = origin;
        insert into accounts_dep.izdel(id, marka, nom, massa) values
            (201, 'КМ-201', 'Контейнер', 5.6), (202, 'КМ-202', 'Лоток', 0.5),
            (203, 'КМ-203', 'Крышка', 0);
        insert into accounts_dep.smena(data, smena, w_id, i_id, o_id, cena, kol_vo, brak, prize,
                                       id_doc, ok) values
            ('2025-12-01', 1, 1001, 201, 1, 120, 213267.5, 0, 0, 7000001, 'no'),
            ('2025-12-02', 1, 1001, 201, 1, 76459.14, 1, 0, 0, 7000001, 'no'),
            ('2025-12-03', 1, 1002, 202, 1, 100, 27440.16, 0, 5, 0, 'no'),
            ('2025-12-04', 1, 1002, 203, 1, 122726.46, 1, 0, 0, 0, 'no');
        insert into accounts_dep.h_tabel(w_id, smena, month, year)
          select 1001, s, 12, 2025 from generate_series(1, 3) s;
    )");
    QString fullDays;
    for (int day = 1; day <= 31; ++day)
        fullDays += QStringLiteral("%1d%2 = 8").arg(day > 1 ? ", " : "").arg(day);
    db_->exec(QStringLiteral("update accounts_dep.h_tabel set %1 where month = 12 and year = 2025 "
                             "and w_id = 1001")
                  .arg(fullDays));
    db_->exec(QStringLiteral("vacuum analyze accounts_dep.smena"));
    connection_.setConnectionString(db_->connectionString());
    connection_.open();
    workers_ = std::make_unique<WorkersReport>(connection_);
    products_ = std::make_unique<ProductsReport>(connection_);
    workerDetails_ = std::make_unique<WorkerDetailsReport>(connection_);
    productDetails_ = std::make_unique<ProductDetailsReport>(connection_);
    requisitions_ = std::make_unique<RequisitionsReport>(connection_);
    timesheet_ = std::make_unique<PrintedTimesheet>(connection_);
}

reports::PrintedReport& YearReportsTest::reportOf(Printed which) {
    switch (which) {
    case Printed::Workers:
        return *workers_;
    case Printed::Products:
        return *products_;
    case Printed::WorkerDetails:
        return *workerDetails_;
    case Printed::ProductDetails:
        return *productDetails_;
    case Printed::Requisitions:
        break;
    }
    return *requisitions_;
}

void YearReportsTest::reportEnds_data() {
    QTest::addColumn<Printed>("report");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<ProductKind>("kind");
    QTest::addColumn<QString>("totals"); // what the end must read, when given here
    const std::pair<Printed, const char*> all[] = {
        {Printed::Workers, "workers"},
        {Printed::Products, "products"},
        {Printed::WorkerDetails, "worker details"},
        {Printed::ProductDetails, "product details"},
        {Printed::Requisitions, "requisitions"},
    };
    const std::pair<ProductKind, const char*> kinds[] = {
        {ProductKind::All, "all"},
        {ProductKind::Finished, "finished"},
        {ProductKind::Blanks, "blanks"},
    };
    for (const auto& [report, name] : all)
        for (const auto& [kind, kindName] : kinds)
            QTest::addRow("%s, the year 2026, %s", name, kindName)
                << report << QDate(2026, 1, 1) << QDate(2027, 1, 1) << kind << QString();
    // the figures of a large shop's year, so that a box too narrow for them shows by name
    const char* december[] = {
        "28535301,60",
        "1208024 240709,66",
        "0 240709,66 28535301,60",
        "0 1208023,68 240709,66 28535301,60",
        "0 1194303,6 213268,5 25668559,14",
    };
    for (size_t i = 0; i < std::size(all); ++i)
        QTest::addRow("%s, December 2025", all[i].second)
            << all[i].first << QDate(2025, 12, 1) << QDate(2026, 1, 1) << ProductKind::All
            << QString::fromUtf8(december[i]);
}

// Every number whole, in its column's own font, and the report end equal to the database's
// sums.
void YearReportsTest::reportEnds() {
    QFETCH(Printed, report);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(ProductKind, kind);
    QFETCH(QString, totals);
    const QString expected = db_->scalar(expectedTotalsSql(report, from, to, kind));
    if (!totals.isEmpty())
        QCOMPARE(expected, totals); // the fixture gives what it promises

    const report::PreparedReport prepared = reportOf(report).layOut({from, to, kind});
    const QString cut = unfitNumbers(prepared.clippedItems());
    QVERIFY2(cut.isEmpty(), qPrintable(QStringLiteral("numbers cut:\n") + cut));
    const QString shrunk = unfitNumbers(prepared.shrunkNumbers());
    QVERIFY2(shrunk.isEmpty(), qPrintable(QStringLiteral("numbers printed smaller:\n") + shrunk));

    // the end is on the last page, above the page number
    const QString pdf = folder_.filePath(QStringLiteral("last_page.pdf"));
    writeLastPage(prepared, pdf);
    const QStringList last = pdfPages(pdf).value(0);
    QCOMPARE(last.value(last.size() - 1), QString::number(prepared.pageCount()));
    QCOMPARE(last.value(last.size() - 2), "Итого: " + expected);

    // the last pages of every kind "Все" to be looked at after a change
    const QString dir = qEnvironmentVariable("TEST_OUTPUT_DIR");
    if (!dir.isEmpty() && kind == ProductKind::All && QDir().mkpath(dir))
        pdfToPngs(pdf,
                  dir + QStringLiteral("/year_") +
                      QString::fromUtf8(QTest::currentDataTag()).replace(u' ', u'_').remove(u','));
}

void YearReportsTest::timesheets_data() {
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("year");
    QTest::addColumn<QString>("fullMonth"); // the line of the worker with 24 hours a day
    QTest::newRow("March 2026, 400 workers") << 3 << 2026 << QString();
    QTest::newRow("December 2026, 400 workers") << 12 << 2026 << QString();
    QString fullMonth = QStringLiteral("Работник 1");
    for (int day = 1; day <= 31; ++day)
        fullMonth += QStringLiteral(" 24");
    QTest::newRow("December 2025, 24 hours a day") << 12 << 2025 << fullMonth + " 744";
}

// The day cells and each worker's total whole and in their own font.
void YearReportsTest::timesheets() {
    QFETCH(int, month);
    QFETCH(int, year);
    QFETCH(QString, fullMonth);
    const report::PreparedReport prepared =
        timesheet_->layOut(month, year, QStringLiteral("Месяц %1 г.").arg(year));
    const QString cut = unfitNumbers(prepared.clippedItems());
    QVERIFY2(cut.isEmpty(), qPrintable(QStringLiteral("numbers cut:\n") + cut));
    const QString shrunk = unfitNumbers(prepared.shrunkNumbers());
    QVERIFY2(shrunk.isEmpty(), qPrintable(QStringLiteral("numbers printed smaller:\n") + shrunk));
    if (fullMonth.isEmpty())
        return;
    const QString pdf = folder_.filePath(QStringLiteral("timesheet.pdf"));
    prepared.writePdf(pdf);
    QVERIFY2(pdfPages(pdf).value(0).contains(fullMonth), qPrintable(pdfText(pdf)));
}

QTEST_MAIN(YearReportsTest)
#include "year_reports_test.moc"
