# Data files, file commands, export, and the line splitting of a replay.
tr_add_qtest(test_datafile SOURCES test_datafile.cpp LIBS tr_files tr_acquisition)
# The journal of the run being recorded; replay.h only to count the lines a replay shows.
tr_add_qtest(test_journal SOURCES test_journal.cpp LIBS tr_files tr_acquisition)
# The CSV export: header, quoting, rows as stored, any locale.
tr_add_qtest(test_csvexport SOURCES test_csvexport.cpp LIBS tr_files)
