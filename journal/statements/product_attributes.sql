select * from cmn_gds_and_srv.gds_attr
