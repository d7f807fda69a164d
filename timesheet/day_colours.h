#pragma once

#include "ui/dataset_model.h"

#include <QColor>

namespace timesheet {

// The days of a month as the time-sheet's columns see them.
struct MonthShape {
    int firstWeekday = 1; // of the 1st: 1 Sunday ... 7 Saturday
    int days = 31;

    static MonthShape of(int month, int year);
    // Day n (1 to 31) falls on a Saturday or a Sunday.
    bool isWeekend(int day) const;
    // Day n is past the month's end (its column is read-only and shows nothing).
    bool isBeyond(int day) const { return day > days; }
};

// The meanings of the time-sheet's colours, as designed for a light palette; the grid makes
// them readable on the palette in use (ui/cell_colours.h).
inline const QColor kWeekendRed(255, 0, 0);
inline const QColor kSilver(192, 192, 192);
inline const QColor kOvertimeGreen(192, 220, 192);
inline const QColor kTotalBlue(225, 228, 255);

// A day's title: red on weekends, silver past the month's end, else the header's own colour
// (an invalid colour).
QColor dayTitleColour(int day, const MonthShape& month);

// A day cell: past the month's end its value is not shown, whatever the row holds there;
// weekend days are red; then by the hours: 0 silver (unless red), 8 bold, more than 8 bold on
// light green.
ui::CellStyle dayCellStyle(int day, int hours, const MonthShape& month);

// The row total: bold on light blue.
ui::CellStyle totalCellStyle();

} // namespace timesheet
