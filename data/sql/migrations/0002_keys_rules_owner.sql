-- 0002 Ключи, правила позиций, блокировки табеля, владелец и права
-- From the schema before versions to the one with the declared keys of a position's
-- operation and an operation's type, the value rules as triggers, the time-sheet's
-- locks and rebuild, norv_owner as the owner of every object and each group's grants.
-- Old rows are kept as they are: what lost its operation or type stays under a
-- placeholder of the same id, so the keys hold without rewriting a position, and rows
-- the value rules would refuse now are left alone (the rules check what is written).

-- Only the superuser may revoke these: in this database no login stores large
-- objects (the server-side import and export are the superuser's already).
REVOKE EXECUTE ON FUNCTION pg_catalog.lo_create(oid), pg_catalog.lo_creat(integer),
                           pg_catalog.lo_from_bytea(oid, bytea), pg_catalog.lo_import(text),
                           pg_catalog.lo_import(text, oid), pg_catalog.lo_export(oid, text),
                           pg_catalog.lo_put(oid, bigint, bytea), pg_catalog.lowrite(integer, bytea),
                           pg_catalog.lo_truncate(integer, integer),
                           pg_catalog.lo_truncate64(integer, bigint)
    FROM PUBLIC;

-- Temporary tables only for the writers (a read-only login stores nothing). A
-- database made from this one as a template does not inherit these rights: whoever
-- copies it repeats them.
DO $$
BEGIN
    EXECUTE format('REVOKE TEMPORARY ON DATABASE %I FROM PUBLIC', current_database());
    EXECUTE format('GRANT TEMPORARY ON DATABASE %I TO norv_writer', current_database());
    -- the time-sheet's rebuild gathers in temporary tables with the owner's rights,
    -- also where the database belongs to the enterprise
    EXECUTE format('GRANT TEMPORARY ON DATABASE %I TO norv_owner', current_database());
END
$$;

-- norv_owner owns the schema and the program's objects in it (before versions a login
-- did), and the per-schema default grants of any other role go. What the enterprise
-- defines here keeps its owner: its functions read the enterprise's tables with that
-- owner's rights.
DO $$
DECLARE
    r record;
BEGIN
    EXECUTE 'ALTER SCHEMA accounts_dep OWNER TO norv_owner';
    FOR r IN
        SELECT c.relname, c.relkind FROM pg_class c
        WHERE c.relnamespace = 'accounts_dep'::regnamespace
          AND c.relkind IN ('r', 'v', 'm', 'S', 'p', 'f')
          AND c.relowner <> 'norv_owner'::regrole
          AND c.relname NOT IN ('v_mnf_requisition', 'v_mnf_requisition_item', 'v_cmn_gds_in')
          -- a sequence owned by a column follows its table
          AND NOT (c.relkind = 'S' AND EXISTS (
                SELECT FROM pg_depend d WHERE d.objid = c.oid AND d.deptype IN ('a', 'i')
                  AND d.classid = 'pg_class'::regclass AND d.refclassid = 'pg_class'::regclass))
    LOOP
        EXECUTE format('ALTER %s accounts_dep.%I OWNER TO norv_owner',
                       CASE r.relkind WHEN 'v' THEN 'VIEW' WHEN 'm' THEN 'MATERIALIZED VIEW'
                                      WHEN 'S' THEN 'SEQUENCE' WHEN 'f' THEN 'FOREIGN TABLE'
                                      ELSE 'TABLE' END, r.relname);
    END LOOP;
    FOR r IN
        SELECT p.oid::regprocedure AS f, p.prokind FROM pg_proc p
        WHERE p.pronamespace = 'accounts_dep'::regnamespace AND p.proowner <> 'norv_owner'::regrole
          AND p.proname NOT IN ('show_consignment', 'get_doc_item_caption_by_smena',
                                'smena__accept_row', 'divide_between_person')
    LOOP
        EXECUTE format('ALTER %s %s OWNER TO norv_owner',
                       CASE r.prokind WHEN 'p' THEN 'PROCEDURE' WHEN 'a' THEN 'AGGREGATE'
                                      ELSE 'FUNCTION' END, r.f);
    END LOOP;
    FOR r IN
        SELECT a.defaclrole::regrole AS owner, a.defaclobjtype AS kind,
               x.grantee, x.privilege_type
        FROM pg_default_acl a, aclexplode(a.defaclacl) x
        WHERE a.defaclnamespace = 'accounts_dep'::regnamespace
          AND a.defaclrole <> 'norv_owner'::regrole
    LOOP
        EXECUTE format('ALTER DEFAULT PRIVILEGES FOR ROLE %s IN SCHEMA accounts_dep REVOKE %s ON %s FROM %s',
                       r.owner, r.privilege_type,
                       CASE r.kind WHEN 'r' THEN 'TABLES' WHEN 'S' THEN 'SEQUENCES'
                                   WHEN 'f' THEN 'FUNCTIONS' WHEN 'T' THEN 'TYPES'
                                   ELSE 'SCHEMAS' END,
                       CASE WHEN r.grantee = 0 THEN 'PUBLIC' ELSE r.grantee::regrole::text END);
    END LOOP;
