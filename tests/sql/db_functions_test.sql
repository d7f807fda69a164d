-- Behaviour of the database side of data/sql: consignment balances, acceptance,
-- brigade division, the first-norm trigger, the time-sheet key, iif and the
-- grants of the group roles.
--
-- Run as superuser against a fresh database made by norv_admin install --demo
-- and the demo logins, without demo data:
--   psql -X -v ON_ERROR_STOP=1 -d <db> -f tests/sql/db_functions_test.sql
-- Prints "db functions: N passed, 0 failed". A failing check is reported as a
-- WARNING with its name, and the script then ends with an error.

\set QUIET on
-- Only the summary line goes to the output; failures are warnings on stderr.
\o /dev/null
SET client_min_messages = warning;
-- What every login role gets from roles.sql.
SET search_path = "$user", public, accounts_dep;
SET DateStyle = 'ISO, DMY';

CREATE TEMP TABLE check_result (n serial, name text, passed boolean);

CREATE FUNCTION pg_temp.expect(name text, passed boolean, detail text DEFAULT NULL)
RETURNS void LANGUAGE plpgsql AS $$
BEGIN
    INSERT INTO check_result (name, passed) VALUES (name, coalesce(passed, false));
    IF NOT coalesce(passed, false) THEN
        RAISE WARNING '%', 'FAILED: ' || name || coalesce(' — ' || detail, '');
    END IF;
END
$$;

-- Runs a statement as another role and undoes it: 'ok', 'denied' (no privilege)
-- or 'error: ...' for anything else.
CREATE FUNCTION pg_temp.try_as(role_name text, statement text)
RETURNS text LANGUAGE plpgsql AS $$
BEGIN
    BEGIN
        EXECUTE format('SET LOCAL ROLE %I', role_name);
        EXECUTE statement;
        RAISE EXCEPTION 'dbtest: undo';
    EXCEPTION
        WHEN insufficient_privilege THEN RETURN 'denied';
        WHEN raise_exception THEN
            IF SQLERRM = 'dbtest: undo' THEN RETURN 'ok'; END IF;
            RETURN 'error: ' || SQLERRM;
        WHEN OTHERS THEN RETURN 'error: ' || SQLSTATE || ' ' || SQLERRM;
    END;
END
$$;

-- ---------------------------------------------------------------------------
-- Fixture: four workers of one shift, two products, one requisition line,
-- two materials with three consignments, and a few positions of 14.03.2025.
-- Made by the superuser, as no login may write the enterprise stand-ins.
-- ---------------------------------------------------------------------------

INSERT INTO hrms_staffpos.staffpos (id, s_caption) VALUES (1, 'Слесарь-сборщик');
INSERT INTO cmn_contractor.person (id, s_code, s_caption, b_employee) VALUES
    (11, '101', 'Андреев А.А.', true),
    (12, '102', 'Борисов Б.Б.', true),
    (13, '103', 'Васильева В.В.', true),
    (14, '104', 'Григорьев Г.Г.', true),
    (19, 'б/н', 'Подрядчик без табельного номера', false);
INSERT INTO hrms_movement.movement (id_employee, d_begin, id_staffpos)
SELECT id, '2020-01-01', 1 FROM cmn_contractor.person WHERE id BETWEEN 11 AND 14;

INSERT INTO accounts_dep.izdel (id, marka, nom, massa) VALUES
    (501, 'КМ-120', 'Корпус металлический КМ-120', 1.5),
    (502, 'ШР-45-01', 'Шкаф распределительный ШР-45-01', 3.0);
INSERT INTO accounts_dep.vid_oper (vid) VALUES ('Сборка'), ('Резка');
INSERT INTO accounts_dep.oper (i_id, vid, naimen, cena_new)
SELECT 501, id, 0, 12.5 FROM accounts_dep.vid_oper WHERE vid = 'Сборка';

INSERT INTO mnf_doc.doc (id, s_number, d_date) VALUES (701, 'Т-1', '2025-03-01');
INSERT INTO mnf_doc.doc_item (id, id_doc, n_line, id_gds, f_qty) VALUES (711, 701, 1, 501, 100);

INSERT INTO cmn_gds_and_srv.gds (id, s_group_tmc, s_code, s_caption, s_full_caption) VALUES
    (901, 'ЛКМ', '08.01', 'Эмаль RAL 5015 синяя', 'Эмаль RAL 5015 синяя (08.01)'),
    (902, 'Металлопрокат', '01.10', 'Лист х/к 1,0 мм', 'Лист х/к 1,0 мм (01.10)');
