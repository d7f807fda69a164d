delete from accounts_dep.person_temp where id = :id
