#include "hours_upkeep.h"

#include "data/command.h"
#include "data/data_error.h"
#include "data/statement_files.h"

namespace journal {

const QString& HoursUpkeep::setDaySql() {
    return data::statementText(QStringLiteral("journal/set_day"));
}

void HoursUpkeep::afterSave(const DayCell& cell) {
    setDay(cell, true);
}

void HoursUpkeep::afterDeletion(const DayCell& cell) {
    setDay(cell, false);
}

void HoursUpkeep::setDay(const DayCell& cell, bool insertMissing) {
    if (!cell.date.isValid())
        throw data::DataError(QStringLiteral("Табель: не задана дата позиции"));
    data::Command write(&connection_, QStringLiteral("set_day"));
    write.setSql(setDaySql());
    write.setParam(QStringLiteral("w_id"), cell.workerCode);
    write.setParam(QStringLiteral("smena"), cell.shift);
    write.setParam(QStringLiteral("data"), cell.date);
    write.setParam(QStringLiteral("insert_missing"), insertMissing);
    write.execute();
}

} // namespace journal
