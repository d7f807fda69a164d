delete from accounts_dep.smena where id = :id