INSERT INTO cmn_gds_and_srv.consignment (id, id_gds, s_code, s_warehouse, d_date, f_qty) VALUES
    (9101, 902, 'пл. 24-1001', 'Склад №1', '2025-01-10', 100),
    (9102, 902, 'пл. 24-1002', 'Склад №1', '2025-02-10', 50),
    (9103, 901, 'парт. 0007', 'Склад №2', '2025-02-01', 20);

INSERT INTO accounts_dep.smena
    (id, data, smena, w_id, i_id, o_id, cena, kol_vo, brak, time, ok, id_doc, id_doc_item)
SELECT v.id, '2025-03-14', 1, v.w_id, 501, o.id, 12.5, v.kol_vo, v.brak, v.time, 'no', 701, 711
FROM accounts_dep.oper o,
     (VALUES (1001, 101, 10, 1, 7),    -- divided among a brigade below
             (1002, 101,  4, 0, 2),    -- the same worker's second position that day
             (1003, 104,  5, 0, 8)     -- accepted below
     ) AS v(id, w_id, kol_vo, brak, time)
WHERE o.i_id = 501;
UPDATE accounts_dep.smena SET id_doc = 0, id_doc_item = 0 WHERE id = 1003;

INSERT INTO accounts_dep.smena_gds_use (id_smena, id_gds_use, id_cons_use, f_qty_use) VALUES
    (1001, 902, 9101, 30), (1001, 902, 9101, 12.4), (1003, 901, 9103, 20);

-- Worker 103 already has hours on the 3rd of that month in shift 1.
INSERT INTO accounts_dep.h_tabel (w_id, smena, month, year, d3) VALUES (103, 1, 3, 2025, 7);

RESET ROLE;

-- ---------------------------------------------------------------------------
-- show_consignment: what is left of each consignment
-- ---------------------------------------------------------------------------

DO $$
DECLARE
    c record;
    got double precision;
BEGIN
    FOR c IN SELECT * FROM (VALUES
        ('consignment used by two material rows', 902, 9101, 57.6),
        ('consignment nobody used',               902, 9102, 50),
        ('consignment used up',                   901, 9103, 0)
    ) AS t(label, id_gds, id_cons, left_qty)
    LOOP
        SELECT f_cons_qty INTO got
        FROM accounts_dep.show_consignment(c.id_gds::t_id) WHERE id = c.id_cons;
        PERFORM pg_temp.expect('show_consignment: ' || c.label || ' leaves ' || c.left_qty,
                               got = c.left_qty, 'got ' || coalesce(got::text, 'no row'));
    END LOOP;
END
$$;

DO $$
DECLARE
    c record;
    got bigint;
BEGIN
    -- the material dialog binds the goods id as text, '0' while nothing is chosen
    FOR c IN SELECT * FROM (VALUES
        ('select count(*) from accounts_dep.show_consignment(''0'')', 0),
        ('select count(*) from accounts_dep.show_consignment(''902''::text)', 2),
        ('select count(*) from accounts_dep.show_consignment(902)', 2),
        ('select count(*) from accounts_dep.show_consignment(0::t_id)', 0)
    ) AS t(statement, expected)
    LOOP
        EXECUTE c.statement INTO got;
        PERFORM pg_temp.expect(c.statement || ' = ' || c.expected, got = c.expected, 'got ' || got);
    END LOOP;
END
$$;

-- The entry dialog's material list joins it per material row.
SELECT pg_temp.expect('material list finds the consignment caption of every row',
                      count(*) = 2 AND count(cons_use.s_full_caption) = 2
                      AND bool_and(cons_use.s_full_caption LIKE 'пл. 24-1001, Склад №1, ост. 57,6 кг'),
                      string_agg(cons_use.s_full_caption, '; '))
FROM accounts_dep.smena_gds_use sgu
INNER JOIN accounts_dep.v_cmn_gds_in vcgi ON vcgi.id = sgu.id_gds_use
LEFT JOIN accounts_dep.show_consignment(sgu.id_gds_use) cons_use ON cons_use.id = sgu.id_cons_use
WHERE sgu.id_smena = 1001;

-- ---------------------------------------------------------------------------
-- Requisition line of a position (view mode of the entry dialog)
-- ---------------------------------------------------------------------------

