#pragma once
// The reports' statements in their plain form: every position of the period joined to its
// names, then grouped and sorted. The program's own statements sum the positions by their
// keys first; report_statements_test checks that they give the same rows as these, and
// reports_bench measures both.

#include <QString>
#include <QStringList>

#include <vector>

struct PlainReportStatement {
    QString name;          // the program's statement under reports/
    QString sql;           // parameters :period_from and :period_to
    QStringList orderedBy; // the columns its "order by" sorts on: the only order it promises
};

inline const std::vector<PlainReportStatement>& plainReportStatements() {
    static const std::vector<PlainReportStatement> statements{
        {"workers",
         R"(select person.s_caption fio, sum(smena.kol_vo-smena.brak) as kolvo,
       sum((kol_vo-brak)*smena.cena) as summa, vid_oper.vid, izdel.nom, oper.naimen, color
from cmn_contractor.person person, accounts_dep.smena, accounts_dep.izdel,
     accounts_dep.vid_oper, accounts_dep.oper
where w_id=s_code::integer and izdel.id=smena.i_id and vid_oper.id=oper.vid
  and oper.id=smena.o_id and smena.data<:period_to and smena.data>=:period_from
group by fio, izdel.nom, oper.naimen, vid_oper.vid, color
order by fio, izdel.nom)",
         {"fio", "nom"}},
        {"products",
         R"(select sum(smena.kol_vo-smena.brak) as kolvo, vid_oper.vid, izdel.nom, oper.naimen, color,
       round((izdel.massa*sum(smena.kol_vo-smena.brak))::numeric, 2) as mass
from accounts_dep.smena, accounts_dep.izdel, accounts_dep.vid_oper, accounts_dep.oper
where izdel.id=smena.i_id and vid_oper.id=oper.vid
  and oper.id=smena.o_id and smena.data<:period_to and smena.data>=:period_from
group by izdel.nom, color, oper.naimen, vid_oper.vid, izdel.massa
order by izdel.nom)",
         {"nom"}},
        {"worker_details",
         R"(select s_caption fio, izdel.marka, vid_oper.vid, oper.naimen,
       sum(smena.kol_vo) as kolvo, sum(smena.brak) as brk,
       sum((kol_vo-brak)*smena.cena) as summa, color,
       sum(prize*(kol_vo-brak)*smena.cena/100) as s_prize
from cmn_contractor.person person, accounts_dep.izdel, accounts_dep.oper, accounts_dep.smena,
     accounts_dep.vid_oper
where smena.o_id=oper.id and smena.w_id=s_code::integer and smena.i_id=izdel.id
  and smena.o_id=oper.id and w_id=s_code::integer and oper.vid=vid_oper.id
  and smena.data<:period_to and smena.data>=:period_from
group by fio, marka, vid_oper.vid, oper.naimen, color
order by fio, marka, vid_oper.vid, oper.naimen)",
         {"fio", "marka", "vid", "naimen"}},
        {"product_details",
         R"(select izdel.marka, vid_oper.vid vid, oper.naimen, izdel.nom,
       sum(smena.kol_vo) as kolvo, sum(smena.brak) as brk,
       sum((kol_vo-brak)*smena.cena) as summa, color,
       round((izdel.massa*sum(smena.kol_vo))::numeric, 2) as mass
from accounts_dep.izdel, accounts_dep.oper, accounts_dep.smena, accounts_dep.vid_oper
where smena.o_id=oper.id and smena.i_id=izdel.id
  and smena.o_id=oper.id and oper.vid=vid_oper.id and smena.data<:period_to
  and smena.data>=:period_from
group by izdel.nom, marka, vid_oper.vid, oper.naimen, color, massa
order by izdel.nom, marka, vid_oper.vid, oper.naimen)",
         {"nom", "marka", "vid", "naimen"}},
        {"requisitions",
         R"(select izdel.marka, vid_oper.vid vid, oper.naimen, izdel.nom,
       sum(smena.kol_vo) as kolvo, sum(smena.brak) as brk,
       sum((kol_vo-brak)*smena.cena) as summa, color,
       round((izdel.massa*sum(smena.kol_vo))::numeric, 2) as mass, doc_in.s_number
from accounts_dep.izdel, accounts_dep.oper, accounts_dep.smena, accounts_dep.vid_oper,
     mnf_doc.doc doc_in
where smena.o_id=oper.id and smena.i_id=izdel.id
  and smena.o_id=oper.id and oper.vid=vid_oper.id and smena.data<:period_to
  and smena.data>=:period_from and doc_in.id = smena.id_doc
group by s_number, izdel.nom, marka, vid_oper.vid, oper.naimen, color, massa
order by s_number, izdel.nom, marka, vid_oper.vid, oper.naimen)",
         {"s_number", "nom", "marka", "vid", "naimen"}},
        {"production_spreadsheet",
         R"(select sum((smena.kol_vo-smena.brak)::numeric) as kolvo, vid_oper.vid, izdel.nom, oper.naimen,
       color, izdel.massa::numeric*sum((smena.kol_vo-smena.brak)::numeric) as mass
from accounts_dep.smena, accounts_dep.izdel, accounts_dep.vid_oper, accounts_dep.oper
where izdel.id=smena.i_id and vid_oper.id=oper.vid
  and oper.id=smena.o_id and smena.data<:period_to and smena.data>=:period_from
group by izdel.nom, color, oper.naimen, vid_oper.vid, izdel.massa
order by izdel.nom)",
         {"nom"}},
    };
    return statements;
}
