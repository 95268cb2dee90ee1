tr_add_qtest(test_numconv SOURCES test_numconv.cpp LIBS tr_core)
tr_add_qtest(test_configfile SOURCES test_configfile.cpp LIBS tr_core)
tr_add_qtest(test_window SOURCES test_window.cpp LIBS tr_window)
tr_add_qtest(test_window_instrument SOURCES test_window_instrument.cpp LIBS tr_window)
tr_add_qtest(test_recording SOURCES test_recording.cpp LIBS tr_window)
tr_add_qtest(test_window_files SOURCES test_window_files.cpp LIBS tr_window tr_testpdf)
tr_add_qtest(test_window_runs SOURCES test_window_runs.cpp LIBS tr_window)
# The command line, parsed and as the built program answers it.
tr_add_qtest(test_commandline SOURCES test_commandline.cpp LIBS tr_core)
target_compile_definitions(test_commandline PRIVATE TR_VERSION="${PROJECT_VERSION}")
add_dependencies(test_commandline thermocouple-recorder)
# What the command line hands the window: a data file to open, a port for the session.
tr_add_qtest(test_window_startup SOURCES test_window_startup.cpp LIBS tr_window tr_files)
# Where the program keeps its files, built or installed.
tr_add_qtest(test_programfolder SOURCES test_programfolder.cpp LIBS tr_core)