SELECT pg_temp.expect('get_doc_item_caption_by_smena gives the line of the position',
                      count(*) = 1 AND min(id::t_id) = 711 AND min(s_caption) LIKE '1. %КМ-120%',
                      min(s_caption))
FROM accounts_dep.get_doc_item_caption_by_smena(1001);
SELECT pg_temp.expect('get_doc_item_caption_by_smena gives nothing for a position without a line',
                      count(*) = 0)
FROM accounts_dep.get_doc_item_caption_by_smena(1003);
SELECT pg_temp.expect('requisition line shows its product id as s_gds_mc',
                      s_gds_mc = '501' AND f_qty = 100)
FROM accounts_dep.v_mnf_requisition_item WHERE id = 711;

-- ---------------------------------------------------------------------------
-- iif, called as the operations export calls it (unqualified, literal texts)
-- ---------------------------------------------------------------------------

SELECT pg_temp.expect('iif with two text literals (operations export)',
                      string_agg(nmn, ',') = 'Готовая продукция', string_agg(nmn, ','))
FROM (
    select izdel.MARKA, vid_oper.VID, oper.NAIMEN, iif(naimen=0,'Готовая продукция','Заготовки') as nmn, oper.CENA, oper.id, oper.i_id,
     oper.VID as oper_vid from OPER,IZDEL,VID_OPER where OPER.i_id=IZDEL.id
    and oper.vid=vid_oper.id order by izdel.marka, vid_oper.vid, oper.naimen
) export;

DO $$
DECLARE
    c record;
    got text;
BEGIN
    FOR c IN SELECT * FROM (VALUES
        ('select iif(1=0, ''Готовая продукция'', ''Заготовки'')', 'Заготовки'),
        ('select iif(null, ''да'', ''нет'')', 'нет'),
        ('select iif(true, 1, 2)::text', '1'),
        ('select pg_typeof(iif(false, 1.5, 2.5))::text', 'numeric')
    ) AS t(statement, expected)
    LOOP
        EXECUTE c.statement INTO got;
        PERFORM pg_temp.expect(c.statement || ' = ' || c.expected, got = c.expected, 'got ' || got);
    END LOOP;
END
$$;

-- ---------------------------------------------------------------------------
-- A new operation's price becomes its first norm (inserted by a clerk)
-- ---------------------------------------------------------------------------

SET ROLE petrova;
insert into accounts_dep.oper(vid, naimen, i_id, cena_new)
values ((select id from accounts_dep.vid_oper where vid = 'Резка'), 1, 502, 7.25);
insert into accounts_dep.oper(vid, naimen, i_id, cena_new)
values ((select id from accounts_dep.vid_oper where vid = 'Сборка'), 0, 502, null);
RESET ROLE;

SELECT pg_temp.expect('operation with a price gets one norm: norma 0, the price, prize 0',
                      count(*) = 1 AND min(n.norma) = 0 AND min(n.price) = 7.25 AND min(n.prize) = 0)
FROM accounts_dep.oper o JOIN accounts_dep.norm n ON n.o_id = o.id
WHERE o.i_id = 502 AND o.naimen = 1;
SELECT pg_temp.expect('operation without a price gets no norm', count(n.id) = 0)
FROM accounts_dep.oper o LEFT JOIN accounts_dep.norm n ON n.o_id = o.id
WHERE o.i_id = 502 AND o.naimen = 0;

-- ---------------------------------------------------------------------------
-- One time-sheet row per worker, shift, month and year
-- ---------------------------------------------------------------------------

INSERT INTO accounts_dep.h_tabel(smena, w_id, month, year, d5) values(2, 555, 3, 2025, 8);

SELECT pg_temp.expect('time-sheet row inserted for one day reads 0 on the other days',
                      d5 = 8 AND (d1+d2+d3+d4+d5+d6+d7+d8+d9+d10+d11+d12+d13+d14+d15+d16+d17+d18
                                  +d19+d20+d21+d22+d23+d24+d25+d26+d27+d28+d29+d30+d31) = 8)
FROM accounts_dep.h_tabel WHERE w_id = 555;

DO $$
DECLARE
    outcome text := 'inserted';
