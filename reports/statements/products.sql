-- "Отчет по продукции": per product the quantity and boxes (mass) of each operation and
-- colour in the period (:period_to excluded).
select sum(smena.kol_vo-smena.brak) as kolvo, vid_oper.vid, izdel.nom, oper.naimen, color,
       round((izdel.massa*sum(smena.kol_vo-smena.brak))::numeric, 2) as mass
from accounts_dep.smena, accounts_dep.izdel, accounts_dep.vid_oper, accounts_dep.oper
where izdel.id=smena.i_id and vid_oper.id=oper.vid
  and oper.id=smena.o_id and smena.data<:period_to and smena.data>=:period_from
group by izdel.nom, color, oper.naimen, vid_oper.vid, izdel.massa
order by izdel.nom
