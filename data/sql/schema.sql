-- Complete database of the shop-floor accounting program for demo and tests:
-- the enterprise objects the program reads (stand-ins with the columns it uses),
-- the schema accounts_dep with its tables, views and functions, and the grants
-- for the group roles of roles.sql.
--
-- Run as superuser on an empty database owned by norv_owner, after roles.sql:
--   psql -v ON_ERROR_STOP=1 -d <db> -f data/sql/schema.sql
-- Everything after the first block is created as norv_owner, so norv_owner owns
-- every object; no login does.

SET client_min_messages = warning;

BEGIN;

-- Only the superuser may revoke these: in this database no login stores large
-- objects (the server-side import and export are the superuser's already).
REVOKE EXECUTE ON FUNCTION pg_catalog.lo_create(oid), pg_catalog.lo_creat(integer),
                           pg_catalog.lo_from_bytea(oid, bytea), pg_catalog.lo_import(text),
                           pg_catalog.lo_import(text, oid), pg_catalog.lo_export(oid, text),
                           pg_catalog.lo_put(oid, bigint, bytea), pg_catalog.lowrite(integer, bytea),
                           pg_catalog.lo_truncate(integer, integer),
                           pg_catalog.lo_truncate64(integer, bigint)
    FROM PUBLIC;

SET LOCAL ROLE norv_owner;

-- Temporary tables only for the writers (a read-only login stores nothing). A
-- database made from this one as a template does not inherit these rights: whoever
-- copies it repeats them.
DO $$
BEGIN
    EXECUTE format('REVOKE TEMPORARY ON DATABASE %I FROM PUBLIC', current_database());
    EXECUTE format('GRANT TEMPORARY ON DATABASE %I TO norv_writer', current_database());
END
$$;

-- ---------------------------------------------------------------------------
-- Domains and helpers of the enterprise database. They live in public so that
-- unqualified casts (s_code::t_integer, now()::t_date) work for every role.
-- ---------------------------------------------------------------------------

CREATE DOMAIN public.t_id      AS numeric(15,0);
CREATE DOMAIN public.t_integer AS integer;
CREATE DOMAIN public.t_float   AS double precision;
CREATE DOMAIN public.t_code    AS text;
CREATE DOMAIN public.t_date    AS date;

-- iif(condition, value when true, value when false): a null condition counts
-- as false, like CASE.
CREATE FUNCTION public.iif(condition boolean, when_true anyelement, when_false anyelement)
RETURNS anyelement
LANGUAGE sql IMMUTABLE
AS $$ SELECT CASE WHEN condition THEN when_true ELSE when_false END $$;

-- The operations export calls iif(naimen=0,'Готовая продукция','Заготовки'):
-- two untyped literals cannot resolve anyelement, so they land here.
CREATE FUNCTION public.iif(condition boolean, when_true text, when_false text)
RETURNS text
LANGUAGE sql IMMUTABLE
AS $$ SELECT CASE WHEN condition THEN when_true ELSE when_false END $$;

-- ---------------------------------------------------------------------------
-- Enterprise stand-ins (read only for the program). Ids come from sequences
-- that start in different ranges, so an id used in the wrong place finds nothing
-- instead of a wrong row.
-- ---------------------------------------------------------------------------

CREATE SCHEMA cmn_contractor;
CREATE SCHEMA hrms_staffpos;
CREATE SCHEMA hrms_movement;
CREATE SCHEMA mnf_doc;
CREATE SCHEMA cmn_gds_and_srv;

-- Persons and companies. s_code is the personnel number; the program turns it
-- into the worker code with s_code::integer, so it must hold integer digits.
-- There is deliberately no check or index on the cast: a bad code in the
-- enterprise register has to show up as the program's statement error, as it
-- would against the real database.
CREATE SEQUENCE cmn_contractor.person_id_seq START 1000001;
CREATE TABLE cmn_contractor.person (
    id         t_id    NOT NULL DEFAULT nextval('cmn_contractor.person_id_seq') PRIMARY KEY,
    s_code     text    NOT NULL,
    s_caption  text    NOT NULL,
    b_employee boolean NOT NULL DEFAULT true
);
ALTER SEQUENCE cmn_contractor.person_id_seq OWNED BY cmn_contractor.person.id;
-- One person per code: two persons with one code would double every position
-- of that worker in the journal and the reports.
CREATE UNIQUE INDEX person_s_code_uq ON cmn_contractor.person (s_code);

CREATE SEQUENCE hrms_staffpos.staffpos_id_seq START 2000001;
CREATE TABLE hrms_staffpos.staffpos (
    id        t_id NOT NULL DEFAULT nextval('hrms_staffpos.staffpos_id_seq') PRIMARY KEY,
    s_caption text NOT NULL
);
ALTER SEQUENCE hrms_staffpos.staffpos_id_seq OWNED BY hrms_staffpos.staffpos.id;

-- Staff movements: which staff position a person holds from d_begin to d_end
-- (d_end null while the appointment is open).
CREATE SEQUENCE hrms_movement.movement_id_seq START 2100001;
CREATE TABLE hrms_movement.movement (
    id          t_id NOT NULL DEFAULT nextval('hrms_movement.movement_id_seq') PRIMARY KEY,
    id_employee t_id NOT NULL REFERENCES cmn_contractor.person (id),
    d_begin     date NOT NULL,
    d_end       date,
    id_staffpos t_id REFERENCES hrms_staffpos.staffpos (id),
    CHECK (d_end IS NULL OR d_end >= d_begin)
);
ALTER SEQUENCE hrms_movement.movement_id_seq OWNED BY hrms_movement.movement.id;
CREATE INDEX movement_id_employee_idx ON hrms_movement.movement (id_employee);

-- Production requisitions and their lines. A line names the product by its
-- goods id, which is the product's izdel.id.
CREATE SEQUENCE mnf_doc.doc_id_seq START 7000001;
CREATE TABLE mnf_doc.doc (
    id         t_id NOT NULL DEFAULT nextval('mnf_doc.doc_id_seq') PRIMARY KEY,
    s_number   text NOT NULL,
    d_date     date NOT NULL,
    s_customer text
);
ALTER SEQUENCE mnf_doc.doc_id_seq OWNED BY mnf_doc.doc.id;

CREATE SEQUENCE mnf_doc.doc_item_id_seq START 7100001;
CREATE TABLE mnf_doc.doc_item (
    id     t_id             NOT NULL DEFAULT nextval('mnf_doc.doc_item_id_seq') PRIMARY KEY,
    id_doc t_id             NOT NULL REFERENCES mnf_doc.doc (id) ON DELETE CASCADE,
    n_line integer          NOT NULL DEFAULT 1,
    id_gds t_id             NOT NULL,
    f_qty  double precision NOT NULL DEFAULT 0   -- required quantity; 0 sets no limit
);
ALTER SEQUENCE mnf_doc.doc_item_id_seq OWNED BY mnf_doc.doc_item.id;
CREATE INDEX doc_item_id_doc_idx ON mnf_doc.doc_item (id_doc);

-- Materials (goods) and their consignments. f_qty of a consignment is what was
-- received; what is left is computed by accounts_dep.show_consignment.
CREATE SEQUENCE cmn_gds_and_srv.gds_id_seq START 3000001;
CREATE TABLE cmn_gds_and_srv.gds (
    id             t_id NOT NULL DEFAULT nextval('cmn_gds_and_srv.gds_id_seq') PRIMARY KEY,
    s_group_tmc    text NOT NULL,
    s_code         text NOT NULL,
    s_caption      text NOT NULL,
    s_full_caption text NOT NULL,
    s_unit         text NOT NULL DEFAULT 'кг'
);
ALTER SEQUENCE cmn_gds_and_srv.gds_id_seq OWNED BY cmn_gds_and_srv.gds.id;

CREATE SEQUENCE cmn_gds_and_srv.consignment_id_seq START 3500001;
CREATE TABLE cmn_gds_and_srv.consignment (
    id            t_id             NOT NULL DEFAULT nextval('cmn_gds_and_srv.consignment_id_seq') PRIMARY KEY,
    id_gds        t_id             NOT NULL REFERENCES cmn_gds_and_srv.gds (id),
    s_code        text             NOT NULL,   -- heat or batch number
    s_warehouse   text             NOT NULL,
    d_date        date             NOT NULL,
    f_qty         double precision NOT NULL CHECK (f_qty >= 0),
    s_description varchar(4000)
);
ALTER SEQUENCE cmn_gds_and_srv.consignment_id_seq OWNED BY cmn_gds_and_srv.consignment.id;
CREATE INDEX consignment_id_gds_idx ON cmn_gds_and_srv.consignment (id_gds);

-- Attributes of a product's goods record, keyed by the product's izdel.id:
-- metal mass, minimum quantity and paint quantity per piece.
CREATE TABLE cmn_gds_and_srv.gds_attr (
    id          t_id             NOT NULL PRIMARY KEY,
    f_mass      double precision NOT NULL DEFAULT 0,
    f_min_qty   double precision NOT NULL DEFAULT 0,
    f_color_qty double precision NOT NULL DEFAULT 0
);

-- ---------------------------------------------------------------------------
-- The program's own schema.
-- Of the references between these tables two are declared: a position's
-- operation and an operation's type. The journal and the reports read positions
-- through both with inner joins, so neither may go while in use, whichever
-- workstation deletes it. The others are not: the program deletes operations and
-- positions without touching what refers to them.
-- ---------------------------------------------------------------------------

CREATE SCHEMA accounts_dep;

-- Products. id is the product's goods id in the enterprise database.
CREATE TABLE accounts_dep.izdel (
    id    t_id             NOT NULL PRIMARY KEY,
    marka varchar(512)     NOT NULL,
    nom   varchar(512),
    massa double precision NOT NULL DEFAULT 0
);

-- Operation types.
CREATE TABLE accounts_dep.vid_oper (
    id  serial     PRIMARY KEY,
    vid char(128)  NOT NULL
);
-- The editor refuses a second type of the same name regardless of case after
-- counting; this keeps two workstations from both passing that count.
CREATE UNIQUE INDEX vid_oper_vid_uq ON accounts_dep.vid_oper (upper(vid::text));

-- Operations: a type of work on a product for a product kind (naimen 0 finished
-- products, otherwise blanks). Prices live in norm.
CREATE TABLE accounts_dep.oper (
    id       serial           PRIMARY KEY,
    i_id     integer          NOT NULL,
    vid      integer          NOT NULL
        CONSTRAINT oper_vid_fk REFERENCES accounts_dep.vid_oper (id) ON DELETE RESTRICT,
    naimen   smallint         NOT NULL DEFAULT 0,
    cena_new double precision,            -- price typed when the operation is created
    cena     double precision             -- older price column, only exported
);
-- The editor refuses a second operation with the same type, kind and product
-- after counting; the index makes that hold for two workstations as well and
-- serves the product filter of the entry dialog (i_id first).
CREATE UNIQUE INDEX oper_i_id_vid_naimen_uq ON accounts_dep.oper (i_id, vid, naimen);

-- Price table of an operation, any number of rows.
-- A row without a price would make the operation's smallest price unknown and
-- positions priced from it wrong, so price has no default and may not be null.
CREATE TABLE accounts_dep.norm (
    id     serial           PRIMARY KEY,
    o_id   integer          NOT NULL,
    norma  integer          DEFAULT 0,
    price  double precision NOT NULL,
    prize  integer          DEFAULT 0
);
CREATE INDEX norm_o_id_idx ON accounts_dep.norm (o_id);

-- Positions of the shift journal.
CREATE TABLE accounts_dep.smena (
    id            serial           PRIMARY KEY,
    data          date             NOT NULL,
    smena         smallint         NOT NULL CHECK (smena BETWEEN 1 AND 4),
    w_id          integer          NOT NULL,
    i_id          integer          NOT NULL,
    o_id          integer          NOT NULL
        CONSTRAINT smena_o_id_fk REFERENCES accounts_dep.oper (id) ON DELETE RESTRICT,
    cena          double precision NOT NULL DEFAULT 0,
    kol_vo        double precision NOT NULL DEFAULT 0,  -- ranges: trigger smena_rules
    brak          smallint         NOT NULL DEFAULT 0,
    time          integer          NOT NULL DEFAULT 0,
    color         integer          NOT NULL DEFAULT 0,
    prize         double precision NOT NULL DEFAULT 0,
    ok            char(2)          DEFAULT 'no',  -- null and 'ta' exist in old data
    vvod          timestamp        DEFAULT now(),
    id_doc        t_id             NOT NULL DEFAULT 0,
    id_doc_item   t_id             NOT NULL DEFAULT 0,
    f_gds_qty_use double precision NOT NULL DEFAULT 0,
    id_gds_use    t_id             NOT NULL DEFAULT 0,
    id_cons_use   t_id             NOT NULL DEFAULT 0
);
-- The journal reads one day and shift; the reports scan a date range (prefix).
CREATE INDEX smena_data_smena_idx ON accounts_dep.smena (data, smena);
-- Whether an operation is still used (before its deletion, and for its key).
CREATE INDEX smena_o_id_idx ON accounts_dep.smena (o_id);
-- The day cell of the time-sheet sums one worker's positions of a shift and day.
CREATE INDEX smena_w_id_smena_data_idx ON accounts_dep.smena (w_id, smena, data);

-- Monthly hours time-sheet: one row per worker, shift, month and year.
-- Rows are inserted with a single day given, so every day defaults to 0.
CREATE TABLE accounts_dep.h_tabel (
    id    serial  PRIMARY KEY,
    w_id  integer NOT NULL,
    smena integer NOT NULL CHECK (smena BETWEEN 1 AND 4),
    month integer NOT NULL CHECK (month BETWEEN 1 AND 12),
    year  integer NOT NULL CHECK (year BETWEEN 1900 AND 9999),
    d1  integer NOT NULL DEFAULT 0, d2  integer NOT NULL DEFAULT 0,
    d3  integer NOT NULL DEFAULT 0, d4  integer NOT NULL DEFAULT 0,
    d5  integer NOT NULL DEFAULT 0, d6  integer NOT NULL DEFAULT 0,
    d7  integer NOT NULL DEFAULT 0, d8  integer NOT NULL DEFAULT 0,
    d9  integer NOT NULL DEFAULT 0, d10 integer NOT NULL DEFAULT 0,
    d11 integer NOT NULL DEFAULT 0, d12 integer NOT NULL DEFAULT 0,
    d13 integer NOT NULL DEFAULT 0, d14 integer NOT NULL DEFAULT 0,
    d15 integer NOT NULL DEFAULT 0, d16 integer NOT NULL DEFAULT 0,
    d17 integer NOT NULL DEFAULT 0, d18 integer NOT NULL DEFAULT 0,
    d19 integer NOT NULL DEFAULT 0, d20 integer NOT NULL DEFAULT 0,
    d21 integer NOT NULL DEFAULT 0, d22 integer NOT NULL DEFAULT 0,
    d23 integer NOT NULL DEFAULT 0, d24 integer NOT NULL DEFAULT 0,
    d25 integer NOT NULL DEFAULT 0, d26 integer NOT NULL DEFAULT 0,
    d27 integer NOT NULL DEFAULT 0, d28 integer NOT NULL DEFAULT 0,
    d29 integer NOT NULL DEFAULT 0, d30 integer NOT NULL DEFAULT 0,
    d31 integer NOT NULL DEFAULT 0
);
-- The program counts before it inserts; when two workstations insert the first
-- row of the same worker, shift and month at once, the second insert fails here
-- instead of leaving two rows.
CREATE UNIQUE INDEX h_tabel_w_id_smena_month_year_uq
    ON accounts_dep.h_tabel (w_id, smena, month, year);
-- The time-sheet window reads one shift of one month.
CREATE INDEX h_tabel_month_year_smena_idx ON accounts_dep.h_tabel (month, year, smena);

-- Materials consumed by a position.
CREATE TABLE accounts_dep.smena_gds_use (
    id          serial           PRIMARY KEY,
    id_smena    integer          NOT NULL,
    id_gds_use  t_id             NOT NULL,
    id_cons_use t_id,
    f_qty_use   double precision NOT NULL DEFAULT 0
);
CREATE INDEX smena_gds_use_id_smena_idx ON accounts_dep.smena_gds_use (id_smena);
-- show_consignment sums the consumption of each consignment.
CREATE INDEX smena_gds_use_id_cons_use_idx ON accounts_dep.smena_gds_use (id_cons_use);

-- Brigade of a position until it is divided. The program inserts without id.
CREATE SEQUENCE accounts_dep.person_temp_id_seq;
CREATE TABLE accounts_dep.person_temp (
    id        t_id    NOT NULL DEFAULT nextval('accounts_dep.person_temp_id_seq') PRIMARY KEY,
    id_smena  integer NOT NULL,
    id_person t_id    NOT NULL
);
ALTER SEQUENCE accounts_dep.person_temp_id_seq OWNED BY accounts_dep.person_temp.id;
CREATE INDEX person_temp_id_smena_idx ON accounts_dep.person_temp (id_smena);

-- ---------------------------------------------------------------------------
-- Views over the enterprise objects.
-- ---------------------------------------------------------------------------

-- Requisitions that positions can be booked against, newest first.
CREATE VIEW accounts_dep.v_mnf_requisition AS
SELECT doc.id,
       format('Заявка № %s от %s', doc.s_number, to_char(doc.d_date, 'dd.mm.yyyy'))
       || coalesce(', ' || doc.s_customer, '') AS s_caption
FROM mnf_doc.doc doc
ORDER BY doc.d_date DESC, doc.s_number DESC;

-- Requisition lines. s_gds_mc is the product's izdel.id as text: the entry
-- dialog filters operations with "i_id=" || s_gds_mc.
CREATE VIEW accounts_dep.v_mnf_requisition_item AS
SELECT item.id,
       item.id_doc,
       format('%s. %s', item.n_line,
              CASE WHEN izdel.id IS NULL THEN 'изделие ' || item.id_gds
                   -- names usually carry the mark already ("Шкаф ШР-45-01")
                   WHEN strpos(coalesce(izdel.nom, ''), btrim(izdel.marka)) > 0 THEN btrim(izdel.nom)
                   ELSE btrim(izdel.marka) || coalesce(' ' || btrim(izdel.nom), '') END)
       || CASE WHEN item.f_qty > 0
               THEN ' — ' || trim_scale(item.f_qty::numeric) || ' шт.'
               ELSE '' END AS s_caption,
       item.id_gds,
       item.f_qty,
       item.id_gds::text AS s_gds_mc
FROM mnf_doc.doc_item item
LEFT JOIN accounts_dep.izdel izdel ON izdel.id = item.id_gds
ORDER BY item.id_doc, item.n_line, item.id;

-- Materials that positions can consume.
CREATE VIEW accounts_dep.v_cmn_gds_in AS
SELECT gds.id, gds.s_group_tmc, gds.s_code, gds.s_caption, gds.s_full_caption
FROM cmn_gds_and_srv.gds gds
ORDER BY gds.s_group_tmc, gds.s_caption;

-- ---------------------------------------------------------------------------
-- Functions.
-- ---------------------------------------------------------------------------

-- show_consignment(goods id): the consignments of one material, oldest first,
-- with what is left of each: the received quantity minus every material row of
-- the journal (smena_gds_use) that consumed that consignment. Exhausted
-- consignments stay in the list (f_cons_qty 0) so that material rows that used
-- them still find their caption. s_full_caption is what the material list
-- shows under "Партия - № плавки, склад, остаток". An unknown id (0 while no
-- material is chosen) gives no rows.
CREATE FUNCTION accounts_dep.show_consignment(id_gds t_id)
RETURNS TABLE (id t_id, s_code text, s_caption text, s_full_caption text,
               s_description text, f_cons_qty double precision)
LANGUAGE sql STABLE
AS $$
    SELECT cons.id,
           cons.s_code,
           gds.s_caption,
           format('%s, %s, ост. %s %s', cons.s_code, cons.s_warehouse,
                  replace(trim_scale(round(left_qty.qty, 3))::text, '.', ','), gds.s_unit),
           cons.s_description::text,
           left_qty.qty::double precision
    FROM cmn_gds_and_srv.consignment cons
    JOIN cmn_gds_and_srv.gds gds ON gds.id = cons.id_gds
    -- summed as numeric so that the balance carries no binary noise (364.87, not 364.8699999999998)
    CROSS JOIN LATERAL (
        SELECT cons.f_qty::numeric - coalesce((SELECT sum(sgu.f_qty_use::numeric)
                                               FROM accounts_dep.smena_gds_use sgu
                                               WHERE sgu.id_cons_use = cons.id), 0) AS qty
    ) left_qty
    WHERE cons.id_gds = show_consignment.id_gds
    ORDER BY cons.d_date, cons.id
$$;

-- The same for a goods id handed over as text (a bound text parameter such as
-- '0'); an empty text means no material.
CREATE FUNCTION accounts_dep.show_consignment(id_gds text)
RETURNS TABLE (id t_id, s_code text, s_caption text, s_full_caption text,
               s_description text, f_cons_qty double precision)
LANGUAGE sql STABLE
AS $$
    SELECT * FROM accounts_dep.show_consignment(nullif(btrim(id_gds), '')::t_id)
$$;

-- get_doc_item_caption_by_smena(position id): the requisition line of the
-- position (id and caption), no row when the position has none.
CREATE FUNCTION accounts_dep.get_doc_item_caption_by_smena(id_smena integer)
RETURNS TABLE (id t_id, s_caption text)
LANGUAGE sql STABLE
AS $$
    SELECT item.id, item.s_caption
    FROM accounts_dep.smena smena
    JOIN accounts_dep.v_mnf_requisition_item item ON item.id = smena.id_doc_item
    WHERE smena.id = $1
$$;

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

-- smena__accept_row(position id): a shift master accepts the position, its ok
-- becomes 'ok'. Masters may not update positions themselves, so this runs with
-- the owner's rights. A position that no longer exists (deleted at another
-- workstation) is an error rather than a silent success.
CREATE FUNCTION accounts_dep.smena__accept_row(p_id integer)
RETURNS void
LANGUAGE plpgsql
SECURITY DEFINER
SET search_path = accounts_dep, public, pg_temp
AS $$
BEGIN
    UPDATE accounts_dep.smena SET ok = 'ok' WHERE id = p_id;
    IF NOT FOUND THEN
        RAISE EXCEPTION 'Позиция % не найдена: она удалена на другом рабочем месте', p_id
            USING ERRCODE = 'no_data_found';
    END IF;
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

