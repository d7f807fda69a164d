-- "Детальный отчет по рабочим": per worker the rejects, quantity, amount and bonus of each
-- mark, operation and colour in the period (:period_to excluded); the positions summed by
-- their keys first. The bonus is reckoned on the position's own price, as its amount is.
with positions as (
    select w_id, i_id, o_id, color,
           sum(kol_vo) as kolvo, sum(brak) as brk, sum((kol_vo - brak) * cena) as summa,
           sum(prize * (kol_vo - brak) * cena / 100) as s_prize
    from accounts_dep.smena
    where data < :period_to and data >= :period_from
    group by w_id, i_id, o_id, color
)
select person.s_caption fio, izdel.marka, vid_oper.vid, oper.naimen,
       sum(positions.kolvo) as kolvo, sum(positions.brk)::bigint as brk,
       sum(positions.summa) as summa, positions.color, sum(positions.s_prize) as s_prize
from positions
join cmn_contractor.person person on positions.w_id = person.s_code::integer
join accounts_dep.izdel on izdel.id = positions.i_id
join accounts_dep.oper on oper.id = positions.o_id
join accounts_dep.vid_oper on vid_oper.id = oper.vid
group by fio, izdel.marka, vid_oper.vid, oper.naimen, positions.color
order by fio, izdel.marka, vid_oper.vid, oper.naimen, positions.color
