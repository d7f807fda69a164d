-- The cell a stored position counts in, its row locked until the transaction ends.
select w_id, smena, data, true as unchanged from accounts_dep.smena where id = :id for update
