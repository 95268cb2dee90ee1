tr_add_qtest(test_gaugeface SOURCES test_gaugeface.cpp LIBS tr_display_logic)
tr_add_qtest(test_gaugepanel SOURCES test_gaugepanel.cpp LIBS tr_window)
tr_add_qtest(test_stripchart SOURCES test_stripchart.cpp LIBS tr_display)
tr_add_qtest(test_graphcursor SOURCES test_graphcursor.cpp LIBS tr_display_logic)
