-- Demo data: a sheet-metal shop of about 300 people making enclosures and
-- cabinets, with four months of positions up to and including today.
--
-- Run as superuser after norv_admin install --demo:
--   psql -v ON_ERROR_STOP=1 -d <db> -f data/sql/demo.sql
-- Deterministic for a given day (setseed below; dates count back from
-- current_date so the journal always opens on positions). Set-based throughout.

-- as the superuser: it loads accepted positions, which no login could
SET client_min_messages = warning;
SET work_mem = '64MB';
-- Temp tables have no statistics, so the planner expects huge joins and JIT
-- would spend longer compiling than the queries take.
SET jit = off;

BEGIN;

SELECT setseed(0.42) AS seed \gset

-- ---------------------------------------------------------------------------
-- Staff positions
-- ---------------------------------------------------------------------------

INSERT INTO hrms_staffpos.staffpos (id, s_caption)
SELECT 2000000 + k, caption
FROM unnest(ARRAY[
    'Мастер смены', 'Слесарь-сборщик', 'Сварщик', 'Маляр', 'Токарь', 'Фрезеровщик',
    'Оператор гибочного пресса', 'Оператор лазерной резки', 'Штамповщик',
    'Электромонтажник', 'Контролёр ОТК', 'Упаковщик', 'Шлифовщик', 'Кладовщик',
    'Слесарь-ремонтник', 'Ученик слесаря'
]) WITH ORDINALITY AS t(caption, k);

-- ---------------------------------------------------------------------------
-- People. demo_person keeps what the rest of the script needs to know about
-- each worker: his code, shift team and until when he works here.
-- ---------------------------------------------------------------------------

CREATE TEMP TABLE demo_person AS
WITH surnames AS (
    SELECT ARRAY[
        'Иванов', 'Петров', 'Сидоров', 'Смирнов', 'Кузнецов', 'Попов', 'Васильев',
        'Соколов', 'Михайлов', 'Новиков', 'Фёдоров', 'Морозов', 'Волков', 'Алексеев',
        'Лебедев', 'Семёнов', 'Егоров', 'Павлов', 'Козлов', 'Степанов', 'Николаев',
        'Орлов', 'Андреев', 'Макаров', 'Никитин', 'Захаров', 'Зайцев', 'Соловьёв',
        'Борисов', 'Яковлев', 'Григорьев', 'Романов', 'Воробьёв', 'Сергеев', 'Кузьмин',
        'Фролов', 'Александров', 'Дмитриев', 'Королёв', 'Гусев', 'Киселёв', 'Ильин',
        'Максимов', 'Поляков', 'Сорокин', 'Виноградов', 'Ковалёв', 'Белов', 'Медведев',
        'Антонов', 'Тарасов', 'Жуков', 'Баранов', 'Филиппов', 'Комаров', 'Давыдов',
        'Беляев', 'Герасимов', 'Богданов', 'Осипов', 'Матвеев', 'Титов', 'Марков',
        'Миронов', 'Крылов', 'Куликов', 'Карпов', 'Власов', 'Мельников', 'Денисов',
        'Гаврилов', 'Тихонов', 'Казаков', 'Афанасьев', 'Данилов', 'Савельев',
        'Тимофеев', 'Фомин', 'Чернов', 'Абрамов', 'Мартынов', 'Ефимов', 'Федотов',
        'Щербаков', 'Назаров', 'Калинин', 'Исаев', 'Чернышёв', 'Быков', 'Маслов',
        'Родионов', 'Коновалов', 'Лазарев', 'Воронин', 'Климов', 'Филатов',
        'Пономарёв', 'Голубев', 'Кудрявцев', 'Прохоров', 'Наумов', 'Потапов',
        'Журавлёв', 'Овчинников', 'Трофимов', 'Леонов', 'Соболев', 'Ермаков',
        'Колесников', 'Гончаров', 'Емельянов', 'Никифоров', 'Грачёв', 'Котов',
        'Гришин', 'Ефремов', 'Архипов', 'Громов', 'Кириллов', 'Малышев', 'Панов',
        'Моисеев', 'Румянцев', 'Акимов', 'Кондратьев', 'Бирюков', 'Горбунов',
        'Анисимов', 'Ерёмин', 'Тихомиров', 'Галкин', 'Лукьянов', 'Михеев', 'Скворцов',
        'Юдин', 'Белоусов', 'Нестеров', 'Симонов', 'Прокофьев', 'Харитонов', 'Князев',
        'Цветков', 'Левин', 'Воронов', 'Аксёнов', 'Мальцев', 'Логинов', 'Горшков',
        'Савин', 'Краснов', 'Майоров', 'Демидов', 'Елисеев', 'Рыбаков', 'Сафонов',
        'Плотников', 'Хохлов', 'Жданов', 'Носов', 'Покровский', 'Вишневский',
        'Островский', 'Шевченко', 'Ткаченко', 'Бондаренко', 'Кравченко'
    ] AS s,
    ARRAY['А', 'Б', 'В', 'Г', 'Д', 'Е', 'И', 'К', 'Л', 'М', 'Н', 'О', 'П', 'Р', 'С',
          'Т', 'Ф', 'Ю', 'Я'] AS first_initials,
    ARRAY['А', 'Б', 'В', 'Г', 'Д', 'Е', 'И', 'К', 'Л', 'М', 'Н', 'О', 'П', 'Р', 'С',
          'Ф', 'Ю'] AS second_initials
),
drawn AS MATERIALIZED (
    SELECT n,
           surnames.s[1 + floor(random() * cardinality(surnames.s))::int] AS surname,
           surnames.first_initials[1 + floor(random() * cardinality(surnames.first_initials))::int] AS i1,
           surnames.second_initials[1 + floor(random() * cardinality(surnames.second_initials))::int] AS i2,
           n % 33 = 1 OR random() >= 0.2 AS male,   -- masters are men, the rest 4 to 1
           random() AS u_post,
           random() AS u_team,
           floor(random() * 3)::int AS code_jitter,
           random() AS u_dates
    FROM generate_series(1, 300) n, surnames
)
SELECT n,
       1000000 + n AS person_id,
       1000 + 3 * n + code_jitter AS w_id,
       CASE WHEN male THEN surname
            WHEN surname ~ 'ский$' THEN regexp_replace(surname, 'ий$', 'ая')
            WHEN surname ~ '(ов|ев|ёв|ин|ын)$' THEN surname || 'а'
            ELSE surname END
       || ' ' || i1 || '.' || i2 || '.' AS fio,
       2000000 + CASE
           WHEN n % 33 = 1 THEN 1
           WHEN male THEN CASE
               WHEN u_post < 0.33 THEN 2  WHEN u_post < 0.50 THEN 3  WHEN u_post < 0.56 THEN 4
               WHEN u_post < 0.63 THEN 5  WHEN u_post < 0.68 THEN 6  WHEN u_post < 0.75 THEN 7
               WHEN u_post < 0.80 THEN 8  WHEN u_post < 0.85 THEN 9  WHEN u_post < 0.91 THEN 10
               WHEN u_post < 0.94 THEN 13 WHEN u_post < 0.97 THEN 15 ELSE 16 END
           ELSE CASE
               WHEN u_post < 0.40 THEN 4  WHEN u_post < 0.60 THEN 11 WHEN u_post < 0.80 THEN 12
               WHEN u_post < 0.90 THEN 14 ELSE 10 END
       END AS id_staffpos,
       -- shift team: a master leads shift 1, 2 or 3 in turn
       CASE WHEN n % 33 = 1 THEN 1 + (n / 33) % 3
            WHEN u_team < 0.45 THEN 1 WHEN u_team < 0.80 THEN 2 ELSE 3 END AS team,
       CASE WHEN n % 29 = 0 THEN 'none'        -- in the register, never appointed
            WHEN n % 37 = 5 THEN 'left'        -- left the shop a few weeks ago
            WHEN n % 23 = 7 THEN 'transferred' -- apprentice earlier, now in his trade
            ELSE 'open' END AS movement,
       (current_date - 400 - floor(u_dates * 4000)::int) AS hired,
       (current_date - 5 - floor(u_dates * 65)::int) AS left_on
