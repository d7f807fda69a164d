select marka, id, nom, round(massa::numeric, 5) massa
from accounts_dep.izdel
order by marka
