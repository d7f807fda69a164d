-- "Детальный отчет по рабочим": per worker the rejects, quantity, amount and bonus of each
-- mark, operation and colour in the period (:period_to excluded). The bonus is reckoned on
-- the position's own price, as its amount is: oper has a price column too, and the
-- statement would be ambiguous without the table's name.
select s_caption fio, izdel.marka, vid_oper.vid, oper.naimen,
       sum(smena.kol_vo) as kolvo, sum(smena.brak) as brk,
       sum((kol_vo-brak)*smena.cena) as summa, color,
       sum(prize*(kol_vo-brak)*smena.cena/100) as s_prize
from cmn_contractor.person person, accounts_dep.izdel, accounts_dep.oper, accounts_dep.smena,
     accounts_dep.vid_oper
where smena.o_id=oper.id and smena.w_id=s_code::integer and smena.i_id=izdel.id
  and smena.o_id=oper.id and w_id=s_code::integer and oper.vid=vid_oper.id
  and smena.data<:period_to and smena.data>=:period_from
group by fio, marka, vid_oper.vid, oper.naimen, color
order by fio, marka, vid_oper.vid, oper.naimen