FROM drawn;

INSERT INTO cmn_contractor.person (id, s_code, s_caption, b_employee)
SELECT person_id, w_id::text, fio, true FROM demo_person;

-- Contractors and outside people in the same register: not employees.
INSERT INTO cmn_contractor.person (id, s_code, s_caption, b_employee)
SELECT 1000400 + k, (900000 + k * 17)::text, caption, false
FROM unnest(ARRAY[
    'ООО «Металлснаб»', 'АО «Уральская сталь»', 'ООО «ЛКМ-Трейд»',
    'ИП Гордеев А.В.', 'ООО «ТехноМонтаж»', 'Сидоренко В.П. (договор подряда)',
    'ООО «Крепёж-Центр»', 'Хабибуллин Р.Ш. (договор подряда)'
]) WITH ORDINALITY AS t(caption, k);

INSERT INTO hrms_movement.movement (id_employee, d_begin, d_end, id_staffpos)
SELECT person_id, hired, NULL, id_staffpos FROM demo_person WHERE movement = 'open'
UNION ALL
SELECT person_id, hired, left_on, id_staffpos FROM demo_person WHERE movement = 'left'
UNION ALL
SELECT person_id, hired, hired + 300, 2000016 FROM demo_person WHERE movement = 'transferred'
UNION ALL
SELECT person_id, hired + 301, NULL, id_staffpos FROM demo_person WHERE movement = 'transferred'
ORDER BY 1, 2;

-- Who records positions: everyone in a trade with an appointment, not masters
-- or storekeepers; leavers only until they left.
CREATE TEMP TABLE demo_worker AS
SELECT n, person_id, w_id, team, id_staffpos - 2000000 AS trade,
       CASE WHEN movement = 'left' THEN left_on ELSE current_date END AS active_until
