#pragma once

namespace data {
class Connection;
}

// The month's rebuild as the time-sheet window has always done it, cell by cell: the month's
// rows deleted, then for every day and every worker and shift with positions that day a count
// of his row and an update or insert of the one day. The reference the program's rebuild must
// equal, and the baseline of its benchmark.
void rebuildMonthCellByCell(data::Connection& connection, int month, int year);
