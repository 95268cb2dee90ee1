tr_add_qtest(test_numconv SOURCES test_numconv.cpp LIBS tr_core)
tr_add_qtest(test_configfile SOURCES test_configfile.cpp LIBS tr_core)
tr_add_qtest(test_window SOURCES test_window.cpp LIBS tr_window)
tr_add_qtest(test_window_instrument SOURCES test_window_instrument.cpp LIBS tr_window)
tr_add_qtest(test_recording SOURCES test_recording.cpp LIBS tr_window)
tr_add_qtest(test_window_files SOURCES test_window_files.cpp LIBS tr_window tr_testpdf)
tr_add_qtest(test_window_runs SOURCES test_window_runs.cpp LIBS tr_window)
tr_add_qtest(test_window_layout SOURCES test_window_layout.cpp LIBS tr_window)
# The same layout rules at twice the scale, as on a high-density screen.
add_test(NAME test_window_layout_scale2 COMMAND test_window_layout)
set_tests_properties(test_window_layout_scale2 PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_SCALE_FACTOR=2" TIMEOUT 300)
