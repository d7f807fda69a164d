-- The program's groups the login is a member of. pg_has_role by oid, so a group missing
-- from this cluster is just not listed.
select r.rolname::text
from pg_catalog.pg_roles r
where r.rolname in (:administrator, :master, :writer, :reader)
  and pg_catalog.pg_has_role(r.oid, 'MEMBER')
