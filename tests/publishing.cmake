# Publishing: the messages, the settings, and every reading of a recording through a real
# mosquitto broker and an HTTP listener; the recorder without a window, killed and ended.
tr_add_qtest(test_publishing SOURCES test_publishing.cpp LIBS tr_publishing_dialog)
add_dependencies(test_publishing thermocouple-recorder tc4-sim)
# The window: the status line and Options > Publishing.
tr_add_qtest(test_publishing_window SOURCES test_publishing_window.cpp LIBS tr_window)