FROM demo_person
WHERE movement <> 'none' AND id_staffpos NOT IN (2000001, 2000014);

-- ---------------------------------------------------------------------------
-- Products, their goods attributes, operation types, operations and norms
-- ---------------------------------------------------------------------------

CREATE TEMP TABLE demo_family (f int, prefix text, nom text, sizes text[], mass_kg numeric, paint_kg numeric);
INSERT INTO demo_family VALUES
    (1,  'КМ',  'Корпус металлический',                 '{60,80,100,120,150}',        6.5, 0.35),
    (2,  'ШР',  'Шкаф распределительный',               '{30-01,45-01,45-02,60-01,75-01}', 18.0, 0.90),
    (3,  'ЩРН', 'Щит распределительный навесной',       '{12,18,24,36,48}',           4.2, 0.25),
    (4,  'ЩМП', 'Щит с монтажной панелью',              '{1,2,3,4,5}',               11.0, 0.60),
    (5,  'ВРУ', 'Вводно-распределительное устройство',  '{1-11,1-12,1-13,1-17,1-18}', 38.0, 1.40),
    (6,  'ЯУ',  'Ящик управления',                      '{5101,5111,5122,5131,5441}',  7.5, 0.40),
    (7,  'КС',  'Кронштейн стеновой',                   '{150,200,250,300,400}',       0.9, 0.05),
    (8,  'ЛК',  'Лоток кабельный перфорированный',      '{50-50,100-50,150-50,200-80,300-80}', 2.3, 0.12),
    (9,  'СТ',  'Стойка телекоммуникационная',          '{24U,32U,42U,47U,48U}',      21.0, 1.10),
    (10, 'ПМ',  'Панель монтажная',                     '{250,300,400,500,600}',       2.8, 0.00),
    (11, 'ОС',  'Основание шкафа (цоколь)',             '{600,800,1000,1200,1600}',    5.4, 0.30),
    (12, 'ДВ',  'Дверь шкафа с замком',                 '{400,500,600,800,1000}',      4.6, 0.28);

INSERT INTO accounts_dep.izdel (id, marka, nom, massa)
SELECT 4100000 + (f - 1) * 5 + v,
       prefix || '-' || sizes[v],
       nom || ' ' || prefix || '-' || sizes[v],
       round((mass_kg * (0.7 + 0.15 * v) / 10 * (0.9 + random() * 0.2))::numeric, 3)
FROM demo_family, generate_series(1, 5) v;

-- Most products have their goods attributes; a few do not (the material
-- dialog then proposes 0).
INSERT INTO cmn_gds_and_srv.gds_attr (id, f_mass, f_min_qty, f_color_qty)
SELECT 4100000 + (f - 1) * 5 + v,
       round((mass_kg * (0.7 + 0.15 * v))::numeric, 3),
       (1 + floor(random() * 10))::int,
       round((paint_kg * (0.7 + 0.15 * v))::numeric, 4)
FROM demo_family, generate_series(1, 5) v
WHERE ((f - 1) * 5 + v) % 11 <> 4;

-- Operation types: what kind of product each one works on (0 finished
-- products, 1 blanks, 2 both) and a base piece rate.
CREATE TEMP TABLE demo_vid (k int, vid text, kind int, base_price numeric, share numeric);
INSERT INTO demo_vid VALUES
    (1,  'Сборка',               0, 95.00, 0.95),
    (2,  'Сварка',               2, 70.00, 0.70),
    (3,  'Покраска',             0, 60.00, 0.80),
    (4,  'Резка',                1, 18.00, 0.95),
    (5,  'Гибка',                1, 22.00, 0.85),
    (6,  'Грунтовка',            0, 30.00, 0.35),
    (7,  'Зачистка',             2, 15.00, 0.50),
    (8,  'Сверление',            1, 12.00, 0.45),
    (9,  'Фрезеровка',           1, 40.00, 0.20),
    (10, 'Токарная обработка',   1, 45.00, 0.15),
    (11, 'Штамповка',            1, 14.00, 0.35),
    (12, 'Шлифовка',             0, 20.00, 0.25),
    (13, 'Электромонтаж',        0, 120.00, 0.40),
    (14, 'Упаковка',             0, 10.00, 0.70),
    (15, 'Контроль ОТК',         0, 8.00, 0.30);

INSERT INTO accounts_dep.vid_oper (id, vid) SELECT k, vid FROM demo_vid ORDER BY k;
SELECT setval('accounts_dep.vid_oper_id_seq', (SELECT max(id) FROM accounts_dep.vid_oper)) AS vid_oper_seq \gset

