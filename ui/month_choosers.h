#pragma once

#include <QDate>

class QComboBox;

namespace ui {

// A month box (January … December) and a year box from the shop's first records to this
// year, as the time-sheet and the month's summary choose a month.
class MonthChoosers {
public:
    MonthChoosers(QComboBox* months, QComboBox* years) : months_(months), years_(years) {}

    // From the first year of the shop's records to this year, so the current month can
    // always be chosen; no year chosen yet.
    void fillYears();
    // The month of a date, without a signal; a year outside the list leaves the choice on
    // its last year.
    void choose(const QDate& date);
    int month() const; // 1 … 12
    int year() const;

private:
    QComboBox* months_;
    QComboBox* years_;
};

} // namespace ui
