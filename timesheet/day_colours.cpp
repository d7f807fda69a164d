#include "day_colours.h"

#include <QDate>

namespace timesheet {

MonthShape MonthShape::of(int month, int year) {
    const QDate first(year, month, 1);
    // Qt counts Monday 1 ... Sunday 7
    return {first.dayOfWeek() % 7 + 1, first.daysInMonth()};
}

bool MonthShape::isWeekend(int day) const {
    const int r = (firstWeekday + day) % 7;
    return r == 1 || r == 2;
}

QColor dayTitleColour(int day, const MonthShape& month) {
    if (month.isBeyond(day))
        return kSilver;
    return month.isWeekend(day) ? kWeekendRed : QColor();
}

ui::CellStyle dayCellStyle(int day, int hours, const MonthShape& month) {
    if (month.isBeyond(day))
        return {.blank = true};
    ui::CellStyle style;
    const bool red = month.isWeekend(day);
    if (red)
        style.textColor = kWeekendRed;
    if (hours == 0) {
        if (!red)
            style.textColor = kSilver;
    } else if (hours == 8) {
        style.bold = true;
    } else if (hours > 8) {
        style.bold = true;
        style.background = kOvertimeGreen;
    }
    return style;
}

ui::CellStyle totalCellStyle() {
    return {.bold = true, .background = kTotalBlue};
}

} // namespace timesheet
