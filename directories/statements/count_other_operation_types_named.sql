-- As count_operation_types_named, leaving out the type being renamed: its own name in
-- another case is no duplicate.
select count(*) as cnt from accounts_dep.vid_oper
where upper(vid) = upper(:name) and id <> :id
