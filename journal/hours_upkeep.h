#pragma once

#include <QDate>
#include <QString>

namespace data {
class Connection;
}

namespace journal {

// One day of the hours time-sheet: column d<day> of the h_tabel row of a worker code,
// shift, month and year. It holds the sum of the hours of that worker's positions of that
// shift and day.
struct DayCell {
    int workerCode = 0;
    int shift = 0;
    QDate date;
};

// Keeps a day cell of h_tabel equal to its positions after a position is saved or deleted.
// The rule itself is the database's accounts_dep.h_tabel_set_day, which the division of a
// brigade and the month's rebuild follow too; it reads and writes the cell in one statement
// under a lock, so workstations saving the same cell at once cannot lose each other's hours.
class HoursUpkeep {
public:
    // The one statement that sets a cell (also what the save benchmark sends bare).
    static const QString& setDaySql();

    explicit HoursUpkeep(data::Connection& connection) : connection_(connection) {}

    // After a position was stored: the cell is set to its sum; a missing row is inserted.
    void afterSave(const DayCell& cell);
    // After a position was deleted: the cell is set to what is left; a missing row stays
    // missing.
    void afterDeletion(const DayCell& cell);

private:
    void setDay(const DayCell& cell, bool insertMissing);

    data::Connection& connection_;
};

} // namespace journal
