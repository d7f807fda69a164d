-- "Отчет по рабочим": per worker and product the quantity and amount of each operation and
-- colour in the period (:period_to excluded).
select person.s_caption fio, sum(smena.kol_vo-smena.brak) as kolvo,
       sum((kol_vo-brak)*smena.cena) as summa, vid_oper.vid, izdel.nom, oper.naimen, color
from cmn_contractor.person person, accounts_dep.smena, accounts_dep.izdel,
     accounts_dep.vid_oper, accounts_dep.oper
where w_id=s_code::integer and izdel.id=smena.i_id and vid_oper.id=oper.vid
  and oper.id=smena.o_id and smena.data<:period_to and smena.data>=:period_from
group by fio, izdel.nom, oper.naimen, vid_oper.vid, color
order by fio, izdel.nom
