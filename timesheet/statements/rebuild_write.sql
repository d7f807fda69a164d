-- Writes the month's rows from the days read before, in the same transaction.
select accounts_dep.h_tabel_rebuild_write(:month, :year)
