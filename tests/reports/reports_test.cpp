// The report window "Отчеты" on the test database: its controls and the period it proposes,
// the five printed reports printed from their previews and read back from the PDFs (sums
// reckoned by hand on a small fixture, number formats, colour texts, the period's end day,
// the product-kind filter, the requisition report leaving out positions of no requisition,
// empty periods), the same reports written straight to PDF, and the spreadsheet read back.
#include "app/startup.h"
#include "data/connection.h"
#include "journal/journal_window.h"
#include "reports/production_reports.h"
#include "reports/report_selection_dialog.h"
#include "seams/clock.h"
#include "spreadsheet/spreadsheet.h"
#include "tests/support/pdf_tools.h"
#include "tests/support/recording_launcher.h"
#include "tests/support/recording_messages.h"
#include "tests/support/scripted_modal_runner.h"
#include "tests/support/test_database.h"
#include "tests/support/widget_helpers.h"
#include "tests/support/xlsx_reader.h"
#include "ui/guard.h"
#include "ui/window_geometry.h"

#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QtTest>
#include <QtWidgets>

#include <algorithm>
#include <memory>

namespace {

// The detail lines of a group are ordered only by the group's key: each run of them (they
// name the product kind, nothing else does) is sorted, in the expected lines as in the read.
QStringList canonical(QStringList lines) {
    const auto isDetail = [](const QString& line) {
        return line.contains(u"Готовая продукция") || line.contains(u"Заготовки");
    };
    for (auto it = lines.begin(); it != lines.end();) {
        if (!isDetail(*it)) {
            ++it;
            continue;
        }
        auto end = std::find_if_not(it, lines.end(), isDetail);
        std::sort(it, end);
        it = end;
    }
    return lines;
}

using Choice = std::function<void(QDialog*)>;

void choosePeriod(QDialog* d, const QDate& from, const QDate& to) {
    d->findChild<QDateEdit*>("fromDateEdit")->setDate(from);
    d->findChild<QDateEdit*>("toDateEdit")->setDate(to);
}

void chooseKind(QDialog* d, const QString& item) {
    for (QRadioButton* radio :
         d->findChild<QGroupBox*>("productKindGroup")->findChildren<QRadioButton*>())
        if (shownText(radio->text()) == item)
            radio->click();
}

// The fixture's lines of each report over February 2026, as reckoned by hand.
const QString kFebruary = "01.02.2026 по 01.03.2026";

const QStringList kWorkersLines{
    "Отчет по рабочим за период с " + kFebruary,
    "Иванов И.И.",
    "Стеллаж",
    "Готовая продукция Сварка (RAL: 7035) 8 25,000",
    "8 25,000",
    "Шкаф",
    "Готовая продукция Сварка 9 94,500",
    "Заготовки Покраска (грунт) 4 9,000",
    "13 103,500",
    "128,50",
    "Петров П.П.",
    "Шкаф",
    "Готовая продукция Сварка 5 52,500",
    "5 52,500", // a worker with one product: the product's sum, then the worker's
    "52,50",
    "Сидоров С.С.",
    "Стеллаж",
    "Готовая продукция Сварка (RAL: 7035) 2 6,250",
    "2 6,250",
    "6,25",
    "Итого: 187,25",
    "1",
};

const QStringList kProductsLines{
    "Отчет по продукции за период с " + kFebruary + " Коробки Количество",
    "Стеллаж",
    "Готовая продукция Сварка (RAL: 7035) 12,5 10",
    "12,5 10",
    "Шкаф",
    "Готовая продукция Сварка 35 14",
    "Заготовки Покраска (грунт) 10 4",
    "45 18",
    "Итого: 58 28", // 57,5 boxes as "#0"
    "1",
};

const QStringList kWorkerDetailsLines{
    "Детальный отчет по рабочим за период с " + kFebruary,
    "Брак Количество Сумма Премия",
    "Иванов И.И.",
    "КМ-1 Покраска 1 Заготовки 0 4 9,00 0,00",
    "КМ-1 Сварка 0 Готовая продукция 1 10 94,50 9,45",
    "КМ-2 Сварка 7035 Готовая продукция 0 8 25,00 5,00",
    "1 22 128,50 14,45",
    "Итог: 142,95",
    "Петров П.П.",
    "КМ-1 Сварка 0 Готовая продукция 0 5 52,50 0,00",
    "0 5 52,50 0,00",
    "Итог: 52,50",
    "Сидоров С.С.",
    "КМ-2 Сварка 7035 Готовая продукция 0 2 6,25 0,00",
    "0 2 6,25 0,00",
    "Итог: 6,25",
    "Итого: 1 29 187,25", // no bonus sum
    "1",
};

const QStringList kProductDetailsLines{
    "Детальный отчет по продукции за период с " + kFebruary,
    "Брак Коробки Кол-во Сумма",
    "Стеллаж",
    "КМ-2 Сварка 7035 Готовая продукция 0 12,5 10 31,250",
    "0 12,50 10 31,25",
    "Шкаф",
    "КМ-1 Покраска 1 Заготовки 0 10 4 9,000",
    "КМ-1 Сварка 0 Готовая продукция 1 37,5 15 147,000",
    "1 47,50 19 156,00",
    "Итого: 1 60 29 187,25",
    "1",
};

// Петров's position has no requisition: missing here, counted in the other four.
const QStringList kRequisitionsLines{
    "Детальный отчет по заявкам за период с " + kFebruary,
    "Брак Номенкл. Кол-во Сумма",
    "З-1",
    "КМ-1 Покраска 1 Заготовки 0 Шкаф 4 9,000",
    "КМ-1 Сварка 0 Готовая продукция 1 Шкаф 10 94,500",
    "1 35,00 14 103,50",
    "З-2",
    "КМ-2 Сварка 7035 Готовая продукция 0 Стеллаж 10 31,250",
    "0 12,50 10 31,25",
    "Итого: 1 47,5 24 134,75",
    "1",
};

} // namespace

class ReportsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void theWindow();
    void proposesThePreviousMonth_data();
    void proposesThePreviousMonth();
    void centredOnTheMainWindow();
    void printedReports_data();
    void printedReports();
    void writtenStraightToPdf();
    void productKindFilter_data();
    void productKindFilter();
    void emptyPeriods_data();
    void emptyPeriods();
    void aFailingQueryEndsInAMessage();
    void spreadsheet();
    void spreadsheetWithAFilter();
    void spreadsheetOfAnEmptyPeriod();
    void spreadsheetSumsExactly();
    void spreadsheetThatCannotOpen();
    void theJournalMenuOpensTheWindow();
    void screenshots();

private:
    struct Printed {
        QList<QStringList> pages;
        int previewPages = -1;
        bool queryOpenInPreview = false;
    };
    // Opens the window, makes the choices, presses the report's button and prints from the
    // preview into a PDF, as the person would.
    void printFromWindow(const char* buttonName, Printed& printed, const Choice& choose = {});
    const data::Dataset& queryOf(const QString& buttonName);
    QString exportFromWindow(const Choice& choose = {});

    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<RecordingMessages> messages_;
    std::unique_ptr<ScriptedModalRunner> modal_;
    std::unique_ptr<RecordingLauncher> launcher_;
    QTemporaryDir folder_;
    data::Connection connection_;
    std::unique_ptr<WorkersReport> workersReport_;
    std::unique_ptr<ProductsReport> productsReport_;
    std::unique_ptr<WorkerDetailsReport> workerDetailsReport_;
    std::unique_ptr<ProductDetailsReport> productDetailsReport_;
    std::unique_ptr<RequisitionsReport> requisitionsReport_;
    std::unique_ptr<ReportSelectionDialog> window_;
    int prints_ = 0;
};

// February 2026: Иванов welds cabinets with a reject and a bonus, primes one, welds shelves in
// RAL 7035 with a bonus; Петров welds cabinets outside any requisition; Сидоров welds shelves.
// A position on 1 March and one on 31 January lie outside the month. The operations carry a
// price of their own (1000) that the bonus must not take.
void ReportsTest::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    db_ = std::make_unique<TestDatabase>("reports");
    messages_ = std::make_unique<RecordingMessages>();
    modal_ = std::make_unique<ScriptedModalRunner>();
    launcher_ = std::make_unique<RecordingLauncher>();
    db_->exec(R"(
        insert into cmn_contractor.person(s_code, s_caption) values
            ('101', 'Иванов И.И.'), ('102', 'Петров П.П.'), ('103', 'Сидоров С.С.');
        insert into accounts_dep.izdel(id, marka, nom, massa) values
            (1, 'КМ-1', 'Шкаф', 2.5), (2, 'КМ-2', 'Стеллаж', 1.25);
        insert into accounts_dep.vid_oper(id, vid) values (1, 'Сварка'), (2, 'Покраска');
        insert into accounts_dep.oper(id, i_id, vid, naimen, cena) values
            (1, 1, 1, 0, 1000), (2, 1, 2, 1, 1000), (3, 2, 1, 0, 1000);
        insert into mnf_doc.doc(id, s_number, d_date) values
            (7000001, 'З-1', '2026-02-01'), (7000002, 'З-2', '2026-02-01');
        insert into accounts_dep.smena(data, smena, w_id, i_id, o_id, cena, kol_vo, brak, color,
                                       prize, id_doc) values
            ('2026-02-02', 1, 101, 1, 1, 10.5, 10, 1, 0, 10, 7000001),
            ('2026-02-10', 1, 101, 1, 2, 2.25, 4, 0, 1, 0, 7000001),
            ('2026-02-15', 2, 101, 2, 3, 3.125, 8, 0, 7035, 20, 7000002),
            ('2026-02-20', 1, 102, 1, 1, 10.5, 5, 0, 0, 0, 0),
            ('2026-02-28', 3, 103, 2, 3, 3.125, 2, 0, 7035, 0, 7000002),
            ('2026-03-01', 1, 101, 1, 1, 10.5, 100, 0, 0, 0, 7000001),
            ('2026-01-31', 1, 102, 2, 3, 3.125, 100, 0, 7035, 0, 7000002);
    )");
    connection_.setConnectionString(db_->connectionString());
    connection_.open();
    workersReport_ = std::make_unique<WorkersReport>(connection_);
    productsReport_ = std::make_unique<ProductsReport>(connection_);
    workerDetailsReport_ = std::make_unique<WorkerDetailsReport>(connection_);
    productDetailsReport_ = std::make_unique<ProductDetailsReport>(connection_);
    requisitionsReport_ = std::make_unique<RequisitionsReport>(connection_);
    window_ = std::make_unique<ReportSelectionDialog>(
        connection_,
        ReportSelectionDialog::Reports{*workersReport_, *productsReport_, *workerDetailsReport_,
                                       *productDetailsReport_, *requisitionsReport_});
}

