tr_add_qtest(test_auxwindows SOURCES test_auxwindows.cpp LIBS tr_aux_windows)
