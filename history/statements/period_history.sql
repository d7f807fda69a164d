-- Every change made in a period (from its first day up to, not including, its last), oldest
-- first.
select h.id, h.at, h.login, h.client, h.subject, h.action, h.row_id, h.position_id,
       h.operation_id, h.month, h.year, h.old::text as old, h.new::text as new,
       false as present
from accounts_dep.history h
where h.at >= :period_from::date and h.at < :period_to::date
order by h.id
