select person_temp.id
      ,person.s_caption as s_caption
from accounts_dep.person_temp person_temp
inner join cmn_contractor.person person on person.id = person_temp.id_person
where person_temp.id_smena = :s_id
