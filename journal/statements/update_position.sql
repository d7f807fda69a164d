-- A stored position rewritten from the entry dialog: every column but ok and id.
update accounts_dep.smena
   set w_id = :worker, i_id = :product, o_id = :operation, cena = :price, kol_vo = :quantity,
       brak = :rejects, data = :work_day, smena = :shift, color = 0, time = :hours,
       vvod = :entered, prize = 0, id_doc = :requisition, id_doc_item = :requisition_line,
       f_gds_qty_use = 0, id_gds_use = 0, id_cons_use = 0
 where id = :id
