-- "Сводка месяца": the ten operations (a product's operation type and kind) with the largest
-- piecework sum of the period, counted as statements/days.sql counts; summed by the operation
-- first, the names joined to those few hundred groups after.
with registered as (
    select distinct s_code::integer as w_id from cmn_contractor.person
), positions as (
    select s.o_id, sum(s.kol_vo - s.brak) as pieces,
           sum(case when registered.w_id is null then 0 else (s.kol_vo - s.brak) * s.cena end)
               as summa
    from accounts_dep.smena s
    left join registered on registered.w_id = s.w_id
    where s.data >= :period_from and s.data < :period_to
      and exists (select 1 from accounts_dep.izdel where izdel.id = s.i_id)
    group by s.o_id
)
select vid_oper.vid, izdel.nom, izdel.marka, oper.naimen, positions.pieces, positions.summa
from positions
join accounts_dep.oper on oper.id = positions.o_id
join accounts_dep.izdel on izdel.id = oper.i_id
join accounts_dep.vid_oper on vid_oper.id = oper.vid
where (cast(:kind as integer) = 0
       or (cast(:kind as integer) = 1 and oper.naimen = 0)
       or (cast(:kind as integer) = 2 and oper.naimen = 1))
order by positions.summa desc, vid_oper.vid, izdel.nom, oper.id
limit 10