END
$$;

SET LOCAL ROLE norv_owner;

-- Operations whose type was deleted get a type of that id, and positions whose
-- operation was deleted an operation of that id under the type "(удалённая операция)",
-- so the journal and the reports, which join both, still show them.
DO $$
DECLARE
    v_type       integer;
    v_types      integer;
    v_typed_ops  integer;
    v_ops        integer;
    v_positions  integer;
BEGIN
    SELECT count(*) INTO v_typed_ops FROM accounts_dep.oper o
    WHERE NOT EXISTS (SELECT FROM accounts_dep.vid_oper t WHERE t.id = o.vid);
    INSERT INTO accounts_dep.vid_oper (id, vid)
    SELECT DISTINCT o.vid, '(удалённый вид ' || o.vid || ')' FROM accounts_dep.oper o
    WHERE NOT EXISTS (SELECT FROM accounts_dep.vid_oper t WHERE t.id = o.vid);
    GET DIAGNOSTICS v_types = ROW_COUNT;

    SELECT count(DISTINCT s.o_id), count(*) INTO v_ops, v_positions FROM accounts_dep.smena s
    WHERE NOT EXISTS (SELECT FROM accounts_dep.oper o WHERE o.id = s.o_id);
    IF v_ops > 0 THEN
        SELECT id INTO v_type FROM accounts_dep.vid_oper
        WHERE upper(vid::text) = upper('(удалённая операция)');
        IF v_type IS NULL THEN
            INSERT INTO accounts_dep.vid_oper (vid) VALUES ('(удалённая операция)')
            RETURNING id INTO v_type;
        END IF;
        -- the kind tells such operations of one product apart (one operation per
        -- product, type and kind); no price, so no norm row either
        INSERT INTO accounts_dep.oper (id, i_id, vid, naimen)
        SELECT l.id, l.i_id, v_type,
               coalesce((SELECT max(o.naimen) + 1 FROM accounts_dep.oper o
                         WHERE o.i_id = l.i_id AND o.vid = v_type), 0)
                 + row_number() OVER (PARTITION BY l.i_id ORDER BY l.id) - 1
        FROM (SELECT s.o_id AS id, min(s.i_id) AS i_id FROM accounts_dep.smena s
              WHERE NOT EXISTS (SELECT FROM accounts_dep.oper o WHERE o.id = s.o_id)
              GROUP BY s.o_id) l;
    END IF;
    RAISE NOTICE 'Удалённых видов операций восстановлено под именем «(удалённый вид N)»: % (операций с ними: %)',
        v_types, v_typed_ops;
    RAISE NOTICE 'Удалённых операций восстановлено под видом «(удалённая операция)»: % (позиций с ними: %)',
        v_ops, v_positions;
END
$$;

-- The value rules move to the trigger smena_rules, which checks only what is written.
ALTER TABLE accounts_dep.smena DROP CONSTRAINT smena_kol_vo_check,
                               DROP CONSTRAINT smena_brak_check,
                               DROP CONSTRAINT smena_time_check;

-- A position's operation and an operation's type are declared: the journal and the
-- reports read positions through both with inner joins, so neither may go while in
-- use, whichever workstation deletes it.
ALTER TABLE accounts_dep.oper ADD CONSTRAINT oper_vid_fk FOREIGN KEY (vid)
    REFERENCES accounts_dep.vid_oper (id) ON DELETE RESTRICT;
-- Whether an operation is still used (before its deletion, and for its key).
CREATE INDEX smena_o_id_idx ON accounts_dep.smena (o_id);
ALTER TABLE accounts_dep.smena ADD CONSTRAINT smena_o_id_fk FOREIGN KEY (o_id)
    REFERENCES accounts_dep.oper (id) ON DELETE RESTRICT;

