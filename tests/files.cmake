# Data files, file commands and export.
tr_add_qtest(test_datafile SOURCES test_datafile.cpp LIBS tr_files)
# The journal of the run being recorded.
tr_add_qtest(test_journal SOURCES test_journal.cpp LIBS tr_files)
# The CSV export: header, quoting, rows as stored, any locale.
tr_add_qtest(test_csvexport SOURCES test_csvexport.cpp LIBS tr_files)
