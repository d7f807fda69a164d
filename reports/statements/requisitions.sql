-- "Детальный отчет по заявкам": the same per requisition; the join with its document leaves
-- out the positions of no requisition. The positions summed by their keys first; the mass
-- from the exact (numeric) pieces, so a half kopeck rounds the same way whatever order the
-- additions take.
with positions as (
    select id_doc, i_id, o_id, color,
           sum(kol_vo) as kolvo, sum(brak) as brk, sum((kol_vo - brak) * cena) as summa,
           sum(kol_vo::numeric) as exact_kolvo
    from accounts_dep.smena
    where data < :period_to and data >= :period_from
    group by id_doc, i_id, o_id, color
)
select izdel.marka, vid_oper.vid vid, oper.naimen, izdel.nom,
       sum(positions.kolvo) as kolvo, sum(positions.brk)::bigint as brk,
       sum(positions.summa) as summa, positions.color,
       round(izdel.massa::numeric * sum(positions.exact_kolvo), 2) as mass, doc_in.s_number
from positions
join mnf_doc.doc doc_in on doc_in.id = positions.id_doc
join accounts_dep.izdel on izdel.id = positions.i_id
join accounts_dep.oper on oper.id = positions.o_id
join accounts_dep.vid_oper on vid_oper.id = oper.vid
group by doc_in.s_number, izdel.nom, izdel.marka, vid_oper.vid, oper.naimen, positions.color,
         izdel.massa
order by doc_in.s_number, izdel.nom, izdel.marka, vid_oper.vid, oper.naimen, positions.color,
         izdel.massa
