#include "month_rows.h"

#include "data/dataset.h"

namespace timesheet {

void openMonth(data::Dataset& rows, int month, int year) {
    rows.close();
    rows.setParam(QStringLiteral("month"), month);
    rows.setParam(QStringLiteral("year"), year);
    rows.open();
}

} // namespace timesheet