-- Operations: each product gets the types it needs; a welding or cleaning type
-- may exist for both kinds. A few operations were entered without a price and
-- have no norm (they are missing from the operations list). The insert trigger
-- turns every cena_new into the first norm row.
-- (Random draws sit in the select list of a materialized CTE throughout this
-- script: a volatile WHERE would be pushed down to one side of a join and
-- decide for whole groups at once.)
INSERT INTO accounts_dep.oper (i_id, vid, naimen, cena_new, cena)
WITH candidate AS MATERIALIZED (
    SELECT izdel.id::int AS i_id, v.k AS vid, kinds.naimen, v.share,
           round(v.base_price * (0.6 + 0.1 * ((izdel.id::int - 4100001) % 5))
                 * (0.85 + random() * 0.3)::numeric, 2)::double precision AS price,
           random() AS u_take,
           random() AS u_price
    FROM accounts_dep.izdel izdel
    CROSS JOIN demo_vid v
    CROSS JOIN LATERAL unnest(CASE v.kind WHEN 2 THEN ARRAY[0, 1] ELSE ARRAY[v.kind] END) AS kinds(naimen)
)
SELECT i_id, vid, naimen,
       CASE WHEN u_price < 0.05 THEN NULL ELSE price END,
       CASE WHEN u_price < 0.05 OR u_price > 0.7 THEN NULL ELSE price END
FROM candidate
WHERE u_take < share
ORDER BY i_id, vid, naimen;

-- Further norms: a higher norm in pieces at a lower piece rate, with a bonus.
-- About 45 % of the priced operations get a second norm, 15 % also a third.
INSERT INTO accounts_dep.norm (o_id, norma, price, prize)
WITH priced AS MATERIALIZED (
    SELECT id, cena_new, random() AS u FROM accounts_dep.oper WHERE cena_new IS NOT NULL
)
SELECT p.id, extra.norma, round((p.cena_new * extra.factor)::numeric, 2), extra.prize
FROM priced p
JOIN (VALUES (50, 0.92, 5, 0.45), (100, 0.85, 10, 0.15)) AS extra(norma, factor, prize, share)
  ON p.u < extra.share
ORDER BY p.id, extra.norma;

-- Priced operations per product, numbered so that a random one can be joined.
CREATE TEMP TABLE demo_oper AS
SELECT o.id AS o_id, o.i_id, o.vid, o.naimen, min(n.price) AS price,
       row_number() OVER (PARTITION BY o.i_id ORDER BY o.id) AS k,
       count(*) OVER (PARTITION BY o.i_id) AS cnt
FROM accounts_dep.oper o JOIN accounts_dep.norm n ON n.o_id = o.id
GROUP BY o.id, o.i_id, o.vid, o.naimen;

-- Which operation types each trade does (staff position number, type number).
CREATE TEMP TABLE demo_trade (trade int, vid int);
INSERT INTO demo_trade VALUES
    (2, 1), (2, 7), (2, 12),   -- fitter-assembler: assembly, cleaning, grinding
    (3, 2), (3, 7),            -- welder
    (4, 3), (4, 6),            -- painter: painting, priming
    (5, 10), (6, 8), (6, 9), (7, 5), (8, 4), (9, 11), (10, 13), (11, 15), (12, 14),
    (13, 12), (13, 7), (15, 1), (15, 8), (16, 1), (16, 7);

-- A trade's operations per product, numbered so that a random one can be joined.
CREATE TEMP TABLE demo_trade_oper AS
SELECT t.trade, o.i_id, o.o_id,
       row_number() OVER (PARTITION BY t.trade, o.i_id ORDER BY o.o_id) AS k,
       count(*) OVER (PARTITION BY t.trade, o.i_id) AS cnt
FROM demo_oper o JOIN demo_trade t ON t.vid = o.vid;

-- Products a trade has work on, for positions without a requisition.
CREATE TEMP TABLE demo_trade_product AS
SELECT trade, i_id, row_number() OVER (PARTITION BY trade ORDER BY i_id) AS k
FROM (SELECT DISTINCT trade, i_id FROM demo_trade_oper) tp;

-- ---------------------------------------------------------------------------
-- Requisitions and their lines
-- ---------------------------------------------------------------------------

INSERT INTO mnf_doc.doc (id, s_number, d_date, s_customer)
SELECT 7000001 + k,
       (141 + k)::text || '/' || to_char(d, 'YY'),
       d,
       (ARRAY['АО «Энергосетьстрой»', 'ООО «ЭлектроЩит-М»', 'ПАО «Россети Центр»',
              'ООО «ТехноМонтаж»', 'МУП «Горсвет»', NULL, 'ООО «СтройИнжиниринг»',
              'АО «Завод ЖБИ-3»'])[1 + floor(random() * 8)::int]
FROM (SELECT k, current_date - 150 + (k * 3.3)::int AS d FROM generate_series(0, 45) k) docs
WHERE d < current_date;

-- Lines: distinct products per requisition; a quarter without a required
-- quantity (0 sets no limit).
INSERT INTO mnf_doc.doc_item (id_doc, n_line, id_gds, f_qty)
SELECT id_doc,
       row_number() OVER (PARTITION BY id_doc ORDER BY i_id),
       i_id,
       CASE WHEN random() < 0.25 THEN 0 ELSE 5 * (2 + floor(random() * 60)) END
