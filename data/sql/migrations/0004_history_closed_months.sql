-- 0004 История изменений и закрытые месяцы
-- Every change of positions, their materials and brigade shares, operations, their norms
-- and operation types, every month rebuild and every closing and reopening of a month is
-- recorded by the database itself, whoever writes; nobody changes or deletes what is
-- recorded. A month the economist closes takes no change of its positions, materials,
-- brigade shares or time-sheet rows until the administrator reopens it.

SET LOCAL ROLE norv_owner;

-- ---------------------------------------------------------------------------
-- History.
-- old and new hold the changed columns of an update (before and after), the whole row of
-- an insertion (new) or a deletion (old). position_id is the position a position's,
-- material's or brigade share's row belongs to, operation_id the operation of an
-- operation's or a norm's row, so the windows read one position's or one operation's
-- history through an index.
-- ---------------------------------------------------------------------------

CREATE TABLE accounts_dep.history (
    id           bigserial   PRIMARY KEY,
    at           timestamptz NOT NULL DEFAULT clock_timestamp(),
    login        text        NOT NULL DEFAULT session_user,
    -- the workstation's address; "local" for a unix socket
    client       text        NOT NULL DEFAULT coalesce(host(inet_client_addr()), 'local'),
    subject      text        NOT NULL,
    action       text        NOT NULL CHECK (action IN ('insert', 'update', 'delete', 'restore',
                                                        'rebuild', 'close', 'reopen')),
    row_id       bigint,
    position_id  integer,
    operation_id integer,
    month        integer,
    year         integer,
    old          jsonb,
    new          jsonb
);
CREATE INDEX history_position_idx ON accounts_dep.history (position_id, id)
    WHERE position_id IS NOT NULL;
CREATE INDEX history_operation_idx ON accounts_dep.history (operation_id, id)
    WHERE operation_id IS NOT NULL;
CREATE INDEX history_at_idx ON accounts_dep.history (at);
-- an operation's history takes in the operation types it has had
CREATE INDEX history_operation_type_idx ON accounts_dep.history (row_id, id)
    WHERE subject = 'vid_oper';

-- One row of history per row written. A restore marks its insertion with the setting
-- norv.history_action for the length of its transaction.
CREATE FUNCTION accounts_dep.history_record()
RETURNS trigger
LANGUAGE plpgsql
SECURITY DEFINER
SET search_path = accounts_dep, public, pg_temp
AS $$
DECLARE
    v_old     jsonb := CASE WHEN TG_OP <> 'INSERT' THEN to_jsonb(OLD) END;
    v_new     jsonb := CASE WHEN TG_OP <> 'DELETE' THEN to_jsonb(NEW) END;
    v_row     jsonb := coalesce(v_new, v_old);
    v_changed text[];
    v_action  text := lower(TG_OP);
BEGIN
    IF TG_OP = 'UPDATE' THEN
        SELECT array_agg(k) INTO v_changed
        FROM jsonb_object_keys(v_new) k
        WHERE v_new -> k IS DISTINCT FROM v_old -> k;
        IF v_changed IS NULL THEN
            RETURN NULL; -- nothing changed, nothing to tell
        END IF;
        SELECT jsonb_object_agg(k, v_old -> k), jsonb_object_agg(k, v_new -> k)
        INTO v_old, v_new
        FROM unnest(v_changed) k;
    ELSIF TG_OP = 'INSERT' AND current_setting('norv.history_action', true) = 'restore' THEN
        v_action := 'restore';
    END IF;
    INSERT INTO accounts_dep.history (subject, action, row_id, position_id, operation_id, old, new)
    VALUES (TG_TABLE_NAME, v_action, (v_row ->> 'id')::bigint,
            CASE TG_TABLE_NAME
                WHEN 'smena' THEN (v_row ->> 'id')::integer
                WHEN 'smena_gds_use' THEN (v_row ->> 'id_smena')::integer
                WHEN 'person_temp' THEN (v_row ->> 'id_smena')::integer
            END,
            CASE TG_TABLE_NAME
                WHEN 'oper' THEN (v_row ->> 'id')::integer
                WHEN 'norm' THEN (v_row ->> 'o_id')::integer
            END,
            v_old, v_new);
    RETURN NULL;
END
$$;