-- The day cell of one worker gets a fourth argument (whether to insert a missing
-- row); its default keeps three-argument callers working.
DROP FUNCTION accounts_dep.h_tabel_set_day(integer, integer, date);

-- The day-cell rule. The hours of a worker's day in a shift (column d<day> of
-- his h_tabel row of that shift, month and year) are the sum of time of his
-- positions of that shift and date. This is its one definition: the program's
-- save and deletion of a position, the division of a brigade and the rebuild of
-- a month all write cells through the functions below.
--
-- h_tabel_day_hours(date): every cell of one day that has positions, with its
-- hours. A condition on w_id or smena outside is pushed into the grouping, so
-- one cell is read through the index on (w_id, smena, data).
CREATE FUNCTION accounts_dep.h_tabel_day_hours(p_data date)
RETURNS TABLE (w_id integer, smena smallint, hours integer)
LANGUAGE sql STABLE
AS $$
    SELECT s.w_id, s.smena, sum(s.time)::integer
    FROM accounts_dep.smena s
    WHERE s.data = p_data
    GROUP BY s.w_id, s.smena
$$;

-- Lock rows of the time-sheet. No login has any right on these tables, so only
-- the functions below (with the owner's rights) take their locks: a reader can
-- neither read nor lock them and so never holds up a save. A row is added the
-- first time its month or worker is locked.
--
-- Order, so that no two transactions wait on each other in a circle: a month
-- before the worker's days of that month, months in ascending order, then by
-- worker and day.
CREATE TABLE accounts_dep.h_tabel_month_lock (
    year  integer NOT NULL,
    month integer NOT NULL,
    PRIMARY KEY (year, month)
);
CREATE TABLE accounts_dep.h_tabel_worker_lock (
    w_id  integer NOT NULL,
    data  date    NOT NULL,
    PRIMARY KEY (w_id, data)
);

-- h_tabel_lock_month(month, year, exclusive): the lock by which cell upkeep
-- and a month's rebuild agree, held to the end of the transaction. Upkeep takes
-- it shared (saves go on side by side), a rebuild exclusively: a save during a
-- rebuild waits for it and then writes its cell over the rebuilt month, and a
-- rebuild waits for the saves in progress, whose positions it then sees.
CREATE FUNCTION accounts_dep.h_tabel_lock_month(p_month integer, p_year integer,
                                                p_exclusive boolean)
RETURNS void
LANGUAGE plpgsql
SECURITY DEFINER
SET search_path = accounts_dep, public, pg_temp
AS $$
BEGIN
    -- twice at most: the row is added the first time
    FOR attempt IN 1 .. 2 LOOP
        IF p_exclusive THEN
            PERFORM FROM accounts_dep.h_tabel_month_lock
            WHERE year = p_year AND month = p_month FOR UPDATE;
        ELSE
            PERFORM FROM accounts_dep.h_tabel_month_lock
            WHERE year = p_year AND month = p_month FOR SHARE;
        END IF;
        EXIT WHEN FOUND;
        INSERT INTO accounts_dep.h_tabel_month_lock (year, month) VALUES (p_year, p_month)
        ON CONFLICT DO NOTHING;
    END LOOP;
END
$$;

-- h_tabel_lock_worker(worker, date): a worker's day, every shift: his cells of
-- that day are summed and written one transaction after the other, and the 24
-- hours of his day are checked under it. Takes the month shared first.
CREATE FUNCTION accounts_dep.h_tabel_lock_worker(p_w_id integer, p_data date)
RETURNS void
LANGUAGE plpgsql
SECURITY DEFINER
SET search_path = accounts_dep, public, pg_temp
AS $$
BEGIN
    PERFORM accounts_dep.h_tabel_lock_month(extract(month FROM p_data)::integer,
                                            extract(year FROM p_data)::integer, false);
    FOR attempt IN 1 .. 2 LOOP
        PERFORM FROM accounts_dep.h_tabel_worker_lock
        WHERE w_id = p_w_id AND data = p_data FOR UPDATE;
        EXIT WHEN FOUND;
        INSERT INTO accounts_dep.h_tabel_worker_lock (w_id, data) VALUES (p_w_id, p_data)
        ON CONFLICT DO NOTHING;
    END LOOP;
END
$$;

-- h_tabel_set_day(worker, shift, date, insert_missing): sets one day cell to its
-- hours (0 when no position is left). A missing row is inserted only with
-- insert_missing (after a save; a deletion writes nothing then). Returns the
-- hours, or null when nothing was written. Runs with the owner's rights: no
-- login writes h_tabel itself, cells only follow the positions.
--
-- Two workstations saving or deleting positions of the same cell at the same
-- moment are taken one after the other: the worker's day is locked before the
-- sum is read, and each statement sees what was committed before it started, so
-- the last writer sums every position whose own statement had already committed.
-- One statement, so the cell is written completely or not at all.
CREATE FUNCTION accounts_dep.h_tabel_set_day(p_w_id integer, p_smena integer, p_data date,
                                             p_insert_missing boolean DEFAULT true)
RETURNS integer
LANGUAGE plpgsql
SECURITY DEFINER
SET search_path = accounts_dep, public, pg_temp
AS $$
DECLARE
    v_month integer := extract(month FROM p_data)::integer;
    v_year  integer := extract(year FROM p_data)::integer;
    v_cell  text := 'd' || extract(day FROM p_data)::integer;
    v_hours integer;
    v_rows  integer;
BEGIN
    IF p_w_id IS NULL OR p_smena IS NULL OR p_data IS NULL THEN
        RAISE EXCEPTION 'Табель: не заданы рабочий, смена или дата';
    END IF;
    PERFORM accounts_dep.h_tabel_lock_worker(p_w_id, p_data);

    SELECT coalesce((SELECT d.hours FROM accounts_dep.h_tabel_day_hours(p_data) d
                     WHERE d.w_id = p_w_id AND d.smena = p_smena), 0)
    INTO v_hours;

    IF p_insert_missing THEN
        EXECUTE format(
            'INSERT INTO accounts_dep.h_tabel AS h (w_id, smena, month, year, %1$I)'
            ' VALUES ($1, $2, $3, $4, $5)'
            ' ON CONFLICT (w_id, smena, month, year) DO UPDATE SET %1$I = excluded.%1$I',
            v_cell)
        USING p_w_id, p_smena, v_month, v_year, v_hours;
        RETURN v_hours;
    END IF;
    EXECUTE format('UPDATE accounts_dep.h_tabel SET %1$I = $5'
                   ' WHERE w_id = $1 AND smena = $2 AND month = $3 AND year = $4', v_cell)
    USING p_w_id, p_smena, v_month, v_year, v_hours;
    GET DIAGNOSTICS v_rows = ROW_COUNT;
    RETURN CASE WHEN v_rows > 0 THEN v_hours END;
END
$$;

-- The rebuild of a month (every shift) from its positions, in one transaction of
-- the client, so that it can show its progress day by day:
--   h_tabel_rebuild_day(month, year, day) for each day reads the day's cells by
--   the day-cell rule, under the month's exclusive lock (taken by the first call);
--   h_tabel_rebuild_write(month, year) reads the days not read yet, deletes the
--   month's rows and writes a row per worker and shift with any position in the
--   month, every other day 0.
-- A failure half-way leaves the month as it was. A save on another workstation
-- during the rebuild waits for it and then writes its cell; one before it is seen.
-- The cells wait in temporary tables of the owner, which no login can write.
-- The session's tables of gathered cells and of the days read, made on first
-- use. A table of either name that a login made himself is refused rather than
-- trusted.
CREATE FUNCTION accounts_dep.h_tabel_rebuild_cells()
RETURNS void
LANGUAGE plpgsql
SECURITY DEFINER
SET search_path = accounts_dep, public, pg_temp
AS $$
DECLARE
    v_cells regclass := to_regclass('pg_temp.h_tabel_rebuild_cell');
    v_days  regclass := to_regclass('pg_temp.h_tabel_rebuild_read');
BEGIN
    IF v_cells IS NULL THEN
        CREATE TEMP TABLE h_tabel_rebuild_cell
            (year integer, month integer, day integer, w_id integer, smena integer, hours integer)
            ON COMMIT DELETE ROWS;
    ELSIF (SELECT relowner FROM pg_class WHERE oid = v_cells) <> current_user::regrole THEN
        RAISE EXCEPTION 'Табель: временная таблица h_tabel_rebuild_cell чужая';
    END IF;
    IF v_days IS NULL THEN
        CREATE TEMP TABLE h_tabel_rebuild_read (year integer, month integer, day integer)
            ON COMMIT DELETE ROWS;
    ELSIF (SELECT relowner FROM pg_class WHERE oid = v_days) <> current_user::regrole THEN
        RAISE EXCEPTION 'Табель: временная таблица h_tabel_rebuild_read чужая';
    END IF;
END
$$;

CREATE FUNCTION accounts_dep.h_tabel_rebuild_day(p_month integer, p_year integer, p_day integer)
RETURNS void
LANGUAGE plpgsql
SECURITY DEFINER
SET search_path = accounts_dep, public, pg_temp
-- the month's cells are gathered in memory rather than spilt to disk
SET work_mem = '64MB'
AS $$
DECLARE
    v_data date := make_date(p_year, p_month, p_day);
BEGIN
    PERFORM accounts_dep.h_tabel_lock_month(p_month, p_year, true);
    PERFORM accounts_dep.h_tabel_rebuild_cells();
    IF EXISTS (SELECT FROM pg_temp.h_tabel_rebuild_read r
               WHERE r.year = p_year AND r.month = p_month AND r.day = p_day) THEN
        -- read again: the day's cells are replaced
        DELETE FROM pg_temp.h_tabel_rebuild_cell
        WHERE year = p_year AND month = p_month AND day = p_day;
    ELSE
        INSERT INTO pg_temp.h_tabel_rebuild_read VALUES (p_year, p_month, p_day);
    END IF;
    INSERT INTO pg_temp.h_tabel_rebuild_cell
    SELECT p_year, p_month, p_day, d.w_id, d.smena, d.hours
    FROM accounts_dep.h_tabel_day_hours(v_data) d;
END
$$;

CREATE FUNCTION accounts_dep.h_tabel_rebuild_write(p_month integer, p_year integer)
RETURNS void
LANGUAGE plpgsql
SECURITY DEFINER
SET search_path = accounts_dep, public, pg_temp
SET work_mem = '64MB'
-- the gathered cells have no statistics, and a sort of them costs twice a hash
SET enable_sort = off
AS $$
DECLARE
    v_first date := make_date(p_year, p_month, 1);
    v_day   integer;
BEGIN
    PERFORM accounts_dep.h_tabel_lock_month(p_month, p_year, true);
    PERFORM accounts_dep.h_tabel_rebuild_cells();
    FOR v_day IN
        SELECT d FROM generate_series(1, extract(day FROM v_first + interval '1 month - 1 day')::integer) d
        EXCEPT
        SELECT r.day FROM pg_temp.h_tabel_rebuild_read r
        WHERE r.year = p_year AND r.month = p_month
    LOOP
        PERFORM accounts_dep.h_tabel_rebuild_day(p_month, p_year, v_day);
    END LOOP;

    DELETE FROM accounts_dep.h_tabel WHERE month = p_month AND year = p_year;
    INSERT INTO accounts_dep.h_tabel
        (w_id, smena, month, year, d1, d2, d3, d4, d5, d6, d7, d8, d9, d10, d11, d12, d13, d14,
         d15, d16, d17, d18, d19, d20, d21, d22, d23, d24, d25, d26, d27, d28, d29, d30, d31)
    SELECT c.w_id, c.smena, p_month, p_year,
           coalesce(sum(hours) FILTER (WHERE day = 1), 0),  coalesce(sum(hours) FILTER (WHERE day = 2), 0),
           coalesce(sum(hours) FILTER (WHERE day = 3), 0),  coalesce(sum(hours) FILTER (WHERE day = 4), 0),
           coalesce(sum(hours) FILTER (WHERE day = 5), 0),  coalesce(sum(hours) FILTER (WHERE day = 6), 0),
           coalesce(sum(hours) FILTER (WHERE day = 7), 0),  coalesce(sum(hours) FILTER (WHERE day = 8), 0),
           coalesce(sum(hours) FILTER (WHERE day = 9), 0),  coalesce(sum(hours) FILTER (WHERE day = 10), 0),
           coalesce(sum(hours) FILTER (WHERE day = 11), 0), coalesce(sum(hours) FILTER (WHERE day = 12), 0),
           coalesce(sum(hours) FILTER (WHERE day = 13), 0), coalesce(sum(hours) FILTER (WHERE day = 14), 0),
           coalesce(sum(hours) FILTER (WHERE day = 15), 0), coalesce(sum(hours) FILTER (WHERE day = 16), 0),
           coalesce(sum(hours) FILTER (WHERE day = 17), 0), coalesce(sum(hours) FILTER (WHERE day = 18), 0),
           coalesce(sum(hours) FILTER (WHERE day = 19), 0), coalesce(sum(hours) FILTER (WHERE day = 20), 0),
           coalesce(sum(hours) FILTER (WHERE day = 21), 0), coalesce(sum(hours) FILTER (WHERE day = 22), 0),
           coalesce(sum(hours) FILTER (WHERE day = 23), 0), coalesce(sum(hours) FILTER (WHERE day = 24), 0),
           coalesce(sum(hours) FILTER (WHERE day = 25), 0), coalesce(sum(hours) FILTER (WHERE day = 26), 0),
           coalesce(sum(hours) FILTER (WHERE day = 27), 0), coalesce(sum(hours) FILTER (WHERE day = 28), 0),
           coalesce(sum(hours) FILTER (WHERE day = 29), 0), coalesce(sum(hours) FILTER (WHERE day = 30), 0),
           coalesce(sum(hours) FILTER (WHERE day = 31), 0)
    FROM pg_temp.h_tabel_rebuild_cell c
    WHERE c.year = p_year AND c.month = p_month
    GROUP BY c.w_id, c.smena;
    -- whatever another month had gathered meanwhile is read again by its own write
    TRUNCATE pg_temp.h_tabel_rebuild_read, pg_temp.h_tabel_rebuild_cell;
END
$$;

-- The rules of a position, kept here so that they hold whatever client writes.
-- Messages are the ones the windows show for the same rule.
--
-- smena_rules (before each row):
--   * an accepted position (ok 'ok') is neither changed nor deleted, by anyone
--     (NV001); an update that changes nothing is let through;
--   * values in range (23514), each checked when it is written or changed, so
--     that accepting or re-dating an old position is not refused for another
--     column's old value;
--   * a position becomes accepted only for a session user in norv_master or
--     norv_administrator (NV002), with material (NV003), of finished products
--     (NV004). session_user, because smena__accept_row runs with the owner's
--     rights. Superusers are exempt from these three: demo data and restores
--     load accepted positions.
CREATE FUNCTION accounts_dep.smena_rules()
RETURNS trigger
LANGUAGE plpgsql
SECURITY DEFINER
SET search_path = accounts_dep, public, pg_temp
AS $$
DECLARE
    v_insert boolean := TG_OP = 'INSERT';
BEGIN
    IF TG_OP <> 'INSERT' AND btrim(OLD.ok) = 'ok' THEN
        IF TG_OP = 'UPDATE' AND NEW IS NOT DISTINCT FROM OLD THEN
            RETURN NEW;
        END IF;
        RAISE EXCEPTION 'Позиция принята мастером: изменить или удалить её нельзя.'
            USING ERRCODE = 'NV001';
    END IF;
    IF TG_OP = 'DELETE' THEN
        RETURN OLD;
    END IF;

    IF (v_insert OR NEW.kol_vo IS DISTINCT FROM OLD.kol_vo)
       AND NOT (NEW.kol_vo > 0 AND NEW.kol_vo <= 1000000) THEN
        RAISE EXCEPTION 'Количество должно быть больше 0 и не больше 1 000 000.'
            USING ERRCODE = 'check_violation';
    END IF;
    IF (v_insert OR NEW.brak IS DISTINCT FROM OLD.brak OR NEW.kol_vo IS DISTINCT FROM OLD.kol_vo)
       AND (NEW.brak < 0 OR NEW.brak > NEW.kol_vo) THEN
        RAISE EXCEPTION 'Брак не может быть больше количества!' USING ERRCODE = 'check_violation';
    END IF;
    IF (v_insert OR NEW.time IS DISTINCT FROM OLD.time) AND (NEW.time < 0 OR NEW.time > 24) THEN
        RAISE EXCEPTION 'Часы должны быть от 0 до 24.' USING ERRCODE = 'check_violation';
    END IF;
    IF (v_insert OR NEW.data IS DISTINCT FROM OLD.data)
       AND (NEW.data < date '2000-01-01'
            OR NEW.data > make_date(extract(year FROM current_date)::integer + 1, 12, 31)) THEN
        RAISE EXCEPTION 'Дата работы должна быть с 2000 года по следующий год.'
            USING ERRCODE = 'check_violation';
    END IF;
    IF (v_insert OR NEW.cena IS DISTINCT FROM OLD.cena)
       AND NOT (NEW.cena >= 0 AND NEW.cena < 10000000) THEN
        RAISE EXCEPTION 'Цена позиции должна быть от 0 до 10 000 000.'
            USING ERRCODE = 'check_violation';
    END IF;

    IF btrim(NEW.ok) = 'ok' AND (v_insert OR btrim(OLD.ok) IS DISTINCT FROM 'ok')
       AND NOT (SELECT rolsuper FROM pg_roles WHERE rolname = session_user) THEN
        IF NOT (pg_has_role(session_user, 'norv_master', 'MEMBER')
                OR pg_has_role(session_user, 'norv_administrator', 'MEMBER')) THEN
            RAISE EXCEPTION 'Принимать позиции может только мастер.' USING ERRCODE = 'NV002';
        END IF;
        IF NOT EXISTS (SELECT FROM accounts_dep.smena_gds_use u WHERE u.id_smena = NEW.id) THEN
            RAISE EXCEPTION 'Не заведен расход ТМЦ!' USING ERRCODE = 'NV003';
        END IF;
        IF EXISTS (SELECT FROM accounts_dep.oper o WHERE o.id = NEW.o_id AND o.naimen <> 0) THEN
            RAISE EXCEPTION 'Принимаются только позиции готовой продукции.'
                USING ERRCODE = 'NV004';
        END IF;
    END IF;
    RETURN NEW;
END
$$;

CREATE TRIGGER smena_rules
    BEFORE INSERT OR UPDATE OR DELETE ON accounts_dep.smena
    FOR EACH ROW EXECUTE FUNCTION accounts_dep.smena_rules();

-- smena_day_limit (after each row): a worker's positions of one day, all shifts,
-- hold 24 hours at most. Checked under the worker's month lock (the one
-- h_tabel_set_day takes), so two workstations cannot both pass it; a position
-- moved to another worker or day locks both, in the lock order, so opposite
-- moves do not wait on each other. Nothing is locked when the hours do not grow.
CREATE FUNCTION accounts_dep.smena_day_limit()
RETURNS trigger
LANGUAGE plpgsql
SECURITY DEFINER
SET search_path = accounts_dep, public, pg_temp
AS $$
DECLARE
    v_moved boolean := TG_OP = 'UPDATE' AND (NEW.w_id <> OLD.w_id OR NEW.data <> OLD.data);
    v_key   record;
    v_hours bigint;
