// Received text cut into lines, frames told from damaged lines, a port given by device path.

#include "framereader.h"
#include "qtseriallink.h"
#include "simulatorprocess.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using Chunks = QList<QByteArray>;

constexpr int kChannels = 4;

class TestAcqFrameReader : public QObject
{
    Q_OBJECT
private slots:
    void instrumentFrame_data()
    {
        QTest::addColumn<QString>("frame");
        QTest::addColumn<int>("channels");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("four readings") << "17,512.3,498.7,455.1,63.2" << 4 << true;
        QTest::newRow("signs, both ends of the range") << "0,-270,+1372,-0,1372.0" << 4 << true;
        QTest::newRow("blanks around, counter not looked at")
            << "#x, 450 ,  461.5,472 , 4 " << 4 << true;
        QTest::newRow("anything after the last temperature") << "0,1,2,3,4,OVR,,x" << 4 << true;
        QTest::newRow("two channels") << "0,1,2" << 2 << true;
        QTest::newRow("no channels") << "0" << 0 << false;
        QTest::newRow("too few fields") << "0,450,461" << 4 << false;
        // A field the instrument sends for a failed probe makes that channel no reading; two
        // frames run together are told by their field count (the assembler's table).
        QTest::newRow("two frames run together: the probe words pass here")
            << "17,450.1,4618,450.2,461.0,470.3,480.9" << 4 << true;
        QTest::newRow("just above the range: a failed probe") << "0,1,2,1372.1,3" << 4 << true;
        QTest::newRow("just below the range: a failed probe") << "0,1,2,3,-270.5" << 4 << true;
        QTest::newRow("a failed probe's word") << "0,450,OPEN,----,OVR" << 4 << true;
        QTest::newRow("empty field: a failed probe") << "0,1,,3,4" << 4 << true;
        QTest::newRow("garbled digits") << "0,45a,1,2,3" << 4 << false;
        QTest::newRow("exponent") << "0,1e3,1,2,3" << 4 << false;
        QTest::newRow("point without digits") << "0,.5,5.,1,2" << 4 << false;
        QTest::newRow("blank inside a number") << "0,4 50,1,2,3" << 4 << false;
    }
    void instrumentFrame()
    {
        QFETCH(QString, frame);
        QFETCH(int, channels);
        QTEST(IsInstrumentFrame(frame, channels), "accepted");
    }

    // Frames of one session in turn, four channels; `accepted` has y or n for each.
    void fieldCount_data()
    {
        QTest::addColumn<QStringList>("frames");
        QTest::addColumn<QString>("accepted");
        const QString good = QStringLiteral("16,450.0,460.9,470.2,480.8");
        // The tail of line 17 cut at a field's end, run into line 18: every field in range.
        const QString runTogether = QStringLiteral("17,450.1,18,450.2,461.0,470.3,480.9");
        QTest::newRow("a sixth field is the instrument's count")
            << QStringList{"0, 537.3,650, 760.2 ,880,12", "1,537.4,651,760,881,12", good} << "yyn";
        QTest::newRow("two lines run together") << QStringList{good, runTogether, good} << "yny";
        QTest::newRow("a short first frame sets no count")
            << QStringList{"0,450,461", good, runTogether} << "nyn";
        QTest::newRow("odd frames between good ones never change the count")
            << QStringList{good, runTogether, runTogether, good, runTogether, good} << "ynnyny";
        QTest::newRow("a first frame run together gives way to the next good one")
            << QStringList{runTogether, good, good, runTogether, good} << "yyyny";
        const QString six = QStringLiteral("5,1,2,3,4,5");
        QTest::newRow("three in a row are the instrument's new count")
            << QStringList{good, good, six, six, six, good, six} << "yynnyny";
    }
    void fieldCount()
    {
        QFETCH(QStringList, frames);
        FrameAssembler assembler;
        QString accepted;
        for (const QString& frame : frames)
            accepted += assembler.acceptFrame(frame, kChannels) ? u'y' : u'n';
        QTEST(accepted, "accepted");
    }

