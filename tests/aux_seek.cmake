tr_add_qtest(test_viewers SOURCES test_viewers.cpp LIBS tr_window)
tr_add_qtest(test_seek SOURCES test_seek.cpp LIBS tr_aux_seek)
