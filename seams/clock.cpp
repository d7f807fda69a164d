#include "clock.h"

namespace seams {

namespace {
QDate fixedToday;
}

QDate Clock::today() {
    return fixedToday.isValid() ? fixedToday : QDate::currentDate();
}

QDateTime Clock::now() {
    const QDateTime real = QDateTime::currentDateTime();
    return fixedToday.isValid() ? QDateTime(fixedToday, real.time()) : real;
}

void Clock::setFixedToday(const QDate& date) {
    fixedToday = date;
}

} // namespace seams