BEGIN
    IF NOT v_moved AND NOT (NEW.time > 0 AND (TG_OP = 'INSERT' OR NEW.time > OLD.time)) THEN
        RETURN NULL;
    END IF;
    FOR v_key IN
        SELECT DISTINCT date_trunc('month', k.d) AS m, k.w, k.d
        FROM (VALUES (NEW.w_id, NEW.data),
                     (CASE WHEN v_moved THEN OLD.w_id END, OLD.data)) AS k(w, d)
        WHERE k.w IS NOT NULL
        ORDER BY 1, 2, 3
    LOOP
        PERFORM accounts_dep.h_tabel_lock_worker(v_key.w, v_key.d);
    END LOOP;
    IF NEW.time > 0 THEN
        SELECT sum(s.time) INTO v_hours
        FROM accounts_dep.smena s
        WHERE s.w_id = NEW.w_id AND s.smena = ANY ('{1,2,3,4}') AND s.data = NEW.data;
        IF v_hours > 24 THEN
            RAISE EXCEPTION 'Часов рабочего за день по всем сменам не может быть больше 24.'
                USING ERRCODE = 'check_violation';
        END IF;
    END IF;
    RETURN NULL;
END
$$;

CREATE TRIGGER smena_day_limit
    AFTER INSERT OR UPDATE ON accounts_dep.smena
    FOR EACH ROW EXECUTE FUNCTION accounts_dep.smena_day_limit();