CREATE TRIGGER history AFTER INSERT OR UPDATE OR DELETE ON accounts_dep.smena
    FOR EACH ROW EXECUTE FUNCTION accounts_dep.history_record();
CREATE TRIGGER history AFTER INSERT OR UPDATE OR DELETE ON accounts_dep.smena_gds_use
    FOR EACH ROW EXECUTE FUNCTION accounts_dep.history_record();
CREATE TRIGGER history AFTER INSERT OR UPDATE OR DELETE ON accounts_dep.person_temp
    FOR EACH ROW EXECUTE FUNCTION accounts_dep.history_record();
CREATE TRIGGER history AFTER INSERT OR UPDATE OR DELETE ON accounts_dep.oper
    FOR EACH ROW EXECUTE FUNCTION accounts_dep.history_record();
CREATE TRIGGER history AFTER INSERT OR UPDATE OR DELETE ON accounts_dep.norm
    FOR EACH ROW EXECUTE FUNCTION accounts_dep.history_record();
CREATE TRIGGER history AFTER INSERT OR UPDATE OR DELETE ON accounts_dep.vid_oper
    FOR EACH ROW EXECUTE FUNCTION accounts_dep.history_record();

-- What is recorded stays: no login has a right to change it, and the owner's own update,
-- deletion or truncation is refused too.
CREATE FUNCTION accounts_dep.history_unchangeable()
RETURNS trigger
LANGUAGE plpgsql
AS $$
BEGIN
    RAISE EXCEPTION 'История изменений не меняется и не удаляется.' USING ERRCODE = 'NV006';
END
$$;
CREATE TRIGGER history_unchangeable BEFORE UPDATE OR DELETE ON accounts_dep.history
    FOR EACH ROW EXECUTE FUNCTION accounts_dep.history_unchangeable();
CREATE TRIGGER history_not_truncated BEFORE TRUNCATE ON accounts_dep.history
    FOR EACH STATEMENT EXECUTE FUNCTION accounts_dep.history_unchangeable();

-- The administrator, the masters and the economist read it; a clerk does not.
REVOKE ALL ON accounts_dep.history FROM PUBLIC, norv_reader, norv_writer, norv_master,
    norv_administrator;
REVOKE ALL ON SEQUENCE accounts_dep.history_id_seq FROM PUBLIC;
GRANT SELECT ON accounts_dep.history TO norv_reader;
ALTER TABLE accounts_dep.history ENABLE ROW LEVEL SECURITY;
CREATE POLICY history_readers ON accounts_dep.history FOR SELECT
    USING (pg_has_role(current_user, 'norv_administrator', 'MEMBER')
           OR pg_has_role(current_user, 'norv_master', 'MEMBER')
           OR NOT pg_has_role(current_user, 'norv_writer', 'MEMBER'));

-- ---------------------------------------------------------------------------
-- Closed months.
-- ---------------------------------------------------------------------------

CREATE TABLE accounts_dep.closed_month (
    year      integer     NOT NULL CHECK (year BETWEEN 1900 AND 9999),
    month     integer     NOT NULL CHECK (month BETWEEN 1 AND 12),
    closed_at timestamptz NOT NULL DEFAULT clock_timestamp(),
    closed_by text        NOT NULL DEFAULT session_user,
    PRIMARY KEY (year, month)
);
REVOKE INSERT, UPDATE, DELETE, TRUNCATE ON accounts_dep.closed_month FROM PUBLIC;
GRANT SELECT ON accounts_dep.closed_month TO norv_reader;

CREATE FUNCTION accounts_dep.month_closed(p_month integer, p_year integer)
RETURNS boolean
LANGUAGE sql STABLE
SET search_path = accounts_dep, public, pg_temp
AS $$
    SELECT EXISTS (SELECT FROM accounts_dep.closed_month c
                   WHERE c.year = p_year AND c.month = p_month)
$$;

CREATE FUNCTION accounts_dep.refuse_in_closed_month(p_data date)
RETURNS void
LANGUAGE plpgsql STABLE
SET search_path = accounts_dep, public, pg_temp
AS $$
BEGIN
    IF p_data IS NOT NULL AND accounts_dep.month_closed(extract(month FROM p_data)::integer,
                                                        extract(year FROM p_data)::integer) THEN
        RAISE EXCEPTION 'Месяц закрыт: изменения невозможны.' USING ERRCODE = 'NV005';
    END IF;
