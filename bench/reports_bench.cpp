// The production reports of a year (about 700,000 positions): each of the five printed
// reports from the report window's selection to a written PDF through the report class,
// against its bare statement through libpq and the same texts drawn by hand onto a
// QPdfWriter; and the window's spreadsheet against the bare statement and libxlsxwriter
// writing the same cells. Beside them each statement against its plain form (every position
// joined to its names, then grouped) run as the program ran it before: with the server's own
// work_mem and JIT. Prints its figures; asserts nothing.
#include "bare_statement.h"
#include "data/connection.h"
#include "reports/production_reports.h"
#include "reports/report_selection_dialog.h"
#include "spreadsheet/spreadsheet.h"
#include "tests/support/plain_report_statements.h"
#include "tests/support/recording_launcher.h"
#include "tests/support/recording_messages.h"
#include "tests/support/scripted_modal_runner.h"
#include "tests/support/test_database.h"
#include "timing.h"
#include "year_of_positions.h"

#include <QApplication>
#include <QDateEdit>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QTemporaryDir>

#include <libpq-fe.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

namespace {

constexpr int kRuns = 3;
constexpr int kRounds = 2;
const QDate kFrom(2026, 1, 1);
const QDate kTo(2027, 1, 1);

// --- the bare statement through libpq

// The report's statement over the benchmark's period.
BareResult runForPeriod(PGconn* connection, const QString& sql) {
    const data::ParsedSql statement = data::parseNamedParameters(sql);
    std::vector<QByteArray> values;
    for (const QString& name : statement.names)
        values.push_back((name == u"period_from" ? kFrom : kTo).toString(Qt::ISODate).toLatin1());
    return runBare(connection, statement, values);
}

// --- the same texts drawn by hand

enum class Text { Field, Kind, Colour };

struct HandColumn {
    double x, width; // mm
    const char* field;
    int decimals = -1; // -1: a plain number or a text
    bool centred = true;
    Text text = Text::Field;
};

struct HandReport {
    const char* name;
    reports::PrintedReport* report;
    QString sql;
    QString title;
    std::vector<const char*> headings;
    std::vector<HandColumn> headingColumns;
    std::vector<const char*> keys;             // outer to inner
    std::vector<std::vector<HandColumn>> sums; // per level
    std::vector<HandColumn> detail;
    double detailPoints = 9;
    std::vector<HandColumn> totals;
};

QString numberText(double value, int decimals) {
    static const QLocale locale;
    if (decimals >= 0)
        return locale.toString(value, 'f', decimals);
    return locale.toString(value, 'g', 15);
}

bool isNumberType(Oid type) {
    switch (type) {
    case 20:   // int8
    case 21:   // int2
    case 23:   // int4
    case 700:  // float4
    case 701:  // float8
    case 1700: // numeric
        return true;
    default:
        return false;
    }
}

QString cellText(const BareResult& r, int row, const HandColumn& c, int column) {
    switch (c.text) {
    case Text::Kind:
        return std::atoi(r.text(row, column)) == 0 ? QStringLiteral("Готовая продукция")
                                                   : QStringLiteral("Заготовки");
    case Text::Colour: {
        const int colour = std::atoi(r.text(row, column));
        if (colour <= 0)
            return QString();
        return colour == 1 ? QStringLiteral(" (грунт)") : QStringLiteral(" (RAL: %1)").arg(colour);
    }
    case Text::Field:
        break;
    }
    if (isNumberType(PQftype(r.get(), column)))
        return numberText(r.number(row, column), c.decimals);
    return QString::fromUtf8(r.text(row, column)).trimmed();
}

// The report drawn straight with QPainter, in the steps a hand-written report takes: the
// heading, then row by row the closed groups' sums, the opened groups' headers and the
// detail line, then the report end.
class HandDrawing {
public:
    HandDrawing(const HandReport& h, const BareResult& r, const QString& path)
        : h_(h), r_(r), writer_(path) {
        writer_.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                          QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
        painter_.begin(&writer_);
        px_ = writer_.logicalDpiX() / 25.4;
        width_ = 190 * px_;
        bottom_ = (277 - 6) * px_;
        line_ = 6 * px_;
        detailHeight_ = (h.detailPoints < 9 ? 4.5 : 5) * px_;
        findColumns();
    }

