-- Cluster-wide roles of the shop-floor accounting program (demo and tests).
-- Run as superuser with psql; safe to run again: existing roles are brought back
-- to the state below (passwords, attributes, memberships, no settings of their own).
--
-- Group roles:
--   norv_reader  reads everything the program reads;
--   norv_master  reader, and accepts positions through accounts_dep.smena__accept_row;
--   norv_writer  reader, and writes the program's own tables, runs its functions.
-- The object grants themselves are in schema.sql, per database.
--
-- The passwords are the demo's, printed by the demo script; they are not secrets.

SET password_encryption = 'scram-sha-256';
SET client_min_messages = warning;

DO $$
DECLARE
    grp  text;
    r    record;
BEGIN
    FOREACH grp IN ARRAY ARRAY['norv_reader', 'norv_master', 'norv_writer'] LOOP
        IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = grp) THEN
            EXECUTE format('CREATE ROLE %I NOLOGIN', grp);
        END IF;
        EXECUTE format('ALTER ROLE %I NOLOGIN', grp);
    END LOOP;
    GRANT norv_reader TO norv_master;
    GRANT norv_reader TO norv_writer;

    FOR r IN
        SELECT * FROM (VALUES
            ('sys',     'sysdemo',      'norv_writer'),
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
        EXECUTE format('ALTER ROLE %I LOGIN PASSWORD %L', r.name, r.password);
        EXECUTE format('GRANT %I TO %I', r.grp, r.name);
        -- No settings of their own: the program brings what it relies on with its
        -- connection, so these work exactly like a login an administrator adds later.
        EXECUTE format('ALTER ROLE %I RESET ALL', r.name);
    END LOOP;

    -- sys owns the program's database and adds clerks: it may create roles and
    -- hand norv_writer on.
    ALTER ROLE sys CREATEROLE;
    GRANT norv_writer TO sys WITH ADMIN OPTION;
END
$$;
