-- upper() on both sides is the rule of the unique index on the names, so the check and the
-- index agree on every letter, Cyrillic included.
select count(*) as cnt from accounts_dep.vid_oper where upper(vid) = upper(:name)
