-- The deletions of the positions of one journal day, oldest first. A position is deleted on
-- its day or later, so the index on the time bounds the search.
select h.id, h.at, h.login, h.client, h.subject, h.action, h.row_id, h.position_id,
       h.operation_id, h.month, h.year, h.old::text as old, h.new::text as new,
       exists (select from accounts_dep.smena s where s.id = h.position_id) as present
from accounts_dep.history h
where h.at >= :day::date and h.subject = 'smena' and h.action = 'delete'
  and (h.old ->> 'data')::date = :day::date
order by h.id
