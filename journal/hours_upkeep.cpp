#include "hours_upkeep.h"

#include "data/data_error.h"
#include "data/data_module.h"

namespace journal {

namespace {

constexpr auto kUniqueViolation = "23505";

QString num(int value) {
    return QString::number(value);
}

void requireValid(const DayCell& cell) {
    if (!cell.date.isValid())
        throw data::DataError(QStringLiteral("Табель: не задана дата позиции"));
}

// Key of the row, as the count and the update name it.
QString rowCondition(const DayCell& cell) {
    return QStringLiteral("w_id=") + num(cell.workerCode) + QStringLiteral(" and smena=") +
           num(cell.shift) + QStringLiteral(" and month=") + num(cell.date.month()) +
           QStringLiteral(" and year=") + num(cell.date.year());
}

} // namespace

void HoursUpkeep::afterSave(const DayCell& cell) {
    dm_.H_Tabel_1.close();
    dm_.H_Tabel_2.close();
    dm_.H_Tabel_3.close();
    write(cell, read(cell));
}

void HoursUpkeep::afterDeletion(const DayCell& cell) {
    updateCell(cell, sumHours(cell));
}

DayCellReading HoursUpkeep::read(const DayCell& cell) {
    DayCellReading reading;
    reading.rowExists = countRows(cell) > 0;
    reading.hours = sumHours(cell);
    return reading;
}

// The count and the insert are separate statements, so two workstations storing the first
// position of a worker's month at once can both find no row. The unique index on
// (w_id, smena, month, year) lets only one insert through; the other one then updates the
// row instead, with the sum taken again so that it includes both positions.
void HoursUpkeep::write(const DayCell& cell, const DayCellReading& reading) {
    if (reading.rowExists) {
        updateCell(cell, reading.hours);
        return;
    }
    try {
        insertRow(cell, reading.hours);
    } catch (const data::DataError& e) {
        if (e.sqlState() != QLatin1String(kUniqueViolation))
            throw;
        updateCell(cell, sumHours(cell));
    }
}

int HoursUpkeep::countRows(const DayCell& cell) {
    requireValid(cell);
    return readInt(QStringLiteral("select count(w_id) as cnt from accounts_dep.h_tabel where ") +
                       rowCondition(cell),
                   QStringLiteral("cnt"));
}

int HoursUpkeep::sumHours(const DayCell& cell) {
    requireValid(cell);
    return readInt(QStringLiteral("select sum(time) as tim from accounts_dep.smena where w_id=") +
                       num(cell.workerCode) + QStringLiteral(" and smena=") + num(cell.shift) +
                       QStringLiteral(" and data=to_date('") +
                       cell.date.toString(QStringLiteral("dd.MM.yyyy")) +
                       QStringLiteral("', 'DD.MM.YYYY') group by w_id, smena, data"),
                   QStringLiteral("tim"));
}

void HoursUpkeep::insertRow(const DayCell& cell, int hours) {
    requireValid(cell);
    execute(QStringLiteral("insert into accounts_dep.h_tabel(smena, w_id, month, year, d") +
            num(cell.date.day()) + QStringLiteral(") ") + QStringLiteral("values(") +
            num(cell.shift) + QStringLiteral(", ") + num(cell.workerCode) + QStringLiteral(", ") +
            num(cell.date.month()) + QStringLiteral(", ") + num(cell.date.year()) +
            QStringLiteral(", ") + num(hours) + QStringLiteral(")"));
}

void HoursUpkeep::updateCell(const DayCell& cell, int hours) {
    requireValid(cell);
    execute(QStringLiteral("update accounts_dep.h_tabel set d") + num(cell.date.day()) +
            QStringLiteral("=") + num(hours) + QStringLiteral(" where ") + rowCondition(cell));
}

// Control: text replaced, opened, the first row's field read (0 without a row), closed.
int HoursUpkeep::readInt(const QString& statement, const QString& field) {
    data::Dataset& control = dm_.Control;
    control.close();
    control.setSql(statement);
    control.open();
    int value = 0;
    try {
        value = control.isEmpty() ? 0 : control.asInt(field);
    } catch (...) {
        control.close();
        throw;
    }
    control.close();
    return value;
}

void HoursUpkeep::execute(const QString& statement) {
    dm_.H_Tabel_ins.setSql(statement);
    dm_.H_Tabel_ins.execute();
}

} // namespace journal
