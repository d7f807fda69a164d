#include "position_materials.h"

#include "data/command.h"
#include "data/statement_files.h"

namespace journal {

PositionMaterials::PositionMaterials(data::Connection& connection)
    : connection_(connection), rows_(&connection, QStringLiteral("position_materials")) {
    rows_.setSql(data::statementText(QStringLiteral("journal/position_materials")));
}

void PositionMaterials::open(int positionId) {
    rows_.close();
    rows_.setParam(QStringLiteral("id_smena"), positionId);
    rows_.open();
}

QString PositionMaterials::removeCurrent() {
    if (!rows_.isOpen() || rows_.isEmpty())
        return {};
    QString removed = QStringLiteral("%1, партия %2, расход %3")
                          .arg(rows_.asString(QStringLiteral("s_caption")).trimmed(),
                               rows_.asString(QStringLiteral("s_cons_use_hl")).trimmed(),
                               rows_.asString(QStringLiteral("f_qty_use")));
    data::Command remove(&connection_, QStringLiteral("delete_material"));
    remove.setSql(data::statementText(QStringLiteral("journal/delete_material")));
    remove.setParam(QStringLiteral("id"), rows_.asInt(QStringLiteral("id")));
    remove.execute();
    const int recNo = rows_.recNo();
    rows_.requery();
    if (!rows_.isEmpty() && recNo > 0)
        rows_.setRecNo(recNo);
    return removed;
}

} // namespace journal