BEGIN
    BEGIN
        INSERT INTO accounts_dep.h_tabel(smena, w_id, month, year, d6) values(2, 555, 3, 2025, 4);
    EXCEPTION WHEN unique_violation THEN
        outcome := 'unique_violation';
    END;
    PERFORM pg_temp.expect('second time-sheet row of the same worker, shift and month is refused',
                           outcome = 'unique_violation', outcome);
    outcome := 'inserted';
    BEGIN
        INSERT INTO accounts_dep.h_tabel(smena, w_id, month, year, d6) values(3, 555, 3, 2025, 4);
    EXCEPTION WHEN unique_violation THEN
        outcome := 'unique_violation';
    END;
    PERFORM pg_temp.expect('the same worker and month in another shift is a row of its own',
                           outcome = 'inserted', outcome);
END
$$;

-- ---------------------------------------------------------------------------
-- Acceptance by a shift master
-- ---------------------------------------------------------------------------

SET ROLE zemplar;
select accounts_dep.smena__accept_row(1003);
RESET ROLE;

SELECT pg_temp.expect('smena__accept_row marks the position ok', ok = 'ok', ok)
FROM accounts_dep.smena WHERE id = 1003;
SELECT pg_temp.expect('smena__accept_row leaves the other positions alone', bool_and(ok = 'no'))
FROM accounts_dep.smena WHERE id IN (1001, 1002);

DO $$
DECLARE
    outcome text := 'no error';
BEGIN
    BEGIN
        PERFORM accounts_dep.smena__accept_row(999999);
    EXCEPTION WHEN no_data_found THEN
        outcome := 'no_data_found';
    END;
    PERFORM pg_temp.expect('accepting a position that is gone is an error, not a silent success',
                           outcome = 'no_data_found', outcome);
END
$$;

-- ---------------------------------------------------------------------------
-- Division among a brigade: position 1001 (10 pieces, 1 reject, 7 hours of
-- worker 101) with members 102, 103, 102 again and 101 himself.
-- ---------------------------------------------------------------------------

SET ROLE petrova;
insert into accounts_dep.person_temp(id_smena, id_person) values(1001, '12');
insert into accounts_dep.person_temp(id_smena, id_person) values(1001, '13');
insert into accounts_dep.person_temp(id_smena, id_person) values(1001, '12');
insert into accounts_dep.person_temp(id_smena, id_person) values(1001, '11');
select accounts_dep.divide_between_person(1001);
RESET ROLE;

-- the divided position and the shares made from it
CREATE TEMP VIEW division AS
SELECT * FROM accounts_dep.smena WHERE data = '2025-03-14' AND id NOT IN (1002, 1003);

SELECT pg_temp.expect('division: one share per distinct member, the worker included once',
                      count(*) = 3 AND count(DISTINCT w_id) = 3, string_agg(w_id::text, ','))
FROM division;
SELECT pg_temp.expect('division: quantity, rejects and hours add up to the position',
                      sum(kol_vo::numeric) = 10 AND sum(brak) = 1 AND sum(time) = 7,
                      format('%s / %s / %s', sum(kol_vo::numeric), sum(brak), sum(time)))
FROM division;

DO $$
DECLARE
    c record;
    got record;
BEGIN
    FOR c IN SELECT * FROM (VALUES
        (101, 3.334, 1, 3),   -- the position's own worker takes the remainders
        (102, 3.333, 0, 2),
        (103, 3.333, 0, 2)
    ) AS t(w_id, kol_vo, brak, time)
    LOOP
        SELECT * INTO got FROM division WHERE w_id = c.w_id;
        PERFORM pg_temp.expect(format('division: worker %s gets %s pcs, %s rejects, %s h',
                                      c.w_id, c.kol_vo, c.brak, c.time),
                               got.kol_vo::numeric = c.kol_vo AND got.brak = c.brak AND got.time = c.time,
                               format('%s / %s / %s', got.kol_vo, got.brak, got.time));
    END LOOP;
END
$$;

SELECT pg_temp.expect('division: new shares keep day, shift, product, operation, price and requisition, status no',
                      bool_and(s.data = o.data AND s.smena = o.smena AND s.i_id = o.i_id AND s.o_id = o.o_id
                               AND s.cena = o.cena AND s.color = o.color AND s.id_doc = o.id_doc
                               AND s.id_doc_item = o.id_doc_item AND s.ok = 'no' AND s.vvod IS NOT NULL))
FROM division s, accounts_dep.smena o WHERE o.id = 1001 AND s.id <> 1001;
SELECT pg_temp.expect('division: the materials stay on the original position',
                      count(*) FILTER (WHERE id_smena = 1001) = 2
                      AND count(*) FILTER (WHERE id_smena <> 1001 AND id_smena <> 1003) = 0)
