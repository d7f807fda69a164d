#pragma once

#include "day_colours.h"

#include <QStyledItemDelegate>

namespace timesheet {

// Draws a time-sheet grid: its day columns (1 to 31, after the name) by the month's weekends
// and the hours, the total bold on blue; a selected cell in the selection's colours.
class DayCellDelegate : public QStyledItemDelegate {
public:
    DayCellDelegate(int firstDayColumn, int totalColumn, QObject* parent)
        : QStyledItemDelegate(parent), firstDayColumn_(firstDayColumn), totalColumn_(totalColumn) {}

    void setMonth(const MonthShape& month) { month_ = month; }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    int firstDayColumn_;
    int totalColumn_;
    MonthShape month_;
};

} // namespace timesheet
