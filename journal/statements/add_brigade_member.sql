insert into accounts_dep.person_temp(id_smena, id_person) values (:s_id, :p_id)