FROM (
    SELECT DISTINCT doc.id AS id_doc, 4100001 + floor(random() * 60)::int AS i_id
    FROM mnf_doc.doc doc, generate_series(1, 6) line
    WHERE line <= 1 + (doc.id::int % 6)
) lines
ORDER BY id_doc, i_id;

-- Lines a trade can book work on (its product has an operation of the trade),
-- numbered per trade by requisition date.
CREATE TEMP TABLE demo_line AS
SELECT tp.trade,
       row_number() OVER (PARTITION BY tp.trade ORDER BY doc.d_date, item.id) AS k,
       item.id AS id_doc_item, item.id_doc, tp.i_id, doc.d_date, item.f_qty
FROM mnf_doc.doc_item item
JOIN mnf_doc.doc doc ON doc.id = item.id_doc
JOIN demo_trade_product tp ON tp.i_id = item.id_gds::int;

-- ---------------------------------------------------------------------------
-- Materials and consignments
-- ---------------------------------------------------------------------------

CREATE TEMP TABLE demo_gds (k int, grp text, code text, caption text, unit text, kind text, ral int);
INSERT INTO demo_gds VALUES
    (1,  'Лакокрасочные материалы', '08.01.0015', 'Эмаль RAL 5015 синяя',               'кг', 'paint', 5015),
    (2,  'Лакокрасочные материалы', '08.01.0016', 'Эмаль RAL 7035 светло-серая',        'кг', 'paint', 7035),
    (3,  'Лакокрасочные материалы', '08.01.0021', 'Эмаль RAL 9016 белая',               'кг', 'paint', 9016),
    (4,  'Лакокрасочные материалы', '08.01.0023', 'Эмаль RAL 3020 красная',             'кг', 'paint', 3020),
    (5,  'Лакокрасочные материалы', '08.02.0004', 'Порошковая краска RAL 7032 шагрень', 'кг', 'paint', 7032),
    (6,  'Лакокрасочные материалы', '08.02.0007', 'Порошковая краска ral 9005 чёрная матовая', 'кг', 'paint', 9005),
    (7,  'Лакокрасочные материалы', '08.03.0001', 'Грунт ГФ-021 серый',                 'кг', 'primer', NULL),
    (8,  'Лакокрасочные материалы', '08.04.0002', 'Растворитель 646',                   'л',  'other', NULL),
    (9,  'Металлопрокат',           '01.01.0008', 'Лист х/к 0,8 мм 08пс',               'кг', 'metal', NULL),
    (10, 'Металлопрокат',           '01.01.0010', 'Лист х/к 1,0 мм 08пс',               'кг', 'metal', NULL),
    (11, 'Металлопрокат',           '01.01.0015', 'Лист х/к 1,5 мм 08пс',               'кг', 'metal', NULL),
    (12, 'Металлопрокат',           '01.01.0020', 'Лист х/к 2,0 мм Ст3',                'кг', 'metal', NULL),
    (13, 'Металлопрокат',           '01.02.0010', 'Лист оцинкованный 1,0 мм',           'кг', 'metal', NULL),
    (14, 'Металлопрокат',           '01.05.0402', 'Труба профильная 40х20х2',           'кг', 'metal', NULL),
    (15, 'Металлопрокат',           '01.06.0404', 'Уголок 40х40х4',                     'кг', 'metal', NULL),
    (16, 'Сварочные материалы',     '05.01.0010', 'Проволока сварочная Св-08Г2С 1,0 мм', 'кг', 'other', NULL),
    (17, 'Сварочные материалы',     '05.02.0001', 'Углекислота, баллон 40 л',           'шт', 'other', NULL),
    (18, 'Метизы',                  '03.01.0820', 'Болт М8х20 DIN 933',                 'шт', 'fastener', NULL),
    (19, 'Метизы',                  '03.02.0008', 'Гайка М8 DIN 934',                   'шт', 'fastener', NULL),
    (20, 'Метизы',                  '03.03.0008', 'Шайба 8 DIN 125',                    'шт', 'fastener', NULL),
    (21, 'Метизы',                  '03.04.0410', 'Заклёпка вытяжная 4х10',             'шт', 'fastener', NULL),
    (22, 'Комплектующие',           '04.01.0180', 'Петля скрытая 180°',                 'шт', 'other', NULL),
    (23, 'Комплектующие',           '04.02.0001', 'Замок ключевой с ригелем',           'шт', 'other', NULL),
    (24, 'Упаковка',                '09.01.0500', 'Плёнка стрейч 500 мм',               'кг', 'other', NULL),
    (25, 'Упаковка',                '09.02.0023', 'Картон гофрированный Т-23',          'м2', 'other', NULL);

INSERT INTO cmn_gds_and_srv.gds (id, s_group_tmc, s_code, s_caption, s_full_caption, s_unit)
SELECT 3000000 + k, grp, code, caption, caption || ' (' || code || ', ' || unit || ')', unit
FROM demo_gds ORDER BY k;

