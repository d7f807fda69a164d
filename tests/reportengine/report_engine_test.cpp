// The report engine on small fixture layouts: number texts and expressions, page breaks
// (stranded headers, lone footers, exactly full pages, groups longer than a page, kept
// groups), group sums and report sums, cut texts, the empty report, and the PDF files read
// back with pdftotext, pdfinfo and pdffonts; the preview through the modal seam.
#include "files/write_failure.h"
#include "reportengine/expression.h"
#include "reportengine/number_text.h"
#include "reportengine/prepared_report.h"
#include "reportengine/report_definition.h"
#include "reportengine/report_error.h"
#include "reportengine/rows.h"
#include "tests/support/full_disk.h"
#include "tests/support/pdf_tools.h"
#include "tests/support/recording_messages.h"
#include "tests/support/scripted_modal_runner.h"

#include <QDir>
#include <QFontMetricsF>
#include <QLocale>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <functional>
#include <map>

using namespace report;

namespace {

using Pages = QList<QStringList>;

Cell textCell(int x, int width, const QString& expression, Align align = Align::Left) {
    Cell c;
    c.x = x;
    c.width = width;
    c.expression = expression;
    c.align = align;
    return c;
}

Band bandOf(int height, std::vector<Cell> cells) {
    Band b;
    b.height = height;
    b.cells = std::move(cells);
    return b;
}

// One text across the printable width, in a band 10 mm high.
Band line(const QString& expression) {
    return bandOf(mm(10), {textCell(0, mm(150), expression)});
}

// The texts of a page top to bottom, those of one band line (baselines within 0.5 mm, as
// fonts of different sizes give) joined left to right.
QStringList pageLines(const PreparedReport& prepared, int page) {
    std::vector<const TextItem*> items;
    for (const TextItem& t : prepared.page(page).texts)
        items.push_back(&t);
    std::sort(items.begin(), items.end(), [](const TextItem* a, const TextItem* b) {
        return a->position.y() < b->position.y();
    });
    std::vector<std::vector<const TextItem*>> rows;
    for (const TextItem* t : items) {
        if (rows.empty() || t->position.y() - rows.back().front()->position.y() > 50)
            rows.emplace_back();
        rows.back().push_back(t);
    }
    QStringList lines;
    for (auto& row : rows) {
        std::sort(row.begin(), row.end(), [](const TextItem* a, const TextItem* b) {
            return a->position.x() < b->position.x();
        });
        QStringList texts;
        for (const TextItem* t : row)
            texts.append(t->text);
        lines.append(texts.join(u' '));
    }
    return lines;
}

Pages allLines(const PreparedReport& prepared) {
    Pages pages;
    for (int p = 0; p < prepared.pageCount(); ++p)
        pages.append(pageLines(prepared, p));
    return pages;
}

// The PDF and its pages as PNGs in TEST_OUTPUT_DIR, to be looked at after a change.
void savePngs(const QString& pdf, const QString& name) {
    const QString dir = qEnvironmentVariable("TEST_OUTPUT_DIR");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    QFile::remove(dir + u'/' + name + QStringLiteral(".pdf"));
    QFile::copy(pdf, dir + u'/' + name + QStringLiteral(".pdf"));
    pdfToPngs(pdf, dir + u'/' + name);
}

// ---------------------------------------------------------------------------
// The paging fixture: a page body of exactly eight 10 mm bands above a 10 mm page footer,
// rows of numbered values in lettered groups ("A" has sizes[0] rows, "B" sizes[1], ...).

Report pagingReport(bool keep) {
    Report r;
    r.margins = {mm(10), mm(10), mm(10), mm(297 - 10 - 90)}; // 90 mm printable
    Group g;
    g.keyField = QStringLiteral("g");
    g.header = line(QStringLiteral("'H ' + g"));
    g.footer = line(QStringLiteral("'F ' + g + ' ' + STR(sum(n))"));
    g.keepHeaderWithFooter = keep;
    r.groups.push_back(g);
    r.detail = line(QStringLiteral("'D' + STR(n)"));
    r.pageFooter = line(QStringLiteral("'p' + STR(PAGENUMBER)"));
    return r;
}

TableRows groupedRows(const QList<int>& sizes) {
    TableRows rows({QStringLiteral("g"), QStringLiteral("n")});
    int n = 0;
    for (int g = 0; g < sizes.size(); ++g)
        for (int i = 0; i < sizes[g]; ++i)
            rows.append({QString(QChar(u'A' + g)), ++n});
    return rows;
}

// Shop rows: department, brigade, amount and prize; sorted as the reports' queries sort.
TableRows shopRows() {
    TableRows rows({QStringLiteral("dept"), QStringLiteral("brigade"), QStringLiteral("summa"),
                    QStringLiteral("s_prize")});
    rows.append({QStringLiteral("Сварочный"), QStringLiteral("Бригада 1"), 100.5, 10});
    rows.append({QStringLiteral("Сварочный"), QStringLiteral("Бригада 1"), 200.25, 20});
    rows.append({QStringLiteral("Сварочный"), QStringLiteral("Бригада 2"), 50, QVariant()});
    rows.append({QStringLiteral("Малярный"), QStringLiteral("Бригада 2"), 1.125, 1});
    return rows;
}

// ---------------------------------------------------------------------------
// Fixtures of the two shapes the program prints, used for the PDF checks and the PNGs.

// A time-sheet: landscape, a heading on every page with day columns and dotted rules.
Report timesheetReport(const QString& period) {
    Report r;
    r.orientation = Orientation::Landscape;
    const QColor grey(150, 150, 150);
    const int nameWidth = mm(60), dayWidth = mm(6.5), days = 31;
    const int totalX = nameWidth + days * dayWidth;

    Band heading;
    heading.height = mm(7);
    heading.rules = {{Rule::Kind::Above}, {Rule::Kind::Below}};
    Cell label = textCell(0, nameWidth, QString());
    label.text = period;
    label.font.pointSize = 10;
    label.font.bold = true;
    heading.cells.push_back(label);
    Band detail;
    detail.height = mm(5.5);
    detail.rules = {{Rule::Kind::Above, 0, LineStyle::Dotted, grey},
                    {Rule::Kind::Below, 0, LineStyle::Dotted, grey}};
    detail.cells.push_back(textCell(0, nameWidth, QStringLiteral("fio")));
    QStringList total;
    for (int d = 1; d <= days; ++d) {
        const int x = nameWidth + (d - 1) * dayWidth;
        Cell day = textCell(x, dayWidth, QString(), Align::Center);
        day.text = QString::number(d);
        day.font.pointSize = 10;
        day.font.bold = true;
        heading.cells.push_back(day);
        heading.rules.push_back({Rule::Kind::Vertical, x, LineStyle::Dotted, grey});
        detail.cells.push_back(textCell(x, dayWidth, QStringLiteral("sd%1").arg(d), Align::Center));
        detail.rules.push_back({Rule::Kind::Vertical, x, LineStyle::Dotted, grey});
        total.append(QStringLiteral("sd%1").arg(d));
    }
    heading.rules.push_back({Rule::Kind::Vertical, totalX, LineStyle::Dotted, grey});
    detail.rules.push_back({Rule::Kind::Vertical, totalX, LineStyle::Dotted, grey});
    Cell totalLabel = textCell(totalX, mm(17), QString(), Align::Center);
    totalLabel.text = QStringLiteral("Итого");
    totalLabel.font.pointSize = 10;
    totalLabel.font.bold = true;
    heading.cells.push_back(totalLabel);
    Cell totalCell = textCell(totalX, mm(17), total.join(u'+'), Align::Center);
    totalCell.font.bold = true;
    detail.cells.push_back(totalCell);

    r.heading = heading;
    r.headingOnEveryPage = true;
    r.detail = detail;
    r.pageFooter =
        bandOf(mm(6), {textCell(mm(200), mm(77), QStringLiteral("PAGENUMBER"), Align::Right)});
    return r;
}

TableRows timesheetRows(int count) {
    QStringList fields{QStringLiteral("fio")};
    for (int d = 1; d <= 31; ++d)
        fields.append(QStringLiteral("sd%1").arg(d));
    TableRows rows(fields);
    for (int i = 0; i < count; ++i) {
        std::vector<QVariant> row{
            QStringLiteral("Работник-%1 Константинопольский Аркадий").arg(i + 1)};
        for (int d = 1; d <= 31; ++d)
            row.push_back((d + i) % 7 == 0 ? QVariant() : QVariant(8 + (d + i) % 3));
        rows.append(row);
    }
    return rows;
}

// A production report: a heading once (the header of a group without a key), groups by
// department and brigade with boxed sums, the framed report end, page numbers.
Report productionReport() {
    Report r;
    const int amountX = mm(120), prizeX = mm(155), columnWidth = mm(35);
    Font bold;
    bold.bold = true;

    Band heading = bandOf(mm(8), {textCell(0, mm(110), QString())});
    heading.background = QColor(244, 244, 244);
    heading.cells[0].text = QStringLiteral("Выработка за март 2026 г.");
    heading.cells[0].font = bold;
    heading.cells[0].font.pointSize = 10;
    for (auto [x, text] : {std::pair{amountX, "Сумма"}, std::pair{prizeX, "Премия"}}) {
        Cell c = textCell(x, columnWidth, QString(), Align::Right);
        c.text = QString::fromUtf8(text);
        c.font = bold;
        heading.cells.push_back(c);
    }
    Group all;
    all.header = heading;
    Band end = bandOf(
        mm(8), {textCell(0, mm(60), QString()),
                textCell(amountX, columnWidth, QStringLiteral("sum(summa)"), Align::Right),
                textCell(prizeX, columnWidth, QStringLiteral("sum(s_prize)"), Align::Right)});
    end.cells[0].text = QStringLiteral("Итого:");
    end.background = QColor(220, 220, 220);
    end.frame.sides = kAllSides;
    for (Cell& c : end.cells) {
        c.font = bold;
        c.font.pointSize = 11;
        if (!c.expression.isEmpty())
            c.format = QStringLiteral("#0.00");
    }
    all.footer = end;
    r.groups.push_back(all);

    auto groupOf = [&](const QString& key, const QColor& background, bool keep) {
        Group g;
        g.keyField = key;
        Band header = bandOf(mm(6), {textCell(0, mm(100), key)});
        header.cells[0].font = bold;
        header.background = background;
        g.header = header;
        Band footer = bandOf(mm(6), {});
        for (auto [x, field] : {std::pair{amountX, "summa"}, std::pair{prizeX, "s_prize"}}) {
            Cell c = textCell(x, columnWidth, QStringLiteral("sum(%1)").arg(field), Align::Right);
            c.font = bold;
            c.format = QStringLiteral("#0.00");
            c.height = mm(6); // the inner group's footer has a second line below
            c.background = QColor(239, 239, 239);
            c.frame.sides = kAllSides;
            footer.cells.push_back(c);
        }
        g.footer = footer;
        g.keepHeaderWithFooter = keep;
        return g;
    };
    r.groups.push_back(groupOf(QStringLiteral("dept"), QColor(224, 224, 224), false));
    r.groups.push_back(groupOf(QStringLiteral("brigade"), Qt::white, true));
    Group& inner = r.groups.back();
    Cell label = textCell(mm(60), mm(60), QString(), Align::Right);
    label.text = QStringLiteral("Итог:");
    label.font = bold;
    label.y = mm(6);
    Cell both =
        textCell(amountX, columnWidth, QStringLiteral("sum(summa)+sum(s_prize)"), Align::Right);
    both.font = bold;
    both.format = QStringLiteral("#0.00");
    both.y = mm(6);
    inner.footer->height = mm(12);
    inner.footer->cells.push_back(label);
    inner.footer->cells.push_back(both);
    inner.footer->rules = {{Rule::Kind::Below}};

    r.detail =
        bandOf(mm(5), {textCell(mm(5), mm(110), QStringLiteral("brigade + ', ' + dept")),
                       textCell(amountX, columnWidth, QStringLiteral("summa"), Align::Right),
                       textCell(prizeX, columnWidth, QStringLiteral("s_prize"), Align::Right)});
    r.detail->cells[1].format = QStringLiteral("#0.00");
    r.pageFooter =
        bandOf(mm(6), {textCell(mm(150), mm(40), QStringLiteral("PAGENUMBER"), Align::Right)});
    return r;
}

} // namespace

class ReportEngineTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        QVERIFY(folder_.isValid());
    }

    // --- numbers

    void numberTexts_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("expected");
        QTest::newRow("halfway up") << 2.675 << "#0.00"
                                    << "2,68";
        QTest::newRow("halfway below binary") << 1.005 << "#0.00"
                                              << "1,01";
        QTest::newRow("halfway negative") << -2.675 << "#0.00"
                                          << "-2,68";
        QTest::newRow("carry into integer") << 999.995 << "#0.00"
                                            << "1000,00";
        QTest::newRow("tiny negative") << -0.004 << "#0.00"
                                       << "0,00";
        QTest::newRow("negative zero") << -0.0 << "#0.00"
                                       << "0,00";
        QTest::newRow("half a kopeck negative") << -0.005 << "#0.00"
                                                << "-0,01";
        QTest::newRow("three decimals") << 0.0005 << "#0.000"
                                        << "0,001";
        QTest::newRow("big") << 1234567.891 << "#0.000"
                             << "1234567,891";
        QTest::newRow("integer halfway") << 2.5 << "#0"
                                         << "3";
        QTest::newRow("integer halfway negative") << -2.5 << "#0"
                                                  << "-3";
        QTest::newRow("integer rounds to zero") << -0.4 << "#0"
                                                << "0";
        QTest::newRow("optional decimal kept") << 0.125 << "#0.00#"
                                               << "0,125";
        QTest::newRow("optional decimal dropped") << 12.5 << "#0.00#"
                                                  << "12,50";
        QTest::newRow("plain short") << 12.5 << ""
                                     << "12,5";
        QTest::newRow("plain binary noise") << 0.1 + 0.2 << ""
                                            << "0,3";
        QTest::newRow("plain integer") << 7.0 << ""
                                       << "7";
        QTest::newRow("plain negative integer") << -42.0 << ""
                                                << "-42";
        QTest::newRow("plain fifteen digits") << 123456789012345.0 << ""
                                              << "123456789012345";
        QTest::newRow("plain negative zero") << -0.0 << ""
                                             << "0";
    }
    void numberTexts() {
        QFETCH(double, value);
        QFETCH(QString, format);
        QFETCH(QString, expected);
        QCOMPARE(NumberFormat::parse(format).text(value), expected);
    }

    void unknownNumberFormat() {
        for (const char* pattern : {"0,00", "#.##", "x", "#0.0#0"})
            QVERIFY_THROWS_EXCEPTION(ReportError, NumberFormat::parse(QString::fromUtf8(pattern)));
    }

    // --- expressions

    void expressions_data() {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("expected");
        const QString color =
            QStringLiteral("if(color>0,if(color=1,' (грунт)',' (RAL: '+STR(color)+')'),' ')");
        QTest::newRow("numbers add") << "summa+s_prize" << 0 << "15";
        QTest::newRow("fields without case") << "SUMMA*2" << 0 << "25";
        QTest::newRow("precedence") << "2+3*4-6/3" << 0 << "12";
        QTest::newRow("parentheses") << "(2+3)*4" << 0 << "20";
        QTest::newRow("unary minus") << "-summa+1" << 0 << "-11,5";
        QTest::newRow("texts join") << "'№ '+name+': '+summa" << 0 << "№ Иванов: 12,5";
        QTest::newRow("quote in text") << "'it''s'" << 0 << "it's";
        QTest::newRow("IF true") << "IF(naimen=0,'Готовая продукция','Заготовки')" << 0
                                 << "Готовая продукция";
        QTest::newRow("if false") << "if(naimen=0,'Готовая продукция','Заготовки')" << 1
                                  << "Заготовки";
        QTest::newRow("colour none") << color << 0 << " ";
        QTest::newRow("colour primer") << color << 1 << " (грунт)";
        QTest::newRow("colour RAL") << color << 2 << " (RAL: 7035)";
        QTest::newRow("STR plain") << "STR(summa)" << 0 << "12,5";
        QTest::newRow("null is zero") << "if(empty=0,'нет','да')" << 0 << "нет";
        QTest::newRow("null in sum") << "empty+1" << 0 << "1";
        QTest::newRow("null text") << "empty+'x'" << 0 << "x";
        QTest::newRow("null prints empty") << "empty" << 0 << "";
        QTest::newRow("division by zero") << "summa/naimen" << 0 << "";
        QTest::newRow("comparisons")
            << "STR(summa>=12.5)+STR(summa<12.5)+STR(summa<>1)" << 0 << "101";
        QTest::newRow("texts compare") << "if(name<'Петров','да','нет')" << 0 << "да";
        QTest::newRow("number kept as text") << "code*2" << 0 << "84";
        QTest::newRow("page") << "'стр. '+STR(PAGENUMBER)" << 0 << "стр. 3";
    }
    void expressions() {
        QFETCH(QString, expression);
        QFETCH(int, row);
        QFETCH(QString, expected);
        TableRows rows({QStringLiteral("summa"), QStringLiteral("s_prize"),
                        QStringLiteral("naimen"), QStringLiteral("color"), QStringLiteral("name"),
                        QStringLiteral("empty"), QStringLiteral("code")});
        rows.append({12.5, 2.5, 0, 0, QStringLiteral("Иванов"), QVariant(), QStringLiteral("42")});
        rows.append({1.0, 0, 1, 1, QStringLiteral("Петров"), QVariant(), QStringLiteral("1")});
        rows.append({1.0, 0, 1, 7035, QStringLiteral("Сидоров"), QVariant(), QStringLiteral("1")});
        const Expression e = Expression::compile(expression, rows);
        QCOMPARE(valueText(e.evaluate({&rows, row, 3}), NumberFormat::parse(QString())), expected);
    }

    void expressionErrors_data() {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QString>("says");
        QTest::newRow("unknown field") << "summa+nosuch"
                                       << "неизвестное поле «nosuch»";
        QTest::newRow("unknown function") << "avg(summa)"
                                          << "неизвестная функция «avg»";
        QTest::newRow("dangling operator") << "summa+"
                                           << "выражение оборвано";
        QTest::newRow("two values") << "summa summa"
                                    << "лишнее";
        QTest::newRow("open text") << "'Итого"
                                   << "кавычкой";
        QTest::newRow("if with two arguments") << "if(summa,1)"
                                               << "ожидается «,»";
        QTest::newRow("unclosed parenthesis") << "(summa+1"
                                              << "ожидается «)»";
        QTest::newRow("sum in sum") << "sum(sum(summa))"
                                    << "сумма внутри суммы";
        QTest::newRow("bad number") << "1.2.3"
                                    << "неверное число";
        QTest::newRow("empty") << "  "
                               << "пустое выражение";
        QTest::newRow("stray character") << "summa;"
                                         << "лишнее «;»";
    }
    void expressionErrors() {
        QFETCH(QString, expression);
        QFETCH(QString, says);
        TableRows rows({QStringLiteral("summa")});
        try {
            Expression::compile(expression, rows);
            QFAIL("no error");
        } catch (const ReportError& e) {
            QVERIFY2(e.message().contains(expression.trimmed()), qPrintable(e.message()));
            QVERIFY2(e.message().contains(says), qPrintable(e.message()));
        }
    }

    // A text where a number must be is found while preparing, as an error of the layout.
    void textInArithmetic() {
        TableRows rows({QStringLiteral("name")});
        rows.append({QStringLiteral("Иванов")});
        Report r;
        r.detail = line(QStringLiteral("name*2"));
        try {
            PreparedReport::prepare(r, rows);
            QFAIL("no error");
        } catch (const ReportError& e) {
            QVERIFY2(e.message().contains(u"«Иванов» не число"), qPrintable(e.message()));
        }
    }

    // Faults of a layout are errors when it is prepared, not crashes while painting.
    void layoutErrors() {
        TableRows rows({QStringLiteral("g"), QStringLiteral("n")});
        std::vector<std::pair<const char*, std::function<void(Report&)>>> faults = {
            {"неизвестное поле «nosuch»",
             [](Report& r) { r.detail = line(QStringLiteral("nosuch")); }},
            {"Неизвестное поле группы «nosuch»",
             [](Report& r) { r.groups[0].keyField = QStringLiteral("nosuch"); }},
            {"не помещается на страницу", [](Report& r) { r.detail->height = mm(81); }},
            {"Неизвестный формат числа",
             [](Report& r) { r.detail->cells[0].format = QStringLiteral("0,0"); }},
        };
        for (auto& [says, spoil] : faults) {
            Report r = pagingReport(false);
            spoil(r);
            try {
                PreparedReport::prepare(r, rows);
                QFAIL(says);
            } catch (const ReportError& e) {
                QVERIFY2(e.message().contains(QString::fromUtf8(says)), qPrintable(e.message()));
            }
        }
    }

    // --- page breaks

    void pageBreaks_data() {
        QTest::addColumn<bool>("keep");
        QTest::addColumn<QList<int>>("sizes");
        QTest::addColumn<Pages>("expected");
        QTest::newRow("group exactly fills the page")
            << false << QList<int>{6, 3}
            << Pages{{"H A", "D1", "D2", "D3", "D4", "D5", "D6", "F A 21", "p1"},
                     {"H B", "D7", "D8", "D9", "F B 24", "p2"}};
        QTest::newRow("header not stranded at the bottom")
            << false << QList<int>{5, 10}
            << Pages{{"H A", "D1", "D2", "D3", "D4", "D5", "F A 15", "p1"},
                     {"H B", "D6", "D7", "D8", "D9", "D10", "D11", "D12", "p2"},
                     {"D13", "D14", "D15", "F B 105", "p3"}};
        QTest::newRow("footer not alone, nor with the next group's values")
            << false << QList<int>{7, 1}
            << Pages{{"H A", "D1", "D2", "D3", "D4", "D5", "D6", "p1"},
                     {"D7", "F A 28", "H B", "D8", "F B 8", "p2"}};
        QTest::newRow("unkept group splits where it falls")
            << false << QList<int>{4, 3}
            << Pages{{"H A", "D1", "D2", "D3", "D4", "F A 10", "H B", "D5", "p1"},
                     {"D6", "D7", "F B 18", "p2"}};
        QTest::newRow("kept group moves to the next page")
            << true << QList<int>{4, 3}
            << Pages{{"H A", "D1", "D2", "D3", "D4", "F A 10", "p1"},
                     {"H B", "D5", "D6", "D7", "F B 18", "p2"}};
        QTest::newRow("kept group longer than a page runs on")
            << true << QList<int>{2, 9}
            << Pages{{"H A", "D1", "D2", "F A 3", "H B", "D3", "D4", "D5", "p1"},
                     {"D6", "D7", "D8", "D9", "D10", "D11", "F B 63", "p2"}};
        QTest::newRow("full last page leaves no blank one")
            << false << QList<int>{6}
            << Pages{{"H A", "D1", "D2", "D3", "D4", "D5", "D6", "F A 21", "p1"}};
    }
    void pageBreaks() {
        QFETCH(bool, keep);
        QFETCH(QList<int>, sizes);
        QFETCH(Pages, expected);
        const TableRows rows = groupedRows(sizes);
        QCOMPARE(allLines(PreparedReport::prepare(pagingReport(keep), rows)), expected);
    }

    void heading_data() {
        QTest::addColumn<bool>("everyPage");
        QTest::addColumn<Pages>("expected");
        QTest::newRow("on every page")
            << true
            << Pages{{"Шапка 1", "D1", "D2", "D3", "D4", "D5", "D6", "D7", "p1"},
                     {"Шапка 2", "D8", "D9", "D10", "итог 55", "p2"}};
        QTest::newRow("once") << false
                              << Pages{{"Шапка 1", "D1", "D2", "D3", "D4", "D5", "D6", "D7", "p1"},
                                       {"D8", "D9", "D10", "итог 55", "p2"}};
    }
    void heading() {
        QFETCH(bool, everyPage);
        QFETCH(Pages, expected);
        Report r = pagingReport(false);
        r.groups.clear();
        r.heading = line(QStringLiteral("'Шапка ' + STR(PAGENUMBER)"));
        r.headingOnEveryPage = everyPage;
        r.summary = line(QStringLiteral("'итог ' + STR(sum(n))"));
        const TableRows rows = groupedRows({10});
        QCOMPARE(allLines(PreparedReport::prepare(r, rows)), expected);
    }

    // --- sums

    // Inner footers close before outer ones, each with its own group's key and sums; the
    // sums start again after their footer, the report's sum runs over all rows.
    void groupSums() {
        Report r;
        auto group = [](const char* key) {
            Group g;
            g.keyField = QString::fromUtf8(key);
            g.header = line(QStringLiteral("'[ ' + %1").arg(g.keyField));
            g.footer =
                line(QStringLiteral("'] ' + %1 + ' ' + STR(sum(summa)) + ' ' + STR(sum(s_prize))")
                         .arg(g.keyField));
            return g;
        };
        r.groups = {group("dept"), group("brigade")};
        r.detail = line(QStringLiteral("STR(summa) + ' ' + STR(sum(summa))"));
        Band summary = line(QStringLiteral("sum(summa)+sum(s_prize)"));
        summary.cells[0].format = QStringLiteral("#0.00");
        r.summary = summary;
        const TableRows rows = shopRows();
        QCOMPARE(allLines(PreparedReport::prepare(r, rows)),
                 Pages({{"[ Сварочный", "[ Бригада 1", "100,5 100,5", "200,25 300,75",
                         "] Бригада 1 300,75 30", "[ Бригада 2", "50 50", "] Бригада 2 50 0",
                         "] Сварочный 350,75 30", "[ Малярный", "[ Бригада 2", "1,125 1,125",
                         "] Бригада 2 1,125 1", "] Малярный 1,125 1", "382,88"}}));
    }

    void sumsStayExact() {
        TableRows rows({QStringLiteral("summa")});
        for (int i = 0; i < 100000; ++i)
            rows.append({0.1});
        Report r;
        Band summary = bandOf(mm(10), {textCell(0, mm(50), QStringLiteral("sum(summa)")),
                                       textCell(mm(50), mm(50), QStringLiteral("sum(summa)"))});
        summary.cells[1].format = QStringLiteral("#0.00");
        r.summary = summary;
        QCOMPARE(allLines(PreparedReport::prepare(r, rows)), Pages({{"10000 10000,00"}}));
    }

    // No rows: one page with the heading, the report's end with zero sums and the page
    // footer; groups with a key print nothing.
    void emptyReport() {
        Report r = productionReport();
        const TableRows none({QStringLiteral("dept"), QStringLiteral("brigade"),
                              QStringLiteral("summa"), QStringLiteral("s_prize")});
        const PreparedReport prepared = PreparedReport::prepare(r, none);
        QCOMPARE(allLines(prepared),
                 Pages({{"Выработка за март 2026 г. Сумма Премия", "Итого: 0,00 0,00", "1"}}));
        const QString pdf = folder_.filePath(QStringLiteral("empty.pdf"));
        prepared.writePdf(pdf);
        QCOMPARE(pdfInfo(pdf, QStringLiteral("Pages")), QStringLiteral("1"));
        QVERIFY(pdfText(pdf).contains(u"Итого:"));

        Report bare;
        bare.detail = line(QStringLiteral("summa"));
        QCOMPARE(PreparedReport::prepare(bare, none).pageCount(), 1);
    }

    // --- texts

    // A text wider than its column is cut at a character boundary to the measured room;
    // a combining accent stays with its letter.
    void cutTexts_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("align");
        QTest::newRow("cyrillic") << QStringLiteral("Константинопольский Аркадий Варфоломеевич")
                                  << int(Align::Left);
        QTest::newRow("right aligned")
            << QStringLiteral("Сварка узла крепления кронштейна") << int(Align::Right);
        QTest::newRow("combining accents")
            << QStringLiteral("Геи\u0306ко Геи\u0306ко Геи\u0306ко Геи\u0306ко Геи\u0306ко")
            << int(Align::Left);
        QTest::newRow("line breaks")
            << QStringLiteral("Первая строка\nвторая строка\tи ещё") << int(Align::Center);
    }
    void cutTexts() {
        QFETCH(QString, text);
        QFETCH(int, align);
        const int x = mm(20), width = mm(30), padding = kDefaultCellPadding;
        TableRows rows({QStringLiteral("t")});
        rows.append({text});
        Report r;
        r.detail = bandOf(mm(6), {textCell(x, width, QStringLiteral("t"), Align(align))});
        const PreparedReport prepared = PreparedReport::prepare(r, rows);
        QCOMPARE(prepared.page(0).texts.size(), size_t(1));
        const TextItem& item = prepared.page(0).texts[0];
        QString oneLine = text;
        oneLine.replace(u'\n', u' ').replace(u'\t', u' ');
        QVERIFY2(oneLine.startsWith(item.text) && item.text.size() < oneLine.size(),
                 qPrintable(item.text));
        QVERIFY(!item.text.endsWith(u'и')); // never parted from its breve
        const QFontMetricsF metrics(prepared.font(item.font));
        const qreal room = width - 2 * padding;
        const qreal used = metrics.horizontalAdvance(item.text);
        QVERIFY(used <= room);
        QVERIFY(metrics.horizontalAdvance(oneLine.left(item.text.size() + 1)) > room);
        QVERIFY(item.position.x() >= x + padding - 0.01);
        QVERIFY(item.position.x() + used <= x + width - padding + 0.01);
        // recorded as a cut text, in the cell's own font
        QCOMPARE(prepared.clippedItems().size(), size_t(1));
        const UnfitText& clipped = prepared.clippedItems()[0];
        QCOMPARE(clipped.page, 0);
        QCOMPARE(clipped.cell, QStringLiteral("t"));
        QCOMPARE(clipped.text, oneLine);
        QCOMPARE(clipped.printed, item.text);
        QCOMPARE(clipped.pointSize, Font().pointSize);
        QVERIFY(!clipped.number);
        QVERIFY(prepared.shrunkNumbers().empty());
    }

    // --- numbers that do not fit

    // A number wider than its cell is printed whole in a smaller font and recorded; only when
    // even the smallest font cannot hold it is it cut, and recorded as a cut number. Texts
    // are cut in their own font, a number within a text too.
    void numbersMakeRoom_data() {
        QTest::addColumn<QString>("expression"); // empty: the fixed text below
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("format");
        QTest::addColumn<double>("widthMm");
        QTest::addColumn<QString>("outcome"); // "whole", "shrunk" or "cut"
        QTest::addColumn<bool>("number");
        QTest::addColumn<QString>("whole");
        QTest::newRow("a year's sum in a narrow box")
            << "sum(summa)"
            << ""
            << "#0.00" << 22.0 << "shrunk" << true << "28535301,60";
        QTest::newRow("a plain number of a field") << "kolvo"
                                                   << ""
                                                   << "" << 15.0 << "shrunk" << true << "213268,5";
        QTest::newRow("a number that fits") << "kolvo"
                                            << ""
                                            << "" << 30.0 << "whole" << true << "213268,5";
        QTest::newRow("beyond the smallest font")
            << "sum(summa)"
            << ""
            << "#0.00" << 10.0 << "cut" << true << "28535301,60";
        QTest::newRow("a text is cut, not shrunk")
            << "name"
            << ""
            << "" << 20.0 << "cut" << false << "Константинопольский Аркадий";
        QTest::newRow("a number within a text is a text")
            << "'Итого: ' + STR(sum(summa))"
            << ""
            << "" << 22.0 << "cut" << false << "Итого: 28535301,6";
        QTest::newRow("a fixed text with a format is a number")
            << ""
            << "28535301,60"
            << "#0.00" << 22.0 << "shrunk" << true << "28535301,60";
    }
    void numbersMakeRoom() {
        QFETCH(QString, expression);
        QFETCH(QString, text);
        QFETCH(QString, format);
        QFETCH(double, widthMm);
        QFETCH(QString, outcome);
        QFETCH(bool, number);
        QFETCH(QString, whole);
        TableRows rows({QStringLiteral("summa"), QStringLiteral("kolvo"), QStringLiteral("name")});
        rows.append({28000000.6, 200000.0, QStringLiteral("Константинопольский Аркадий")});
        rows.append({535301.0, 213268.5, QStringLiteral("Константинопольский Аркадий")});
        const int x = mm(20), width = mm(widthMm), padding = kDefaultCellPadding;
        Cell cell = textCell(x, width, expression, Align::Right);
        cell.text = text;
        cell.format = format;
        cell.font.pointSize = 11;
        cell.font.bold = true;
        Report r;
        r.summary = bandOf(mm(8), {cell});
        const PreparedReport prepared = PreparedReport::prepare(r, rows);

        QCOMPARE(prepared.page(0).texts.size(), size_t(1));
        const TextItem& item = prepared.page(0).texts[0];
        const QFont& font = prepared.font(item.font);
        const double points = font.pixelSize() / (25.4 * kUnitsPerMm / 72);
        const qreal used = QFontMetricsF(font).horizontalAdvance(item.text);
        QVERIFY(item.position.x() >= x + padding - 0.01);
        QVERIFY(item.position.x() + used <= x + width - padding + 0.01);
        QVERIFY(item.position.y() > 0 && item.position.y() < mm(8)); // the baseline in the band
        const std::vector<UnfitText>& records =
            outcome == u"cut" ? prepared.clippedItems() : prepared.shrunkNumbers();
        QCOMPARE(prepared.clippedItems().size() + prepared.shrunkNumbers().size(),
                 size_t(outcome == u"whole" ? 0 : 1));
        if (outcome == u"whole") {
            QCOMPARE(item.text, whole);
            QVERIFY(qAbs(points - 11) < 0.05);
        } else {
            QCOMPARE(records.size(), size_t(1));
            const UnfitText& record = records[0];
            QCOMPARE(record.page, 0);
            QCOMPARE(record.cell, expression.isEmpty() ? text : expression);
            QCOMPARE(record.text, whole);
            QCOMPARE(record.printed, item.text);
            QCOMPARE(record.number, number);
            QVERIFY(qAbs(record.pointSize - points) < 0.05);
        }
        if (outcome == u"shrunk") {
            QCOMPARE(item.text, whole);
            QVERIFY2(points < 11 && points >= kSmallestNumberPoints,
                     qPrintable(QString::number(points)));
        } else if (outcome == u"cut") {
            QVERIFY2(whole.startsWith(item.text) && item.text.size() < whole.size(),
                     qPrintable(item.text));
            QVERIFY(qAbs(points - (number ? kSmallestNumberPoints : 11)) < 0.05);
        }

        // what the PDF shows is what was laid out
        const QString pdf = folder_.filePath(QStringLiteral("room.pdf"));
        prepared.writePdf(pdf);
        QCOMPARE(pdfText(pdf).contains(whole), outcome != u"cut");
    }

    void shortTextUncut() {
        TableRows rows({QStringLiteral("t")});
        rows.append({QStringLiteral("Итого")});
        Report r;
        r.detail = bandOf(mm(6), {textCell(0, mm(30), QStringLiteral("t"), Align::Center)});
        const PreparedReport prepared = PreparedReport::prepare(r, rows);
        const TextItem& item = prepared.page(0).texts.at(0);
        QCOMPARE(item.text, QStringLiteral("Итого"));
        const qreal used = QFontMetricsF(prepared.font(item.font)).horizontalAdvance(item.text);
        QVERIFY(qAbs(item.position.x() + used / 2 - mm(15)) < 1); // centred
    }

    // A char(n) field arrives padded with blanks to its width: the padding is not printed,
    // so a centred or right-aligned text sits by its letters, not by 120 invisible blanks.
    void paddedTexts_data() {
        QTest::addColumn<int>("align");
        QTest::addColumn<double>("expectedCentre"); // of the text, in mm from the cell's left
        QTest::newRow("centred") << int(Align::Center) << 20.0;
        QTest::newRow("right") << int(Align::Right) << -1.0;
        QTest::newRow("left") << int(Align::Left) << -1.0;
    }
    void paddedTexts() {
        QFETCH(int, align);
        QFETCH(double, expectedCentre);
        TableRows rows({QStringLiteral("vid"), QStringLiteral("blank")});
        rows.append({QStringLiteral("Сварка").leftJustified(128, u' '), QStringLiteral(" ")});
        Report r;
        r.detail = bandOf(mm(6), {textCell(mm(10), mm(40), QStringLiteral("vid"), Align(align)),
                                  textCell(mm(60), mm(40), QStringLiteral("blank"))});
        const PreparedReport prepared = PreparedReport::prepare(r, rows);
        QCOMPARE(prepared.page(0).texts.size(), size_t(1)); // a lone blank prints nothing
        const TextItem& item = prepared.page(0).texts[0];
        QCOMPARE(item.text, QStringLiteral("Сварка"));
        const qreal used = QFontMetricsF(prepared.font(item.font)).horizontalAdvance(item.text);
        if (Align(align) == Align::Center)
            QVERIFY(qAbs(item.position.x() + used / 2 - mm(10 + expectedCentre)) < 1);
        else if (Align(align) == Align::Right)
            QVERIFY(qAbs(item.position.x() + used - (mm(50) - kDefaultCellPadding)) < 1);
        else
            QCOMPARE(item.position.x(), qreal(mm(10) + kDefaultCellPadding));
    }

    // --- output

    // Both orientations in one run, each with its own page size, margins and fonts embedded.
    void pdfPages() {
        const TableRows sheetRows = timesheetRows(60);
        const PreparedReport sheet =
            PreparedReport::prepare(timesheetReport(QStringLiteral("Март 2026 г.")), sheetRows);
        const QString sheetPdf = folder_.filePath(QStringLiteral("timesheet.pdf"));
        sheet.writePdf(sheetPdf);
        const TableRows shop = shopRows();
        const PreparedReport production = PreparedReport::prepare(productionReport(), shop);
        const QString productionPdf = folder_.filePath(QStringLiteral("production.pdf"));
        production.writePdf(productionPdf);
        savePngs(sheetPdf, QStringLiteral("report_timesheet"));
        savePngs(productionPdf, QStringLiteral("report_production"));

        QCOMPARE(pdfInfo(sheetPdf, QStringLiteral("Page size")),
                 QStringLiteral("842 x 595 pts (A4)"));
        QCOMPARE(pdfInfo(productionPdf, QStringLiteral("Page size")),
                 QStringLiteral("595 x 842 pts (A4)"));
        QCOMPARE(pdfInfo(sheetPdf, QStringLiteral("Pages")), QString::number(sheet.pageCount()));
        QCOMPARE(sheet.pageCount(), 2);

        const QString sheetText = pdfText(sheetPdf);
        QCOMPARE(sheetText.count(u"Март 2026 г."), 2); // the heading on both pages
        QVERIFY(sheetText.contains(u"Работник-1 Константино"));
        QVERIFY(!sheetText.contains(u"Константинопольский Аркадий")); // cut to the column
        const QString productionText = pdfText(productionPdf);
        for (const char* expected : {"Выработка за март 2026 г.", "Сварочный", "300,75", "330,75",
                                     "Итог:", "Итого:", "351,88", "31,00"})
            QVERIFY2(productionText.contains(QString::fromUtf8(expected)), expected);

        for (const QString& pdf : {sheetPdf, productionPdf}) {
            const QStringList fonts = pdfFonts(pdf);
            QVERIFY(!fonts.isEmpty());
            for (const QString& font : fonts) {
                QVERIFY2(font.startsWith(u"DejaVuSans"), qPrintable(font));
                QVERIFY2(font.split(u' ', Qt::SkipEmptyParts).value(4) == u"yes",
                         qPrintable(font)); // "emb"
            }
        }
    }

    // The page's origin is the printable area's corner: a text at x = 0 without padding
    // starts at the left margin.
    void pdfMargins() {
        TableRows rows({QStringLiteral("t")});
        rows.append({QStringLiteral("Левый")});
        Report r;
        r.margins = {mm(25), mm(40), mm(10), mm(10)};
        r.detail = bandOf(mm(6), {textCell(0, mm(50), QStringLiteral("t"))});
        r.detail->cells[0].padding = 0;
        const QString pdf = folder_.filePath(QStringLiteral("margins.pdf"));
        PreparedReport::prepare(r, rows).writePdf(pdf);
        const QString box = pdfWordBoxes(pdf);
        const QRegularExpressionMatch word =
            QRegularExpression(QStringLiteral("xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\"[^>]*>Левый"))
                .match(box);
        QVERIFY2(word.hasMatch(), qPrintable(box));
        const double pointsPerMm = 72 / 25.4;
        QVERIFY(qAbs(word.captured(1).toDouble() - 25 * pointsPerMm) < 1);
        QVERIFY(qAbs(word.captured(2).toDouble() - 40 * pointsPerMm) < 6 * pointsPerMm);
    }

    void pdfWriteFails() {
        const QString path = folder_.filePath(QStringLiteral("no/such/folder/report.pdf"));
        TableRows rows({QStringLiteral("t")});
        Report r;
        r.detail = line(QStringLiteral("t"));
        try {
            PreparedReport::prepare(r, rows).writePdf(path);
            QFAIL("no error");
        } catch (const files::WriteError& e) {
            QVERIFY2(e.sentence().contains(path), qPrintable(e.sentence()));
            QVERIFY2(e.sentence().startsWith("Папки «"), qPrintable(e.sentence()));
        }
    }

    // Printing and the preview take the report's pages and orientation.
    void printAndPreview() {
        const TableRows rows = timesheetRows(60);
        const PreparedReport prepared =
            PreparedReport::prepare(timesheetReport(QStringLiteral("Март 2026 г.")), rows);

        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString pdf = folder_.filePath(QStringLiteral("printed.pdf"));
        printer.setOutputFileName(pdf);
        prepared.print(printer);
        QCOMPARE(pdfInfo(pdf, QStringLiteral("Pages")), QStringLiteral("2"));
        QCOMPARE(pdfInfo(pdf, QStringLiteral("Page size")), QStringLiteral("842 x 595 pts (A4)"));

        ScriptedModalRunner runner;
        int previewPages = -1;
        QPageLayout::Orientation orientation = QPageLayout::Portrait;
        runner.then([&](QDialog* dialog) {
            auto* widget = dialog->findChild<QPrintPreviewWidget*>();
            QVERIFY(widget);
            widget->updatePreview();
            previewPages = widget->pageCount();
            orientation = widget->orientation();
        });
        prepared.preview(nullptr);
        QCOMPARE(runner.opened, QList<QString>{QStringLiteral("reportPreview")});
        QCOMPARE(previewPages, 2);
        QCOMPARE(orientation, QPageLayout::Landscape);
    }

    // The preview's "Печать" into a file: written whole with its title, or on a full disk not
    // at all, the earlier file kept and the person told why.
    void printToFileFromThePreview() {
        const TableRows rows = timesheetRows(60);
        PreparedReport prepared =
            PreparedReport::prepare(timesheetReport(QStringLiteral("Март 2026 г.")), rows);
        prepared.setTitle(QStringLiteral("Табель по времени, Март 2026 г."));
        RecordingMessages messages;
        FullDisk disk(folder_.filePath(QStringLiteral("disk")), 4096);
        const QString cut = disk.filePath(QStringLiteral("табель.pdf"));
        const QString whole = folder_.filePath(QStringLiteral("табель.pdf"));
        {
            QFile earlier(cut);
            QVERIFY(earlier.open(QIODevice::WriteOnly));
            earlier.write("earlier");
        }
        const auto printTo = [&](const QString& path) {
            ScriptedModalRunner runner;
            runner.then([&](QDialog* dialog) {
                auto* preview = qobject_cast<QPrintPreviewDialog*>(dialog);
                QVERIFY(preview);
                preview->findChild<QPrintPreviewWidget*>()->updatePreview();
                preview->printer()->setOutputFormat(QPrinter::PdfFormat);
                preview->printer()->setOutputFileName(path);
                emit preview->paintRequested(preview->printer());
            });
            const auto full = disk.whileFull();
            prepared.preview(nullptr);
        };

        printTo(cut);
        QCOMPARE(messages.shown.size(), 1);
        QCOMPARE(messages.shown[0].caption, QStringLiteral("Ошибка"));
        QVERIFY2(messages.shown[0].text.contains(QStringLiteral("«%1»").arg(cut)),
                 qPrintable(messages.shown[0].text));
        QVERIFY(!messages.shown[0].detail.isEmpty());
        QFile earlier(cut);
        QVERIFY(earlier.open(QIODevice::ReadOnly));
        QCOMPARE(earlier.readAll(), QByteArray("earlier"));
        QCOMPARE(QDir(disk.folder()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("табель.pdf")});

        messages.clear();
        printTo(whole);
        QCOMPARE(messages.shown.size(), 0);
        QCOMPARE(pdfInfo(whole, QStringLiteral("Pages")), QStringLiteral("2"));
        QCOMPARE(pdfInfo(whole, QStringLiteral("Title")),
                 QStringLiteral("Табель по времени, Март 2026 г."));
        QVERIFY(!pdfInfo(whole, QStringLiteral("Creator")).isEmpty());
    }

private:
    QTemporaryDir folder_;
};

QTEST_MAIN(ReportEngineTest)
#include "report_engine_test.moc"
