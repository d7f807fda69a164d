#include "month_rebuild.h"

#include "data/command.h"
#include "data/data_error.h"
#include "data/data_module.h"
#include "data/transaction.h"

#include <QDate>

namespace timesheet {

void MonthRebuild::run(int month, int year, const std::function<void(int day)>& progress) {
    const QDate first(year, month, 1);
    if (!first.isValid())
        throw data::DataError(QStringLiteral("Табель: неверный месяц %1.%2").arg(month).arg(year));
    data::Transaction transaction(dm_.ADO_DB);
    data::Command& statement = dm_.H_Tabel_ins;
    // the cells of each day by the day-cell rule, read under the month's lock
    statement.setSql(
        QStringLiteral("select accounts_dep.h_tabel_rebuild_day(:month, :year, :day)"));
    statement.setParam(QStringLiteral("month"), month);
    statement.setParam(QStringLiteral("year"), year);
    for (int day = 1; day <= first.daysInMonth(); ++day) {
        statement.setParam(QStringLiteral("day"), day);
        statement.execute();
        if (progress)
            progress(day);
    }
    statement.setSql(QStringLiteral("select accounts_dep.h_tabel_rebuild_write(:month, :year)"));
    statement.setParam(QStringLiteral("month"), month);
    statement.setParam(QStringLiteral("year"), year);
    statement.execute();
    transaction.commit();
}

} // namespace timesheet