END
$$;

-- A position of a closed month is neither added, changed, accepted nor deleted; one is not
-- moved into or out of a closed month either.
CREATE FUNCTION accounts_dep.smena_closed_month()
RETURNS trigger
LANGUAGE plpgsql
SECURITY DEFINER
SET search_path = accounts_dep, public, pg_temp
AS $$
BEGIN
    IF TG_OP <> 'INSERT' THEN
        PERFORM accounts_dep.refuse_in_closed_month(OLD.data);
    END IF;
    IF TG_OP <> 'DELETE' THEN
        PERFORM accounts_dep.refuse_in_closed_month(NEW.data);
        RETURN NEW;
    END IF;
    RETURN OLD;
END
$$;
CREATE TRIGGER smena_closed_month BEFORE INSERT OR UPDATE OR DELETE ON accounts_dep.smena
    FOR EACH ROW EXECUTE FUNCTION accounts_dep.smena_closed_month();

-- A material or a brigade share counts in the month of its position.
CREATE FUNCTION accounts_dep.position_part_closed_month()
RETURNS trigger
LANGUAGE plpgsql
SECURITY DEFINER
SET search_path = accounts_dep, public, pg_temp
AS $$
BEGIN
    IF TG_OP <> 'INSERT' THEN
        PERFORM accounts_dep.refuse_in_closed_month(
            (SELECT s.data FROM accounts_dep.smena s WHERE s.id = OLD.id_smena));
    END IF;
    IF TG_OP <> 'DELETE' THEN
        PERFORM accounts_dep.refuse_in_closed_month(
            (SELECT s.data FROM accounts_dep.smena s WHERE s.id = NEW.id_smena));
        RETURN NEW;
    END IF;
    RETURN OLD;
END
$$;
CREATE TRIGGER position_part_closed_month BEFORE INSERT OR UPDATE OR DELETE
    ON accounts_dep.smena_gds_use
    FOR EACH ROW EXECUTE FUNCTION accounts_dep.position_part_closed_month();
CREATE TRIGGER position_part_closed_month BEFORE INSERT OR UPDATE OR DELETE
    ON accounts_dep.person_temp
    FOR EACH ROW EXECUTE FUNCTION accounts_dep.position_part_closed_month();

-- The time-sheet of a closed month stays as it was handed over: neither a cell nor the
-- month's rebuild writes it.
CREATE FUNCTION accounts_dep.h_tabel_closed_month()
RETURNS trigger
LANGUAGE plpgsql
SET search_path = accounts_dep, public, pg_temp
AS $$
BEGIN
    IF TG_OP <> 'INSERT' AND accounts_dep.month_closed(OLD.month, OLD.year)
       OR TG_OP <> 'DELETE' AND accounts_dep.month_closed(NEW.month, NEW.year) THEN
        RAISE EXCEPTION 'Месяц закрыт: изменения невозможны.' USING ERRCODE = 'NV005';
    END IF;
    RETURN coalesce(NEW, OLD);
END
$$;
CREATE TRIGGER h_tabel_closed_month BEFORE INSERT OR UPDATE OR DELETE ON accounts_dep.h_tabel
    FOR EACH ROW EXECUTE FUNCTION accounts_dep.h_tabel_closed_month();

-- The economist (a reader who neither writes nor accepts) or the administrator closes a
-- month; only the administrator reopens it. Both are recorded in the history.
CREATE FUNCTION accounts_dep.is_economist_or_administrator()
RETURNS boolean
LANGUAGE sql STABLE
AS $$
    SELECT pg_has_role(session_user, 'norv_administrator', 'MEMBER')
        OR (pg_has_role(session_user, 'norv_reader', 'MEMBER')
            AND NOT pg_has_role(session_user, 'norv_writer', 'MEMBER')
            AND NOT pg_has_role(session_user, 'norv_master', 'MEMBER'))
        OR (SELECT rolsuper FROM pg_roles WHERE rolname = session_user)
$$;

