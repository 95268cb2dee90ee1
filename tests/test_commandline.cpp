// Start-up before any window: the command lines of the program and of the simulator, the
// status the built programs answer with, and where the program keeps its files.

#include "commandline.h"
#include "programfolder.h"
#include "simoptions.h"

#include <QDebug>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using Outcome = CommandLine::Outcome;
using SimOutcome = tc4sim::ParsedCommandLine::Outcome;
Q_DECLARE_METATYPE(Outcome)
Q_DECLARE_METATYPE(SimOutcome)

namespace
{

bool put(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT
private slots:
    void parses_data()
    {
        QTest::addColumn<QStringList>("arguments"); // after the program's name
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<QString>("text"); // file|COM number|device; or part of the printed text
        const auto row = [](const char* name, const QStringList& a, Outcome o, const char* text) {
            QTest::newRow(name) << a << o << QString(text);
        };
        const Outcome error = Outcome::Error;
        row("port 16 and file", {"--port", "16", "runs/engine 3"}, Outcome::Run,
            "runs/engine 3|16|");
        row("port COM7", {"--port", "com7"}, Outcome::Run, "|7|");
        row("port device", {"--port", "/dev/ttyUSB0"}, Outcome::Run, "|0|/dev/ttyUSB0");
        row("Qt's options let through",
            {"-platform", "offscreen", "-reverse", "--style=fusion", "run1", "-qwindowtitle", "C"},
            Outcome::Run, "run1|0|");
        row("help hides Qt's options", {"--help"}, Outcome::Help,
            "/dev/ttyUSB0.\n\nArguments:\n  FILE");
        row("--version", {"--version"}, Outcome::Version, "thermocouple-recorder 9.8\n");
        row("port 0", {"--port", "0"}, error, "not '0'");
        row("port 17", {"--port", "17"}, error, "from 1 to 16");
        row("port word", {"--port", "usb"}, error, "device path such as /dev/ttyUSB0, not 'usb'");
        row("port twice", {"--port", "1", "--port", "2"}, error, "more than once");
        row("two files", {"run1", "run2"}, error, "only one data file");
        row("empty file name", {""}, error, "name is empty");
    }
    void parses()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, text);
        const CommandLine c =
            ParseCommandLine(QStringList{"thermocouple-recorder"} + arguments, "9.8");
        QTEST(c.outcome, "outcome");
        if (c.outcome == Outcome::Run)
            QCOMPARE(QString("%1|%2|%3").arg(c.dataFile).arg(c.comPort).arg(c.portDevice), text);
        else
            QVERIFY2(c.text.contains(text), qPrintable(c.text));
        if (c.outcome == Outcome::Error)
            QVERIFY2(c.text.endsWith("Try 'thermocouple-recorder --help'.\n"), qPrintable(c.text));
    }

    void simulatorParses_data()
    {
        QTest::addColumn<QStringList>("arguments"); // after the program's name
        QTest::addColumn<SimOutcome>("outcome");
        QTest::addColumn<QString>("summary"); // of the options; or part of the help or error text
        const auto row = [](const char* name, const QStringList& a, SimOutcome o, const char* s) {
            QTest::newRow(name) << a << o << QString::fromUtf8(s);
        };
        // The options after --folder f, which name the row.
        const auto error = [](const QStringList& options, const char* text) {
            QTest::newRow(qPrintable(options.join(' ')))
                << QStringList{"--folder", "f"} + options << SimOutcome::Error << QString(text);
        };
        row("defaults", {"--folder", "f"}, SimOutcome::Run,
            "f port 1 rate 10 seconds - fault 0 after 0 frames - once false seed 1 count 0 path "
            "false verbose false");
        row("every option",
            {"--folder=d", "--port", "16", "--rate", "0.5", "--seconds", "3", "--fault", "partial",
             "--fault-after=1.5", "--frames", "x.txt", "--once", "--seed", "7", "--start-count",
             "-5", "--print-path", "--verbose"},
            SimOutcome::Run,
            "d port 16 rate 0.5 seconds 3 fault 3 after 1.5 frames x.txt once true seed 7 count -5 "
            "path true verbose true");
        row("-h lists the fault modes", {"-h"}, SimOutcome::Help, "disconnect  removes the link");
        row("no folder", {"--port", "2"}, SimOutcome::Error, "--folder is required");
        error({"--port", "0"}, "--port must be a whole number from 1 to 16, not '0'");
        error({"--port", "17"}, "--port must be a whole number from 1 to 16, not '17'");
        error({"--rate", "0"}, "--rate must be a number above 0 and at most 1000, not '0'");
        error({"--rate", "1001"}, "--rate must be a number above 0 and at most 1000, not '1001'");
        error({"--rate", "nan"}, "--rate must be a number above 0 and at most 1000, not 'nan'");
        error({"--seconds", "-1"}, "--seconds must be a number of seconds, 0 or more, not '-1'");
        error({"--fault", "smoke"}, "unknown --fault 'smoke' (none, silence, garbage, partial");
        error({"--seed", "-1"}, "--seed must be a whole number 0 or more, not '-1'");
        error({"--start-count", "x"}, "--start-count must be a whole number, not 'x'");
        error({"--once"}, "--once needs --frames");
        error({"extra"}, "unknown argument 'extra'");
    }
    void simulatorParses()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, summary);
        const auto c = tc4sim::ParseCommandLine(QStringList{"tc4-sim"} + arguments);
        QTEST(c.outcome, "outcome");
        if (c.outcome != SimOutcome::Run) {
            const QString text = QString::fromStdString(c.text);
            QVERIFY2(text.contains(summary), qPrintable(text));
            if (c.outcome == SimOutcome::Error)
                QVERIFY(text.endsWith("\nTry 'tc4-sim --help'.\n"));
            return;
        }
        const tc4sim::Options& o = c.options;
        QString got;
        QDebug(&got).noquote().nospace()
            << o.folder.c_str() << " port " << o.port << " rate " << o.rate << " seconds "
            << (o.seconds ? QString::number(*o.seconds) : "-") << " fault " << int(o.fault)
            << " after " << o.faultAfter << " frames "
            << (o.framesFile.empty() ? "-" : o.framesFile.c_str()) << " once " << o.once << " seed "
            << o.seed << " count " << o.startCount << " path " << o.printPath << " verbose "
            << o.verbose;
        QCOMPARE(got, summary);
    }

    // The built programs answer these without a window system, as in a terminal without one:
    // on stdout with status 0, or on stderr with status 2.
    void programExitsWithStatus_data()
    {
        QTest::addColumn<QString>("program"); // the variable that names it
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("text"); // part of what it prints
        QTest::newRow("unknown option")
            << "TR_PROGRAM" << QStringList{"--bogus"} << 2 << QByteArray("Unknown option 'bogus'.");
        QTest::newRow("--version") << "TR_PROGRAM" << QStringList{"--version"} << 0
                                   << QByteArray("thermocouple-recorder " TR_VERSION "\n");
        QTest::newRow("--help") << "TR_PROGRAM" << QStringList{"--help"} << 0
                                << QByteArray("Usage: thermocouple-recorder [options] [FILE]\n");
        QTest::newRow("simulator: unknown option") << "TR_SIMULATOR" << QStringList{"--colour"} << 2
                                                   << QByteArray("Unknown option 'colour'.");
        QTest::newRow("simulator: --help") << "TR_SIMULATOR" << QStringList{"--help"} << 0
                                           << QByteArray("2 for a bad command line.");
    }
    void programExitsWithStatus()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QByteArray, text);
        QVERIFY2(qEnvironmentVariableIsSet(qPrintable(program)), qPrintable(program + " unset"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            env.remove(name);
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(qEnvironmentVariable(qPrintable(program)), arguments);
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), status);
        const QByteArray out = process.readAllStandardOutput();
        const QByteArray err = process.readAllStandardError();
        QVERIFY2((status == 0 ? out : err).contains(text) && (status == 0 ? err : out).isEmpty(),
                 out + err);
    }

    void programFolder_data()
    {
        QTest::addColumn<bool>("installed");     // prefix/share/thermocouple-recorder/AFHelp.txt
        QTest::addColumn<bool>("writable");      // the executable's folder
        QTest::addColumn<QByteArray>("oldCopy"); // the per-user help copy before; "" none
        QTest::addColumn<bool>("perUser");
        QTest::newRow("built") << false << true << QByteArray() << false;
        QTest::newRow("built, folder read-only") << false << false << QByteArray() << true;
        QTest::newRow("installed, writable as root") << true << true << QByteArray() << true;
        QTest::newRow("installed, old help replaced")
            << true << false << QByteArray("help 1\r\n") << true;
    }
    void programFolder()
    {
        QFETCH(bool, installed);
        QFETCH(bool, writable);
        QFETCH(QByteArray, oldCopy);
        QFETCH(bool, perUser);
        QTemporaryDir dir;
        const QString bin = dir.filePath("usr/bin");
        const QString user = dir.filePath("home/.local/share/Veltrona/thermocouple-recorder");
        QVERIFY(QDir().mkpath(bin));
        if (installed)
            QVERIFY(put(dir.filePath("usr/share/thermocouple-recorder/AFHelp.txt"), "help 2\r\n"));
        if (!oldCopy.isEmpty())
            QVERIFY(put(user + "/TC Text/AFHelp.txt", oldCopy));
        if (!writable)
            QVERIFY(QFile::setPermissions(bin, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        // Root may write to any folder: only an installed program tells root's case apart.
        if (!writable && !installed && QFileInfo(bin).isWritable())
            QSKIP("running as root, for whom no folder is read-only");

        const QString folder = ResolveProgramFolder(bin, user);
        QFile::setPermissions(bin, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(folder, perUser ? user : bin);
        QVERIFY(QFileInfo(folder).isDir());
        QFile help(folder + "/TC Text/AFHelp.txt");
        QCOMPARE(help.open(QIODevice::ReadOnly) ? help.readAll() : QByteArray("<none>"),
                 QByteArray(installed ? "help 2\r\n" : "<none>"));
        QCOMPARE(QDir(bin).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_commandline.moc"
