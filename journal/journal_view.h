#pragma once

#include <QDate>

namespace data {
class Dataset;
}

namespace ui {
struct LoginValues;
}

// What the windows opened from the journal read of it: the journal date, the day-off box,
// the shift dataset of CurSmena with its current row, and the login values.
class JournalView {
public:
    virtual ~JournalView() = default;
    virtual QDate journalDate() const = 0;
    virtual bool dayOff() const = 0;
    virtual data::Dataset& currentShift() = 0;
    virtual const ui::LoginValues& loginValues() const = 0;
};