FROM accounts_dep.smena_gds_use;
SELECT pg_temp.expect('division: the brigade list of the position is emptied', count(*) = 0)
FROM accounts_dep.person_temp WHERE id_smena = 1001;

DO $$
DECLARE
    c record;
    got integer;
BEGIN
    -- day 14 of March 2025, shift 1: the day-cell rule for every member
    FOR c IN SELECT * FROM (VALUES
        ('worker 101: his share plus his other position', 101, 'd14', 5),
        ('worker 102: row inserted with his share',        102, 'd14', 2),
        ('worker 103: existing row gets his share',        103, 'd14', 2),
        ('worker 103: the other day of his row is kept',   103, 'd3',  7)
    ) AS t(label, w_id, cell, hours)
    LOOP
        EXECUTE format('SELECT %I FROM accounts_dep.h_tabel WHERE w_id = $1 AND smena = 1 AND month = 3 AND year = 2025', c.cell)
            INTO got USING c.w_id;
        PERFORM pg_temp.expect('division time-sheet: ' || c.label, got = c.hours, 'got ' || coalesce(got::text, 'no row'));
    END LOOP;
END
$$;

CREATE TEMP TABLE after_division AS
SELECT count(*) AS n, sum(kol_vo) AS kol_vo, sum(time) AS time FROM accounts_dep.smena;
select accounts_dep.divide_between_person(1001);
SELECT pg_temp.expect('division called again without members changes nothing',
                      a.n = s.n AND a.kol_vo = s.kol_vo AND a.time = s.time)
FROM after_division a,
     (SELECT count(*) AS n, sum(kol_vo) AS kol_vo, sum(time) AS time FROM accounts_dep.smena) s;

-- The splitting rule on other quantities: each case is a position of worker
-- 101 on its own day, divided among him and the given persons.
DO $$
DECLARE
    c record;
    pos_id integer;
    got record;
BEGIN
    FOR c IN SELECT * FROM (VALUES
        (2, '7.5 pcs, 3 rejects among 2',     7.5::float8,   3, 8, ARRAY[12]),
        (3, 'finer than 0.001 among 2',       10.0005,       0, 3, ARRAY[12]),
        (5, 'worker alone in his brigade',    5,             1, 8, ARRAY[11]),
        (6, '3 pcs, 3 rejects among 3',       3,             3, 2, ARRAY[12, 13])
    ) AS t(k, label, kol_vo, brak, time, members)
    LOOP
        INSERT INTO accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, time)
        SELECT date '2025-04-01' + c.k, 2, 101, 501, o.id, 10, c.kol_vo, c.brak, c.time
        FROM accounts_dep.oper o WHERE o.i_id = 501 AND o.naimen = 0
        RETURNING id INTO pos_id;
        INSERT INTO accounts_dep.person_temp (id_smena, id_person)
        SELECT pos_id, unnest(c.members);
        PERFORM accounts_dep.divide_between_person(pos_id);

        SELECT count(*) AS n,
               sum(kol_vo::numeric) AS kol_vo, sum(brak) AS brak, sum(time) AS time,
               max(kol_vo::numeric) - min(kol_vo::numeric) AS qty_spread,
               max(brak) - min(brak) AS brak_spread, max(time) - min(time) AS time_spread,
               bool_and(kol_vo <= (SELECT kol_vo FROM accounts_dep.smena WHERE id = pos_id)) AS worker_first
        INTO got
        FROM accounts_dep.smena WHERE data = date '2025-04-01' + c.k;

        PERFORM pg_temp.expect('split ' || c.label || ': one row per member',
                               got.n = 1 + cardinality(array_remove(c.members, 11)), 'rows ' || got.n);
        PERFORM pg_temp.expect('split ' || c.label || ': shares add up',
                               got.kol_vo = c.kol_vo::numeric AND got.brak = c.brak AND got.time = c.time,
                               format('%s / %s / %s', got.kol_vo, got.brak, got.time));
        PERFORM pg_temp.expect('split ' || c.label || ': shares differ by one unit at most, worker first',
                               got.qty_spread <= 0.001 AND got.brak_spread <= 1 AND got.time_spread <= 1
                               AND got.worker_first,
                               format('%s / %s / %s', got.qty_spread, got.brak_spread, got.time_spread));
    END LOOP;
