select marka from accounts_dep.izdel where id = :id
