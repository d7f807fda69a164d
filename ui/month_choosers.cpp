#include "month_choosers.h"

#include "seams/clock.h"

#include <QComboBox>
#include <QSignalBlocker>

#include <algorithm>

namespace ui {

namespace {
constexpr int kFirstYear = 2007; // the shop's first records
}

void MonthChoosers::fillYears() {
    const QSignalBlocker quiet(years_);
    years_->clear();
    for (int y = kFirstYear; y <= std::max(kFirstYear, seams::Clock::today().year()); ++y)
        years_->addItem(QString::number(y));
    years_->setCurrentIndex(-1);
}

void MonthChoosers::choose(const QDate& date) {
    const QSignalBlocker quietMonths(months_);
    const QSignalBlocker quietYears(years_);
    months_->setCurrentIndex(date.month() - 1);
    int index = 0;
    while (index < years_->count() - 1 && years_->itemText(index) != QString::number(date.year()))
        ++index;
    years_->setCurrentIndex(index);
}

int MonthChoosers::month() const {
    return months_->currentIndex() + 1;
}

int MonthChoosers::year() const {
    return years_->currentText().toInt();
}

} // namespace ui
