tr_add_qtest(test_numconv SOURCES test_numconv.cpp LIBS tr_core)
tr_add_qtest(test_configfile SOURCES test_configfile.cpp LIBS tr_core)
tr_add_qtest(test_window SOURCES test_window.cpp LIBS tr_window)
tr_add_qtest(test_window_instrument SOURCES test_window_instrument.cpp LIBS tr_window)
