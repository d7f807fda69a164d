-- Stand-ins of the enterprise database for the demo and the tests: the domains and
-- helpers, and the tables the program reads with the columns it uses. A plant has
-- its own; norv_admin install --demo loads this before the program's schema.
-- Run by norv_admin as superuser, in one transaction.

SET LOCAL ROLE norv_owner;

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


GRANT USAGE ON SCHEMA cmn_contractor, hrms_staffpos, hrms_movement, mnf_doc, cmn_gds_and_srv
    TO norv_reader;
GRANT SELECT ON ALL TABLES IN SCHEMA cmn_contractor, hrms_staffpos, hrms_movement, mnf_doc,
                                     cmn_gds_and_srv
    TO norv_reader;
