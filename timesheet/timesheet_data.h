#pragma once

#include "data/closed_months.h"
#include "data/dataset.h"

#include <functional>

namespace data {
class Connection;
}

namespace timesheet {

// The time-sheet window's data: the month's rows of shifts 1 to 3 (h_tabel, a worker a
// line) and the month's rebuild, all over one connection.
class TimesheetData {
public:
    static constexpr int kShifts = 3;

    explicit TimesheetData(data::Connection& connection);

    // The rows of shift 1..kShifts with the worker's name (fio), the days d1..d31 and their
    // total (summ), in name order; closed until readMonth. Throws std::out_of_range for any
    // other shift.
    data::Dataset& timesheetRows(int shift);

    // Reads the month of every shift afresh from the database.
    void readMonth(int month, int year);
    // Reads the month last read again.
    void rereadMonth();
    // Closes the rows (not the month: see closedMonths).
    void closeMonth();

    // Which months are closed for changes; closing and opening them.
    data::ClosedMonths& closedMonths() { return closedMonths_; }

    // Rebuilds the month from its positions (MonthRebuild); the rows are not reread.
    void rebuildMonth(int month, int year, const std::function<void(int day)>& progress = {});

private:
    data::Connection& connection_;
    data::ClosedMonths closedMonths_;
    data::Dataset shift1Rows_;
    data::Dataset shift2Rows_;
    data::Dataset shift3Rows_;
};

} // namespace timesheet