-- Two to four consignments per material, received over the last half year.
-- Their quantities are set after the consumption below.
INSERT INTO cmn_gds_and_srv.consignment (id_gds, s_code, s_warehouse, d_date, f_qty, s_description)
SELECT 3000000 + g.k,
       CASE WHEN g.kind = 'metal' THEN 'пл. ' || (20 + c) || '-' || (1000 + floor(random() * 9000)::int)
            ELSE 'парт. ' || lpad((100 + floor(random() * 900)::int)::text, 4, '0') END,
       CASE g.grp WHEN 'Металлопрокат' THEN 'Склад №1 (металл)'
                  WHEN 'Лакокрасочные материалы' THEN 'Склад №2 (ЛКМ)'
                  ELSE 'Склад №3 (комплектующие)' END,
       recv.d,
       0,
       format('Приход по накладной № %s от %s; сертификат качества № %s',
              1000 + floor(random() * 9000)::int, to_char(recv.d, 'dd.mm.yyyy'),
              floor(random() * 90000 + 10000)::int)
FROM demo_gds g
CROSS JOIN generate_series(1, 4) c
CROSS JOIN LATERAL (SELECT current_date - 185 + (c - 1) * 45 + floor(random() * 20)::int AS d) recv
WHERE c <= 2 + g.k % 3
ORDER BY g.k, c;

-- ---------------------------------------------------------------------------
-- Positions: for every day of the last four months and every shift, the team
-- members at work make one to three positions of an eight-hour day; on weekdays
-- a few also stay for overtime (shift 4).
-- ---------------------------------------------------------------------------

CREATE TEMP TABLE demo_day AS
SELECT d::date AS data, extract(isodow FROM d) >= 6 AS weekend
FROM generate_series((current_date - interval '4 months')::date, current_date, interval '1 day') d;

-- Per day and trade, the range of lines of the requisitions of the last two
-- months (empty when lo > hi or null).
CREATE TEMP TABLE demo_day_trade AS
SELECT day.data, t.trade,
       min(l.k) FILTER (WHERE l.d_date >= day.data - 60) AS line_lo,
       max(l.k) FILTER (WHERE l.d_date <= day.data) AS line_hi
FROM demo_day day
CROSS JOIN (SELECT DISTINCT trade FROM demo_trade) t
LEFT JOIN demo_line l ON l.trade = t.trade
GROUP BY day.data, t.trade;
ANALYZE demo_day, demo_day_trade, demo_line, demo_trade_oper, demo_trade_product, demo_oper, demo_worker;

CREATE TEMP TABLE demo_pos AS
WITH worker_day AS MATERIALIZED (
    SELECT day.data, day.weekend, w.w_id, w.team, w.trade,
           random() AS u_present, random() AS u_overtime,
           1 + floor(random() * 3)::int AS npos
    FROM demo_day day
    JOIN demo_worker w ON w.active_until >= day.data
),
shift_day AS (
    -- who works which shift on which day
    SELECT data, weekend, w_id, trade, team AS smena, npos
    FROM worker_day
    WHERE u_present < CASE WHEN weekend THEN 0.08 ELSE 0.85 END
    UNION ALL
    SELECT data, weekend, w_id, trade, 4, 1
    FROM worker_day
    WHERE NOT weekend AND team IN (1, 2) AND u_present < 0.85 AND u_overtime < 0.05
),
slot AS MATERIALIZED (
    SELECT sd.*, i, dt.line_lo, dt.line_hi,
           CASE WHEN sd.smena = 4 THEN 2 + floor(random() * 3)::int
                ELSE 8 / sd.npos + CASE WHEN i <= 8 % sd.npos THEN 1 ELSE 0 END END AS time,
           random() AS u_no_requisition,
           random() AS u_line, random() AS u_prod, random() AS u_oper,
           random() AS u_qty, random() AS u_brak, random() AS u_ok, random() AS u_misc
    FROM shift_day sd
    JOIN demo_day_trade dt ON dt.data = sd.data AND dt.trade = sd.trade
    CROSS JOIN generate_series(1, sd.npos) i
),
picked AS (
    -- a line of a recent requisition with work for the trade; one position in
    -- ten (and any when there is no such line) without a requisition
    SELECT s.*,
           CASE WHEN s.u_no_requisition >= 0.10 AND s.line_lo <= s.line_hi
                THEN s.line_lo + floor(s.u_line * (s.line_hi - s.line_lo + 1))::int END AS line_k,
           1 + floor(s.u_prod * n.products)::int AS product_k
    FROM slot s
    JOIN (SELECT trade, count(*) AS products FROM demo_trade_product GROUP BY trade) n
      ON n.trade = s.trade
),
with_product AS (
    SELECT p.*, line.id_doc, line.id_doc_item, line.f_qty AS required_qty,
           coalesce(line.i_id, without_line.i_id) AS i_id
    FROM picked p
    LEFT JOIN demo_line line ON line.trade = p.trade AND line.k = p.line_k
    LEFT JOIN demo_trade_product without_line
           ON p.line_k IS NULL AND without_line.trade = p.trade AND without_line.k = p.product_k
),
with_oper AS (
    -- one of the product's operations of the worker's trade
    SELECT p.*, top.o_id
    FROM with_product p
    JOIN demo_trade_oper top ON top.trade = p.trade AND top.i_id = p.i_id
    WHERE top.k = 1 + floor(p.u_oper * top.cnt)::int
)
SELECT p.data, p.weekend, p.smena, p.w_id, p.i_id, p.time,
       coalesce(p.id_doc, 0) AS id_doc, coalesce(p.id_doc_item, 0) AS id_doc_item,
       op.o_id, op.vid, op.naimen, op.price, p.required_qty,
       p.u_qty, p.u_brak, p.u_ok, p.u_misc