    // Bytes as they arrive; the text before the first line end is the tail of an older line.
    void assembles_data()
    {
        QTest::addColumn<Chunks>("chunks");
        // The good frames taken after each chunk, ';' between frames and '|' between chunks.
        QTest::addColumn<QString>("taken");
        QTest::addColumn<int>("rejected");
        QTest::addColumn<int>("droppedByBacklog");

        const QByteArray longest(FrameAssembler::kMaxLineLength, '7');
        QStringList ten;
        QByteArray stream = ".3,63.2\r\n";
        for (int k = 0; k < 10; ++k) {
            ten << QStringLiteral("%1,50%1.5,480.0,455.1,63.2").arg(k);
            stream += ten.last().toLatin1() + "\r\n";
        }
        Chunks tenCut; // a frame's length each: every frame is cut in two
        for (qsizetype i = 0; i < stream.size(); i += ten[0].size() + 2)
            tenCut << stream.mid(i, ten[0].size() + 2);
        QTest::newRow("LF or CR alone ends a line, an empty one is no frame")
            << Chunks{"x\n1,1,1,1,1\r\r\n2,2,2,2,2\n\n3,3,3,3,3\r"}
            << "1,1,1,1,1;2,2,2,2,2;3,3,3,3,3" << 0 << 0;
        QTest::newRow("a line without end is cut, its rest dropped")
            << Chunks{"x\r\n" + longest + "7", "77\r\n1,2,3,4,5\r\n"} << "|1,2,3,4,5" << 0 << 0;
        QTest::newRow("a line of the longest length is not cut")
            << Chunks{"x\r\n" + longest + "\r", "\n1,2,3,4,5\r\n"} << "|1,2,3,4,5" << 1 << 0;
        QTest::newRow("10 frames in, 10 frames out") << tenCut << "|" + ten.join('|') << 0 << 0;
        QTest::newRow("split inside CR LF: the CR ends the line, no wait for the LF")
            << Chunks{"x\r", "\n0,1,2,3,4\r", "\n1,5,6,7,8\r", "\n"} << "|0,1,2,3,4|1,5,6,7,8|" << 0
            << 0;
        QTest::newRow("a fast instrument leaves only the newest three")
            << Chunks{"x\r\n1,1,1,1,1\r\n2,2,2,2,2\r\n3,3,3,3,3\r\n4,4,4,4,4\r\n5,5,5,5,5\r\n"}
            << "3,3,3,3,3;4,4,4,4,4;5,5,5,5,5" << 0 << 2;
        // The partial-line fault: a line cut short without CR LF runs into the next one.
        QTest::newRow("a cut line and the next one are skipped together")
            << Chunks{"x\r\n16,450.0,460.9,470.2,480.8\r\n", "17,450.1,",
                      "18,450.2,461.0,470.3,480.9\r\n", "19,450.3,461.1,470.4,481.0\r\n"}
            << "16,450.0,460.9,470.2,480.8|||19,450.3,461.1,470.4,481.0" << 1 << 0;
    }
    void assembles()
    {
        QFETCH(Chunks, chunks);
        // An earlier session: reset() forgets its frames, drop count, field count and line start.
        FrameAssembler assembler;
        assembler.append("left from an earlier session\r\n" +
                         QByteArray("9,9,9,9,9,9\r\n").repeated(5) + "9,9");
        for (QString old; assembler.takeFrame(old);)
            QVERIFY(assembler.acceptFrame(old, kChannels));
        assembler.reset();
        QStringList taken;
        int rejected = 0;
        for (const QByteArray& chunk : chunks) {
            assembler.append(chunk);
            QStringList frames;
            for (QString frame; assembler.takeFrame(frame);) {
                if (assembler.acceptFrame(frame, kChannels))
                    frames << frame;
                else
                    ++rejected;
            }
            taken << frames.join(';');
        }
        QTEST(taken.join('|'), "taken");
        QTEST(rejected, "rejected");
        QTEST(int(assembler.droppedFrames()), "droppedByBacklog");
    }

    // A device path opens without a ports/COMn link; a number afterwards selects by number.
    void devicePathNeedsNoLink()
    {
        constexpr int kSimPort = 5;
        QTemporaryDir simFolder;
        SimulatorProcess sim(simFolder.path());
        if (!sim.start(kSimPort))
            QSKIP(qPrintable(sim.why()));
        const QString device =
            QFileInfo(simFolder.filePath(QStringLiteral("ports/COM%1").arg(kSimPort)))
                .symLinkTarget();
        QVERIFY(device.startsWith(QStringLiteral("/dev/")));

        QTemporaryDir programFolder; // every COM number links to nothing here
        QVERIFY(SimulatorProcess::blockRealPorts(programFolder.path()));
        QtSerialLink link(programFolder.path());
        link.setPort(kSimPort);
        link.setDevice(device);
        QVERIFY(link.setSettings(QStringLiteral("19200,N,8,1")));
        QVERIFY(link.open());
        link.close();

        link.setPort(kSimPort);
        QVERIFY(!link.open());
        QCOMPARE(link.devicePath(),
                 programFolder.filePath(QStringLiteral("ports/COM%1").arg(kSimPort)));
    }
};

QTEST_GUILESS_MAIN(TestAcqFrameReader)
#include "test_acq_framereader.moc"
