-- Only a position with material rows may be accepted.
select count(id) as id_cnt from accounts_dep.smena_gds_use sgu where sgu.id_smena = :id_smena
