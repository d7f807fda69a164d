#include "position.h"

#include "hours_upkeep.h"

#include "data/command.h"
#include "data/conversions.h"
#include "data/data_module.h"
#include "data/dataset.h"
#include "data/transaction.h"
#include "seams/messages.h"

#include <optional>
#include <tuple>

namespace journal {

namespace {

QString dayText(const QDate& date) {
    return date.toString(QStringLiteral("dd.MM.yyyy"));
}

// The typed numbers as the statement carries them: formatted by code, so nothing typed or
// pasted can reach the SQL text.
struct Numbers {
    QString price;
    QString quantity;
    QString rejects;
    QString hours;
};

Numbers numbers(const Position& p, const SaveConditions& c) {
    return {data::sqlNumber(positionPrice(p.cena, c.dayOff, c.shift), 4),
            data::sqlNumber(data::toDouble(p.quantity)),
            QString::number(data::toInt(p.rejects.trimmed())),
            QString::number(data::toInt(p.hours.trimmed()))};
}

} // namespace

QString refusalText(SaveRefusal refusal) {
    switch (refusal) {
    case SaveRefusal::MissingFields:
        return seams::kAllFieldsRequired;
    case SaveRefusal::AboveRequired:
        return QStringLiteral("Количество изделий не может быть больше требуемого!");
    case SaveRefusal::RejectsAboveQuantity:
        return QStringLiteral("Брак не может быть больше количества!");
    case SaveRefusal::None:
        break;
    }
    return QString();
}

SaveRefusal checkPosition(const Position& p, const PositionForm& form) {
    if (form.workerText.trimmed().isEmpty() || form.operationText.trimmed().isEmpty() ||
        p.quantity.trimmed().isEmpty() || p.rejects.trimmed().isEmpty() ||
        p.hours.trimmed().isEmpty() || !form.lineShown || !form.requisitionShown)
        return SaveRefusal::MissingFields;
    const double quantity = data::toDouble(p.quantity);
    if (quantity > form.lineRequired && form.lineRequired > 0)
        return SaveRefusal::AboveRequired;
    // more rejects than pieces would be a negative piecework sum
    if (data::toInt(p.rejects.trimmed()) > quantity)
        return SaveRefusal::RejectsAboveQuantity;
    return SaveRefusal::None;
}

double positionPrice(float operationPrice, bool dayOff, int shift) {
    double price = operationPrice;
    if (dayOff)
        price *= 2.0;
    if (shift == 3)
        price *= 1.2;
    else if (shift == 4)
        price *= 1.5;
    return data::rounded(price, 4);
}

QString insertStatement(const Position& p, const SaveConditions& c) {
    const Numbers n = numbers(p, c);
    return QStringLiteral("insert into accounts_dep.SMENA(w_id, i_id, o_id, cena, kol_vo, brak, "
                          "data, smena, color, time, vvod,ok, prize, id_doc, id_doc_item, "
                          "f_gds_qty_use, id_gds_use, id_cons_use) values(") +
           QString::number(p.w_id) + QStringLiteral(", ") + QString::number(p.i_id) +
           QStringLiteral(", ") + QString::number(p.o_id) + QStringLiteral(", ") + n.price + u',' +
           n.quantity + QStringLiteral(", ") + n.rejects + QStringLiteral(", to_date('") +
           dayText(p.workDay) + QStringLiteral("', 'DD.MM.YYYY HH24:MI:SS'), ") +
           QString::number(c.shift) + QStringLiteral(", ") + QStringLiteral("0") +
           QStringLiteral(", ") + n.hours + QStringLiteral(", '") + dayText(c.today) +
           QStringLiteral("', '") + QStringLiteral("no") + QStringLiteral("', 0, ") +
           QString::number(p.id_doc) + QStringLiteral(", ") + QString::number(p.id_doc_item) +
           QStringLiteral(", 0, 0, 0) returning id");
}

QString updateStatement(const Position& p, const SaveConditions& c) {
    const Numbers n = numbers(p, c);
    return QStringLiteral("update accounts_dep.SMENA set w_id=") + QString::number(p.w_id) +
           QStringLiteral(", i_id=") + QString::number(p.i_id) + QStringLiteral(", o_id=") +
           QString::number(p.o_id) + QStringLiteral(", cena=") + n.price +
           QStringLiteral(", kol_vo=") + n.quantity + QStringLiteral(", brak=") + n.rejects +
           QStringLiteral(", data=to_date('") + dayText(p.workDay) +
           QStringLiteral("', 'DD.MM.YYYY'), smena=") + QString::number(c.shift) +
           QStringLiteral(", color=0, time=") + n.hours + QStringLiteral(", vvod='") +
           dayText(c.today) + QStringLiteral("', prize=0, id_doc=") + QString::number(p.id_doc) +
           QStringLiteral(", id_doc_item=") + QString::number(p.id_doc_item) +
           QStringLiteral(", f_gds_qty_use=0, id_gds_use=0, id_cons_use=0 where id=") +
           QString::number(p.s_id);
}

namespace {

// The cell a stored position counts in now, its row locked until the transaction ends so no
// other workstation moves it meanwhile; nothing when it is gone.
std::optional<DayCell> storedCell(data::DataModule6& dm, int positionId) {
    data::Dataset stored(&dm.ADO_DB);
    stored.setSql(
        QStringLiteral("select w_id, smena, data from accounts_dep.smena where id=:id for update"));
    stored.setParam(QStringLiteral("id"), positionId);
    stored.open();
    if (stored.isEmpty())
        return std::nullopt;
    return DayCell{stored.asInt(QStringLiteral("w_id")), stored.asInt(QStringLiteral("smena")),
                   stored.asDate(QStringLiteral("data"))};
}

bool operator<(const DayCell& a, const DayCell& b) {
    return std::tie(a.workerCode, a.shift, a.date) < std::tie(b.workerCode, b.shift, b.date);
}

} // namespace

int PositionSaver::save(const Position& p, const SaveConditions& c) {
    HoursUpkeep upkeep(dm_);
    const DayCell cell{p.w_id, c.shift, p.workDay};
    data::Command statement(&dm_.ADO_DB, QStringLiteral("SmenaIU"));
    data::Transaction transaction(dm_.ADO_DB);
    if (p.s_id == 0) {
        statement.setSql(insertStatement(p, c));
        const int id = data::toInt(statement.executeReturningInt());
        upkeep.afterSave(cell);
        transaction.commit();
        return id;
    }
    const std::optional<DayCell> left = storedCell(dm_, p.s_id);
    statement.setSql(updateStatement(p, c));
    statement.execute();
    const bool moved = left && (*left < cell || cell < *left);
    // with two cells, the lower first: two saves moving positions each other's way would
    // otherwise wait for each other's cell
    if (moved && *left < cell)
        upkeep.afterDeletion(*left); // the position is gone from that cell
    upkeep.afterSave(cell);
    if (moved && cell < *left)
        upkeep.afterDeletion(*left);
    transaction.commit();
    return p.s_id;
}

void PositionSaver::remove(int positionId, const DayCell& listed,
                           const std::function<void()>& deleted) {
    data::Transaction transaction(dm_.ADO_DB);
    const DayCell cell = storedCell(dm_, positionId).value_or(listed);
    data::Command deletion(&dm_.ADO_DB, QStringLiteral("DelPosition"));
    deletion.setSql(QStringLiteral("delete from accounts_dep.smena where id=") +
                    QString::number(positionId));
    deletion.execute();
    HoursUpkeep(dm_).afterDeletion(cell);
    transaction.commit();
    if (deleted)
        deleted();
}

} // namespace journal