    // Draws the whole report; the number of pages.
    int draw() {
        heading();
        for (int row = 0; row < r_.rows(); ++row)
            addRow(row);
        if (r_.rows() > 0)
            for (size_t level = h_.keys.size(); level-- > 0;)
                closeLevel(level);
        reportEnd();
        finishPage();
        painter_.end();
        return pages_;
    }

private:
    void findColumns() {
        for (const char* key : h_.keys)
            keyColumns_.push_back(r_.column(key));
        sums_.resize(h_.keys.size());
        sumColumns_.resize(h_.keys.size());
        for (size_t level = 0; level < h_.keys.size(); ++level) {
            sums_[level].assign(h_.sums[level].size(), 0);
            for (const HandColumn& c : h_.sums[level])
                sumColumns_[level].push_back(r_.column(c.field));
        }
        totals_.assign(h_.totals.size(), 0);
        for (const HandColumn& c : h_.detail)
            detailColumns_.push_back(r_.column(c.field));
        for (const HandColumn& c : h_.totals)
            totalColumns_.push_back(r_.column(c.field));
    }

    void text(const QFontMetricsF& m, const HandColumn& c, double top, double height,
              const QString& text) {
        const double x = c.centred ? (c.x * px_ + (c.width * px_ - m.horizontalAdvance(text)) / 2)
                                   : c.x * px_ + 0.5 * px_;
        painter_.drawText(QPointF(x, top + (height - m.ascent() - m.descent()) / 2 + m.ascent()),
                          text);
    }

    void finishPage() {
        painter_.setFont(regular_);
        const QString number = QString::number(pages_);
        painter_.drawText(
            QPointF(width_ - regularMetrics_.horizontalAdvance(number), bottom_ + 4 * px_), number);
    }

    void room(double height) {
        if (y_ + height <= bottom_)
            return;
        finishPage();
        writer_.newPage();
        ++pages_;
        y_ = 0;
    }

    void heading() {
        painter_.fillRect(QRectF(0, 0, width_, 8 * px_), QColor(244, 244, 244));
        painter_.setFont(title_);
        painter_.drawText(QPointF(1 * px_, 5.5 * px_), h_.title);
        painter_.setFont(bold_);
        for (size_t i = 0; i < h_.headings.size(); ++i)
            text(boldMetrics_, h_.headingColumns[i], 6 * px_, line_,
                 QString::fromUtf8(h_.headings[i]));
        y_ = h_.headings.size() > 2 ? 14 * px_ : 10 * px_;
    }

    // The outermost level whose key differs from the row before; the number of levels when
    // none does.
    size_t changedLevel(int row) const {
        for (size_t level = 0; level < h_.keys.size() && row > 0; ++level)
            if (std::strcmp(r_.text(row, keyColumns_[level]),
                            r_.text(row - 1, keyColumns_[level])) != 0)
                return level;
        return h_.keys.size();
    }

    void closeLevel(size_t level) {
        room(line_);
        painter_.setFont(bold_);
        for (size_t i = 0; i < h_.sums[level].size(); ++i) {
            const HandColumn& c = h_.sums[level][i];
            const QRectF box((c.x + 0.5) * px_, y_ + 0.5 * px_, (c.width - 1) * px_, 5 * px_);
            painter_.fillRect(box, QColor(239, 239, 239));
            painter_.drawRect(box);
            text(boldMetrics_, c, y_, line_, numberText(sums_[level][i], c.decimals));
            sums_[level][i] = 0;
        }
        y_ += line_;
    }

    void openLevel(int row, size_t level) {
        room(line_ + detailHeight_);
        if (level == 0)
            painter_.fillRect(QRectF(0, y_, width_, line_), QColor(224, 224, 224));
        painter_.setFont(bold_);
        painter_.drawText(QPointF(double(1 + 3 * level) * px_, y_ + 4.2 * px_),
                          QString::fromUtf8(r_.text(row, keyColumns_[level])));
        y_ += line_;
    }

