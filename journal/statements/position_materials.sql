select sgu.id as id
      ,vcgi.s_caption
      ,cons_use.s_full_caption as s_cons_use_hl
      ,sgu.f_qty_use
from accounts_dep.smena_gds_use sgu
inner join accounts_dep.v_cmn_gds_in vcgi on vcgi.id = sgu.id_gds_use
left join accounts_dep.show_consignment(sgu.id_gds_use) cons_use on cons_use.id = sgu.id_cons_use
where sgu.id_smena = :id_smena
