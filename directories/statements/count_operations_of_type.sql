select count(*) as cnt from accounts_dep.oper where vid = :id
