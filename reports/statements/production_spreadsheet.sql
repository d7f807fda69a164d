-- The report window's spreadsheet: the period's production (:period_to excluded) a line per
-- product, operation and colour, the mass unrounded. The sums are numeric, so that shares such
-- as 1.667 + 1.667 + 1.666 add up to exactly 5 before the sheet rounds them; the positions
-- are summed by their keys first.
with positions as (
    select i_id, o_id, color, sum((kol_vo - brak)::numeric) as kolvo
    from accounts_dep.smena
    where data < :period_to and data >= :period_from
    group by i_id, o_id, color
)
select sum(positions.kolvo) as kolvo, vid_oper.vid, izdel.nom, oper.naimen, positions.color,
       izdel.massa::numeric * sum(positions.kolvo) as mass
from positions
join accounts_dep.izdel on izdel.id = positions.i_id
join accounts_dep.oper on oper.id = positions.o_id
join accounts_dep.vid_oper on vid_oper.id = oper.vid
group by izdel.nom, positions.color, oper.naimen, vid_oper.vid, izdel.massa
order by izdel.nom, positions.color, oper.naimen, vid_oper.vid, izdel.massa
