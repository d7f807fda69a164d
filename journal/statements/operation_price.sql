-- The operation's own price, as the operations list gives it: its smallest norm price.
select round(min(price)::numeric, 4) as cena from accounts_dep.norm where o_id = :o_id