FROM with_oper p
JOIN demo_oper op ON op.o_id = p.o_id;

INSERT INTO accounts_dep.smena
    (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, time, color, prize, ok, vvod,
     id_doc, id_doc_item, f_gds_qty_use, id_gds_use, id_cons_use)
SELECT data, smena, w_id, i_id, o_id,
       -- the operation's price, doubled on a day off, +20 % at night, +50 % overtime
       round((price * CASE WHEN weekend THEN 2 ELSE 1 END
                    * CASE smena WHEN 3 THEN 1.2 WHEN 4 THEN 1.5 ELSE 1 END)::numeric, 4),
       kol_vo, brak, time, color,
       CASE WHEN data < current_date - 30 AND u_misc < 0.15
            THEN (ARRAY[10, 15, 20])[1 + floor(u_misc * 20)::int] ELSE 0 END,
       ok, vvod, id_doc, id_doc_item, 0, 0, 0
FROM (
    SELECT q.*,
           CASE WHEN u_brak < 0.07 THEN least(kol_vo, 1 + floor(u_brak * 40))::int ELSE 0 END AS brak,
           CASE WHEN vid = 3 THEN (ARRAY[5015, 7035, 9016, 3020, 7032, 9005])[1 + floor(u_misc * 6)::int]
                WHEN vid = 6 THEN 1 ELSE 0 END AS color,
           CASE WHEN u_ok < 0.004 THEN NULL
                WHEN u_ok < 0.010 THEN 'ta'
                WHEN data = current_date THEN CASE WHEN naimen = 0 AND u_ok > 0.85 THEN 'ok' ELSE 'no' END
                WHEN data < current_date - 60 AND u_ok > 0.93 THEN 'да'
                WHEN naimen = 0 AND u_ok > 0.25 THEN 'ok'
                ELSE 'no' END AS ok,
           least(now()::timestamp,
                 data + CASE smena WHEN 1 THEN interval '15 hours 30 minutes'
                                   WHEN 2 THEN interval '23 hours 10 minutes'
                                   WHEN 3 THEN interval '31 hours'
                                   ELSE interval '19 hours 40 minutes' END
                      + floor(u_misc * 90) * interval '1 minute') AS vvod
    FROM (
        -- never more than the line requires: the entry dialog refuses that
        SELECT d.*,
               least(CASE WHEN naimen = 0 THEN 1 + floor(u_qty * 20) ELSE 5 + 5 * floor(u_qty * 16) END
                     + CASE WHEN u_qty > 0.97 THEN 0.5 ELSE 0 END,
                     coalesce(nullif(required_qty, 0), 'Infinity')) AS kol_vo
        FROM demo_pos d
    ) q
) r
ORDER BY data, smena, w_id, o_id;

-- ---------------------------------------------------------------------------
-- Materials consumed. Every accepted position on finished products has its
-- material (the journal accepts nothing else), half of the open ones too, and
-- some blanks. Painting takes the paint of its colour, priming the primer,
-- everything else sheet metal; some assemblies also use fasteners.
-- ---------------------------------------------------------------------------

CREATE TEMP TABLE demo_cons AS
SELECT c.id, c.id_gds, row_number() OVER (PARTITION BY c.id_gds ORDER BY c.id) AS k,
       count(*) OVER (PARTITION BY c.id_gds) AS cnt
FROM cmn_gds_and_srv.consignment c;

