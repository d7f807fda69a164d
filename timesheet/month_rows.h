#pragma once

namespace data {
class Dataset;
}

namespace timesheet {

// Every time-sheet query takes the month as parameters month and year; this reads it afresh.
void openMonth(data::Dataset& rows, int month, int year);

} // namespace timesheet
