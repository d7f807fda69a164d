-- The positions of shift 1 on a day, a worker's sorted by mark, operation and colour.
-- Statuses other than :ok are listed (start-up binds 'ta', a status the journal hides).
select smena.id, smena.data, smena.smena, smena.i_id, smena.o_id, smena.w_id, smena.cena,
       person.s_caption fio, izdel.marka, vid_oper.vid,
       (select (case naimen when 0 then 'Готовая продукция' else 'Заготовки' end)) as nmn,
       oper.naimen, smena.kol_vo, smena.brak,
       round((kol_vo::numeric - brak::numeric) * smena.cena::numeric, 2) as summa,
       smena.prize, color, time, smena.ok, vvod,
       smena.id_doc, smena.id_doc_item, smena.f_gds_qty_use, smena.id_gds_use, smena.id_cons_use
from cmn_contractor.person person, accounts_dep.izdel, accounts_dep.oper, accounts_dep.smena,
     accounts_dep.vid_oper
where smena.i_id = izdel.id and smena.o_id = oper.id and w_id = person.s_code::t_integer
  and oper.vid = vid_oper.id and smena.smena = 1 and smena.data = :data and ok != :ok
order by fio, izdel.marka, vid_oper.vid, oper.naimen, color
