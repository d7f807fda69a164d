-- 0003 Статистика ключей позиций для отчётов
-- The reports sum a period's positions by their keys (worker, requisition, product,
-- operation, colour) before they join the names. The planner guesses the number of such
-- groups from each column alone and then expects more groups than positions, so it sorts a
-- year of positions on disk instead of hashing the few thousand groups; these statistics
-- tell it how many there are.

SET LOCAL ROLE norv_owner;

CREATE STATISTICS accounts_dep.smena_report_keys (ndistinct)
    ON w_id, id_doc, i_id, o_id, color FROM accounts_dep.smena;
ANALYZE accounts_dep.smena;