-- Prices and norms in range, the same rule for a norm row and for the price a new
-- operation is created with.
CREATE FUNCTION accounts_dep.price_in_range(p_price double precision)
RETURNS boolean
LANGUAGE sql IMMUTABLE
AS $$
    SELECT p_price > 0 AND p_price < 1000000 AND p_price::numeric = round(p_price::numeric, 4)
$$;

CREATE FUNCTION accounts_dep.norm_rules()
RETURNS trigger
LANGUAGE plpgsql
SET search_path = accounts_dep, public, pg_temp
AS $$
DECLARE
    v_insert boolean := TG_OP = 'INSERT';
BEGIN
    IF (v_insert OR NEW.price IS DISTINCT FROM OLD.price)
       AND NOT accounts_dep.price_in_range(NEW.price) THEN
        RAISE EXCEPTION 'Цена должна быть больше 0 и меньше 1 000 000, не больше 4 знаков после запятой.'
            USING ERRCODE = 'check_violation';
    END IF;
    IF (v_insert OR NEW.norma IS DISTINCT FROM OLD.norma) AND (NEW.norma < 0 OR NEW.norma > 999999) THEN
        RAISE EXCEPTION 'Норматив должен быть от 0 до 999 999.' USING ERRCODE = 'check_violation';
    END IF;
    IF (v_insert OR NEW.prize IS DISTINCT FROM OLD.prize) AND (NEW.prize < 0 OR NEW.prize > 1000) THEN
        RAISE EXCEPTION 'Премия должна быть от 0 до 1 000 %%.' USING ERRCODE = 'check_violation';
    END IF;
    RETURN NEW;