-- divide_between_person(s_id): divides a position among its brigade.
--
-- The brigade is the persons listed in person_temp for the position, each
-- counted once however often he was added, plus the position's own worker when
-- he is not listed. Members are ordered: the position's worker first, then the
-- others in the order they were added. With n members:
--   * kol_vo is split into shares of 0.001 piece: every member gets
--     floor(total / n), the first (total mod n) members one unit more; anything
--     finer than 0.001 stays with the position's worker, so the shares always
--     add up to the original quantity;
--   * time (whole hours) is split the same way in units of 1;
--   * brak (whole pieces) too, but no share carries more rejects than it has
--     pieces: what a share cannot take goes, unit by unit in member order, to
--     the first members with room;
--   * the position's own row keeps the first share; every other member gets a
--     new position with his own w_id (the integer of his s_code) and the same
--     data, smena, i_id, o_id, cena, color, prize, id_doc and id_doc_item,
--     ok 'no', vvod now(); the materials stay on the original position;
--   * the day cell of every member (the same shift and date) is recomputed by
--     h_tabel_set_day, the row inserted when missing;
--   * the person_temp rows that were used are deleted.
-- With no brigade rows it does nothing, so a second call is harmless; a brigade
-- of the worker alone only clears the list. An accepted position is not divided.
-- A division that would give a member no pieces, or rejects that the shares of
-- pieces cannot hold, is refused with a message and nothing is divided: a share
-- must be a position the value rules accept. The members' day cells are locked
-- in ascending order before any share is written.
-- Runs with the owner's rights (search path pinned) and is executable by clerks
-- only; being one statement, a division happens completely or not at all.
CREATE FUNCTION accounts_dep.divide_between_person(s_id integer)
RETURNS void
LANGUAGE plpgsql
SECURITY DEFINER
SET search_path = accounts_dep, public, pg_temp
AS $$
DECLARE
    pos        accounts_dep.smena%ROWTYPE;
    v_rows     t_id[];
    v_bad      text;
    v_workers  integer[];
    n          integer;
    qty_units  bigint;
    qty_rest   numeric;
    share_qty  numeric;
    share_brak integer;
    share_time integer;
    shares_qty numeric[];
    shares_brak integer[];
    brak_left  integer;
    room       integer;
    w          integer;
