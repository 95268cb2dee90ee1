# The instrument simulator's command line.
tr_add_qtest(test_simoptions SOURCES test_simoptions.cpp LIBS tc4sim_logic)
