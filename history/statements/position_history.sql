-- One position's changes, its materials' and brigade's too, oldest first (through the
-- index on position_id, id). present: the position is stored now, so a deletion of it is
-- not offered for a restore.
select h.id, h.at, h.login, h.client, h.subject, h.action, h.row_id, h.position_id,
       h.operation_id, h.month, h.year, h.old::text as old, h.new::text as new,
       exists (select from accounts_dep.smena s where s.id = h.position_id) as present
from accounts_dep.history h
where h.position_id = :position_id
order by h.id
