// The command line: what each form asks for, the mistakes it refuses, and the program's exit
// status and messages for them.

#include "commandline.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using Outcome = CommandLine::Outcome;
Q_DECLARE_METATYPE(Outcome)

class TestCommandLine : public QObject
{
    Q_OBJECT
private slots:
    void parses_data()
    {
        QTest::addColumn<QStringList>("arguments"); // after the program's name
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("comPort");
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("text"); // part of the help, version or error text

        QTest::newRow("nothing") << QStringList{} << Outcome::Run << "" << 0 << ""
                                 << "";
        QTest::newRow("file") << QStringList{"runs/engine 3"} << Outcome::Run << "runs/engine 3"
                              << 0 << ""
                              << "";
        QTest::newRow("file after --")
            << QStringList{"--", "-odd"} << Outcome::Run << "-odd" << 0 << ""
            << "";
        QTest::newRow("port number") << QStringList{"--port", "3"} << Outcome::Run << "" << 3 << ""
                                     << "";
        QTest::newRow("port=16 and file")
            << QStringList{"--port=16", "run1"} << Outcome::Run << "run1" << 16 << ""
            << "";
        QTest::newRow("port COM7") << QStringList{"--port", "com7"} << Outcome::Run << "" << 7 << ""
                                   << "";
        QTest::newRow("port device")
            << QStringList{"--port", "/dev/ttyUSB0"} << Outcome::Run << "" << 0 << "/dev/ttyUSB0"
            << "";
        QTest::newRow("port relative path")
            << QStringList{"--port", "./pty"} << Outcome::Run << "" << 0 << "./pty"
            << "";
        QTest::newRow("--help") << QStringList{"--help"} << Outcome::Help << "" << 0 << ""
                                << "--port <N|DEVICE>";
        QTest::newRow("-h") << QStringList{"-h"} << Outcome::Help << "" << 0 << ""
                            << "[FILE]";
        QTest::newRow("--version") << QStringList{"--version"} << Outcome::Version << "" << 0 << ""
                                   << "thermocouple-recorder 9.8\n";
        QTest::newRow("help names the program")
            << QStringList{"-h"} << Outcome::Help << "" << 0 << ""
            << "Usage: thermocouple-recorder [options] [FILE]\n";
        QTest::newRow("help hides Qt's options")
            << QStringList{"--help", "-style", "fusion"} << Outcome::Help << "" << 0 << ""
            << "/dev/ttyUSB0.\n\nArguments:\n  FILE";
        QTest::newRow("Qt's options let through")
            << QStringList{"-platform", "offscreen",     "-reverse", "--style=fusion",
                           "run1",      "-qwindowtitle", "Cell 3"}
            << Outcome::Run << "run1" << 0 << ""
            << "";

        const auto error = [](const char* name, const QStringList& arguments, const char* text) {
            QTest::newRow(name) << arguments << Outcome::Error << "" << 0 << "" << text;
        };
        error("unknown option", {"--bogus"}, "Unknown option 'bogus'.");
        error("unknown short option", {"-x", "run1"}, "Unknown option 'x'.");
        error("unknown beside --help", {"--help", "--bogus"}, "Unknown option 'bogus'.");
        error("port without value", {"--port"}, "Missing value after '--port'.");
        error("port 0", {"--port", "0"}, "not '0'");
        error("port 17", {"--port", "17"}, "from 1 to 16");
        error("port word", {"--port", "usb"}, "device path such as /dev/ttyUSB0, not 'usb'");
        error("port empty", {"--port="}, "not ''");
        error("port twice", {"--port", "1", "--port", "2"}, "more than once");
        error("two files", {"run1", "run2"}, "only one data file");
        error("empty file name", {""}, "name is empty");
    }
    void parses()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, text);
        const CommandLine c =
            ParseCommandLine(QStringList{"thermocouple-recorder"} + arguments, "9.8");
        QTEST(c.outcome, "outcome");
        QTEST(c.dataFile, "file");
        QTEST(int(c.comPort), "comPort");
        QTEST(c.portDevice, "device");
        QVERIFY2(c.text.contains(text), qPrintable(c.text));
        if (c.outcome == Outcome::Error)
            QVERIFY2(c.text.endsWith("Try 'thermocouple-recorder --help'.\n"), qPrintable(c.text));
    }

    // The built program answers these without opening a window or touching its folder.
    void programExitsWithStatus_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("err");
        QTest::newRow("unknown option")
            << QStringList{"--bogus"} << 2 << QByteArray() << QByteArray("Unknown option 'bogus'.");
        QTest::newRow("bad port") << QStringList{"--port", "99"} << 2 << QByteArray()
                                  << QByteArray("not '99'");
        QTest::newRow("--version")
            << QStringList{"--version"} << 0 << QByteArray("thermocouple-recorder " TR_VERSION "\n")
            << QByteArray();
        QTest::newRow("--help") << QStringList{"--help"} << 0 << QByteArray("--port <N|DEVICE>")
                                << QByteArray();
    }
    // Answered without a window system: in a terminal without a display as well.
    void programAnswersWithoutDisplay()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("QT_QPA_PLATFORM");
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        for (const auto& [arguments, status] :
             {std::pair{QStringList{"--bogus"}, 2}, std::pair{QStringList{"--version"}, 0}}) {
            QProcess process;
            process.setProcessEnvironment(env);
            process.start(qEnvironmentVariable("TR_PROGRAM"), arguments);
            QVERIFY(process.waitForFinished(60000));
            QCOMPARE(process.exitStatus(), QProcess::NormalExit);
            QCOMPARE(process.exitCode(), status);
        }
    }
    void programExitsWithStatus()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        const QString program = qEnvironmentVariable("TR_PROGRAM");
        QVERIFY2(!program.isEmpty(), "TR_PROGRAM is not set");
        QTemporaryDir runtime; // where Qt looks for XDG_RUNTIME_DIR, and warns without one
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", runtime.path());
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(program, arguments);
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QTEST(process.exitCode(), "status");
        const QByteArray stdOut = process.readAllStandardOutput();
        const QByteArray stdErr = process.readAllStandardError();
        QVERIFY2(out.isEmpty() ? stdOut.isEmpty() : stdOut.contains(out), stdOut.constData());
        QVERIFY2(err.isEmpty() ? stdErr.isEmpty() : stdErr.contains(err), stdErr.constData());
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_commandline.moc"
