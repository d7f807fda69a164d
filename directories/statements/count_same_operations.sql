select count(*) as cnt from accounts_dep.oper
where vid = :oper_vid and naimen = :naimen and i_id = :i_id
