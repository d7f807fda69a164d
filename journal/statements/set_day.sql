-- One day cell of the time-sheet set to the sum of its positions, under the cell's lock.
select accounts_dep.h_tabel_set_day(:w_id, :smena, :data, :insert_missing)
