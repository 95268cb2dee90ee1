tr_add_qtest(test_options SOURCES test_options.cpp LIBS tr_options)
