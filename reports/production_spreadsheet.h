#pragma once

#include "report_selection.h"

#include <QString>

#include <functional>

namespace data {
class Dataset;
}
namespace spreadsheet {
class Workbook;
}

namespace reports {

// The statement of the production spreadsheet (parameters period_from and period_to).
const QString& productionSpreadsheetSql();

// The name the workbook is saved under: "Производство 01.11.2026–01.12.2026.xlsx".
QString productionFileName(const Selection& selection);

// The period's production a line per product, operation and colour into sheet 1 of a new
// workbook of handle (named by productionFileName), every cell as text and nothing
// formatted; the caller shows or saves it. The query is read for the selection and closed
// again. progress(written, total) follows every row. False when no workbook could be opened
// (the wrapper has said so).
bool writeProductionSpreadsheet(data::Dataset& query, const Selection& selection,
                                spreadsheet::Workbook& handle,
                                const std::function<void(int written, int total)>& progress = {});

} // namespace reports
