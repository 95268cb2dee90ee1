# Acquisition: port paths, serial link, frame assembler, decoder, logger reader and port commands.
tr_add_qtest(test_acq_decoder SOURCES test_acq_decoder.cpp LIBS tr_acquisition)
tr_add_qtest(test_acq_framereader SOURCES test_acq_framereader.cpp LIBS tr_acquisition)
tr_add_qtest(test_acq_portcommands SOURCES test_acq_portcommands.cpp support/fakeseriallink.h
             LIBS tr_acquisition)
tr_add_qtest(test_acq_loggerreader SOURCES test_acq_loggerreader.cpp support/fakeseriallink.h
             LIBS tr_acquisition)
