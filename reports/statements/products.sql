-- "Отчет по продукции": per product the quantity and boxes (mass) of each operation and
-- colour in the period (:period_to excluded); the positions summed by their keys first. The
-- mass is reckoned from the exact (numeric) pieces, so a half kopeck rounds the same way
-- whatever order the additions take.
with positions as (
    select i_id, o_id, color, sum(kol_vo - brak) as kolvo,
           sum((kol_vo - brak)::numeric) as exact_kolvo
    from accounts_dep.smena
    where data < :period_to and data >= :period_from
    group by i_id, o_id, color
)
select sum(positions.kolvo) as kolvo, vid_oper.vid, izdel.nom, oper.naimen, positions.color,
       round(izdel.massa::numeric * sum(positions.exact_kolvo), 2) as mass
from positions
join accounts_dep.izdel on izdel.id = positions.i_id
join accounts_dep.oper on oper.id = positions.o_id
join accounts_dep.vid_oper on vid_oper.id = oper.vid
group by izdel.nom, positions.color, oper.naimen, vid_oper.vid, izdel.massa
order by izdel.nom, positions.color, oper.naimen, vid_oper.vid, izdel.massa
