# Publishing: the messages, the settings, and every reading of a recording through a real
# mosquitto broker and an HTTP listener; the recorder without a window, killed and ended.
tr_add_qtest(test_publishing SOURCES test_publishing.cpp LIBS tr_publishing_dialog)
add_dependencies(test_publishing thermocouple-recorder tc4-sim)
