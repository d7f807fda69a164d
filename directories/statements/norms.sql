-- id breaks ties, so rows of the same norm keep their order between readings.
select * from accounts_dep.norm order by norma, id
