#include "month_rebuild.h"

#include "data/command.h"
#include "data/data_error.h"
#include "data/statement_files.h"
#include "data/transaction.h"

#include <QDate>

namespace timesheet {

void MonthRebuild::run(int month, int year, const std::function<void(int day)>& progress) {
    const QDate first(year, month, 1);
    if (!first.isValid())
        throw data::DataError(QStringLiteral("Табель: неверный месяц %1.%2").arg(month).arg(year));
    data::Transaction transaction(connection_);
    data::Command readDay(&connection_, QStringLiteral("rebuildDay"));
    readDay.setSql(data::statementText(QStringLiteral("timesheet/rebuild_day")));
    readDay.setParam(QStringLiteral("month"), month);
    readDay.setParam(QStringLiteral("year"), year);
    for (int day = 1; day <= first.daysInMonth(); ++day) {
        readDay.setParam(QStringLiteral("day"), day);
        readDay.execute();
        if (progress)
            progress(day);
    }
    data::Command writeMonth(&connection_, QStringLiteral("rebuildWrite"));
    writeMonth.setSql(data::statementText(QStringLiteral("timesheet/rebuild_write")));
    writeMonth.setParam(QStringLiteral("month"), month);
    writeMonth.setParam(QStringLiteral("year"), year);
    writeMonth.execute();
    transaction.commit();
}

} // namespace timesheet
