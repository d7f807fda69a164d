-- "Сводка месяца": the period's positions (:period_to excluded) of the chosen product kind
-- (:kind 0 all, 1 finished = naimen 0, 2 blanks = naimen 1) by day and shift: good pieces,
-- piecework sum and hours. Each figure counts the positions its report counts: pieces those
-- with a product, operation and type ("Отчет по продукции"), the sum only those whose worker
-- is in the register too ("Отчет по рабочим"); the hours, as the time-sheet, all of them.
with registered as (
    select distinct s_code::integer as w_id from cmn_contractor.person
)
select s.data as day, s.smena as shift, sum(s.kol_vo - s.brak) as pieces,
       sum(case when registered.w_id is null then 0 else (s.kol_vo - s.brak) * s.cena end)
           as summa,
       sum(s.time) as hours
from accounts_dep.smena s
join accounts_dep.oper on oper.id = s.o_id
join accounts_dep.vid_oper on vid_oper.id = oper.vid
left join registered on registered.w_id = s.w_id
where s.data >= :period_from and s.data < :period_to
  and (cast(:kind as integer) = 0
       or (cast(:kind as integer) = 1 and oper.naimen = 0)
       or (cast(:kind as integer) = 2 and oper.naimen = 1))
  and exists (select 1 from accounts_dep.izdel where izdel.id = s.i_id)
group by s.data, s.smena
order by s.data, s.smena