END
$$;

DO $$
DECLARE
    outcome text := 'divided';
BEGIN
    -- a member whose personnel number is not a number: a clear refusal, nothing changed
    INSERT INTO accounts_dep.person_temp (id_smena, id_person) VALUES (1002, 12), (1002, 19);
    BEGIN
        PERFORM accounts_dep.divide_between_person(1002);
    EXCEPTION WHEN OTHERS THEN
        outcome := SQLERRM;
    END;
    PERFORM pg_temp.expect('division refuses a member without a numeric personnel number',
                           outcome LIKE '%Подрядчик без табельного номера%б/н%', outcome);
    PERFORM pg_temp.expect('refused division leaves the position and its brigade as they were',
                           (SELECT kol_vo = 4 AND time = 2 FROM accounts_dep.smena WHERE id = 1002)
                           AND (SELECT count(*) = 2 FROM accounts_dep.person_temp WHERE id_smena = 1002));
    DELETE FROM accounts_dep.person_temp WHERE id_smena = 1002;

    -- an accepted position is not divided any more
    outcome := 'divided';
    INSERT INTO accounts_dep.person_temp (id_smena, id_person) VALUES (1003, 13);
    BEGIN
        PERFORM accounts_dep.divide_between_person(1003);
    EXCEPTION WHEN OTHERS THEN
        outcome := SQLERRM;
    END;
    PERFORM pg_temp.expect('division refuses an accepted position',
                           outcome LIKE '%принята%'
                           AND (SELECT kol_vo = 5 FROM accounts_dep.smena WHERE id = 1003), outcome);
    DELETE FROM accounts_dep.person_temp WHERE id_smena = 1003;
END
$$;

-- Rejects go where the pieces are: no share carries more rejects than pieces.
-- 1.9995 pcs among 2 leave the worker 0.9995 pcs (the finer rest is his), so
-- his reject goes to the other member.
DO $$
DECLARE
    pos_id integer;
    got text;
BEGIN
    INSERT INTO accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, time)
    SELECT date '2025-04-20', 2, 101, 501, o.id, 10, 1.9995, 1, 4
    FROM accounts_dep.oper o WHERE o.i_id = 501 AND o.naimen = 0
    RETURNING id INTO pos_id;
    INSERT INTO accounts_dep.person_temp (id_smena, id_person) VALUES (pos_id, 12);
    PERFORM accounts_dep.divide_between_person(pos_id);
    SELECT string_agg(format('%s: %s/%s', w_id, kol_vo::numeric, brak), ', ' ORDER BY w_id) INTO got
    FROM accounts_dep.smena WHERE data = date '2025-04-20';
    PERFORM pg_temp.expect('division: a reject moves to the member with room for it',
                           got = '101: 0.9995/0, 102: 1/1', got);
END
$$;

-- A division whose shares the value rules would refuse divides nothing.
DO $$
DECLARE
    c record;
    pos_id integer;
    outcome text;
BEGIN
    FOR c IN SELECT * FROM (VALUES
        (1, '0.002 pcs among 3: a share of 0 pcs', 0.002::float8, 0, ARRAY[12, 13], '%нельзя разделить на 3 чел.%ни одной тысячной%'),
        (2, '1.002 pcs, 1 reject among 2',          1.002,         1, ARRAY[12],     '%нельзя разделить на 2 чел.%брак (1 шт.)%'),
        (3, '3.001 pcs, 3 rejects among 2',         3.001,         3, ARRAY[12],     '%брак (3 шт.)%')
    ) AS t(k, label, kol_vo, brak, members, message)
    LOOP
        INSERT INTO accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, time)
        SELECT date '2025-05-01' + c.k, 2, 101, 501, o.id, 10, c.kol_vo, c.brak, 3
        FROM accounts_dep.oper o WHERE o.i_id = 501 AND o.naimen = 0
        RETURNING id INTO pos_id;
        INSERT INTO accounts_dep.person_temp (id_smena, id_person) SELECT pos_id, unnest(c.members);
        outcome := 'divided';
        BEGIN
            PERFORM accounts_dep.divide_between_person(pos_id);
        EXCEPTION WHEN OTHERS THEN
            outcome := SQLERRM;
        END;
        PERFORM pg_temp.expect('division refused, ' || c.label, outcome LIKE c.message, outcome);
        PERFORM pg_temp.expect('refused division leaves the position and its brigade, ' || c.label,
                               (SELECT count(*) = 1 AND min(kol_vo) = c.kol_vo FROM accounts_dep.smena
                                WHERE data = date '2025-05-01' + c.k)
                               AND (SELECT count(*) = cardinality(c.members) FROM accounts_dep.person_temp
                                    WHERE id_smena = pos_id));
    END LOOP;
