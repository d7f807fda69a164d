#include "month_rebuild.h"

#include "data/command.h"
#include "data/data_error.h"
#include "data/data_module.h"
#include "data/transaction.h"

#include <QDate>

namespace timesheet {

namespace {

// The cells of the days, gathered in the transaction before the month is written.
const QString kCellsTable = QStringLiteral(
    "create temp table if not exists h_tabel_rebuild (w_id integer, smena integer, day integer, "
    "hours integer) on commit delete rows");

QString dayStatement(int day) {
    return QStringLiteral("insert into pg_temp.h_tabel_rebuild select w_id, smena, ") +
           QString::number(day) +
           QStringLiteral(", hours from accounts_dep.h_tabel_day_hours(:data)");
}

// A row per worker and shift with any position in the month, its days from the cells, every
// other day 0.
QString writeStatement(int month, int year) {
    QString columns, days;
    for (int day = 1; day <= 31; ++day) {
        columns += QStringLiteral(", d%1").arg(day);
        days += QStringLiteral(", coalesce(sum(hours) filter (where day = %1), 0)").arg(day);
    }
    return QStringLiteral("insert into accounts_dep.h_tabel(w_id, smena, month, year") + columns +
           QStringLiteral(") select w_id, smena, ") + QString::number(month) +
           QStringLiteral(", ") + QString::number(year) + days +
           QStringLiteral(" from pg_temp.h_tabel_rebuild group by w_id, smena");
}

} // namespace

void MonthRebuild::run(int month, int year, const std::function<void(int day)>& progress) {
    const QDate first(year, month, 1);
    if (!first.isValid())
        throw data::DataError(QStringLiteral("Табель: неверный месяц %1.%2").arg(month).arg(year));
    data::Transaction transaction(dm_.ADO_DB);
    data::Command& statement = dm_.H_Tabel_ins;
    statement.setSql(QStringLiteral("select accounts_dep.h_tabel_lock_month(:month, :year, true)"));
    statement.setParam(QStringLiteral("month"), month);
    statement.setParam(QStringLiteral("year"), year);
    statement.execute();
    statement.setSql(kCellsTable);
    statement.execute();
    // the month's cells are gathered in memory rather than spilt to disk
    statement.setSql(QStringLiteral("set local work_mem = '64MB'"));
    statement.execute();

    // the cells of each day by the day-cell rule, read under the lock
    for (int day = 1; day <= first.daysInMonth(); ++day) {
        statement.setSql(dayStatement(day));
        statement.setParam(QStringLiteral("data"), QDate(year, month, day));
        statement.execute();
        if (progress)
            progress(day);
    }

    dm_.DelSmena.setSql(QStringLiteral("delete from accounts_dep.h_tabel where month=") +
                        QString::number(month) + QStringLiteral(" and year=") +
                        QString::number(year));
    dm_.DelSmena.execute();
    statement.setSql(writeStatement(month, year));
    statement.execute();
    transaction.commit();
}

} // namespace timesheet
