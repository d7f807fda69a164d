-- What the enterprise defines in the program's schema, as stand-ins for the demo and
-- the tests: the three views over the enterprise tables, show_consignment,
-- get_doc_item_caption_by_smena, smena__accept_row and divide_between_person.
-- norv_admin install --demo and upgrade --demo load it after the migrations (it
-- calls the program's functions); CREATE OR REPLACE keeps an older copy's grants.
-- Run by norv_admin as superuser, in one transaction.

-- The demo's stand-ins belong to norv_owner, as a fresh install makes them (before
-- versions a login owned them), so that its views may read them.
DO $$
DECLARE
    r record;
BEGIN
    FOR r IN
        SELECT c.oid::regclass AS v FROM pg_class c
        WHERE c.relnamespace = 'accounts_dep'::regnamespace
          AND c.relname IN ('v_mnf_requisition', 'v_mnf_requisition_item', 'v_cmn_gds_in')
    LOOP
        EXECUTE format('ALTER VIEW %s OWNER TO norv_owner', r.v);
    END LOOP;
    FOR r IN
        SELECT p.oid::regprocedure AS f FROM pg_proc p
        WHERE p.pronamespace = 'accounts_dep'::regnamespace
          AND p.proname IN ('show_consignment', 'get_doc_item_caption_by_smena',
                            'smena__accept_row', 'divide_between_person')
    LOOP
        EXECUTE format('ALTER FUNCTION %s OWNER TO norv_owner', r.f);
    END LOOP;
    FOR r IN
        SELECT n.nspname, c.relname, c.relkind FROM pg_namespace n
        LEFT JOIN pg_class c ON c.relnamespace = n.oid AND c.relkind = 'r'
        WHERE n.nspname IN ('cmn_contractor', 'hrms_staffpos', 'hrms_movement', 'mnf_doc',
                            'cmn_gds_and_srv')
    LOOP
        EXECUTE format('ALTER SCHEMA %I OWNER TO norv_owner', r.nspname);
        IF r.relname IS NOT NULL THEN
            EXECUTE format('ALTER TABLE %I.%I OWNER TO norv_owner', r.nspname, r.relname);
        END IF;
    END LOOP;
END
$$;

SET LOCAL ROLE norv_owner;

-- ---------------------------------------------------------------------------
-- Views over the enterprise objects.
-- ---------------------------------------------------------------------------

-- Requisitions that positions can be booked against, newest first.
CREATE OR REPLACE VIEW accounts_dep.v_mnf_requisition AS
SELECT doc.id,
       format('Заявка № %s от %s', doc.s_number, to_char(doc.d_date, 'dd.mm.yyyy'))
       || coalesce(', ' || doc.s_customer, '') AS s_caption
FROM mnf_doc.doc doc
ORDER BY doc.d_date DESC, doc.s_number DESC;

-- Requisition lines. s_gds_mc is the product's izdel.id as text: the entry
-- dialog filters operations with "i_id=" || s_gds_mc.
CREATE OR REPLACE VIEW accounts_dep.v_mnf_requisition_item AS
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
CREATE OR REPLACE VIEW accounts_dep.v_cmn_gds_in AS
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
CREATE OR REPLACE FUNCTION accounts_dep.show_consignment(id_gds t_id)
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
CREATE OR REPLACE FUNCTION accounts_dep.show_consignment(id_gds text)
RETURNS TABLE (id t_id, s_code text, s_caption text, s_full_caption text,
               s_description text, f_cons_qty double precision)
LANGUAGE sql STABLE
AS $$
    SELECT * FROM accounts_dep.show_consignment(nullif(btrim(id_gds), '')::t_id)
$$;

-- get_doc_item_caption_by_smena(position id): the requisition line of the
-- position (id and caption), no row when the position has none.
CREATE OR REPLACE FUNCTION accounts_dep.get_doc_item_caption_by_smena(id_smena integer)
RETURNS TABLE (id t_id, s_caption text)
LANGUAGE sql STABLE
AS $$
    SELECT item.id, item.s_caption
    FROM accounts_dep.smena smena
    JOIN accounts_dep.v_mnf_requisition_item item ON item.id = smena.id_doc_item
    WHERE smena.id = $1
$$;

-- smena__accept_row(position id): a shift master accepts the position, its ok
-- becomes 'ok'. Masters may not update positions themselves, so this runs with
-- the owner's rights. A position that no longer exists (deleted at another
-- workstation) is an error rather than a silent success.
CREATE OR REPLACE FUNCTION accounts_dep.smena__accept_row(p_id integer)
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
CREATE OR REPLACE FUNCTION accounts_dep.divide_between_person(s_id integer)
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


REVOKE EXECUTE ON FUNCTION accounts_dep.show_consignment(t_id),
                           accounts_dep.show_consignment(text),
                           accounts_dep.get_doc_item_caption_by_smena(integer),
                           accounts_dep.smena__accept_row(integer),
                           accounts_dep.divide_between_person(integer)
    FROM PUBLIC;
GRANT SELECT ON accounts_dep.v_mnf_requisition, accounts_dep.v_mnf_requisition_item,
                accounts_dep.v_cmn_gds_in
    TO norv_reader;
GRANT EXECUTE ON FUNCTION accounts_dep.show_consignment(t_id),
                          accounts_dep.show_consignment(text),
                          accounts_dep.get_doc_item_caption_by_smena(integer)
    TO norv_reader;
GRANT EXECUTE ON FUNCTION accounts_dep.smena__accept_row(integer) TO norv_master, norv_writer;
GRANT EXECUTE ON FUNCTION accounts_dep.divide_between_person(integer) TO norv_writer;