BEGIN
    -- Lock the position first: a concurrent division waits and then finds the
    -- brigade rows gone.
    SELECT * INTO pos FROM accounts_dep.smena WHERE id = s_id FOR UPDATE;

    SELECT array_agg(pt.id ORDER BY pt.id) INTO v_rows
    FROM accounts_dep.person_temp pt WHERE pt.id_smena = s_id;
    IF v_rows IS NULL THEN
        RETURN;
    END IF;
    IF pos.id IS NULL THEN
        RAISE EXCEPTION 'Позиция % не найдена', s_id USING ERRCODE = 'no_data_found';
    END IF;
    IF btrim(pos.ok) = 'ok' THEN
        RAISE EXCEPTION 'Позиция % уже принята мастером и не делится', s_id;
    END IF;

    SELECT string_agg(coalesce(format('%s (табельный номер «%s»)', p.s_caption, p.s_code),
                               format('лицо с id %s не найдено', pt.id_person)), ', ')
    INTO v_bad
    FROM accounts_dep.person_temp pt
    LEFT JOIN cmn_contractor.person p ON p.id = pt.id_person
    WHERE pt.id = ANY (v_rows) AND (p.id IS NULL OR p.s_code !~ '^\s*[0-9]{1,9}\s*$');
    IF v_bad IS NOT NULL THEN
        RAISE EXCEPTION 'Бригаду позиции % нельзя разделить: %', s_id, v_bad;
    END IF;

    -- The position's worker first, then the others in the order they were added.
    -- Codes are cast only for the members (materialized first), so a bad code of
    -- some other person in the register does not get in the way.
    WITH member AS MATERIALIZED (
        SELECT p.s_code, pt.id
        FROM accounts_dep.person_temp pt
        JOIN cmn_contractor.person p ON p.id = pt.id_person
        WHERE pt.id = ANY (v_rows)
    )
    SELECT pos.w_id || coalesce(array_agg(m.w_id ORDER BY m.first_row), '{}')
    INTO v_workers
    FROM (SELECT s_code::integer AS w_id, min(id) AS first_row
          FROM member GROUP BY s_code::integer) m
    WHERE m.w_id <> pos.w_id;
    n := cardinality(v_workers);

    IF n > 1 THEN
        qty_units := round(pos.kol_vo::numeric * 1000);
        qty_rest  := pos.kol_vo::numeric - qty_units / 1000.0;
        IF qty_units < n THEN
            RAISE EXCEPTION 'Позицию % нельзя разделить на % чел.: на кого-то не придётся ни одной тысячной штуки',
                            s_id, n;
        END IF;
        brak_left := 0;
        FOR i IN 1 .. n LOOP
            shares_qty[i] := (qty_units / n + CASE WHEN i <= qty_units % n THEN 1 ELSE 0 END) / 1000.0
                             + CASE WHEN i = 1 THEN qty_rest ELSE 0 END;
            share_brak := pos.brak / n + CASE WHEN i <= pos.brak % n THEN 1 ELSE 0 END;
            shares_brak[i] := least(share_brak, floor(shares_qty[i])::integer);
            brak_left := brak_left + share_brak - shares_brak[i];
        END LOOP;
        FOR i IN 1 .. n LOOP
            EXIT WHEN brak_left = 0;
            room := least(brak_left, floor(shares_qty[i])::integer - shares_brak[i]);
            shares_brak[i] := shares_brak[i] + room;
            brak_left := brak_left - room;
        END LOOP;
        IF brak_left > 0 THEN
            RAISE EXCEPTION 'Позицию % нельзя разделить на % чел.: брак (% шт.) больше, чем умещается в их доли количества',
                            s_id, n, pos.brak;
        END IF;

        -- in one order, so two divisions sharing members never wait on each other
        FOR w IN SELECT DISTINCT u FROM unnest(v_workers) u ORDER BY u LOOP
            PERFORM accounts_dep.h_tabel_lock_worker(w, pos.data);
        END LOOP;

        FOR i IN 1 .. n LOOP
            share_qty  := shares_qty[i];
            share_brak := shares_brak[i];
            share_time := pos.time / n + CASE WHEN i <= pos.time % n THEN 1 ELSE 0 END;
            IF i = 1 THEN
                UPDATE accounts_dep.smena
                SET kol_vo = share_qty, brak = share_brak, time = share_time
                WHERE id = pos.id;
            ELSE
                INSERT INTO accounts_dep.smena
                    (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, time, color, prize,
                     ok, vvod, id_doc, id_doc_item, f_gds_qty_use, id_gds_use, id_cons_use)
                VALUES (pos.data, pos.smena, v_workers[i], pos.i_id, pos.o_id, pos.cena,
                        share_qty, share_brak, share_time, pos.color, pos.prize,
                        'no', now(), pos.id_doc, pos.id_doc_item, 0, 0, 0);
            END IF;
        END LOOP;

        FOR w IN SELECT DISTINCT u FROM unnest(v_workers) u ORDER BY u LOOP
            PERFORM accounts_dep.h_tabel_set_day(w, pos.smena, pos.data, true);
        END LOOP;
    END IF;

    DELETE FROM accounts_dep.person_temp WHERE id = ANY (v_rows);
