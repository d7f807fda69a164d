-- Only operations with at least one norm: their count and smallest price come from there.
select izdel.marka, vid_oper.vid, oper.naimen,
       (select (case naimen when 0 then 'Готовая продукция' else 'Заготовки' end)) as nmn,
       count(o_id) norma, round(min(price)::numeric, 4) cena,
       oper.id, oper.i_id, oper.vid as oper_vid
from accounts_dep.norm, accounts_dep.oper, accounts_dep.izdel, accounts_dep.vid_oper
where oper.i_id = izdel.id
  and norm.o_id = oper.id
  and oper.vid = vid_oper.id
group by izdel.marka, vid_oper.vid, oper.naimen, oper.id, oper.i_id, oper.vid
order by izdel.marka, vid_oper.vid, oper.naimen
