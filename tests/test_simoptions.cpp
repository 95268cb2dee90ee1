// The simulator's command line: every option, the defaults, and the mistakes it refuses with
// status 2.

#include "simoptions.h"

#include <QProcess>
#include <QTest>

using tc4sim::Fault;
using tc4sim::ParsedCommandLine;
using Outcome = ParsedCommandLine::Outcome;
Q_DECLARE_METATYPE(Outcome)

class TestSimOptions : public QObject
{
    Q_OBJECT
private slots:
    void parses_data()
    {
        QTest::addColumn<QStringList>("arguments"); // after the program's name
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<QString>("summary"); // of the options; or part of the help or error text
        const auto row = [](const char* name, const QStringList& a, Outcome o, const char* s) {
            QTest::newRow(name) << a << o << QString::fromUtf8(s);
        };
        const Outcome run = Outcome::Run;
        const Outcome error = Outcome::Error;
        row("defaults", {"--folder", "f"}, run,
            "f port 1 rate 10 seconds - fault 0 after 0 frames - once 0 seed 1 count 0 path 0 "
            "verbose 0");
        row("every option",
            {"--folder=d", "--port", "16", "--rate", "0.5", "--seconds", "3", "--fault", "partial",
             "--fault-after=1.5", "--frames", "x.txt", "--once", "--seed", "7", "--start-count",
             "-5", "--print-path", "--verbose"},
            run,
            "d port 16 rate 0.5 seconds 3 fault 3 after 1.5 frames x.txt once 1 seed 7 count -5 "
            "path 1 verbose 1");
        row("last value wins", {"--folder", "a", "--port", "2", "--port", "3"}, run,
            "a port 3 rate 10 seconds - fault 0 after 0 frames - once 0 seed 1 count 0 path 0 "
            "verbose 0");
        row("--help", {"--help"}, Outcome::Help, "--fault-after <S>");
        row("-h, fault modes listed", {"-h"}, Outcome::Help, "disconnect  removes the link");
        row("exit status in the help", {"--help"}, Outcome::Help, "2 for a bad command line.");
        row("no folder", {"--port", "2"}, error, "--folder is required");
        row("port 0", {"--folder", "f", "--port", "0"}, error,
            "--port must be a whole number from 1 to 16, not '0'");
        row("port 17", {"--folder", "f", "--port", "17"}, error, "not '17'");
        row("port 2.5", {"--folder", "f", "--port", "2.5"}, error, "not '2.5'");
        row("rate 0", {"--folder", "f", "--rate", "0"}, error,
            "--rate must be a number above 0 and at most 1000, not '0'");
        row("rate 1001", {"--folder", "f", "--rate", "1001"}, error, "not '1001'");
        row("rate nan", {"--folder", "f", "--rate", "nan"}, error, "not 'nan'");
        row("seconds negative", {"--folder", "f", "--seconds", "-1"}, error,
            "--seconds must be a number of seconds, 0 or more, not '-1'");
        row("fault-after word", {"--folder", "f", "--fault-after", "soon"}, error,
            "--fault-after must be a number of seconds");
        row("unknown fault", {"--folder", "f", "--fault", "smoke"}, error,
            "unknown --fault 'smoke' (none, silence, garbage, partial, nocrlf, disconnect)");
        row("seed negative", {"--folder", "f", "--seed", "-1"}, error,
            "--seed must be a whole number 0 or more, not '-1'");
        row("start-count word", {"--folder", "f", "--start-count", "x"}, error,
            "--start-count must be a whole number, not 'x'");
        row("once without frames", {"--folder", "f", "--once"}, error, "--once needs --frames");
        row("flag with a value", {"--folder", "f", "--verbose=1"}, error,
            "Unexpected value after '--verbose'.");
        row("missing value", {"--folder"}, error, "Missing value after '--folder'.");
        row("unknown option", {"--folder", "f", "--colour"}, error, "Unknown option 'colour'.");
        row("stray argument", {"--folder", "f", "extra"}, error, "unknown argument 'extra'");
    }
    void parses()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, summary);
        const ParsedCommandLine c = tc4sim::ParseCommandLine(QStringList{"tc4-sim"} + arguments);
        QTEST(c.outcome, "outcome");
        if (c.outcome != Outcome::Run) {
            const QString text = QString::fromStdString(c.text);
            QVERIFY2(text.contains(summary), qPrintable(text));
            if (c.outcome == Outcome::Error)
                QVERIFY(text.endsWith("\nTry 'tc4-sim --help'.\n"));
            return;
        }
        const tc4sim::Options& o = c.options;
        const QString got =
            QStringLiteral("%1 port %2 rate %3 seconds %4 fault %5 after %6 frames %7 once %8 "
                           "seed %9 count %10 path %11 verbose %12")
                .arg(QString::fromStdString(o.folder))
                .arg(o.port)
                .arg(o.rate)
                .arg(o.seconds ? QString::number(*o.seconds) : QStringLiteral("-"))
                .arg(static_cast<int>(o.fault))
                .arg(o.faultAfter)
                .arg(o.framesFile.empty() ? QStringLiteral("-")
                                          : QString::fromStdString(o.framesFile))
                .arg(int(o.once))
                .arg(o.seed)
                .arg(o.startCount)
                .arg(int(o.printPath))
                .arg(int(o.verbose));
        QCOMPARE(got, summary);
    }

    void programExitsWithStatus_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("err");
        QTest::newRow("bad option") << QStringList{"--colour"} << 2 << QByteArray()
                                    << QByteArray("Unknown option 'colour'.");
        QTest::newRow("help") << QStringList{"--help"} << 0 << QByteArray("--folder <DIR>")
                              << QByteArray();
    }
    void programExitsWithStatus()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        const QString program = qEnvironmentVariable("TR_SIMULATOR");
        QVERIFY2(!program.isEmpty(), "TR_SIMULATOR is not set");
        QProcess process;
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

QTEST_GUILESS_MAIN(TestSimOptions)
#include "test_simoptions.moc"
