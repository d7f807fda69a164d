select id, id_doc, s_caption, id_gds, f_qty, s_gds_mc from accounts_dep.v_mnf_requisition_item
