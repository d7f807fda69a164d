-- Who closed the month and when; no row while it is open.
select to_char(c.closed_at, 'DD.MM.YYYY HH24:MI') as closed_at, c.closed_by
from accounts_dep.closed_month c
where c.month = :month and c.year = :year
