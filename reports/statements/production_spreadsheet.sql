-- The report window's spreadsheet: the period's production (:period_to excluded) a line per
-- product, operation and colour, the mass unrounded. The sums are numeric, so that shares such
-- as 1.667 + 1.667 + 1.666 add up to exactly 5 before the sheet rounds them.
select sum((smena.kol_vo-smena.brak)::numeric) as kolvo, vid_oper.vid, izdel.nom, oper.naimen,
       color, izdel.massa::numeric*sum((smena.kol_vo-smena.brak)::numeric) as mass
from accounts_dep.smena, accounts_dep.izdel, accounts_dep.vid_oper, accounts_dep.oper
where izdel.id=smena.i_id and vid_oper.id=oper.vid
  and oper.id=smena.o_id and smena.data<:period_to and smena.data>=:period_from
group by izdel.nom, color, oper.naimen, vid_oper.vid, izdel.massa
order by izdel.nom
