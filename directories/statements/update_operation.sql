update accounts_dep.oper set vid = :oper_vid, naimen = :naimen, i_id = :i_id where id = :id
