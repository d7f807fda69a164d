-- Cluster-wide roles of the shop-floor accounting program (demo and tests).
-- Run as superuser with psql; safe to run again: existing roles are brought back
-- to the state below (passwords, attributes, memberships, no settings of their own).
--
-- Group roles (no login); the program decides a login's role by membership:
--   norv_reader         reads everything the program reads (the economist);
--   norv_writer         reader, and writes positions, operations and norms (the clerk);
--   norv_master         reader, and accepts positions through accounts_dep.smena__accept_row;
--   norv_administrator  writer and master.
-- norv_owner owns the program's database and every object in it; nobody logs in as it.
-- The object grants themselves are in schema.sql, per database.
--
-- Logins are created by the cluster's superuser; no login can create roles or hand a
-- group on. The passwords are the demo's, printed by the demo script; they are not secrets.

SET password_encryption = 'scram-sha-256';
SET client_min_messages = warning;

DO $$
DECLARE
    grp  text;
    r    record;
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

    FOR r IN
        SELECT * FROM (VALUES
            ('sys',     'sysdemo',      'norv_administrator'),
            ('zemplar', 'zemplar-demo', 'norv_master'),
            ('quorvin', 'quorvin-demo', 'norv_master'),
            ('fennix',  'fennix-demo',  'norv_master'),
            ('econom',  'econom-demo',  'norv_reader'),
            ('petrova', 'petrova-demo', 'norv_writer')
        ) AS login(name, password, grp)
    LOOP
        IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = r.name) THEN
            EXECUTE format('CREATE ROLE %I LOGIN', r.name);
        END IF;
        -- password_encryption above makes these SCRAM verifiers.
        EXECUTE format('ALTER ROLE %I LOGIN NOSUPERUSER NOCREATEDB NOCREATEROLE NOREPLICATION '
                       'NOBYPASSRLS PASSWORD %L', r.name, r.password);
        -- exactly its own group, without the right to hand it on (an older cluster gave
        -- sys norv_writer with ADMIN OPTION)
        FOR grp IN
            SELECT g.rolname FROM pg_auth_members m
            JOIN pg_roles g ON g.oid = m.roleid
            JOIN pg_roles u ON u.oid = m.member
            WHERE u.rolname = r.name AND (g.rolname <> r.grp OR m.admin_option)
        LOOP
            EXECUTE format('REVOKE %I FROM %I', grp, r.name);
        END LOOP;
        EXECUTE format('GRANT %I TO %I', r.grp, r.name);
        -- No settings of their own: the program brings what it relies on with its
        -- connection, so these work exactly like a login an administrator adds later.
        EXECUTE format('ALTER ROLE %I RESET ALL', r.name);
    END LOOP;
END
$$;
