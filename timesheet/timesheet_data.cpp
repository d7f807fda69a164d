#include "timesheet_data.h"

#include "month_rebuild.h"
#include "month_rows.h"

#include "data/statement_files.h"

#include <stdexcept>

namespace timesheet {

TimesheetData::TimesheetData(data::Connection& connection)
    : connection_(connection), closedMonths_(connection),
      shift1Rows_(&connection, QStringLiteral("shift1Rows")),
      shift2Rows_(&connection, QStringLiteral("shift2Rows")),
      shift3Rows_(&connection, QStringLiteral("shift3Rows")) {
    for (int shift = 1; shift <= kShifts; ++shift) {
        data::Dataset& rows = timesheetRows(shift);
        rows.setSql(data::statementText(QStringLiteral("timesheet/shift_month_rows")));
        rows.setParam(QStringLiteral("shift"), shift);
    }
}

data::Dataset& TimesheetData::timesheetRows(int shift) {
    switch (shift) {
    case 1:
        return shift1Rows_;
    case 2:
        return shift2Rows_;
    case 3:
        return shift3Rows_;
    default:
        throw std::out_of_range("no time-sheet of shift " + std::to_string(shift));
    }
}

void TimesheetData::readMonth(int month, int year) {
    for (int shift = 1; shift <= kShifts; ++shift)
        openMonth(timesheetRows(shift), month, year);
}

void TimesheetData::rereadMonth() {
    closeMonth();
    for (int shift = 1; shift <= kShifts; ++shift)
        timesheetRows(shift).open();
}

void TimesheetData::closeMonth() {
    for (int shift = 1; shift <= kShifts; ++shift)
        timesheetRows(shift).close();
}

void TimesheetData::rebuildMonth(int month, int year,
                                 const std::function<void(int day)>& progress) {
    MonthRebuild(connection_).run(month, year, progress);
}

} // namespace timesheet