END
$$;

CREATE TRIGGER norm_rules
    BEFORE INSERT OR UPDATE ON accounts_dep.norm
    FOR EACH ROW EXECUTE FUNCTION accounts_dep.norm_rules();

CREATE FUNCTION accounts_dep.oper_rules()
RETURNS trigger
LANGUAGE plpgsql
SET search_path = accounts_dep, public, pg_temp
AS $$
BEGIN
    IF NEW.cena_new IS NOT NULL AND (TG_OP = 'INSERT' OR NEW.cena_new IS DISTINCT FROM OLD.cena_new)
       AND NOT accounts_dep.price_in_range(NEW.cena_new) THEN
        RAISE EXCEPTION 'Цена должна быть больше 0 и меньше 1 000 000, не больше 4 знаков после запятой.'
            USING ERRCODE = 'check_violation';
    END IF;
    RETURN NEW;
END
$$;

CREATE TRIGGER oper_rules
    BEFORE INSERT OR UPDATE ON accounts_dep.oper
    FOR EACH ROW EXECUTE FUNCTION accounts_dep.oper_rules();


-- ---------------------------------------------------------------------------
-- Grants. norv_reader reads everything the program reads; norv_writer also
-- writes positions, their materials and brigades, operations, their types and
-- norms; norv_master writes only through smena__accept_row; norv_administrator
-- is both. Nobody writes h_tabel but the functions that compute it, nobody
-- touches the lock tables, nobody but the owner writes izdel.
-- ---------------------------------------------------------------------------