    void addRow(int row) {
        const size_t changed = changedLevel(row);
        if (row > 0)
            for (size_t level = h_.keys.size(); level-- > changed;)
                closeLevel(level);
        for (size_t level = row == 0 ? 0 : changed; level < h_.keys.size(); ++level)
            openLevel(row, level);
        room(detailHeight_);
        painter_.setFont(regular_);
        for (size_t i = 0; i < h_.detail.size(); ++i)
            text(regularMetrics_, h_.detail[i], y_, detailHeight_,
                 cellText(r_, row, h_.detail[i], detailColumns_[i]));
        y_ += detailHeight_;
        for (size_t level = 0; level < h_.keys.size(); ++level)
            for (size_t i = 0; i < h_.sums[level].size(); ++i)
                sums_[level][i] += r_.number(row, sumColumns_[level][i]);
        for (size_t i = 0; i < h_.totals.size(); ++i)
            totals_[i] += r_.number(row, totalColumns_[i]);
    }

    void reportEnd() {
        room(8 * px_);
        painter_.fillRect(QRectF(0, y_, width_, 8 * px_), QColor(220, 220, 220));
        painter_.drawRect(QRectF(0, y_, width_, 8 * px_));
        painter_.setFont(end_);
        painter_.drawText(QPointF(2.5 * px_, y_ + 5.5 * px_), QStringLiteral("Итого:"));
        for (size_t i = 0; i < h_.totals.size(); ++i)
            text(endMetrics_, h_.totals[i], y_, 8 * px_,
                 numberText(totals_[i], h_.totals[i].decimals));
    }

    const HandReport& h_;
    const BareResult& r_;
    QPdfWriter writer_;
    QPainter painter_;
    double px_ = 1;
    QFont regular_{QStringLiteral("DejaVu Sans"), int(h_.detailPoints)};
    QFont bold_{boldFont(9)};
    QFont title_{boldFont(10)};
    QFont end_{boldFont(11)};
    // after the writer and the fonts they measure
    QFontMetricsF regularMetrics_{regular_, &writer_};
    QFontMetricsF boldMetrics_{bold_, &writer_};
    QFontMetricsF endMetrics_{end_, &writer_};
    double width_ = 0;
    double bottom_ = 0;
    double line_ = 0;
    double detailHeight_ = 0;
    int pages_ = 1;
    double y_ = 0;
    std::vector<int> keyColumns_;
    std::vector<std::vector<double>> sums_;
    std::vector<std::vector<int>> sumColumns_;
    std::vector<double> totals_;
    std::vector<int> detailColumns_;
    std::vector<int> totalColumns_;

