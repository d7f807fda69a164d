-- The demo's and the tests' logins, with published passwords: only for a demo or test
-- cluster (scripts/pg), never a plant's. Run as superuser after roles.sql.
-- A login that is missing is created with its demo password; one that exists keeps
-- its password and settings and is only brought back to its attributes and its group.
-- The passwords are printed by the demo script; they are not secrets.

SET password_encryption = 'scram-sha-256';
SET client_min_messages = warning;

DO $$
DECLARE
    grp  text;
    r    record;
BEGIN
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
            -- password_encryption above makes this a SCRAM verifier.
            EXECUTE format('CREATE ROLE %I LOGIN PASSWORD %L', r.name, r.password);
        END IF;
        EXECUTE format('ALTER ROLE %I LOGIN NOSUPERUSER NOCREATEDB NOCREATEROLE NOREPLICATION '
                       'NOBYPASSRLS', r.name);
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
    END LOOP;
END
$$;
