select * from accounts_dep.v_cmn_gds_in
