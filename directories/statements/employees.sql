-- The enterprise's employees with their staff position of today.
select person.s_code id, person.s_caption fio, person.id p_id,
       staffpos.s_caption as s_staffpos_hl
from cmn_contractor.person person
left join hrms_movement.movement pers_move
       on pers_move.id_employee = person.id
      and now()::t_date between pers_move.d_begin and coalesce(pers_move.d_end, now()::t_date)
left join hrms_staffpos.staffpos staffpos on staffpos.id = pers_move.id_staffpos
where person.b_employee = true
order by fio
