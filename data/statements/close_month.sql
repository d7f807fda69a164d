-- Closes the month for changes; the function checks the login's right.
select accounts_dep.close_month(:month, :year)
