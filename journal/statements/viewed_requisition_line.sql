-- The line of a viewed position; id_doc 0 lets it through the lines' filter.
select id::t_id, s_caption, 0::t_id as id_doc, 0::t_id as id_gds, 0::t_float as f_qty,
       0::t_code as s_gds_mc
from accounts_dep.get_doc_item_caption_by_smena(:id)
