# Start-up: the command line, what it hands the window, and where the program keeps its files.
# The command lines of the program and of the simulator, parsed and as the built programs answer,
# and the program folder, built or installed.
tr_add_qtest(test_commandline SOURCES test_commandline.cpp LIBS tr_core tc4sim_logic)
target_compile_definitions(test_commandline PRIVATE TR_VERSION="${PROJECT_VERSION}")
add_dependencies(test_commandline thermocouple-recorder tc4-sim)
# What the command line hands the window: a data file to open, a port for the session.
tr_add_qtest(test_window_startup SOURCES test_window_startup.cpp LIBS tr_window tr_files)
