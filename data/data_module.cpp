#include "data_module.h"

#include "product_kind.h"
#include "seams/messages.h"

#include <QScopeGuard>

namespace data {

namespace {

const QString kNmn = QStringLiteral("(SELECT ") + kProductKindSql + QStringLiteral(") as nmn");

QStringList hTabelSql(int shift) {
    return {
        QStringLiteral(
            "select person.s_caption fio, h_tabel.*,(d1+d2+d3+d4+d5+d6+d7+d8+d9+d10+d11"),
        QStringLiteral("+d12+d13+d14+d15+d16+d17+d18+d19+d20+d21+d22+d23+d24+d25"),
        QStringLiteral("+d26+d27+d28+d29+d30+d31) as summ from accounts_dep.h_tabel, "
                       "cmn_contractor.person where "),
        QStringLiteral(
            "h_tabel.w_id=person.s_code::integer and h_tabel.smena=%1 and month=:mnth and ")
            .arg(shift),
        QStringLiteral("year=:yea order by fio"),
    };
}

QString& newModulesConnection() {
    static QString text;
    return text;
}

} // namespace

void DataModule6::connectNewModulesWith(const QString& connectionText) {
    newModulesConnection() = connectionText;
}

DataModule6::DataModule6(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("DataModule6"));
    setStatements();
    if (!newModulesConnection().isEmpty()) {
        ADO_DB.setConnectionString(newModulesConnection());
        ADO_DB.open();
    }
}

DataModule6::~DataModule6() = default;

void DataModule6::setStatements() {
    Workers.setSql(QStringList{
        QStringLiteral("select person.s_code id, person .s_caption fio, person.id p_id"),
        QStringLiteral("      ,staffpos.s_caption as s_staffpos_hl"),
        QStringLiteral("from cmn_contractor.person person"),
        QStringLiteral(
            "left join hrms_movement.movement pers_move on pers_move.id_employee = person.id"),
        QStringLiteral("                                          and now()::t_date between "
                       "pers_move.d_begin"),
        QStringLiteral("                                                                and "
                       "coalesce(pers_move.d_end, now()::t_date)"),
        QStringLiteral(
            "left join hrms_staffpos.staffpos staffpos on staffpos.id = pers_move.id_staffpos"),
        QStringLiteral("where person.b_employee = true order by fio"),
    });
    Izdel.setSql(QStringLiteral("select marka, id, nom, round(massa::numeric, 5) massa  from "
                                "accounts_dep.IZDEL order by marka"));
    Oper.setSql(QStringList{
        QStringLiteral("select izdel.MARKA, vid_oper.VID, oper.NAIMEN, ") + kNmn + u',',
        QStringLiteral("count(o_id) norma, round(min(price)::numeric,4) cena,"),
        QStringLiteral(
            "oper.id, oper.i_id, oper.VID as oper_vid from accounts_dep.norm,accounts_dep.OPER,"
            "accounts_dep.IZDEL,accounts_dep.VID_OPER where OPER.i_id=IZDEL.id and "
            "norm.o_id=oper.id"),
        QStringLiteral(
            "and oper.vid=vid_oper.id group by izdel.MARKA, vid_oper.VID, oper.NAIMEN, oper.id, "
            "oper.i_id, oper.VID order by izdel.marka, vid_oper.vid, oper.naimen"),
    });
    Vid_oper.setSql(QStringLiteral("select * from accounts_dep.VID_OPER order by vid"));
    Vid_oper.setUpdateTable(QStringLiteral("accounts_dep.vid_oper"), QStringLiteral("id"));

    H_Tabel_1.setSql(hTabelSql(1));
    H_Tabel_2.setSql(hTabelSql(2));
    H_Tabel_3.setSql(hTabelSql(3));

    Oper_ins.setSql(QStringList{
        QStringLiteral("insert into accounts_dep.oper(vid, naimen, i_id, cena_new) "),
        QStringLiteral("values (:oper_vid, :naimen, :i_id, :cena_new)"),
    });
    Oper_ed.setSql(QStringLiteral(
        "update accounts_dep.oper set vid=:oper_vid, naimen=:naimen,  i_id=:i_id where id=:id"));
    Oper_del.setSql(QStringLiteral("delete from accounts_dep.oper where id=:id"));
}

QVariant DataModule6::readScratchValue(const QString& statement, const QString& field,
                                       const Parameters& params) {
    Control.close();
    Control.setSql(statement);
    Control.setParams(params);
    Control.open();
    const auto closeAfterwards = qScopeGuard([this] { Control.close(); });
    return Control.isEmpty() ? QVariant() : Control.value(field);
}

bool DataModule6::CheckExists(const QString& statement, const QString& message,
                              const Parameters& params) {
    const bool exists = readScratchValue(statement, QStringLiteral("cnt"), params).toLongLong() > 0;
    if (exists)
        seams::Messages::current().error(message, seams::kErrorCaption);
    return exists;
}

} // namespace data
