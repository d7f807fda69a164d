select * from accounts_dep.vid_oper order by vid
