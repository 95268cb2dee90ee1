# The run model: a run recorded, saved, opened and recovered without a window; the run line.
tr_add_qtest(test_runmodel SOURCES test_runmodel.cpp LIBS tr_recording)
