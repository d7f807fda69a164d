-- The requisition of a viewed position, whether or not it is still offered.
select format('Заявка № %s от %s', doc.s_number, to_char(doc.d_date, 'dd.mm.yyyy')) as s_caption,
       doc.id as id
from accounts_dep.smena smena
inner join mnf_doc.doc doc on doc.id = smena.id_doc
where smena.id = :id
