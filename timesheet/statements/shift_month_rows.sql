-- The time-sheet window's rows of one shift (1..3) and month: a worker a line, his hours of
-- each day and their total.
select person.s_caption fio, h_tabel.*,
       (d1+d2+d3+d4+d5+d6+d7+d8+d9+d10+d11+d12+d13+d14+d15+d16+d17+d18+d19+d20+d21+d22
        +d23+d24+d25+d26+d27+d28+d29+d30+d31) as summ
from accounts_dep.h_tabel, cmn_contractor.person
where h_tabel.w_id=person.s_code::integer and h_tabel.smena=:shift and month=:month and
      year=:year
order by fio
