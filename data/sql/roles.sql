-- Cluster-wide group roles of the shop-floor accounting program. norv_admin install
-- runs it as superuser; safe to run again: it creates what is missing and keeps the
-- groups without login and without rights of their own. It never touches a login.
--
-- Group roles (no login); the program decides a login's role by membership:
--   norv_reader         reads everything the program reads (the economist);
--   norv_writer         reader, and writes positions, operations and norms (the clerk);
--   norv_master         reader, and accepts positions through accounts_dep.smena__accept_row;
--   norv_administrator  writer and master.
-- norv_owner owns the program's schema and every object in it; nobody logs in as it.
-- The object grants themselves are in the migrations, per database.

SET client_min_messages = warning;

DO $$
DECLARE
    grp  text;
BEGIN
    FOREACH grp IN ARRAY ARRAY['norv_owner', 'norv_reader', 'norv_writer', 'norv_master',
                               'norv_administrator'] LOOP
        IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = grp) THEN
            EXECUTE format('CREATE ROLE %I NOLOGIN', grp);
        END IF;
        EXECUTE format('ALTER ROLE %I NOLOGIN NOSUPERUSER NOCREATEDB NOCREATEROLE '
                       'NOREPLICATION NOBYPASSRLS', grp);
    END LOOP;
    GRANT norv_reader TO norv_writer;
    GRANT norv_reader TO norv_master;
    GRANT norv_writer TO norv_administrator;
    GRANT norv_master TO norv_administrator;
END
$$;
