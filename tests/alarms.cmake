tr_add_qtest(test_alarms SOURCES test_alarms.cpp LIBS tr_alarms tr_files)
tr_add_qtest(test_alarms_window SOURCES test_alarms_window.cpp LIBS tr_window)
