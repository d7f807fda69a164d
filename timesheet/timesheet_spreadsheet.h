#pragma once

#include <QString>

#include <functional>

namespace data {
class Dataset;
}
namespace spreadsheet {
class Workbook;
}

namespace timesheet {

// The name the month's workbook is saved under: "Табель 11.2026.xlsx".
QString monthFileName(int month, int year);

// The month of every shift, a worker a line with his hours of each day and their total, into
// sheet 1 of a new workbook of handle (named by monthFileName); the caller shows or saves it. rows
// is the printed time-sheet's query (parameters month and year), read for the month and closed
// again; heading is the first cell
// ("Март 2026"). progress(written, total) follows every line. False when no workbook could be
// opened (the wrapper has said so).
bool writeMonthSpreadsheet(data::Dataset& rows, int month, int year, const QString& heading,
                           spreadsheet::Workbook& handle,
                           const std::function<void(int written, int total)>& progress = {});

// The month's name as the time-sheet window lists it: "Январь" ... "Декабрь".
QString monthName(int month);

} // namespace timesheet
