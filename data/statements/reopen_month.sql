-- Opens a closed month again (the administrator's).
select accounts_dep.reopen_month(:month, :year)
