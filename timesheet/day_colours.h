#pragma once

#include <QColor>
#include <QPalette>

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

// How a day's title is drawn: red on weekends, silver past the month's end, else the window
// text colour (an invalid colour).
QColor dayTitleColour(int day, const MonthShape& month);

// How a day cell is drawn.
struct DayCellLook {
    QColor text;       // invalid: the grid's own text colour
    QColor background; // invalid: the grid's own background
    bool bold = false;
};

// A selected cell keeps the selection's colours. Otherwise days past the month's end are
// drawn in the window's background colour (their values disappear); weekend days are red;
// then by the hours: 0 silver (unless red), 8 bold, more than 8 bold on light green.
DayCellLook dayCellLook(int day, int hours, const MonthShape& month, bool selected,
                        const QPalette& palette);

// The row total: bold on light blue.
DayCellLook totalCellLook();

inline const QColor kWeekendRed(255, 0, 0);
inline const QColor kSilver(192, 192, 192);
inline const QColor kOvertimeGreen(192, 220, 192);
inline const QColor kTotalBlue(225, 228, 255);

} // namespace timesheet
