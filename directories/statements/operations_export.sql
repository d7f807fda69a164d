-- Every operation, with or without norms, with the operation's own price.
select izdel.marka, vid_oper.vid, oper.naimen,
       iif(naimen = 0, 'Готовая продукция', 'Заготовки') as nmn, oper.cena, oper.id, oper.i_id,
       oper.vid as oper_vid
from accounts_dep.oper, accounts_dep.izdel, accounts_dep.vid_oper
where oper.i_id = izdel.id
  and oper.vid = vid_oper.id
order by izdel.marka, vid_oper.vid, oper.naimen
