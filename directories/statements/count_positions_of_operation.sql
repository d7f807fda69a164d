select count(*) as cnt from accounts_dep.smena where o_id = :id
