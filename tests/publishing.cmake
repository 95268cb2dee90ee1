# Publishing: the messages, the settings, and every reading of a recording through a real
# mosquitto broker and an HTTP listener.
tr_add_qtest(test_publishing SOURCES test_publishing.cpp LIBS tr_publishing_dialog)