void ReportsTest::init() {
    chooseKind(window_.get(), "Все"); // the window keeps the kind from one opening to the next
    messages_->clear();
    launcher_->opened.clear();
    spreadsheet::setOutputFolder(folder_.path());
    seams::Clock::setFixedToday(QDate(2026, 3, 15));
}

void ReportsTest::cleanupTestCase() {
    seams::Clock::setFixedToday(QDate());
    spreadsheet::setOutputFolder(QString());
}

const data::Dataset& ReportsTest::queryOf(const QString& buttonName) {
    if (buttonName == "workersReportButton")
        return workersReport_->query();
    if (buttonName == "productsReportButton")
        return productsReport_->query();
    if (buttonName == "workerDetailsButton")
        return workerDetailsReport_->query();
    if (buttonName == "productDetailsButton")
        return productDetailsReport_->query();
    return requisitionsReport_->query();
}

void ReportsTest::printFromWindow(const char* buttonName, Printed& printed, const Choice& choose) {
    const QString pdf = folder_.filePath(QString("%1-%2.pdf").arg(buttonName).arg(++prints_));
    const data::Dataset& query = queryOf(buttonName);
    modal_->then([&](QDialog* d) {
        if (choose)
            choose(d);
        button(d, buttonName)->click();
    });
    bool previewed = false;
    modal_->then([&](QDialog* d) {
        previewed = true;
        auto* preview = qobject_cast<QPrintPreviewDialog*>(d);
        QVERIFY(preview);
        QCOMPARE(preview->objectName(), QString("reportPreview"));
        auto* widget = preview->findChild<QPrintPreviewWidget*>();
        widget->updatePreview();
        printed.previewPages = widget->pageCount();
        printed.queryOpenInPreview = query.isOpen();
        QPrinter* printer = preview->printer();
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdf);
        emit preview->paintRequested(printer);
    });
    window_->openReports();
    if (!previewed) { // the report failed: its script must not wait for the next test
        QDialog none;
        modal_->exec(&none);
    }
    QVERIFY2(messages_->shown.isEmpty(), qPrintable(messages_->last()));
    QVERIFY(previewed);
    QVERIFY(!query.isOpen()); // closed with the preview
    QVERIFY(pdfInfo(pdf).contains(QRegularExpression("Page size:\\s+595 x 842 pts")));
    printed.pages = pdfPages(pdf);
}

void ReportsTest::theWindow() {
    QCOMPARE(window_->windowTitle(), QString("Отчеты"));
    QCOMPARE(window_->minimumSize(), window_->maximumSize()); // fixed size
    auto* kinds = window_->findChild<QGroupBox*>("productKindGroup");
    QCOMPARE(kinds->title(), QString("Вид продукции"));
    QStringList items;
    for (QRadioButton* radio : kinds->findChildren<QRadioButton*>())
        items.append(shownText(radio->text()) + (radio->isChecked() ? "*" : ""));
    QCOMPARE(items, QStringList({"Все*", "Готовая продукция", "Заготовки"}));
    QCOMPARE(window_->findChild<QGroupBox*>("periodGroup")->title(), QString("Период отбора"));
    QCOMPARE(shownText(window_->findChild<QLabel*>("fromLabel")->text()), QString("с"));
    QCOMPARE(shownText(window_->findChild<QLabel*>("toLabel")->text()), QString("по"));
    const QList<std::pair<const char*, QString>> buttons{
        {"workersReportButton", "Отчет по рабочим"},
        {"productsReportButton", "Отчет по продукции"},
        {"workerDetailsButton", "Детальный отчет по рабочим"},
        {"productDetailsButton", "Детальный отчет по продукции"},
        {"requisitionsReportButton", "Детальный отчет по заявкам"},
        {"exportButton", "Excel (0 из 0)"},
        {"closeButton", "Выход"},
    };
    for (const auto& [name, text] : buttons) {
        QPushButton* b = button(window_.get(), name);
        QVERIFY2(b, name);
        QCOMPARE(shownText(b->text()), text);
        QVERIFY(b->isEnabled());
    }

    bool visibleAfterExit = true;
    modal_->then([&](QDialog* d) {
        // top to bottom in this order
        int lastY = d->findChild<QGroupBox*>("periodGroup")->y();
        QVERIFY(kinds->y() < lastY);
        for (const auto& [name, text] : buttons) {
            QVERIFY2(button(d, name)->y() > lastY, name);
            lastY = button(d, name)->y();
        }
        // "Выход" closes the window
        button(d, "closeButton")->click();
        visibleAfterExit = d->isVisible();
    });
    window_->openReports();
    QVERIFY(!visibleAfterExit);
    QCOMPARE(window_->result(), int(QDialog::Rejected));
}

