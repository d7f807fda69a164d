#include "hours_upkeep.h"

#include "data/data_error.h"
#include "data/data_module.h"

namespace journal {

const QString HoursUpkeep::kSetDaySql =
    QStringLiteral("select accounts_dep.h_tabel_set_day(:w_id, :smena, :data, :insert_missing)");

void HoursUpkeep::afterSave(const DayCell& cell) {
    setDay(cell, true);
}

void HoursUpkeep::afterDeletion(const DayCell& cell) {
    setDay(cell, false);
}

void HoursUpkeep::setDay(const DayCell& cell, bool insertMissing) {
    if (!cell.date.isValid())
        throw data::DataError(QStringLiteral("Табель: не задана дата позиции"));
    data::Command& write = dm_.H_Tabel_ins;
    write.setSql(kSetDaySql);
    write.setParam(QStringLiteral("w_id"), cell.workerCode);
    write.setParam(QStringLiteral("smena"), cell.shift);
    write.setParam(QStringLiteral("data"), cell.date);
    write.setParam(QStringLiteral("insert_missing"), insertMissing);
    write.execute();
}

} // namespace journal
