#pragma once

#include <QDate>
#include <QString>

namespace data {
class DataModule6;
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

// What a save finds before it writes a cell.
struct DayCellReading {
    bool rowExists = false; // the worker has a row for that shift and month
    int hours = 0;          // sum of the positions' hours of that day
};

// Keeps a day cell of h_tabel equal to its positions after a position is saved or deleted,
// through the data module's scratch query Control and command H_Tabel_ins.
class HoursUpkeep {
public:
    explicit HoursUpkeep(data::DataModule6& dataModule) : dm_(dataModule) {}

    // After a position was stored: the time-sheet lists are closed (so they read fresh rows
    // next time), then the cell is read and written; a missing row is inserted.
    void afterSave(const DayCell& cell);
    // After a position was deleted: the cell is set to what is left; a missing row stays
    // missing.
    void afterDeletion(const DayCell& cell);

    // The save's two steps, separately callable so that two workstations can be interleaved.
    DayCellReading read(const DayCell& cell);
    void write(const DayCell& cell, const DayCellReading& reading);

    int countRows(const DayCell& cell);
    int sumHours(const DayCell& cell);
    void insertRow(const DayCell& cell, int hours);
    void updateCell(const DayCell& cell, int hours);

private:
    int readInt(const QString& statement, const QString& field);
    void execute(const QString& statement);

    data::DataModule6& dm_;
};

} // namespace journal
