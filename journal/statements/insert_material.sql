insert into accounts_dep.smena_gds_use(id_smena, id_gds_use, f_qty_use, id_cons_use)
values (:id_smena, :id_gds_use, :f_qty_use, :id_cons_use)
