# Start-up: the command line, what it hands the window, and where the program keeps its files.
# The command line, parsed and as the built program answers it.
tr_add_qtest(test_commandline SOURCES test_commandline.cpp LIBS tr_core)
target_compile_definitions(test_commandline PRIVATE TR_VERSION="${PROJECT_VERSION}")
add_dependencies(test_commandline thermocouple-recorder)
# What the command line hands the window: a data file to open, a port for the session.
tr_add_qtest(test_window_startup SOURCES test_window_startup.cpp LIBS tr_window tr_files)
# Where the program keeps its files, built or installed.
tr_add_qtest(test_programfolder SOURCES test_programfolder.cpp LIBS tr_core)
