-- A deleted position back from its history row, with its day cell (the administrator's).
select accounts_dep.restore_position(:history_id)
