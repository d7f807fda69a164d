-- Whether the row still holds what a list showed: each column compared with the listed text
-- read as the column's type, so the check costs no round trip of its own. A save and a
-- deletion read it with the lock of lock_position ("for update" added), an acceptance without.
select w_id, smena, data,
       w_id is not distinct from :v_w_id and i_id is not distinct from :v_i_id
       and o_id is not distinct from :v_o_id and cena is not distinct from :v_cena
       and kol_vo is not distinct from :v_kol_vo and brak is not distinct from :v_brak
       and data is not distinct from :v_data and smena is not distinct from :v_smena
       and time is not distinct from :v_time and color is not distinct from :v_color
       and prize is not distinct from :v_prize and ok is not distinct from :v_ok
       and id_doc is not distinct from :v_id_doc and id_doc_item is not distinct from :v_id_doc_item
         as unchanged
from accounts_dep.smena
where id = :id
