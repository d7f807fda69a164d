select accounts_dep.divide_between_person(:s_id)
