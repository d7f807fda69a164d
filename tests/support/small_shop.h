#pragma once

#include <QString>

// The least a position needs: worker 101 "Иванов И.И.", product 500 "КМ-120", its operation 1
// "Сборка" (finished product) priced 4.5 with a norm of 10.
inline const QString kSmallShopSql = QStringLiteral(R"(
    insert into cmn_contractor.person(id, s_code, s_caption) values (10, '101', 'Иванов И.И.');
    insert into accounts_dep.izdel(id, marka, nom) values (500, 'КМ-120', 'Каркас');
    insert into accounts_dep.vid_oper(id, vid) values (1, 'Сборка');
    insert into accounts_dep.oper(id, i_id, vid, naimen) values (1, 500, 1, 0);
    insert into accounts_dep.norm(o_id, norma, price) values (1, 10, 4.5);
)");

// A requisition 15 of 01.03.2026 (7000001) with one line for product 500 and no limit
// (7100001), for positions booked against a requisition.
inline const QString kSmallShopRequisitionSql = QStringLiteral(R"(
    insert into mnf_doc.doc(id, s_number, d_date) values (7000001, '15', '2026-03-01');
    insert into mnf_doc.doc_item(id, id_doc, n_line, id_gds, f_qty)
        values (7100001, 7000001, 1, 500, 0);
)");
