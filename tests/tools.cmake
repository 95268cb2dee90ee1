# The simulator's frames and engine model as the program's frame reader takes them. Its command
# line is tested with the program's: test_commandline (startup.cmake).
tr_add_qtest(test_simulator SOURCES test_simulator.cpp LIBS tc4sim_logic tr_acquisition)
