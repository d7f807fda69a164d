-- "Детальный отчет по продукции": per product the rejects, boxes (mass), quantity and amount
-- of each mark, operation and colour in the period (:period_to excluded).
select izdel.marka, vid_oper.vid vid, oper.naimen, izdel.nom,
       sum(smena.kol_vo) as kolvo, sum(smena.brak) as brk,
       sum((kol_vo-brak)*smena.cena) as summa, color,
       round((izdel.massa*sum(smena.kol_vo))::numeric, 2) as mass
from accounts_dep.izdel, accounts_dep.oper, accounts_dep.smena, accounts_dep.vid_oper
where smena.o_id=oper.id and smena.i_id=izdel.id
  and smena.o_id=oper.id and oper.vid=vid_oper.id and smena.data<:period_to
  and smena.data>=:period_from
group by izdel.nom, marka, vid_oper.vid, oper.naimen, color, massa
order by izdel.nom, marka, vid_oper.vid, oper.naimen
