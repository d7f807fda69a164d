#include "positions.h"

#include "data/command.h"
#include "data/connection.h"
#include "data/statement_files.h"

#include <algorithm>

namespace journal {

namespace {

// The journal hides positions of this status in every shift.
const QString kHiddenStatus = QStringLiteral("ta");

} // namespace

// The column is fixed-width: its values come padded with blanks.
bool statusAccepted(const QString& status) {
    return status.trimmed() == u"ok";
}

bool statusShownAccepted(const QString& status) {
    const QString s = status.trimmed();
    return s == u"ok" || s == u"да";
}

QString statusText(const QString& status) {
    if (statusShownAccepted(status))
        return QStringLiteral("принята");
    if (status.trimmed() == u"no")
        return QStringLiteral("не принята");
    return status.trimmed();
}

std::optional<ListedPosition> ListedPosition::current(const data::Dataset& list) {
    if (list.isEmpty())
        return std::nullopt;
    ListedPosition p;
    p.id = list.asInt(QStringLiteral("id"));
    p.workerCode = list.asInt(QStringLiteral("w_id"));
    p.productId = list.asInt(QStringLiteral("i_id"));
    p.operationId = list.asInt(QStringLiteral("o_id"));
    p.productKind = list.asInt(QStringLiteral("naimen"));
    p.price = list.asDouble(QStringLiteral("cena"));
    p.workDay = list.asDate(QStringLiteral("data"));
    p.workerName = list.asString(QStringLiteral("fio")).trimmed();
    p.productMark = list.asString(QStringLiteral("marka")).trimmed();
    p.operationType = list.asString(QStringLiteral("vid")).trimmed();
    p.quantity = list.asDouble(QStringLiteral("kol_vo"));
    p.rejects = list.asString(QStringLiteral("brak")).trimmed();
    p.hours = list.asInt(QStringLiteral("time"));
    p.status = list.asString(QStringLiteral("ok"));
    p.requisitionId = list.asInt64(QStringLiteral("id_doc"));
    p.requisitionLineId = list.asInt64(QStringLiteral("id_doc_item"));
    p.version = PositionVersion::listed(list);
    return p;
}

QString ListedPosition::logText() const {
    return QStringLiteral("позиция %1: %2, %3, %4, %5")
        .arg(QString::number(id), workerName, productMark, operationType,
             workDay.toString(QStringLiteral("dd.MM.yyyy")));
}

Positions::Positions(data::Connection& connection) : connection_(connection) {
    for (int shift = 1; shift <= 4; ++shift) {
        auto list =
            std::make_unique<data::Dataset>(&connection, QStringLiteral("shift%1").arg(shift));
        if (shift == 1) {
            list->setSql(data::statementText(QStringLiteral("journal/first_shift_positions")));
        } else {
            list->setSql(data::statementText(QStringLiteral("journal/shift_positions")));
            list->setParam(QStringLiteral("shift"), shift);
        }
        list->setParam(QStringLiteral("ok"), kHiddenStatus);
        shifts_[size_t(shift - 1)] = std::move(list);
    }
}

Positions::~Positions() = default;

data::Dataset& Positions::shiftPositions(int shift) {
    return *shifts_[size_t(shift >= 1 && shift <= 4 ? shift - 1 : 0)];
}

void Positions::readDay(const QDate& day) {
    for (auto& list : shifts_)
        list->close();
    for (auto& list : shifts_) {
        list->setParam(QStringLiteral("data"), day);
        list->open();
    }
}

void Positions::rereadShifts() {
    for (auto& list : shifts_)
        list->close();
    for (auto& list : shifts_) // with their parameters as they are
        list->open();
}

qint64 Positions::materialCount(int positionId) {
    data::Dataset count(&connection_, QStringLiteral("count_materials"));
    count.setSql(data::statementText(QStringLiteral("journal/count_materials")));
    count.setParam(QStringLiteral("id_smena"), positionId);
    count.open();
    return count.asInt64(QStringLiteral("id_cnt"));
}

void Positions::accept(int positionId) {
    data::Command accept(&connection_, QStringLiteral("accept_position"));
    accept.setSql(data::statementText(QStringLiteral("journal/accept_position")));
    accept.setParam(QStringLiteral("id"), positionId);
    accept.execute();
}

std::optional<float> operationOwnPrice(data::Connection& connection, int operationId) {
    data::Dataset price(&connection, QStringLiteral("operation_price"));
    price.setSql(data::statementText(QStringLiteral("journal/operation_price")));
    price.setParam(QStringLiteral("o_id"), operationId);
    price.open();
    if (price.isEmpty())
        return std::nullopt;
    const QVariant value = price.value(QStringLiteral("cena"));
    if (!value.isValid())
        return std::nullopt;
    return float(value.toDouble());
}

} // namespace journal