END
$$;

-- A new operation's price becomes its first norm row: the operations list and
-- the entry dialog read prices only from norm. norma 0 means "no norm in pieces
-- set yet" and prize 0 no bonus; both are edited later in the norms window.
-- An operation created without a price gets no norm row.
CREATE FUNCTION accounts_dep.oper_first_norm()
RETURNS trigger
LANGUAGE plpgsql
SET search_path = accounts_dep, public, pg_temp
AS $$
BEGIN
    INSERT INTO accounts_dep.norm (o_id, norma, price, prize)
    VALUES (NEW.id, 0, NEW.cena_new, 0);
    RETURN NULL;
END
$$;

CREATE TRIGGER oper_first_norm
    AFTER INSERT ON accounts_dep.oper
    FOR EACH ROW
    WHEN (NEW.cena_new IS NOT NULL)
    EXECUTE FUNCTION accounts_dep.oper_first_norm();

-- ---------------------------------------------------------------------------
-- Grants. norv_reader reads everything the program reads; norv_writer also
-- writes positions, their materials and brigades, operations, their types and
-- norms; norv_master writes only through smena__accept_row; norv_administrator
-- is both. Nobody writes h_tabel but the functions that compute it, nobody
-- touches the lock tables, nobody but the owner writes the enterprise stand-ins
-- or izdel.
-- ---------------------------------------------------------------------------