END
$$;

-- ---------------------------------------------------------------------------
-- Grants: what each kind of login may do. Every statement is undone.
-- These run as the login's role in the superuser's session; the rules that
-- depend on who logged in are checked with real logins in login_rules_test.sh.
-- ---------------------------------------------------------------------------

DO $$
DECLARE
    c record;
    got text;
BEGIN
    FOR c IN SELECT * FROM (VALUES
        -- the economist reads and nothing else
        ('econom',  'ok',     'select count(*) from accounts_dep.smena'),
        ('econom',  'ok',     'select count(*) from cmn_contractor.person'),
        ('econom',  'ok',     'select * from accounts_dep.show_consignment(902)'),
        ('econom',  'denied', 'insert into accounts_dep.smena(data, smena, w_id, i_id, o_id) values (''2025-03-14'', 1, 101, 501, 1)'),
        ('econom',  'denied', 'insert into accounts_dep.smena(id, data, smena, w_id, i_id, o_id) values (5000, ''2025-03-14'', 1, 101, 501, 1)'),
        ('econom',  'denied', 'update accounts_dep.smena set kol_vo = 1 where id = 1001'),
        ('econom',  'denied', 'delete from accounts_dep.smena where id = 1001'),
        ('econom',  'denied', 'update accounts_dep.h_tabel set d1 = 1'),
        ('econom',  'denied', 'insert into accounts_dep.vid_oper(vid) values (''Гибка'')'),
        ('econom',  'denied', 'delete from accounts_dep.norm'),
        ('econom',  'denied', 'insert into accounts_dep.person_temp(id_smena, id_person) values (1001, 12)'),
        ('econom',  'denied', 'select accounts_dep.smena__accept_row(1002)'),
        ('econom',  'denied', 'select accounts_dep.divide_between_person(1002)'),
        -- a shift master accepts, through the function only
        ('zemplar', 'ok',     'select accounts_dep.smena__accept_row(1002)'),
        ('zemplar', 'ok',     'select count(*) from accounts_dep.v_mnf_requisition'),
        ('zemplar', 'denied', 'update accounts_dep.smena set ok = ''ok'' where id = 1002'),
        ('zemplar', 'denied', 'delete from accounts_dep.smena where id = 1002'),
        ('zemplar', 'denied', 'insert into accounts_dep.smena(id, data, smena, w_id, i_id, o_id) values (5000, ''2025-03-14'', 1, 101, 501, 1)'),
        ('zemplar', 'denied', 'update accounts_dep.h_tabel set d1 = 1'),
        ('zemplar', 'denied', 'insert into accounts_dep.smena_gds_use(id_smena, id_gds_use, id_cons_use, f_qty_use) values (1002, 902, 9102, 1)'),
        ('zemplar', 'denied', 'select accounts_dep.divide_between_person(1002)'),
        ('quorvin', 'ok',     'select accounts_dep.smena__accept_row(1002)'),
        ('fennix',  'denied', 'update accounts_dep.smena set ok = ''ok'' where id = 1002'),
        -- a clerk writes the program's own tables, not the enterprise's
        ('petrova', 'ok',     'insert into accounts_dep.SMENA(w_id, i_id, o_id, cena, kol_vo, brak, data, smena, color, time, vvod,ok, prize, id_doc, id_doc_item, f_gds_qty_use, id_gds_use, id_cons_use) values(101, 501, 1, 12.5,3.5, 0, to_date(''14.03.2025'', ''DD.MM.YYYY HH24:MI:SS''), 1, 0, 4, ''14.03.2025'', ''no'', 0, 701, 711, 0, 0, 0) returning id'),
        ('petrova', 'ok',     'update accounts_dep.SMENA set kol_vo=6, data=to_date(''14.03.2025'', ''DD.MM.YYYY''), vvod=''14.03.2025'' where id=1002'),
        ('petrova', 'ok',     'delete from accounts_dep.smena where id=1002'),
        ('petrova', 'denied', 'insert into accounts_dep.h_tabel(smena, w_id, month, year, d14) values(1, 104, 3, 2025, 8)'),
        ('petrova', 'denied', 'update accounts_dep.h_tabel set d14=''8'' where w_id=101 and smena=1 and month=3 and year=2025'),
        ('petrova', 'denied', 'delete from accounts_dep.h_tabel where month=3 and year=2025'),
        ('petrova', 'ok',     'select accounts_dep.h_tabel_set_day(101, 1, ''2025-03-14'', true)'),
        ('petrova', 'ok',     'insert into accounts_dep.smena_gds_use(id_smena, id_gds_use, id_cons_use, f_qty_use) values (1002, 902, 9102, 1)'),
        ('petrova', 'ok',     'insert into accounts_dep.vid_oper(vid) values (''Гибка'')'),
        ('petrova', 'ok',     'update accounts_dep.norm set norma = 50'),
        ('petrova', 'ok',     'select accounts_dep.divide_between_person(1002)'),
        ('petrova', 'denied', 'insert into cmn_contractor.person(s_code, s_caption) values (''105'', ''Дмитриев Д.Д.'')'),
        ('petrova', 'denied', 'update accounts_dep.izdel set massa = 2'),
        ('petrova', 'denied', 'update cmn_gds_and_srv.consignment set f_qty = 1000'),
        ('petrova', 'denied', 'delete from mnf_doc.doc_item'),
        -- logins are the superuser's to make
        ('sys',     'denied', 'create role norv_test_clerk login'),
        ('sys',     'denied', 'grant norv_writer to econom')
    ) AS t(role_name, expected, statement)
    LOOP
        got := pg_temp.try_as(c.role_name, c.statement);
        PERFORM pg_temp.expect(format('%s: %s -> %s', c.role_name, left(c.statement, 70), c.expected),
                               got = c.expected, got);
    END LOOP;
