#include "data_module.h"

#include "product_kind.h"

#include <QScopeGuard>

#include <algorithm>

namespace data {

namespace {

const QString kNmn = QStringLiteral("(SELECT ") + kProductKindSql + QStringLiteral(") as nmn");

// The journal's positions of one shift on one date. Shift 1 also reads the id first and sorts
// by mark, operation and colour within a worker; the others sort by the worker alone. The
// spacing differs a little from shift to shift, as the four statements have always been
// written; other workstations' statements and the logs read the same texts.
QStringList shiftSql(int shift) {
    struct Spacing {
        const char* nameAndPrice;  // line 2 up to the worker's name
        const char* beforeKind;    // between "nmn," and "oper.naimen"
        const char* statusColumns; // line 3 between the bonus and the requisition
        const char* line3End;
        const char* tables;
    };
    static const Spacing spacing[] = {
        {"smena.cena,person.s_caption fio,", " ", "color,time, smena.ok, vvod,", "",
         "accounts_dep.izdel,accounts_dep.oper,"},
        {"smena.cena, s_caption fio,", " ", "smena.id, color,time,smena.ok,vvod,", "  ",
         "accounts_dep.izdel,accounts_dep.oper,"},
        {"smena.cena,s_caption fio,", "  ", "smena.id, color,time,smena.ok,vvod,", "",
         "accounts_dep.izdel,accounts_dep.oper,"},
        {"smena.cena,person.s_caption fio,", "  ", "smena.id , color,time,smena.ok,vvod,", " ",
         " accounts_dep.izdel, accounts_dep.oper,"},
    };
    const bool first = shift == 1;
    const Spacing& s = spacing[first ? 0 : std::clamp(shift, 2, 4) - 1];
    QStringList lines{
        QStringLiteral("select ") + (first ? QStringLiteral("smena.id, ") : QString()) +
            QStringLiteral("smena.data, smena.smena, smena.i_id, smena.o_id, smena.w_id, "),
        QLatin1String(s.nameAndPrice) + QStringLiteral(" izdel.marka, vid_oper.vid, ") + kNmn +
            u',' + QLatin1String(s.beforeKind) +
            QStringLiteral("oper.naimen, smena.kol_vo, smena.brak, "),
        QStringLiteral("round((kol_vo::numeric-brak::numeric)*smena.cena::numeric, 2) as summa, "
                       "smena.prize, ") +
            QLatin1String(s.statusColumns) +
            QStringLiteral(" smena.id_doc, smena.id_doc_item, smena.f_gds_qty_use, "
                           "smena.id_gds_use, smena.id_cons_use") +
            QLatin1String(s.line3End),
        QStringLiteral("from cmn_contractor.person person,") + QLatin1String(s.tables) +
            QStringLiteral("accounts_dep.smena,accounts_dep.vid_oper "),
        QStringLiteral("where smena.i_id=izdel.id and smena.o_id=oper.id and w_id=") +
            (first ? QStringLiteral("person.s_code") : QStringLiteral("s_code")) +
            QStringLiteral("::t_integer and "),
        QStringLiteral("oper.vid=vid_oper.id and smena.smena=") + QString::number(shift) +
            QStringLiteral(" and smena.data=:data and ") +
            (first ? QStringLiteral("ok!=:ok order by ") : QStringLiteral("ok<>:ok order by fio")),
    };
    if (first)
        lines << QStringLiteral("fio, izdel.marka, vid_oper.vid, oper.naimen, color");
    return lines;
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
    for (int shift = 1; shift <= 4; ++shift)
        smena(shift).setSql(shiftSql(shift));
}

Dataset& DataModule6::smena(int shift) {
    switch (shift) {
    case 2:
        return Smena2;
    case 3:
        return Smena3;
    case 4:
        return Smena4;
    default:
        return Smena1;
    }
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

} // namespace data