CREATE FUNCTION accounts_dep.close_month(p_month integer, p_year integer)
RETURNS void
LANGUAGE plpgsql
SECURITY DEFINER
SET search_path = accounts_dep, public, pg_temp
AS $$
BEGIN
    IF NOT accounts_dep.is_economist_or_administrator() THEN
        RAISE EXCEPTION 'Закрыть месяц может только экономист или администратор.'
            USING ERRCODE = 'NV007';
    END IF;
    INSERT INTO accounts_dep.closed_month (year, month) VALUES (p_year, p_month)
    ON CONFLICT DO NOTHING;
    IF FOUND THEN
        INSERT INTO accounts_dep.history (subject, action, month, year)
        VALUES ('closed_month', 'close', p_month, p_year);
    END IF;
END
$$;

CREATE FUNCTION accounts_dep.reopen_month(p_month integer, p_year integer)
RETURNS void
LANGUAGE plpgsql
SECURITY DEFINER
SET search_path = accounts_dep, public, pg_temp
AS $$
BEGIN
    IF NOT (pg_has_role(session_user, 'norv_administrator', 'MEMBER')
            OR (SELECT rolsuper FROM pg_roles WHERE rolname = session_user)) THEN
        RAISE EXCEPTION 'Открыть закрытый месяц может только администратор.'
            USING ERRCODE = 'NV008';
    END IF;
    DELETE FROM accounts_dep.closed_month WHERE year = p_year AND month = p_month;
    IF FOUND THEN
        INSERT INTO accounts_dep.history (subject, action, month, year)
        VALUES ('closed_month', 'reopen', p_month, p_year);
    END IF;
END
$$;

-- ---------------------------------------------------------------------------
-- A deleted position back from its history (the administrator's): the same id and values,
-- and its day cell. Refused in a closed month like any insertion.
-- ---------------------------------------------------------------------------

CREATE FUNCTION accounts_dep.restore_position(p_history_id bigint)
RETURNS integer
LANGUAGE plpgsql
SECURITY DEFINER
SET search_path = accounts_dep, public, pg_temp
AS $$
DECLARE
    v_deleted accounts_dep.history%ROWTYPE;
    v_row     accounts_dep.smena%ROWTYPE;
BEGIN
    IF NOT (pg_has_role(session_user, 'norv_administrator', 'MEMBER')
            OR (SELECT rolsuper FROM pg_roles WHERE rolname = session_user)) THEN
        RAISE EXCEPTION 'Восстановить позицию может только администратор.'
            USING ERRCODE = 'NV009';
    END IF;
    SELECT * INTO v_deleted FROM accounts_dep.history h
    WHERE h.id = p_history_id AND h.subject = 'smena' AND h.action = 'delete';
    IF NOT FOUND THEN
        RAISE EXCEPTION 'В истории нет такого удаления позиции.' USING ERRCODE = 'NV010';
    END IF;
    v_row := jsonb_populate_record(NULL::accounts_dep.smena, v_deleted.old);
    IF EXISTS (SELECT FROM accounts_dep.smena s WHERE s.id = v_row.id) THEN
        RAISE EXCEPTION 'Позиция уже восстановлена.' USING ERRCODE = 'NV010';
    END IF;
    PERFORM set_config('norv.history_action', 'restore', true);
    INSERT INTO accounts_dep.smena SELECT v_row.*;
    PERFORM set_config('norv.history_action', '', true);
    PERFORM accounts_dep.h_tabel_set_day(v_row.w_id, v_row.smena, v_row.data, true);
    RETURN v_row.id;
END
$$;

-- The month's rebuild is recorded once, when it has written the month: the function as
-- before, with the record at its end.
CREATE OR REPLACE FUNCTION accounts_dep.h_tabel_rebuild_write(p_month integer, p_year integer)
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
    INSERT INTO accounts_dep.history (subject, action, month, year)
    VALUES ('h_tabel', 'rebuild', p_month, p_year);
END
$$;

REVOKE EXECUTE ON FUNCTION accounts_dep.history_record(), accounts_dep.history_unchangeable(),
    accounts_dep.smena_closed_month(), accounts_dep.position_part_closed_month(),
    accounts_dep.h_tabel_closed_month()
    FROM PUBLIC;
GRANT EXECUTE ON FUNCTION accounts_dep.month_closed(integer, integer),
                          accounts_dep.refuse_in_closed_month(date),
                          accounts_dep.is_economist_or_administrator(),
                          accounts_dep.close_month(integer, integer)
    TO norv_reader;
GRANT EXECUTE ON FUNCTION accounts_dep.reopen_month(integer, integer),
                          accounts_dep.restore_position(bigint)
    TO norv_administrator;
