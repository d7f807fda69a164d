-- One operation's changes with its norms' (through the index on operation_id, id), and the
-- changes of the operation types it has had, oldest first.
select h.id, h.at, h.login, h.client, h.subject, h.action, h.row_id, h.position_id,
       h.operation_id, h.month, h.year, h.old::text as old, h.new::text as new,
       false as present
from accounts_dep.history h
where h.operation_id = :operation_id
union all
select h.id, h.at, h.login, h.client, h.subject, h.action, h.row_id, h.position_id,
       h.operation_id, h.month, h.year, h.old::text, h.new::text, false
from accounts_dep.history h
where h.subject = 'vid_oper'
  and h.row_id in (select o.vid from accounts_dep.oper o where o.id = :operation_id
                   union
                   select (coalesce(x.new, x.old) ->> 'vid')::bigint
                   from accounts_dep.history x
                   where x.operation_id = :operation_id and x.subject = 'oper'
                     and coalesce(x.new, x.old) ? 'vid')
order by id
