#pragma once

#include <functional>

namespace data {
class Connection;
}

namespace timesheet {

// Rebuilds the hours time-sheet of a month (every shift) from its positions through the
// database's rebuild functions (accounts_dep.h_tabel_rebuild_day for each day, then
// h_tabel_rebuild_write), all in one transaction, so a failure half-way leaves the month as
// it was. The functions hold the month's lock that the upkeep of a save or deletion also
// takes: a save on another workstation during the rebuild waits for it and then writes its
// cell; one before it is seen by it.
class MonthRebuild {
public:
    explicit MonthRebuild(data::Connection& connection) : connection_(connection) {}

    // progress is called after each day is read, with the day. Throws DataError.
    void run(int month, int year, const std::function<void(int day)>& progress = {});

private:
    data::Connection& connection_;
};

} // namespace timesheet
