#pragma once

#include <QDate>
#include <QDateTime>

namespace seams {

// Today's date for everything that depends on it (weekends, entry dates, default
// periods); tests fix it.
class Clock {
public:
    static QDate today();
    static QDateTime now();
    static void setFixedToday(const QDate& date); // an invalid date returns to the real one
};

} // namespace seams
