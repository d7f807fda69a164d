#include "production_spreadsheet.h"

#include "data/conversions.h"
#include "data/dataset.h"
#include "data/product_kind.h"
#include "data/statement_files.h"
#include "spreadsheet/spreadsheet.h"
#include "ui/number_format.h"

#include <QScopeGuard>

namespace reports {

const QString& productionSpreadsheetSql() {
    return data::statementText(QStringLiteral("reports/production_spreadsheet"));
}

QString productionFileName(const Selection& selection) {
    const QString format = QStringLiteral("dd.MM.yyyy");
    return QStringLiteral("Производство %1–%2.xlsx")
        .arg(selection.from.toString(format), selection.to.toString(format));
}

bool writeProductionSpreadsheet(data::Dataset& query, const Selection& selection,
                                spreadsheet::Workbook& book,
                                const std::function<void(int, int)>& progress) {
    openSelection(query, selection);
    const auto closeAfterwards = qScopeGuard([&query] { query.close(); });
    if (spreadsheet::XlsOpen(book, productionFileName(selection)) == -1)
        return false;
    const int total = query.recordCount();
    if (progress)
        progress(0, total);
    using spreadsheet::XlsWriteCell;
    XlsWriteCell(book, 1, 1, 1, QStringLiteral("Наименование"));
    XlsWriteCell(book, 1, 2, 1, QStringLiteral("Операция"));
    XlsWriteCell(book, 1, 3, 1, QStringLiteral("Вид продукции"));
    XlsWriteCell(book, 1, 4, 1, QStringLiteral("Коробки"));
    XlsWriteCell(book, 1, 5, 1, QStringLiteral("Кол-во"));
    int row = 2;
    for (query.first(); !query.eof(); query.next(), ++row) {
        XlsWriteCell(book, 1, 1, row, query.asString(QStringLiteral("nom")));
        XlsWriteCell(book, 1, 2, row,
                     operationText(data::withoutPadding(query.asString(QStringLiteral("vid"))),
                                   query.asInt64(QStringLiteral("color"))));
        XlsWriteCell(book, 1, 3, row, data::productKindText(query.asInt(QStringLiteral("naimen"))));
        XlsWriteCell(book, 1, 4, row,
                     ui::generalNumberText(query.asDouble(QStringLiteral("mass"))));
        XlsWriteCell(book, 1, 5, row, QString::number(query.asInt64(QStringLiteral("kolvo"))));
        if (progress)
            progress(row - 1, total);
    }
    return true;
}

} // namespace reports
