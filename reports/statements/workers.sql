-- "Отчет по рабочим": per worker and product the quantity and amount of each operation and
-- colour in the period (:period_to excluded). The period's positions are summed by their own
-- keys first, and the names joined to those few thousand groups after: a year is 700,000
-- positions but about 5,000 groups.
with positions as (
    select w_id, i_id, o_id, color,
           sum(kol_vo - brak) as kolvo, sum((kol_vo - brak) * cena) as summa
    from accounts_dep.smena
    where data < :period_to and data >= :period_from
    group by w_id, i_id, o_id, color
)
select person.s_caption fio, sum(positions.kolvo) as kolvo, sum(positions.summa) as summa,
       vid_oper.vid, izdel.nom, oper.naimen, positions.color
from positions
join cmn_contractor.person person on positions.w_id = person.s_code::integer
join accounts_dep.izdel on izdel.id = positions.i_id
join accounts_dep.oper on oper.id = positions.o_id
join accounts_dep.vid_oper on vid_oper.id = oper.vid
group by fio, izdel.nom, oper.naimen, vid_oper.vid, positions.color
order by fio, izdel.nom, oper.naimen, vid_oper.vid, positions.color