INSERT INTO accounts_dep.smena_gds_use (id_smena, id_gds_use, id_cons_use, f_qty_use)
WITH pos AS MATERIALIZED (
    SELECT s.id, s.i_id, s.kol_vo, s.color, s.ok, o.vid, o.naimen,
           random() AS u_take, random() AS u_fastener, random() AS u_cons1, random() AS u_cons2
    FROM accounts_dep.smena s
    JOIN accounts_dep.oper o ON o.id = s.o_id
    WHERE s.kol_vo > 0
)
SELECT u.id_smena, u.id_gds, cons.id, u.qty
FROM (
    SELECT s.id AS id_smena,
           CASE WHEN s.vid = 3 THEN coalesce((SELECT 3000000 + g.k FROM demo_gds g WHERE g.ral = s.color), 3000002)
                WHEN s.vid = 6 THEN 3000007
                ELSE 3000009 + (s.i_id % 7) END AS id_gds,
           round((s.kol_vo * CASE WHEN s.vid IN (3, 6) THEN coalesce(nullif(a.f_color_qty, 0), 0.3)
                                  ELSE coalesce(nullif(a.f_mass, 0), 2.5) END)::numeric, 3) AS qty,
           s.u_cons1 AS u_cons
    FROM pos s
    LEFT JOIN cmn_gds_and_srv.gds_attr a ON a.id = s.i_id
    WHERE CASE WHEN s.naimen = 0 AND s.ok IN ('ok', 'да') THEN true
               WHEN s.naimen = 0 THEN s.u_take < 0.5
               ELSE s.u_take < 0.2 END
    UNION ALL
    SELECT s.id, 3000018 + (s.id % 4), s.kol_vo * (4 + 2 * (s.id % 3)), s.u_cons2
    FROM pos s
    WHERE s.vid IN (1, 13) AND s.kol_vo >= 1 AND s.u_fastener < 0.3
) u
JOIN (SELECT id_gds, max(cnt) AS cnt FROM demo_cons GROUP BY id_gds) n ON n.id_gds = u.id_gds
JOIN demo_cons cons ON cons.id_gds = u.id_gds AND cons.k = 1 + floor(u.u_cons * n.cnt)::int
ORDER BY u.id_smena;

-- Received quantities: what was used plus a stock left over; every seventh
-- consignment is used up exactly.
UPDATE cmn_gds_and_srv.consignment c
SET f_qty = CASE WHEN c.id::int % 7 = 0 AND used.qty > 0 THEN used.qty
                 ELSE round((used.qty * (1.05 + random() * 0.4) + 20 + random() * 200)::numeric, 1) END
FROM (
    SELECT c2.id, coalesce(sum(sgu.f_qty_use), 0)::numeric AS qty
    FROM cmn_gds_and_srv.consignment c2
    LEFT JOIN accounts_dep.smena_gds_use sgu ON sgu.id_cons_use = c2.id
    GROUP BY c2.id
) used
WHERE used.id = c.id;

-- ---------------------------------------------------------------------------
-- Brigades: a few recent positions were divided among two or three workers of
-- the same team and trade, the way the entry dialog does it.
-- ---------------------------------------------------------------------------

CREATE TEMP TABLE demo_brigade AS
SELECT s.id AS id_smena, s.w_id, w.team, w.trade
FROM accounts_dep.smena s
JOIN demo_worker w ON w.w_id = s.w_id
WHERE s.data BETWEEN current_date - 21 AND current_date - 1
  AND s.ok = 'no' AND s.smena IN (1, 2, 3) AND s.kol_vo >= 4
  AND s.id % 97 = 0;

INSERT INTO accounts_dep.person_temp (id_smena, id_person)
SELECT b.id_smena, mate.person_id
FROM demo_brigade b
CROSS JOIN LATERAL (
    SELECT w.person_id
    FROM demo_worker w
    WHERE w.team = b.team AND w.trade = b.trade AND w.w_id <> b.w_id
      AND w.active_until = current_date
    ORDER BY (w.n * 7919 + b.id_smena) % 101
    LIMIT 1 + b.id_smena % 2
) mate;

DO $$
BEGIN
    PERFORM accounts_dep.divide_between_person(id_smena) FROM demo_brigade ORDER BY id_smena;
END
$$;

-- ---------------------------------------------------------------------------
-- Hours time-sheet: one row per worker, shift and month, each day the sum of
-- that worker's hours in that shift on that day (one INSERT ... SELECT).
-- ---------------------------------------------------------------------------

DELETE FROM accounts_dep.h_tabel;
DO $$
BEGIN
    EXECUTE (
        SELECT format(
            'INSERT INTO accounts_dep.h_tabel (w_id, smena, month, year, %s) '
            'SELECT w_id, smena, extract(month FROM data)::int, extract(year FROM data)::int, %s '
            'FROM accounts_dep.smena GROUP BY 1, 2, 3, 4 ORDER BY 4, 3, 2, 1',
            string_agg(format('d%s', d), ', ' ORDER BY d),
            string_agg(format('coalesce(sum(time) FILTER (WHERE extract(day FROM data) = %s), 0)', d),
                       ', ' ORDER BY d))
        FROM generate_series(1, 31) d);
END
$$;

-- Explicit ids above: move the sequences past them.
DO $$
BEGIN
    PERFORM setval('cmn_contractor.person_id_seq', (SELECT max(id) FROM cmn_contractor.person)::bigint);
    PERFORM setval('hrms_staffpos.staffpos_id_seq', (SELECT max(id) FROM hrms_staffpos.staffpos)::bigint);
    PERFORM setval('mnf_doc.doc_id_seq', (SELECT max(id) FROM mnf_doc.doc)::bigint);
    PERFORM setval('cmn_gds_and_srv.gds_id_seq', (SELECT max(id) FROM cmn_gds_and_srv.gds)::bigint);
END
$$;

COMMIT;

ANALYZE accounts_dep.smena, accounts_dep.smena_gds_use, accounts_dep.h_tabel,
        accounts_dep.oper, accounts_dep.norm, cmn_gds_and_srv.consignment;

