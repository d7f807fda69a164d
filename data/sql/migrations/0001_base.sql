-- 0001 Схема программы без учёта версий
-- The program's schema as it was before schema versions: its tables, the day-cell
-- function and the first norm of a new operation. A database that has accounts_dep.smena
-- but no accounts_dep.schema_version already holds exactly this.

SET LOCAL ROLE norv_owner;

-- ---------------------------------------------------------------------------
-- The program's own schema.
-- References between these tables are not declared: the program deletes
-- operations, types and positions without touching what refers to them.
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
    vid      integer          NOT NULL,
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
    o_id          integer          NOT NULL,
    cena          double precision NOT NULL DEFAULT 0,
    kol_vo        double precision NOT NULL DEFAULT 0 CHECK (kol_vo >= 0),
    brak          smallint         NOT NULL DEFAULT 0 CHECK (brak >= 0),
    time          integer          NOT NULL DEFAULT 0 CHECK (time >= 0),
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

-- h_tabel_set_day(worker, shift, date): the day-cell rule in one place. Sets
-- d<day> of the worker's time-sheet row of that shift and month to the sum of
-- time of his positions of that shift and date (0 when none), inserting the row
-- when missing. The upsert on the unique key makes it safe for two sessions.
CREATE FUNCTION accounts_dep.h_tabel_set_day(p_w_id integer, p_smena integer, p_data date)
RETURNS integer
LANGUAGE plpgsql
SET search_path = accounts_dep, public, pg_temp
AS $$
DECLARE
    v_hours integer;
    v_cell  text := 'd' || extract(day FROM p_data)::integer;
BEGIN
    SELECT coalesce(sum(s.time), 0)::integer INTO v_hours
    FROM accounts_dep.smena s
    WHERE s.w_id = p_w_id AND s.smena = p_smena AND s.data = p_data;

    EXECUTE format(
        'INSERT INTO accounts_dep.h_tabel AS h (w_id, smena, month, year, %1$I)'
        ' VALUES ($1, $2, $3, $4, $5)'
        ' ON CONFLICT (w_id, smena, month, year) DO UPDATE SET %1$I = excluded.%1$I',
        v_cell)
    USING p_w_id, p_smena, extract(month FROM p_data)::integer,
          extract(year FROM p_data)::integer, v_hours;
    RETURN v_hours;
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

GRANT USAGE ON SCHEMA accounts_dep TO norv_reader;
GRANT SELECT ON ALL TABLES IN SCHEMA accounts_dep TO norv_reader;
GRANT INSERT, UPDATE, DELETE ON
    accounts_dep.smena, accounts_dep.h_tabel, accounts_dep.smena_gds_use,
    accounts_dep.person_temp, accounts_dep.oper, accounts_dep.vid_oper, accounts_dep.norm
    TO norv_writer;
GRANT USAGE, SELECT ON
    accounts_dep.smena_id_seq, accounts_dep.h_tabel_id_seq, accounts_dep.smena_gds_use_id_seq,
    accounts_dep.person_temp_id_seq, accounts_dep.oper_id_seq, accounts_dep.vid_oper_id_seq,
    accounts_dep.norm_id_seq
    TO norv_writer;
REVOKE EXECUTE ON ALL FUNCTIONS IN SCHEMA accounts_dep FROM PUBLIC;
GRANT EXECUTE ON FUNCTION accounts_dep.h_tabel_set_day(integer, integer, date) TO norv_writer;
ALTER DEFAULT PRIVILEGES IN SCHEMA accounts_dep GRANT SELECT ON TABLES TO norv_reader;
ALTER DEFAULT PRIVILEGES IN SCHEMA accounts_dep REVOKE EXECUTE ON FUNCTIONS FROM PUBLIC;