GRANT USAGE ON SCHEMA accounts_dep, cmn_contractor, hrms_staffpos, hrms_movement,
                      mnf_doc, cmn_gds_and_srv
    TO norv_reader;

GRANT SELECT ON ALL TABLES IN SCHEMA accounts_dep, cmn_contractor, hrms_staffpos,
                                     hrms_movement, mnf_doc, cmn_gds_and_srv
    TO norv_reader;
REVOKE ALL ON accounts_dep.h_tabel_month_lock, accounts_dep.h_tabel_worker_lock
    FROM norv_reader, PUBLIC;

GRANT INSERT, UPDATE, DELETE ON
    accounts_dep.smena, accounts_dep.smena_gds_use,
    accounts_dep.person_temp, accounts_dep.oper, accounts_dep.vid_oper, accounts_dep.norm
    TO norv_writer;
GRANT USAGE, SELECT ON
    accounts_dep.smena_id_seq, accounts_dep.smena_gds_use_id_seq,
    accounts_dep.person_temp_id_seq, accounts_dep.oper_id_seq, accounts_dep.vid_oper_id_seq,
    accounts_dep.norm_id_seq
    TO norv_writer;

-- Functions are executable by PUBLIC unless revoked; give each group only its own.
-- The lock functions are no one's: only the functions with the owner's rights
-- call them.
REVOKE EXECUTE ON ALL FUNCTIONS IN SCHEMA accounts_dep FROM PUBLIC;
GRANT EXECUTE ON FUNCTION accounts_dep.show_consignment(t_id),
                          accounts_dep.show_consignment(text),
                          accounts_dep.get_doc_item_caption_by_smena(integer),
                          accounts_dep.h_tabel_day_hours(date),
                          accounts_dep.price_in_range(double precision)
    TO norv_reader;
GRANT EXECUTE ON FUNCTION accounts_dep.smena__accept_row(integer) TO norv_master, norv_writer;
GRANT EXECUTE ON FUNCTION accounts_dep.divide_between_person(integer),
                          accounts_dep.h_tabel_set_day(integer, integer, date, boolean),
                          accounts_dep.h_tabel_rebuild_day(integer, integer, integer),
                          accounts_dep.h_tabel_rebuild_write(integer, integer)
    TO norv_writer;

-- Objects the owner adds later follow the same rules.
ALTER DEFAULT PRIVILEGES FOR ROLE norv_owner IN SCHEMA accounts_dep
    GRANT SELECT ON TABLES TO norv_reader;
ALTER DEFAULT PRIVILEGES FOR ROLE norv_owner
    REVOKE EXECUTE ON FUNCTIONS FROM PUBLIC;

COMMIT;
