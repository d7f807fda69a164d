#pragma once

#include "tests/support/test_database.h"

#include <QString>

// The shop's registers alone: 400 workers, 200 products, 20 operation types and 2000
// operations.
inline void createShopRegisters(TestDatabase& db) {
    db.exec(QStringLiteral(R"(
        insert into cmn_contractor.person(id, s_code, s_caption, b_employee)
          select g, (1000+g)::text, 'Работник ' || g, true from generate_series(1, 400) g;
        insert into accounts_dep.izdel(id, marka, nom, massa)
          select g, 'М-' || g, 'Изделие ' || g, 1 from generate_series(1, 200) g;
        insert into accounts_dep.vid_oper(vid) select 'Операция ' || g from generate_series(1, 20) g;
        insert into accounts_dep.oper(i_id, vid, naimen)
          select 1 + g%200, 1 + g/200, g%2 from generate_series(0, 1999) g;
    )"));
}

// A shop's data for the benchmarks and for the test of the year's reports: 400 workers, 200
// products, 20 operation types, 2000 operations with a norm each, a requisition with two
// lines, two materials with consignments, and about 700,000 positions a year (1920 a day over
// the four shifts) from 1 January of firstYear on, with the time-sheet rows they give. Work
// dates end with next year, so more years start further back.
inline void createShopData(TestDatabase& db, int years = 1, int firstYear = 2026) {
    // a load of ten years outlasts the program's own statement timeout on a busy machine
    db.exec(QStringLiteral("set statement_timeout = 0"));
    createShopRegisters(db);
    db.exec(QStringLiteral(R"(
        insert into accounts_dep.norm(o_id, norma, price) select g, 10, 1.5 from generate_series(1, 2000) g;
        insert into mnf_doc.doc(id, s_number, d_date) values (7000001, '1', '2026-01-01');
        insert into mnf_doc.doc_item(id, id_doc, n_line, id_gds, f_qty) values
            (7100001, 7000001, 1, 1, 0), (7100002, 7000001, 2, 2, 0);
        insert into cmn_gds_and_srv.gds(id, s_group_tmc, s_code, s_caption, s_full_caption) values
            (3000001, 'Металл', 'Л2', 'Лист 2 мм', 'Лист стальной 2 мм'),
            (3000002, 'ЛКМ', 'Э', 'Эмаль RAL 7035', 'Эмаль RAL 7035');
        insert into cmn_gds_and_srv.consignment(id, id_gds, s_code, s_warehouse, d_date, f_qty)
          values (3500001, 3000001, 'П-1', 'Склад 1', '2026-01-01', 1e9),
                 (3500002, 3000002, 'П-2', 'Склад 1', '2026-01-01', 1e9);
        -- loaded as a restore is, without the positions' row triggers (their locks and day sums
        -- would make a year's load take minutes); the rows keep the rules all the same: a
        -- worker has five positions of 1 or 2 hours a day, room for a benchmark's saves
        set session_replication_role = replica;
        insert into accounts_dep.smena(data, smena, w_id, i_id, o_id, cena, kol_vo, brak, time, ok)
          select make_date(:first_year, 1, 1) + (g / 1920), 1 + (g % 4), 1001 + (g % 400),
                 1 + (g % 2000) % 200, 1 + (g % 2000), 1.5, 10, 0, 1 + g % 2, 'no'
          from generate_series(0, %1 - 1) g;
        set session_replication_role = origin;
        insert into accounts_dep.smena_gds_use(id_smena, id_gds_use, id_cons_use, f_qty_use)
          select id, 3000001, 3500001, 1 from accounts_dep.smena where id % 3 = 0;
    )")
                .arg(700800 * years)
                .replace(QStringLiteral(":first_year"), QString::number(firstYear)));
    for (int year = 0; year < years; ++year)
        for (int month = 1; month <= 12; ++month) {
            QString days;
            for (int d = 1; d <= 31; ++d)
                days += QStringLiteral(", coalesce(sum(time) filter (where extract(day from "
                                       "data) = %1), 0)")
                            .arg(d);
            QString columns;
            for (int d = 1; d <= 31; ++d)
                columns += QStringLiteral(", d%1").arg(d);
            db.exec(QStringLiteral("insert into accounts_dep.h_tabel(w_id, smena, month, year%1) "
                                   "select w_id, smena, %2, %3%4 from accounts_dep.smena where "
                                   "data >= make_date(%3, %2, 1) and data < make_date(%3, %2, 1) "
                                   "+ interval '1 month' group by w_id, smena")
                        .arg(columns)
                        .arg(month)
                        .arg(firstYear + year)
                        .arg(days));
        }
    db.exec(QStringLiteral("analyze"));
}