    static QFont boldFont(int points) {
        QFont font(QStringLiteral("DejaVu Sans"), points);
        font.setBold(true);
        return font;
    }
};

int drawByHand(const HandReport& h, const BareResult& r, const QString& path) {
    return HandDrawing(h, r, path).draw();
}

// --- the spreadsheet by hand

int writeSheetByHand(const BareResult& r, const QString& path) {
    const QByteArray file = QFile::encodeName(path);
    lxw_workbook* book = workbook_new(file.constData());
    lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
    const char* headings[] = {"Наименование", "Операция", "Вид продукции", "Коробки", "Кол-во"};
    for (int c = 0; c < 5; ++c)
        worksheet_write_string(sheet, 0, lxw_col_t(c), headings[c], nullptr);
    const int nom = r.column("nom"), vid = r.column("vid"), naimen = r.column("naimen"),
              color = r.column("color"), mass = r.column("mass"), kolvo = r.column("kolvo");
    for (int row = 0; row < r.rows(); ++row) {
        const lxw_row_t at = lxw_row_t(row + 1);
        worksheet_write_string(sheet, at, 0, r.text(row, nom), nullptr);
        QString operation = QString::fromUtf8(r.text(row, vid)).trimmed();
        const int colour = std::atoi(r.text(row, color));
        if (colour == 1)
            operation += QStringLiteral(" (грунт)");
        else if (colour > 1)
            operation += QStringLiteral(" (цвет: %1)").arg(colour);
        worksheet_write_string(sheet, at, 1, operation.toUtf8().constData(), nullptr);
        worksheet_write_string(
            sheet, at, 2, std::atoi(r.text(row, naimen)) == 0 ? "Готовая продукция" : "Заготовки",
            nullptr);
        worksheet_write_number(sheet, at, 3, r.number(row, mass), nullptr);
        worksheet_write_number(sheet, at, 4, double(std::llround(r.number(row, kolvo))), nullptr);
    }
    workbook_close(book);
    return r.rows();
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    RecordingMessages messages;
    ScriptedModalRunner modal;
    RecordingLauncher launcher;
    QTemporaryDir folder;
    spreadsheet::setOutputFolder(folder.path());

    TestDatabase db("bench_reports");
    std::printf("creating a year of positions...\n");
    std::fflush(stdout);
    createShopData(db);
    // fifty requisitions; every tenth position has none and stays out of the requisition report
    db.exec(QStringLiteral(R"(
        insert into mnf_doc.doc(id, s_number, d_date)
          select 7000001 + g, 'З-' || (1000 + g), '2026-01-01' from generate_series(1, 49) g;
        update accounts_dep.smena set id_doc = 7000001 + id % 50, color = (id % 4) * (id % 3)
          where id % 10 <> 0;
    )"));
    db.exec(QStringLiteral("vacuum analyze accounts_dep.smena"));
    const int positions = db.scalar("select count(*) from accounts_dep.smena").toInt();
    data::Connection connection;
    connection.setConnectionString(db.connectionString());
    connection.open();
    WorkersReport workersReport(connection);
    ProductsReport productsReport(connection);
    WorkerDetailsReport workerDetailsReport(connection);
    ProductDetailsReport productDetailsReport(connection);
    RequisitionsReport requisitionsReport(connection);
    ReportSelectionDialog window(connection, ReportSelectionDialog::Reports{
                                                 workersReport, productsReport, workerDetailsReport,
                                                 productDetailsReport, requisitionsReport});
    PGconn* bare = db.sys().handle(); // a connection of its own, beside the program's
    // the settings the program's connection had before it brought work_mem and jit = off
    OpenConnection before(db.connectionString());
    PQclear(PQexec(before.handle(), "select set_config(name, boot_val, false) from pg_settings "
                                    "where name in ('work_mem', 'jit')"));
    const auto plainSql = [](const char* name) {
        for (const PlainReportStatement& s : plainReportStatements())
            if (s.name == QLatin1String(name))
                return s.sql;
        std::fprintf(stderr, "no plain statement %s\n", name);
        std::exit(1);
    };
    // today's form against the program's statement, each the best median
    const auto compareStatements = [&](const char* name, const QString& sql) {
        double plainMs = 1e12, nowMs = 1e12;
        for (int round = 0; round < kRounds; ++round) {
            plainMs = std::min(
                plainMs, medianMs(kRuns, [&] { runForPeriod(before.handle(), plainSql(name)); }));
            nowMs = std::min(nowMs, medianMs(kRuns, [&] { runForPeriod(bare, sql); }));
        }
        const double faster = plainMs / nowMs;
        std::printf("  %s the statement before %7.1f ms, now %7.1f ms: %.1fx faster (target >= "
                    "4x): %s\n",
                    qPrintable(QString::fromUtf8(name).leftJustified(28)), plainMs, nowMs, faster,
                    faster >= 4 ? "met" : "NOT met");
        std::fflush(stdout);
    };
    const QString title = QStringLiteral(" за период с 01.01.2026 по 01.01.2027");
    auto c = [](double x, double w, const char* field, int decimals = -1, bool centred = true,
                Text text = Text::Field) {
        return HandColumn{x, w, field, decimals, centred, text};
    };
    const std::vector<HandReport> hand{
        {"Отчет по рабочим",
         &workersReport,
         workersReport.query().sql(),
         "   Отчет по рабочим" + title,
         {},
         {},
         {"fio", "nom"},
         {{c(157, 33, "summa", 2)}, {c(132, 25, "kolvo"), c(157, 33, "summa", 3)}},
         {c(6, 40, "naimen", -1, false, Text::Kind), c(46, 56, "vid"),
          c(102, 30, "color", -1, false, Text::Colour), c(132, 25, "kolvo"),
          c(157, 33, "summa", 3)},
         9,
         {c(157, 33, "summa", 2)}},
        {"Отчет по продукции",
         &productsReport,
         productsReport.query().sql(),
         "   Отчет по продукции" + title,
         {"Коробки", "Количество"},
         {c(140, 25, "mass"), c(165, 25, "kolvo")},
         {"nom"},
         {{c(140, 25, "mass"), c(165, 25, "kolvo")}},
         {c(6, 40, "naimen", -1, false, Text::Kind), c(46, 56, "vid"),
          c(102, 38, "color", -1, false, Text::Colour), c(140, 25, "mass"), c(165, 25, "kolvo")},
         9,
         {c(140, 25, "mass", 0), c(165, 25, "kolvo")}},
        {"Детальный отчет по рабочим",
         &workerDetailsReport,
         workerDetailsReport.query().sql(),
         "   Детальный отчет по рабочим" + title,
         {"Брак", "Количество", "Сумма", "Премия"},
         {c(95, 15, "brk"), c(110, 25, "kolvo"), c(135, 32, "summa"), c(167, 23, "s_prize")},
         {"fio"},
         {{c(95, 15, "brk"), c(110, 25, "kolvo"), c(135, 32, "summa", 2), c(167, 23, "s_prize", 2),
           c(135, 55, "summa", 2)}},
         {c(0, 27, "marka", -1, false), c(27, 27, "vid"), c(54, 11, "color"),
          c(65, 30, "naimen", -1, false, Text::Kind), c(95, 15, "brk"), c(110, 25, "kolvo"),
          c(135, 32, "summa", 2), c(167, 23, "s_prize", 2)},
         8,
         {c(95, 15, "brk"), c(110, 25, "kolvo"), c(135, 32, "summa", 2)}},
        {"Детальный отчет по продукции",
         &productDetailsReport,
         productDetailsReport.query().sql(),
         "   Детальный отчет по продукции" + title,
         {"Брак", "Коробки", "Кол-во", "Сумма"},
         {c(91, 15, "brk"), c(106, 27, "mass"), c(133, 25, "kolvo"), c(158, 32, "summa")},
         {"nom"},
         {{c(91, 15, "brk"), c(106, 27, "mass", 2), c(133, 25, "kolvo"), c(158, 32, "summa", 2)}},
         {c(0, 23, "marka", -1, false), c(23, 23, "vid", -1, false), c(46, 11, "color"),
          c(57, 34, "naimen", -1, false, Text::Kind), c(91, 15, "brk"), c(106, 27, "mass"),
          c(133, 25, "kolvo"), c(158, 32, "summa", 3)},
         9,
         {c(91, 15, "brk"), c(106, 27, "mass"), c(133, 25, "kolvo"), c(158, 32, "summa", 2)}},
        {"Детальный отчет по заявкам",
         &requisitionsReport,
         requisitionsReport.query().sql(),
         "   Детальный отчет по заявкам" + title,
         {"Брак", "Номенкл.", "Кол-во", "Сумма"},
         {c(90, 15, "brk"), c(105, 28, "nom"), c(133, 25, "kolvo"), c(158, 32, "summa")},
         {"s_number"},
         {{c(90, 15, "brk"), c(105, 28, "mass", 2), c(133, 25, "kolvo"), c(158, 32, "summa", 2)}},
         {c(0, 22, "marka", -1, false), c(22, 23, "vid", -1, false), c(45, 11, "color"),
          c(56, 34, "naimen", -1, false, Text::Kind), c(90, 15, "brk"),
          c(105, 28, "nom", -1, false), c(133, 25, "kolvo"), c(158, 32, "summa", 3)},
         9,
         {c(90, 15, "brk"), c(105, 28, "mass"), c(133, 25, "kolvo"), c(158, 32, "summa", 2)}},
    };

    std::printf("%d positions, the period %s to %s (excluded), best median of %d runs in %d "
                "rounds\n",
                positions, qPrintable(kFrom.toString("dd.MM.yyyy")),
                qPrintable(kTo.toString("dd.MM.yyyy")), kRuns, kRounds);
    modal.then([&](QDialog* d) {
        d->findChild<QDateEdit*>("fromDateEdit")->setDate(kFrom);
        d->findChild<QDateEdit*>("toDateEdit")->setDate(kTo);
        const QString enginePdf = folder.filePath("engine.pdf");
        const QString handPdf = folder.filePath("hand.pdf");
        for (const HandReport& h : hand) {
            double engineMs = 1e12, handMs = 1e12, queryMs = 1e12;
            int handPages = 0, rows = 0;
            for (int round = 0; round < kRounds; ++round) {
                engineMs = std::min(engineMs, medianMs(kRuns, [&] {
                                        h.report->writePdf(window.selection(), enginePdf);
                                    }));
                handMs = std::min(handMs, medianMs(kRuns, [&] {
                                      const BareResult result = runForPeriod(bare, h.sql);
                                      rows = result.rows();
                                      handPages = drawByHand(h, result, handPdf);
                                  }));
                queryMs = std::min(queryMs, medianMs(kRuns, [&] { runForPeriod(bare, h.sql); }));
            }
            const double ratio = engineMs / handMs;
            std::printf("  %s %5d rows: the report %7.1f ms (%lld KB; target under 1000 ms: %s), "
                        "by hand %7.1f ms (%d pages, %lld KB; the statement alone %.1f ms): "
                        "%.2fx (target <= 1.3x): %s\n",
                        qPrintable(QString::fromUtf8(h.name).leftJustified(28)), rows, engineMs,
                        QFileInfo(enginePdf).size() / 1024, engineMs < 1000 ? "met" : "NOT met",
                        handMs, handPages, QFileInfo(handPdf).size() / 1024, queryMs, ratio,
                        ratio <= 1.3 ? "met" : "NOT met");
            // the hand reports stand in the order of the plain statements
            compareStatements(
                plainReportStatements()[size_t(&h - hand.data())].name.toUtf8().constData(), h.sql);
        }

        QPushButton* excel = d->findChild<QPushButton*>("exportButton");
        const QString handXlsx = folder.filePath("hand.xlsx");
        double exportMs = 1e12, handMs = 1e12;
        int rows = 0;
        for (int round = 0; round < kRounds; ++round) {
            exportMs = std::min(exportMs, medianMs(kRuns, [&] { excel->click(); }));
            handMs = std::min(handMs, medianMs(kRuns, [&] {
                                  const BareResult result =
                                      runForPeriod(bare, window.productionQuery().sql());
                                  rows = writeSheetByHand(result, handXlsx);
                              }));
        }
        const double ratio = exportMs / handMs;
        std::printf("  %s %5d rows: \"%s\" %7.1f ms (%lld KB; target under 1000 ms: %s), "
                    "libpq + libxlsxwriter %7.1f ms (%lld KB): %.2fx (target <= 1.5x): %s\n",
                    qPrintable(QStringLiteral("Excel").leftJustified(28)), rows,
                    qPrintable(excel->text()), exportMs,
                    QFileInfo(launcher.opened.last()).size() / 1024,
                    exportMs < 1000 ? "met" : "NOT met", handMs, QFileInfo(handXlsx).size() / 1024,
                    ratio, ratio <= 1.5 ? "met" : "NOT met");
        compareStatements("production_spreadsheet", window.productionQuery().sql());
    });
    window.openReports();
    for (const RecordingMessages::Shown& shown : messages.shown)
        std::fprintf(stderr, "message: %s\n", qPrintable(shown.text));
    return messages.shown.isEmpty() ? 0 : 1;
}
