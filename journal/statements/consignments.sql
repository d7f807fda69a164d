-- The id comes as text, as it always has: the text overload of show_consignment.
select * from accounts_dep.show_consignment(:id::text)
