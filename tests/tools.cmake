# The simulator's command line is tested with the program's: test_commandline (startup.cmake).
