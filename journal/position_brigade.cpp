#include "position_brigade.h"

#include "data/command.h"
#include "data/statement_files.h"

namespace journal {

PositionBrigade::PositionBrigade(data::Connection& connection)
    : connection_(connection), members_(&connection, QStringLiteral("brigade")) {
    members_.setSql(data::statementText(QStringLiteral("journal/brigade")));
}

void PositionBrigade::open(int positionId) {
    members_.close();
    members_.setParam(QStringLiteral("s_id"), positionId);
    members_.open();
}

void PositionBrigade::add(int positionId, qint64 personId) {
    data::Command add(&connection_, QStringLiteral("add_brigade_member"));
    add.setSql(data::statementText(QStringLiteral("journal/add_brigade_member")));
    add.setParam(QStringLiteral("p_id"), QString::number(personId));
    add.setParam(QStringLiteral("s_id"), positionId);
    add.execute();
}

bool PositionBrigade::removeCurrent() {
    if (!members_.isOpen() || members_.isEmpty())
        return false;
    data::Command remove(&connection_, QStringLiteral("remove_brigade_member"));
    remove.setSql(data::statementText(QStringLiteral("journal/remove_brigade_member")));
    remove.setParam(QStringLiteral("id"), members_.asInt64(QStringLiteral("id")));
    remove.execute();
    return true;
}

void PositionBrigade::divide(int positionId) {
    data::Command divide(&connection_, QStringLiteral("divide_among_brigade"));
    divide.setSql(data::statementText(QStringLiteral("journal/divide_among_brigade")));
    divide.setParam(QStringLiteral("s_id"), positionId);
    divide.execute();
}

} // namespace journal
