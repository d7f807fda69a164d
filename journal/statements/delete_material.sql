delete from accounts_dep.smena_gds_use where id = :id