END
$$;

-- The case-insensitive uniqueness of operation type names.
SELECT pg_temp.expect('a second operation type differing only in case is refused',
                      pg_temp.try_as('petrova', 'insert into accounts_dep.vid_oper(vid) values (''сборка'')')
                      LIKE 'error: 23505%');

-- What positions are read through stays, whichever workstation deletes it; a position
-- needs an existing operation.
SELECT pg_temp.expect(t.name, g.got LIKE t.expected, g.got)
FROM (VALUES
    ('an operation type with operations is kept',
     'delete from accounts_dep.vid_oper where vid = ''Резка''', 'error: 23503 %'),
    ('an operation with positions is kept',
     'delete from accounts_dep.oper where i_id = 501', 'error: 23503 %'),
    ('an operation without positions goes',
     'delete from accounts_dep.oper where i_id = 502 and naimen = 0', 'ok'),
    ('a position of a missing operation is refused',
     'insert into accounts_dep.smena(data, smena, w_id, i_id, o_id, kol_vo) values (''2025-03-14'', 1, 101, 501, 0, 1)',
     'error: 23503 %')
) AS t(name, statement, expected),
LATERAL (SELECT pg_temp.try_as('petrova', t.statement) AS got) g;

-- Login roles: no settings of their own (the program's connection brings what it relies
-- on, so a login added with plain SQL works the same), SCRAM passwords.
SELECT pg_temp.expect('login ' || r.rolname || ': no settings of its own',
                      s.setconfig IS NULL, array_to_string(s.setconfig, '; '))
FROM pg_roles r
LEFT JOIN pg_db_role_setting s ON s.setrole = r.oid AND s.setdatabase = 0
WHERE r.rolname IN ('sys', 'zemplar', 'quorvin', 'fennix', 'econom', 'petrova');
SELECT pg_temp.expect('every login has a SCRAM password', count(*) = 6)
FROM pg_authid
WHERE rolname IN ('sys', 'zemplar', 'quorvin', 'fennix', 'econom', 'petrova')
  AND rolcanlogin AND rolpassword LIKE 'SCRAM-SHA-256$%';

-- ---------------------------------------------------------------------------

\o
\pset tuples_only on
\pset format unaligned
SELECT format('db functions: %s passed, %s failed',
              count(*) FILTER (WHERE passed), count(*) FILTER (WHERE NOT passed))
FROM check_result;

DO $$
BEGIN
    IF EXISTS (SELECT FROM check_result WHERE NOT passed) THEN
        RAISE EXCEPTION 'db functions: some checks failed';
    END IF;
END
$$;
