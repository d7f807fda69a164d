delete from accounts_dep.oper where id = :id
