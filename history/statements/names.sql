-- The names the history shows beside the codes it holds: workers by their code, brigade
-- members by their person id, products, operations, operation types and materials.
select 'worker' as kind, p.s_code as code, p.s_caption as name
from cmn_contractor.person p where p.s_code = any(:worker_codes::text[])
union all
select 'person', p.id::text, p.s_caption
from cmn_contractor.person p where p.id::bigint = any(:person_ids::bigint[])
union all
select 'product', i.id::text, i.marka
from accounts_dep.izdel i where i.id::bigint = any(:product_ids::bigint[])
union all
select 'operation', o.id::text, trim(i.marka) || '; ' || trim(v.vid)
from accounts_dep.oper o
join accounts_dep.izdel i on i.id = o.i_id
join accounts_dep.vid_oper v on v.id = o.vid
where o.id::bigint = any(:operation_ids::bigint[])
union all
select 'type', v.id::text, trim(v.vid)
from accounts_dep.vid_oper v where v.id::bigint = any(:type_ids::bigint[])
union all
select 'material', g.id::text, g.s_caption
from accounts_dep.v_cmn_gds_in g where g.id::bigint = any(:material_ids::bigint[])
