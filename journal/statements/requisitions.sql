select id, s_caption from accounts_dep.v_mnf_requisition
