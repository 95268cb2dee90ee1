tr_add_qtest(test_alarms SOURCES test_alarms.cpp LIBS tr_alarms)
