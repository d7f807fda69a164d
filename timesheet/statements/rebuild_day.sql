-- Reads one day's cells of every shift by the day-cell rule, under the month's lock.
select accounts_dep.h_tabel_rebuild_day(:month, :year, :day)