void ReportsTest::proposesThePreviousMonth_data() {
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::newRow("March") << QDate(2026, 3, 15) << QDate(2026, 2, 1) << QDate(2026, 3, 1);
    QTest::newRow("January") << QDate(2026, 1, 10) << QDate(2025, 12, 1) << QDate(2026, 1, 1);
    QTest::newRow("the first") << QDate(2026, 5, 1) << QDate(2026, 4, 1) << QDate(2026, 5, 1);
    QTest::newRow("the last") << QDate(2024, 3, 31) << QDate(2024, 2, 1) << QDate(2024, 3, 1);
}

// Every opening proposes the month before today's; the pickers keep what the person chose
// while the window is open.
void ReportsTest::proposesThePreviousMonth() {
    QFETCH(QDate, today);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    seams::Clock::setFixedToday(today);
    for (int opening = 0; opening < 2; ++opening) {
        modal_->then([&](QDialog* d) {
            QCOMPARE(d, static_cast<QDialog*>(window_.get()));
            QCOMPARE(d->findChild<QDateEdit*>("fromDateEdit")->date(), from);
            QCOMPARE(d->findChild<QDateEdit*>("toDateEdit")->date(), to);
            choosePeriod(d, QDate(2020, 6, 1), QDate(2020, 6, 30));
            QCOMPARE(window_->selection().from, QDate(2020, 6, 1));
            QCOMPARE(window_->selection().to, QDate(2020, 6, 30));
        });
        window_->openReports();
        QCOMPARE(modal_->pending(), 0);
    }
}

// The first time; afterwards it opens where the person left it.
void ReportsTest::centredOnTheMainWindow() {
    ui::forgetGeometry(QStringLiteral("ReportSelectionDialog"));
    QWidget main;
    main.setGeometry(200, 150, 640, 480);
    main.show();
    ReportSelectionDialog window(
        connection_,
        ReportSelectionDialog::Reports{*workersReport_, *productsReport_, *workerDetailsReport_,
                                       *productDetailsReport_, *requisitionsReport_},
        &main);
    QPoint centre;
    modal_->then([&](QDialog* d) {
        centre = d->geometry().center();
        d->move(d->pos() + QPoint(120, -60));
    });
    window.openReports();
    QVERIFY2((centre - main.geometry().center()).manhattanLength() <= 30,
             qPrintable(QString("%1,%2").arg(centre.x()).arg(centre.y())));
    const QPoint movedTo = centre + QPoint(120, -60);
    modal_->then([&](QDialog* d) { centre = d->geometry().center(); });
    window.openReports();
    QCOMPARE(centre, movedTo);
}

void ReportsTest::printedReports_data() {
    QTest::addColumn<QString>("buttonName");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("Отчет по рабочим") << "workersReportButton" << kWorkersLines;
    QTest::newRow("Отчет по продукции") << "productsReportButton" << kProductsLines;
    QTest::newRow("Детальный отчет по рабочим") << "workerDetailsButton" << kWorkerDetailsLines;
    QTest::newRow("Детальный отчет по продукции") << "productDetailsButton" << kProductDetailsLines;
    QTest::newRow("Детальный отчет по заявкам") << "requisitionsReportButton" << kRequisitionsLines;
}

// The proposed period (opened on 15 March): February, without 1 March.
void ReportsTest::printedReports() {
    QFETCH(QString, buttonName);
    QFETCH(QStringList, expected);
    Printed printed;
    printFromWindow(qPrintable(buttonName), printed);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(printed.queryOpenInPreview);
    QCOMPARE(printed.previewPages, 1);
    QCOMPARE(printed.pages.size(), 1);
    QCOMPARE(canonical(printed.pages[0]), canonical(expected));
}

