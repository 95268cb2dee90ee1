# Data files, file commands, export, and the line splitting of a replay.
tr_add_qtest(test_datafile SOURCES test_datafile.cpp LIBS tr_files tr_acquisition)
