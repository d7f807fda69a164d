-- As count_same_operations, leaving out the operation being changed: its own values are no
-- duplicate.
select count(*) as cnt from accounts_dep.oper
where vid = :oper_vid and naimen = :naimen and i_id = :i_id and id <> :id