// The report classes' own PDF gives what the preview prints; the query is closed after.
void ReportsTest::writtenStraightToPdf() {
    const reports::Selection february{QDate(2026, 2, 1), QDate(2026, 3, 1),
                                      reports::ProductKind::All};
    const QString pdf = folder_.filePath("workerDetailsReport.pdf");
    workerDetailsReport_->writePdf(february, pdf);
    QVERIFY(!workerDetailsReport_->query().isOpen());
    QCOMPARE(pdfPages(pdf), QList<QStringList>{kWorkerDetailsLines});
    // a file that cannot be written is an error, and the query is closed all the same
    QVERIFY_THROWS_EXCEPTION(std::exception,
                             workerDetailsReport_->writePdf(
                                 february, folder_.filePath("no/such/workerDetailsReport.pdf")));
    QVERIFY(!workerDetailsReport_->query().isOpen());
}

void ReportsTest::productKindFilter_data() {
    QTest::addColumn<QString>("buttonName");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QStringList>("all");
    QTest::newRow("workers, blanks") << "workersReportButton"
                                     << "Заготовки"
                                     << QStringList{"Отчет по рабочим за период с " + kFebruary,
                                                    "Иванов И.И.",
                                                    "Шкаф",
                                                    "Заготовки Покраска (грунт) 4 9,000",
                                                    "4 9,000",
                                                    "9,00",
                                                    "Итого: 9,00",
                                                    "1"}
                                     << kWorkersLines;
    QTest::newRow("products, finished")
        << "productsReportButton"
        << "Готовая продукция"
        << QStringList{"Отчет по продукции за период с " + kFebruary + " Коробки Количество",
                       "Стеллаж",
                       "Готовая продукция Сварка (RAL: 7035) 12,5 10",
                       "12,5 10",
                       "Шкаф",
                       "Готовая продукция Сварка 35 14",
                       "35 14",
                       "Итого: 48 24",
                       "1"}
        << kProductsLines;
    QTest::newRow("worker details, finished")
        << "workerDetailsButton"
        << "Готовая продукция"
        << QStringList{"Детальный отчет по рабочим за период с " + kFebruary,
                       "Брак Количество Сумма Премия",
                       "Иванов И.И.",
                       "КМ-1 Сварка 0 Готовая продукция 1 10 94,50 9,45",
                       "КМ-2 Сварка 7035 Готовая продукция 0 8 25,00 5,00",
                       "1 18 119,50 14,45",
                       "Итог: 133,95",
                       "Петров П.П.",
                       "КМ-1 Сварка 0 Готовая продукция 0 5 52,50 0,00",
                       "0 5 52,50 0,00",
                       "Итог: 52,50",
                       "Сидоров С.С.",
                       "КМ-2 Сварка 7035 Готовая продукция 0 2 6,25 0,00",
                       "0 2 6,25 0,00",
                       "Итог: 6,25",
                       "Итого: 1 25 178,25",
                       "1"}
        << kWorkerDetailsLines;
    QTest::newRow("product details, blanks")
        << "productDetailsButton"
        << "Заготовки"
        << QStringList{"Детальный отчет по продукции за период с " + kFebruary,
                       "Брак Коробки Кол-во Сумма",
                       "Шкаф",
                       "КМ-1 Покраска 1 Заготовки 0 10 4 9,000",
                       "0 10,00 4 9,00",
                       "Итого: 0 10 4 9,00",
                       "1"}
        << kProductDetailsLines;
    QTest::newRow("requisitions, finished")
        << "requisitionsReportButton"
        << "Готовая продукция"
        << QStringList{"Детальный отчет по заявкам за период с " + kFebruary,
                       "Брак Номенкл. Кол-во Сумма",
                       "З-1",
                       "КМ-1 Сварка 0 Готовая продукция 1 Шкаф 10 94,500",
                       "1 25,00 10 94,50",
                       "З-2",
                       "КМ-2 Сварка 7035 Готовая продукция 0 Стеллаж 10 31,250",
                       "0 12,50 10 31,25",
                       "Итого: 1 37,5 20 125,75",
                       "1"}
        << kRequisitionsLines;
}

// A kind keeps only its rows; "Все" afterwards shows all of them again.
void ReportsTest::productKindFilter() {
    QFETCH(QString, buttonName);
    QFETCH(QString, kind);
    QFETCH(QStringList, expected);
    QFETCH(QStringList, all);
    Printed printed;
    printFromWindow(qPrintable(buttonName), printed, [&](QDialog* d) { chooseKind(d, kind); });
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(printed.pages.size(), 1);
    QCOMPARE(canonical(printed.pages[0]), canonical(expected));

    // the choice stays while the window lives; "Все" switches the filter off again
    printFromWindow(qPrintable(buttonName), printed, [&](QDialog* d) {
        QVERIFY(window_->selection().kind != reports::ProductKind::All);
        chooseKind(d, "Все");
    });
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(printed.pages.size(), 1);
    QCOMPARE(canonical(printed.pages[0]), canonical(all));
}

