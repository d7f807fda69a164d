#include "production_reports.h"

#include "report_layout.h"

namespace {

using report::Align;
using report::mm;
using reports::Column;
using reports::GroupScheme;
using reports::headingOver;
using reports::kColourExpression;
using reports::kProductKindExpression;
using reports::LayoutScheme;
using reports::sumUnder;

// Number columns hold what a large shop's year gives, in the report end's 11 pt bold:
// amounts to 99999999,99 in 32 mm or more, pieces to 9999999,5 or 999999,99 in 25 mm, boxes
// to 9999999,99 in 27 mm (25 mm where they are whole), rejects to 99999 in 15 mm; a worker's
// bonus (in 9 pt) to 999999,99 in 23 mm. The texts left of them give up the width: a longer
// text is cut, a larger number printed smaller.

const QString k2 = QStringLiteral("#0.00");
const QString k3 = QStringLiteral("#0.000");
const QString k0 = QStringLiteral("#0");

Column field(double x, double width, const QString& name, Align align = Align::Center,
             const QString& format = {}) {
    return {.x = mm(x), .width = mm(width), .expression = name, .format = format, .align = align};
}

// --- "Отчет по рабочим"

report::Report workersLayout() {
    const Column kind = field(6, 40, kProductKindExpression, Align::Left);
    const Column vid = field(46, 56, QStringLiteral("vid"));
    const Column colour = field(102, 30, kColourExpression, Align::Left);
    const Column kolvo = field(132, 25, QStringLiteral("kolvo"));
    const Column summa = field(157, 33, QStringLiteral("summa"), Align::Center, k3);
    LayoutScheme s;
    s.groups = {
        {.key = QStringLiteral("fio"), .sums = {sumUnder(summa, "summa", k2)}, .ruleBelow = true},
        {.key = QStringLiteral("nom"),
         .greyHeader = false,
         .sums = {sumUnder(kolvo, "kolvo"), sumUnder(summa, "summa", k3)}},
    };
    s.detail = {kind, vid, colour, kolvo, summa};
    s.totals = {sumUnder(summa, "summa", k2)};
    return reports::productionLayout(s);
}

// --- "Отчет по продукции"

report::Report productsLayout() {
    const Column kind = field(6, 40, kProductKindExpression, Align::Left);
    const Column vid = field(46, 56, QStringLiteral("vid"));
    const Column colour = field(102, 38, kColourExpression, Align::Left);
    const Column mass = field(140, 25, QStringLiteral("mass"));
    const Column kolvo = field(165, 25, QStringLiteral("kolvo"));
    LayoutScheme s;
    s.headings = {headingOver(mass, QStringLiteral("Коробки")),
                  headingOver(kolvo, QStringLiteral("Количество"))};
    s.groups = {
        {.key = QStringLiteral("nom"), .sums = {sumUnder(mass, "mass"), sumUnder(kolvo, "kolvo")}}};
    s.detail = {kind, vid, colour, mass, kolvo};
    s.totals = {sumUnder(mass, "mass", k0), sumUnder(kolvo, "kolvo")};
    return reports::productionLayout(s);
}

// --- "Детальный отчет по рабочим"

report::Report workerDetailsLayout() {
    const Column brk = field(95, 15, QStringLiteral("brk"));
    const Column kolvo = field(110, 25, QStringLiteral("kolvo"));
    const Column summa = field(135, 32, QStringLiteral("summa"), Align::Center, k2);
    const Column prize = field(167, 23, QStringLiteral("s_prize"), Align::Center, k2);
    LayoutScheme s;
    s.headings = {
        headingOver(brk, QStringLiteral("Брак")), headingOver(kolvo, QStringLiteral("Количество")),
        headingOver(summa, QStringLiteral("Сумма")), headingOver(prize, QStringLiteral("Премия"))};
    s.headingsBelowTitle = true;
    Column total = sumUnder(summa, "summa", k2);
    total.expression = QStringLiteral("sum(summa)+sum(s_prize)");
    total.width = prize.x + prize.width - summa.x;
    s.groups = {{.key = QStringLiteral("fio"),
                 .sums = {sumUnder(brk, "brk"), sumUnder(kolvo, "kolvo"),
                          sumUnder(summa, "summa", k2), sumUnder(prize, "s_prize", k2)},
                 .secondLine = {{.x = kolvo.x,
                                 .width = kolvo.width,
                                 .align = Align::Right,
                                 .text = QStringLiteral("Итог:")},
                                total}}};
    s.detail = {field(0, 27, QStringLiteral("marka"), Align::Left),
                field(27, 27, QStringLiteral("vid")),
                field(54, 11, QStringLiteral("color")),
                field(65, 30, kProductKindExpression, Align::Left),
                brk,
                kolvo,
                summa,
                prize};
    s.detailPoints = 8;
    s.totals = {sumUnder(brk, "brk"), sumUnder(kolvo, "kolvo"), sumUnder(summa, "summa", k2)};
    return reports::productionLayout(s);
}

// --- "Детальный отчет по продукции"

report::Report productDetailsLayout() {
    const Column brk = field(91, 15, QStringLiteral("brk"));
    const Column mass = field(106, 27, QStringLiteral("mass"));
    const Column kolvo = field(133, 25, QStringLiteral("kolvo"));
    const Column summa = field(158, 32, QStringLiteral("summa"), Align::Center, k3);
    LayoutScheme s;
    s.headings = {
        headingOver(brk, QStringLiteral("Брак")), headingOver(mass, QStringLiteral("Коробки")),
        headingOver(kolvo, QStringLiteral("Кол-во")), headingOver(summa, QStringLiteral("Сумма"))};
    s.headingsBelowTitle = true;
    s.groups = {{.key = QStringLiteral("nom"),
                 .sums = {sumUnder(brk, "brk"), sumUnder(mass, "mass", k2),
                          sumUnder(kolvo, "kolvo"), sumUnder(summa, "summa", k2)}}};
    s.detail = {field(0, 23, QStringLiteral("marka"), Align::Left),
                field(23, 23, QStringLiteral("vid"), Align::Left),
                field(46, 11, QStringLiteral("color")),
                field(57, 34, kProductKindExpression, Align::Left),
                brk,
                mass,
                kolvo,
                summa};
    s.totals = {sumUnder(brk, "brk"), sumUnder(mass, "mass"), sumUnder(kolvo, "kolvo"),
                sumUnder(summa, "summa", k2)};
    return reports::productionLayout(s);
}

// --- "Детальный отчет по заявкам"

report::Report requisitionsLayout() {
    const Column brk = field(90, 15, QStringLiteral("brk"));
    const Column nom = field(105, 28, QStringLiteral("nom"), Align::Left);
    const Column kolvo = field(133, 25, QStringLiteral("kolvo"));
    const Column summa = field(158, 32, QStringLiteral("summa"), Align::Center, k3);
    Column nomHeading = headingOver(nom, QStringLiteral("Номенкл."));
    nomHeading.align = Align::Center;
    LayoutScheme s;
    s.headings = {headingOver(brk, QStringLiteral("Брак")), nomHeading,
                  headingOver(kolvo, QStringLiteral("Кол-во")),
                  headingOver(summa, QStringLiteral("Сумма"))};
    s.headingsBelowTitle = true;
    s.groups = {{.key = QStringLiteral("s_number"),
                 .sums = {sumUnder(brk, "brk"), sumUnder(nom, "mass", k2), sumUnder(kolvo, "kolvo"),
                          sumUnder(summa, "summa", k2)}}};
    s.detail = {field(0, 22, QStringLiteral("marka"), Align::Left),
                field(22, 23, QStringLiteral("vid"), Align::Left),
                field(45, 11, QStringLiteral("color")),
                field(56, 34, kProductKindExpression, Align::Left),
                brk,
                nom,
                kolvo,
                summa};
    s.totals = {sumUnder(brk, "brk"), sumUnder(nom, "mass"), sumUnder(kolvo, "kolvo"),
                sumUnder(summa, "summa", k2)};
    return reports::productionLayout(s);
}

} // namespace

WorkersReport::WorkersReport(data::Connection& connection)
    : PrintedReport(connection, QStringLiteral("workers"),
                    QStringLiteral("   Отчет по рабочим за период с "), workersLayout()) {}

ProductsReport::ProductsReport(data::Connection& connection)
    : PrintedReport(connection, QStringLiteral("products"),
                    QStringLiteral("   Отчет по продукции за период с "), productsLayout()) {}

WorkerDetailsReport::WorkerDetailsReport(data::Connection& connection)
    : PrintedReport(connection, QStringLiteral("worker_details"),
                    QStringLiteral("   Детальный отчет по рабочим за период с "),
                    workerDetailsLayout()) {}

ProductDetailsReport::ProductDetailsReport(data::Connection& connection)
    : PrintedReport(connection, QStringLiteral("product_details"),
                    QStringLiteral("   Детальный отчет по продукции за период с "),
                    productDetailsLayout()) {}

RequisitionsReport::RequisitionsReport(data::Connection& connection)
    : PrintedReport(connection, QStringLiteral("requisitions"),
                    QStringLiteral("   Детальный отчет по заявкам за период с "),
                    requisitionsLayout()) {}