-- The program's own objects only: what the enterprise defines here keeps its own
-- grants. Functions are executable by PUBLIC unless revoked; each group gets its own
-- below.
DO $$
DECLARE
    r record;
BEGIN
    FOR r IN
        SELECT c.oid::regclass AS t FROM pg_class c
        WHERE c.relnamespace = 'accounts_dep'::regnamespace AND c.relkind IN ('r', 'v', 'm', 'p')
          AND c.relowner = 'norv_owner'::regrole
    LOOP
        EXECUTE format('GRANT SELECT ON %s TO norv_reader', r.t);
    END LOOP;
    FOR r IN
        SELECT p.oid::regprocedure AS f FROM pg_proc p
        WHERE p.pronamespace = 'accounts_dep'::regnamespace AND p.proowner = 'norv_owner'::regrole
    LOOP
        EXECUTE format('REVOKE EXECUTE ON FUNCTION %s FROM PUBLIC', r.f);
    END LOOP;
END
$$;
REVOKE ALL ON accounts_dep.h_tabel_month_lock, accounts_dep.h_tabel_worker_lock
    FROM norv_reader, PUBLIC;
REVOKE INSERT, UPDATE, DELETE ON accounts_dep.h_tabel FROM norv_writer;
REVOKE USAGE, SELECT ON accounts_dep.h_tabel_id_seq FROM norv_writer;

-- The lock functions are no one's: only the functions with the owner's rights
-- call them.
GRANT EXECUTE ON FUNCTION accounts_dep.h_tabel_day_hours(date),
                          accounts_dep.price_in_range(double precision)
    TO norv_reader;
GRANT EXECUTE ON FUNCTION accounts_dep.h_tabel_set_day(integer, integer, date, boolean),
                          accounts_dep.h_tabel_rebuild_day(integer, integer, integer),
                          accounts_dep.h_tabel_rebuild_write(integer, integer)
    TO norv_writer;

-- Objects the owner adds later follow the same rules (functions anywhere in the
-- database).
ALTER DEFAULT PRIVILEGES FOR ROLE norv_owner IN SCHEMA accounts_dep
    GRANT SELECT ON TABLES TO norv_reader;
ALTER DEFAULT PRIVILEGES FOR ROLE norv_owner
    REVOKE EXECUTE ON FUNCTIONS FROM PUBLIC;
