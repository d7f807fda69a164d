-- A new position of the journal; the day's hours and the time-sheet cell follow in the same
-- transaction. The material columns stay 0: materials are rows of their own.
insert into accounts_dep.smena
    (w_id, i_id, o_id, cena, kol_vo, brak, data, smena, color, time, vvod, ok, prize,
     id_doc, id_doc_item, f_gds_qty_use, id_gds_use, id_cons_use)
values
    (:worker, :product, :operation, :price, :quantity, :rejects, :work_day, :shift, 0, :hours,
     :entered, 'no', 0, :requisition, :requisition_line, 0, 0, 0)
returning id
