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

DayCellLook dayCellLook(int day, int hours, const MonthShape& month, bool selected,
                        const QPalette& palette) {
    if (selected)
        return {};
    // past the month's end nothing shows, whatever the row holds there
    if (month.isBeyond(day))
        return {palette.color(QPalette::Base), QColor(), false};
    DayCellLook look;
    const bool red = month.isWeekend(day);
    if (red)
        look.text = kWeekendRed;
    if (hours == 0) {
        if (!red)
            look.text = kSilver;
    } else if (hours == 8) {
        look.bold = true;
    } else if (hours > 8) {
        look.bold = true;
        look.background = kOvertimeGreen;
    }
    return look;
}

DayCellLook totalCellLook() {
    return {QColor(), kTotalBlue, true};
}

} // namespace timesheet