void ReportsTest::emptyPeriods_data() {
    QTest::addColumn<QString>("buttonName");
    QTest::addColumn<QStringList>("heading"); // %1: the period
    QTest::addColumn<QString>("totals");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    const struct {
        const char* button;
        QStringList heading;
        const char* totals;
    } reports[] = {
        {"workersReportButton", {"Отчет по рабочим за период с %1"}, "Итого: 0,00"},
        {"productsReportButton",
         {"Отчет по продукции за период с %1 Коробки Количество"},
         "Итого: 0 0"},
        {"workerDetailsButton",
         {"Детальный отчет по рабочим за период с %1", "Брак Количество Сумма Премия"},
         "Итого: 0 0 0,00"},
        {"productDetailsButton",
         {"Детальный отчет по продукции за период с %1", "Брак Коробки Кол-во Сумма"},
         "Итого: 0 0 0 0,00"},
        {"requisitionsReportButton",
         {"Детальный отчет по заявкам за период с %1", "Брак Номенкл. Кол-во Сумма"},
         "Итого: 0 0 0 0,00"},
    };
    for (const auto& r : reports) {
        QTest::addRow("%s, a month without positions", r.button)
            << r.button << r.heading << r.totals << QDate(2025, 6, 1) << QDate(2025, 7, 1);
        QTest::addRow("%s, the end before the start", r.button)
            << r.button << r.heading << r.totals << QDate(2026, 3, 1) << QDate(2026, 2, 1);
        QTest::addRow("%s, the end on the start", r.button)
            << r.button << r.heading << r.totals << QDate(2026, 2, 10) << QDate(2026, 2, 10);
    }
}

// No checks on the period: a period without positions still gives a printable report.
void ReportsTest::emptyPeriods() {
    QFETCH(QString, buttonName);
    QFETCH(QStringList, heading);
    QFETCH(QString, totals);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    Printed printed;
    printFromWindow(qPrintable(buttonName), printed,
                    [&](QDialog* d) { choosePeriod(d, from, to); });
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(printed.previewPages, 1);
    const QString period = QLocale().toString(from, QLocale::ShortFormat) + " по " +
                           QLocale().toString(to, QLocale::ShortFormat);
    heading[0] = heading[0].arg(period);
    const QList<QStringList> expected{heading + QStringList{totals, "1"}};
    QCOMPARE(printed.pages, expected);
}

// A worker code that is no number makes the statement fail: the message shows, with the
// server's words as its detail, no preview opens, the query is closed and the window goes on.
void ReportsTest::aFailingQueryEndsInAMessage() {
    db_->exec("insert into cmn_contractor.person(s_code, s_caption) values ('7а', 'Ошибочный')");
    modal_->then([&](QDialog* d) {
        button(d, "workersReportButton")->click();
        QCOMPARE(messages_->shown.size(), 1);
        QCOMPARE(messages_->shown[0].text, ui::kStatementFailed);
        QVERIFY2(messages_->shown[0].detail.contains("7а"), qPrintable(messages_->shown[0].detail));
        QVERIFY(!workersReport_->query().isOpen());
        QVERIFY(d->isVisible());
    });
    const qsizetype previews = modal_->opened.count("reportPreview");
    window_->openReports();
    db_->exec("delete from cmn_contractor.person where s_code = '7а'");
    QCOMPARE(modal_->pending(), 0);
    QCOMPARE(modal_->opened.count("reportPreview"), previews);
}

QString ReportsTest::exportFromWindow(const Choice& choose) {
    QString caption;
    modal_->then([&](QDialog* d) {
        if (choose)
            choose(d);
        button(d, "exportButton")->click();
        caption = shownText(button(d, "exportButton")->text());
    });
    window_->openReports();
    return caption;
}

namespace {

// The sheet's rows from row 2 on, cells joined by "|", until the first empty row.
QStringList sheetRows(const XlsxReader& sheet) {
    QStringList rows;
    for (int row = 2; !sheet.text(row, 1).isEmpty(); ++row) {
        QStringList cells;
        for (int column = 1; column <= 5; ++column)
            cells.append(sheet.text(row, column));
        rows.append(cells.join(u'|'));
    }
    return rows;
}

} // namespace

