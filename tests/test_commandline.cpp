// Start-up before any window: the command lines of the program and of the simulator, the
// status the built programs answer with, and where the program keeps its files.

#include "commandline.h"
#include "programfolder.h"

#include <QDebug>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using Outcome = CommandLine::Outcome;
Q_DECLARE_METATYPE(Outcome)

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
            "saved in the data folder.\n\nArguments:\n  FILE");
        row("publishing, headless",
            {"--headless", "--port", "3", "--mqtt", "mqtt://b:1884", "--influx", "https://db/w"},
            Outcome::Run, "|3||mqtt://b:1884|https://db/w|headless");
        row("mqtt scheme", {"--mqtt", "b:1883"}, error, "beginning mqtt://, not 'b:1883'");
        row("influx scheme", {"--influx", "db:8086"}, error, "http:// or https://, not");
        row("headless with file", {"--headless", "run1"}, error, "opens no data file");
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
            QCOMPARE(QString("%1|%2|%3").arg(c.dataFile).arg(c.comPort).arg(c.portDevice) +
                         ((c.mqttUrl + c.influxUrl).isEmpty() && !c.headless
                              ? QString()
                              : QString("|%1|%2|%3").arg(c.mqttUrl, c.influxUrl,
                                                         c.headless ? "headless" : "")),
                     text);
        else
            QVERIFY2(c.text.contains(text), qPrintable(c.text));
        if (c.outcome == Outcome::Error)
            QVERIFY2(c.text.endsWith("Try 'thermocouple-recorder --help'.\n"), qPrintable(c.text));
    }

    // The built programs answer these without a window system, as in a terminal without one:
    // on stdout with status 0, or on stderr with status 2.
    void programExitsWithStatus_data()
    {
        QTest::addColumn<QString>("program"); // the variable that names it
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("text"); // part of what it prints
        const auto row = [](const char* program, const QStringList& a, int status, const char* t) {
            QTest::newRow(qPrintable(program + (" " + a.join(' '))))
                << program << a << status << QByteArray(t);
        };
        row("TR_PROGRAM", {"--bogus"}, 2, "Unknown option 'bogus'.");
        row("TR_PROGRAM", {"--version"}, 0, "thermocouple-recorder " TR_VERSION "\n");
        row("TR_PROGRAM", {"--help"}, 0, "Usage: thermocouple-recorder [options] [FILE]\n");
        row("TR_SIMULATOR", {"--colour"}, 2, "Unknown option 'colour'.");
        row("TR_SIMULATOR", {"--help"}, 0, "2 for a bad command line.");
        // Values that would stall or flood the simulator's clock are refused before it starts.
        for (const char* rate : {"0", "nan", "1001"})
            row("TR_SIMULATOR", {"--folder", "f", "--rate", rate}, 2,
                "--rate must be a number above 0 and at most 1000");
        row("TR_SIMULATOR", {"--folder", "f", "--seconds", "-1"}, 2, "0 or more, not '-1'");
        row("TR_SIMULATOR", {"--folder", "f", "--once"}, 2, "--once needs --frames\nTry");
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
