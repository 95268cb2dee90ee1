# The run chart: its arithmetic without a display, and its window beside the main window.
tr_add_qtest(test_runchart_math SOURCES test_runchart_math.cpp LIBS tr_runchart_logic)
tr_add_qtest(test_runchart SOURCES test_runchart.cpp LIBS tr_window tr_testpdf)