void ReportsTest::spreadsheet() {
    QCOMPARE(exportFromWindow(), QString("Excel (3 из 3)"));
    QVERIFY(!window_->productionQuery().isOpen());
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(launcher_->opened.size(), 1);
    XlsxReader sheet;
    QVERIFY2(sheet.load(launcher_->opened.last()), qPrintable(sheet.error()));
    QCOMPARE(QStringList({sheet.text(1, 1), sheet.text(1, 2), sheet.text(1, 3), sheet.text(1, 4),
                          sheet.text(1, 5), sheet.text(1, 6)}),
             QStringList({"Наименование", "Операция", "Вид продукции", "Коробки", "Кол-во", ""}));
    QStringList rows = sheetRows(sheet);
    QCOMPARE(rows.value(0), QString("Стеллаж|Сварка (цвет: 7035)|Готовая продукция|12,5|10"));
    std::sort(rows.begin() + 1, rows.end()); // the query orders by product only
    QCOMPARE(rows, QStringList({"Стеллаж|Сварка (цвет: 7035)|Готовая продукция|12,5|10",
                                "Шкаф|Покраска (грунт)|Заготовки|10|4",
                                "Шкаф|Сварка|Готовая продукция|35|14"}));
    // nothing formatted or widened, no total row; the spreadsheet takes number texts as numbers
    for (auto it = sheet.cells().begin(); it != sheet.cells().end(); ++it) {
        const auto [row, column] = it.key();
        QVERIFY(!it->bold && !it->textFormat);
        QCOMPARE(it->number, row > 1 && column >= 4);
    }
    QVERIFY(sheet.columnWidths().isEmpty());
    QCOMPARE(sheet.cells().size(), 20);

    // the caption keeps its count when the window opens again
    QString reopened;
    modal_->then([&](QDialog* d) { reopened = shownText(button(d, "exportButton")->text()); });
    window_->openReports();
    QCOMPARE(reopened, QString("Excel (3 из 3)"));
}

void ReportsTest::spreadsheetWithAFilter() {
    QCOMPARE(exportFromWindow([](QDialog* d) { chooseKind(d, "Заготовки"); }),
             QString("Excel (1 из 1)"));
    XlsxReader sheet;
    QVERIFY(sheet.load(launcher_->opened.last()));
    QCOMPARE(sheetRows(sheet), QStringList{"Шкаф|Покраска (грунт)|Заготовки|10|4"});
    QCOMPARE(exportFromWindow([](QDialog* d) { chooseKind(d, "Все"); }), QString("Excel (3 из 3)"));
}

void ReportsTest::spreadsheetOfAnEmptyPeriod() {
    QCOMPARE(
        exportFromWindow([](QDialog* d) { choosePeriod(d, QDate(2026, 3, 2), QDate(2026, 4, 1)); }),
        QString("Excel (0 из 0)"));
    XlsxReader sheet;
    QVERIFY(sheet.load(launcher_->opened.last()));
    QCOMPARE(sheet.text(1, 5), QString("Кол-во"));
    QCOMPARE(sheet.cells().size(), 5);
}

// Shares such as 1.667 + 1.667 + 1.666 add up exactly before the sheet rounds them: 156 of
// them and a half are 260.5 pieces, 261 in the sheet (a binary sum gives 260.49999999999994,
// which rounded to 260), and the mass keeps the digits it has (0.1 x 260.5 = 26.05).
void ReportsTest::spreadsheetSumsExactly() {
    db_->exec(R"(
        insert into accounts_dep.izdel(id, marka, nom, massa) values (50, 'ЩРН-12', 'Щит', 0.1);
        insert into accounts_dep.oper(id, i_id, vid, naimen, cena) values (40, 50, 1, 0, 1);
        insert into accounts_dep.smena(data, smena, w_id, i_id, o_id, cena, kol_vo, brak)
            select '2026-06-02', 1, 101, 50, 40, 1, (array[1.667, 1.667, 1.666])[1 + g % 3], 0
            from generate_series(0, 155) g;
        insert into accounts_dep.smena(data, smena, w_id, i_id, o_id, cena, kol_vo, brak) values
            ('2026-06-03', 1, 101, 50, 40, 1, 0.5, 0);
    )");
    QCOMPARE(
        exportFromWindow([](QDialog* d) { choosePeriod(d, QDate(2026, 6, 1), QDate(2026, 7, 1)); }),
        QString("Excel (1 из 1)"));
    XlsxReader sheet;
    QVERIFY(sheet.load(launcher_->opened.last()));
    // the reader gives a number as stored, with a comma: no binary digits after 26,05
    QCOMPARE(sheetRows(sheet), QStringList{"Щит|Сварка|Готовая продукция|26,05|261"});
}

// No workbook can be made: the message, the query closed, the cursor back, nothing written.
void ReportsTest::spreadsheetThatCannotOpen() {
    exportFromWindow(); // a count to keep
    spreadsheet::setOutputFolder(folder_.filePath("no/such/folder"));
    launcher_->opened.clear();
    const QString caption = exportFromWindow([](QDialog* d) { chooseKind(d, "Заготовки"); });
    QCOMPARE(messages_->shown.size(), 1);
    QCOMPARE(messages_->last(), QString("Ошибка открытия файла Microsoft Excel."));
    QCOMPARE(messages_->shown[0].caption, QString("Ошибка"));
    QVERIFY(!window_->productionQuery().isOpen());
    QVERIFY(!QApplication::overrideCursor());
    QVERIFY(launcher_->opened.isEmpty());
    QCOMPARE(caption, QString("Excel (3 из 3)"));
}

