-- cena_new becomes the operation's first norm (a trigger of the table).
insert into accounts_dep.oper(vid, naimen, i_id, cena_new)
values (:oper_vid, :naimen, :i_id, :cena_new)
