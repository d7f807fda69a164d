select accounts_dep.smena__accept_row(:id)