// "Сводные отчеты" of the journal's menu opens this window; the journal is back on today
// afterwards.
void ReportsTest::theJournalMenuOpensTheWindow() {
    Program program(AppArguments{}, db_->connectionString());
    JournalWindow& journal = program.journal();
    journal.findChild<QDateEdit*>("journalDateEdit")->setDate(QDate(2026, 2, 20));
    QString period;
    modal_->then([&](QDialog* d) {
        QCOMPARE(d, static_cast<QDialog*>(&program.reports()));
        period = d->findChild<QDateEdit*>("fromDateEdit")->date().toString("dd.MM.yyyy") + " " +
                 d->findChild<QDateEdit*>("toDateEdit")->date().toString("dd.MM.yyyy");
    });
    journal.findChild<QAction*>("summaryReportsAction")->trigger();
    QCOMPARE(modal_->pending(), 0);
    QCOMPARE(period, QString("01.02.2026 01.03.2026"));
    QCOMPARE(journal.findChild<QDateEdit*>("journalDateEdit")->date(), QDate(2026, 3, 15));
}

// A busier April for the pictures: 40 workers, 12 products in both kinds and four colours,
// three requisitions; every report's first and last page and the window as PNGs.
void ReportsTest::screenshots() {
    const QString dir = qEnvironmentVariable("TEST_OUTPUT_DIR");
    if (dir.isEmpty())
        QSKIP("TEST_OUTPUT_DIR is not set");
    QDir().mkpath(dir);
    db_->exec(R"(
        insert into cmn_contractor.person(s_code, s_caption)
          select (300 + g)::text, (array['Александров', 'Белоусова', 'Воробьёв', 'Григорьев',
                 'Дмитриева', 'Ершов', 'Жуков', 'Зайцева'])[1 + g % 8] || ' ' ||
                 chr(1040 + g % 20) || '.' || chr(1040 + (g * 7) % 20) || '. (' || g || ')'
          from generate_series(1, 40) g;
        insert into accounts_dep.izdel(id, marka, nom, massa)
          select 100 + g, 'КМ-' || (400 + g) || '.01', (array['Шкаф ШР-', 'Стеллаж СТ-',
                 'Верстак ВС-', 'Тумба ТМ-'])[1 + g % 4] || g, 0.75 * g
          from generate_series(1, 12) g;
        insert into accounts_dep.vid_oper(id, vid) values (3, 'Гибка'), (4, 'Резка листа');
        insert into accounts_dep.oper(id, i_id, vid, naimen) values (4, 1, 3, 1), (5, 1, 4, 1);
        insert into mnf_doc.doc(id, s_number, d_date) values
            (7000003, 'З-1041', '2026-04-01'), (7000004, 'З-1042', '2026-04-01'),
            (7000005, 'З-1043', '2026-04-01');
        insert into accounts_dep.smena(data, smena, w_id, i_id, o_id, cena, kol_vo, brak, color,
                                       prize, id_doc)
          select date '2026-04-01' + g % 30, 1 + g % 3, 301 + g % 40, 101 + (g * 5 + g / 40) % 12,
                 1 + (g / 7) % 5, 1.5 + (g % 7) * 0.35, 5 + g % 17, (g % 11 = 0)::int,
                 (array[0, 1, 7035, 9003, 0])[1 + g % 5], (g % 3) * 10,
                 (array[0, 7000003, 7000004, 7000005])[1 + g % 4]
          from generate_series(1, 900) g;
    )");
    const reports::Selection april{QDate(2026, 4, 1), QDate(2026, 5, 1), reports::ProductKind::All};
    const QList<std::pair<QString, reports::PrintedReport*>> printed{
        {"workers_report", workersReport_.get()},
        {"products_report", productsReport_.get()},
        {"worker_details_report", workerDetailsReport_.get()},
        {"product_details_report", productDetailsReport_.get()},
        {"requisitions_report", requisitionsReport_.get()},
    };
    for (const auto& [name, report] : printed) {
        const QString pdf = dir + "/" + name + ".pdf";
        report->writePdf(april, pdf);
        // the heading only on the first page, the page number at the foot of every page
        const QList<QStringList> text = pdfPages(pdf);
        const int pages = int(text.size());
        QVERIFY2(pages > 1, qPrintable(name));
        for (int page = 0; page < pages; ++page) {
            QCOMPARE(text[page].first().contains(u" за период с 01.04.2026 по 01.05.2026"),
                     page == 0);
            QCOMPARE(text[page].last(), QString::number(page + 1));
        }
        QVERIFY(text.last().at(text.last().size() - 2).startsWith(u"Итого:"));
        for (const auto& [page, suffix] : {std::pair{1, "first"}, std::pair{pages, "last"}})
            pdfToPngs(pdf, dir + "/" + name + "_" + suffix, page);
    }
    modal_->then([&](QDialog* d) { QVERIFY(saveScreenshot(d, dir + "/report_selection.png")); });
    window_->openReports();
}

QTEST_MAIN(ReportsTest)
#include "reports_test.moc"
