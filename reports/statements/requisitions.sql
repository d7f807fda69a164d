-- "Детальный отчет по заявкам": the same per requisition; the join with its document leaves
-- out the positions of no requisition.
select izdel.marka, vid_oper.vid vid, oper.naimen, izdel.nom,
       sum(smena.kol_vo) as kolvo, sum(smena.brak) as brk,
       sum((kol_vo-brak)*smena.cena) as summa, color,
       round((izdel.massa*sum(smena.kol_vo))::numeric, 2) as mass, doc_in.s_number
from accounts_dep.izdel, accounts_dep.oper, accounts_dep.smena, accounts_dep.vid_oper,
     mnf_doc.doc doc_in
where smena.o_id=oper.id and smena.i_id=izdel.id
  and smena.o_id=oper.id and oper.vid=vid_oper.id and smena.data<:period_to
  and smena.data>=:period_from and doc_in.id = smena.id_doc
group by s_number, izdel.nom, marka, vid_oper.vid, oper.naimen, color, massa
order by s_number, izdel.nom, marka, vid_oper.vid, oper.naimen
