// The Debian package built by CPack from this build: what it holds, what it declares, that its
// desktop entry and metainfo pass the freedesktop validators, and that the program it installs
// starts offscreen, keeps its files in the per-user data folder and ends cleanly on SIGTERM.
// The package is built once and unpacked into a scratch folder, never installed on the machine.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace
{

const QString kAppId = QStringLiteral("com.veltrona.ThermocoupleRecorder");
constexpr int kToolMs = 600000; // building a package may take minutes on a busy machine

struct Run {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

Run run(const QString& program, const QStringList& arguments, const QString& folder = {})
{
    QProcess process;
    if (!folder.isEmpty())
        process.setWorkingDirectory(folder);
    process.start(program, arguments);
    Run r;
    if (!process.waitForFinished(kToolMs) || process.exitStatus() != QProcess::NormalExit) {
        r.err = process.errorString().toLocal8Bit() + '\n' + process.readAllStandardError();
        return r;
    }
    r.status = process.exitCode();
    r.out = process.readAllStandardOutput();
    r.err = process.readAllStandardError();
    return r;
}

} // namespace

class TestPackage : public QObject
{
    Q_OBJECT
    QTemporaryDir work_;
    QString deb_;
    QString root_; // the package unpacked

    QString installed(const QString& path) const { return root_ + path; }

private slots:
    void initTestCase()
    {
        QVERIFY(work_.isValid());
        const Run cpack =
            run(QStringLiteral(TR_CPACK),
                {"-G", "DEB", "--config", QStringLiteral(TR_BUILD_DIR) + "/CPackConfig.cmake", "-B",
                 work_.path()},
                work_.path());
        QVERIFY2(cpack.status == 0, cpack.out + cpack.err);
        const QStringList debs = QDir(work_.path()).entryList({"*.deb"}, QDir::Files);
        QCOMPARE(debs.size(), 1);
        deb_ = work_.filePath(debs.first());
        root_ = work_.filePath("root");
        const Run unpack = run("dpkg-deb", {"-x", deb_, root_});
        QVERIFY2(unpack.status == 0, unpack.err);
    }

    // Exactly the programs and their files: no test, bench or library of the build tree.
    void holdsTheProgramsAndTheirFiles()
    {
        const Run contents = run("dpkg-deb", {"-c", deb_});
        QVERIFY2(contents.status == 0, contents.err);
        QStringList files;
        for (const QString& line : QString::fromUtf8(contents.out).split('\n')) {
            if (!line.startsWith('-')) // regular files only, not folders
                continue;
            files << line.section(QRegularExpression("\\s+"), 5);
        }
        files.sort();
        const QStringList expected{
            "./usr/bin/tc4-sim",
            "./usr/bin/thermocouple-recorder",
            "./usr/share/applications/" + kAppId + ".desktop",
            "./usr/share/doc/thermocouple-recorder/README.md",
            "./usr/share/icons/hicolor/scalable/apps/" + kAppId + ".svg",
            "./usr/share/metainfo/" + kAppId + ".metainfo.xml",
            "./usr/share/thermocouple-recorder/AFHelp.txt",
        };
        QCOMPARE(files, expected);
        QVERIFY(QFileInfo(installed("/usr/bin/thermocouple-recorder")).isExecutable());
        QVERIFY(QFileInfo(installed("/usr/bin/tc4-sim")).isExecutable());
    }

    // Qt lives in the system's library folders; a search path of the build's own would only
    // let a stray library beside the program be loaded.
    void programsHaveNoLibrarySearchPath_data()
    {
        QTest::addColumn<QString>("program");
        QTest::newRow("thermocouple-recorder") << "thermocouple-recorder";
        QTest::newRow("tc4-sim") << "tc4-sim";
    }
    void programsHaveNoLibrarySearchPath()
    {
        QFETCH(QString, program);
        const Run dynamic = run("readelf", {"-d", installed("/usr/bin/" + program)});
        QVERIFY2(dynamic.status == 0, dynamic.err);
        QVERIFY2(!dynamic.out.contains("RUNPATH") && !dynamic.out.contains("RPATH"), dynamic.out);
    }

    void declares_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("pattern"); // the whole value must match
        QTest::newRow("Package") << "Package"
                                 << "thermocouple-recorder";
        QTest::newRow("Version") << "Version" << QRegularExpression::escape(TR_VERSION);
        QTest::newRow("Section") << "Section"
                                 << "science";
        QTest::newRow("Maintainer") << "Maintainer"
                                    << ".+ <.+@.+>";
        QTest::newRow("Depends: Qt Widgets") << "Depends"
                                             << ".*\\blibqt6widgets6\\b.*";
        QTest::newRow("Depends: Qt SerialPort") << "Depends"
                                                << ".*\\blibqt6serialport6\\b.*";
        QTest::newRow("Depends: Qt PrintSupport") << "Depends"
                                                  << ".*\\blibqt6printsupport6\\b.*";
        QTest::newRow("Depends: window system") << "Depends"
                                                << ".*\\bqt6-qpa-plugins\\b.*";
    }
    void declares()
    {
        QFETCH(QString, field);
        QFETCH(QString, pattern);
        const Run value = run("dpkg-deb", {"-f", deb_, field});
        QVERIFY2(value.status == 0, value.err);
        const QString text = QString::fromUtf8(value.out).trimmed();
        QVERIFY2(
            QRegularExpression(QRegularExpression::anchoredPattern(pattern)).match(text).hasMatch(),
            qPrintable(field + ": " + text));
    }

    void architectureIsTheMachines()
    {
        const Run machine = run("dpkg", {"--print-architecture"});
        const Run value = run("dpkg-deb", {"-f", deb_, "Architecture"});
        QCOMPARE(value.out.trimmed(), machine.out.trimmed());
    }

    void passesTheValidators_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QStringList>("arguments"); // the installed file follows
        QTest::addColumn<QString>("file");
        QTest::newRow("desktop entry") << "desktop-file-validate" << QStringList{}
                                       << "/usr/share/applications/" + kAppId + ".desktop";
        QTest::newRow("metainfo") << "appstreamcli" << QStringList{"validate", "--no-net"}
                                  << "/usr/share/metainfo/" + kAppId + ".metainfo.xml";
    }
    void passesTheValidators()
    {
        QFETCH(QString, tool);
        QFETCH(QStringList, arguments);
        QFETCH(QString, file);
        const QString program = QStandardPaths::findExecutable(tool);
        QVERIFY2(!program.isEmpty(), qPrintable(tool + " not found: scripts/setup-deps.sh "
                                                       "installs it"));
        const Run check = run(program, arguments << installed(file));
        QVERIFY2(check.status == 0, check.out + check.err);
    }

    // A release entry for every version, so software centres show the one installed.
    void metainfoNamesThisVersion()
    {
        QFile file(installed("/usr/share/metainfo/" + kAppId + ".metainfo.xml"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QRegularExpressionMatch newest = QRegularExpression("<release version=\"([^\"]+)\"")
                                                   .match(QString::fromUtf8(file.readAll()));
        QVERIFY(newest.hasMatch());
        QCOMPARE(newest.captured(1), QStringLiteral(TR_VERSION));
    }

    // Installed under the prefix, the program writes nothing beside itself, even as root, and
    // a SIGTERM ends it as the end of a session does: status 0, settings stored.
    void installedProgramStartsAndEndsCleanly()
    {
        QTemporaryDir home;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("HOME", home.path());
        env.insert("XDG_DATA_HOME", home.filePath("data"));
        env.insert("XDG_CONFIG_HOME", home.filePath("config"));
        env.insert("XDG_CACHE_HOME", home.filePath("cache"));
        const QString folder = home.filePath("data/Veltrona/thermocouple-recorder");
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(installed("/usr/bin/thermocouple-recorder"), QStringList{});
        QVERIFY2(program.waitForStarted(), qPrintable(program.errorString()));
        // Up when its start-up made the data folder and copied the help text.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(folder + "/TC Text/AFHelp.txt") &&
                                     QFileInfo(folder + "/TCFiles").isDir(),
                                 120000);
        QCOMPARE(program.state(), QProcess::Running);
        program.terminate();
        QVERIFY(program.waitForFinished(120000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QVERIFY2(program.exitCode() == 0, program.readAllStandardError());
        QVERIFY(QFileInfo(folder + "/AFConfig.zrb").size() > 0);
        QFile help(installed("/usr/share/thermocouple-recorder/AFHelp.txt"));
        QFile copy(folder + "/TC Text/AFHelp.txt");
        QVERIFY(help.open(QIODevice::ReadOnly) && copy.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(), help.readAll());
        QCOMPARE(QDir(installed("/usr/bin")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 (QStringList{"tc4-sim", "thermocouple-recorder"}));
    }

    void installedProgramsAnswerTheirCommandLines_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("output"); // part of stdout or stderr
        QTest::newRow("--version") << "thermocouple-recorder" << QStringList{"--version"} << 0
                                   << QByteArray("thermocouple-recorder " TR_VERSION);
        QTest::newRow("bad option") << "thermocouple-recorder" << QStringList{"--bogus"} << 2
                                    << QByteArray("Unknown option 'bogus'.");
        QTest::newRow("simulator --help")
            << "tc4-sim" << QStringList{"--help"} << 0 << QByteArray("--folder <DIR>");
    }
    void installedProgramsAnswerTheirCommandLines()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, output);
        const Run r = run(installed("/usr/bin/" + program), arguments);
        QTEST(r.status, "status");
        QVERIFY2((r.out + r.err).contains(output), r.out + r.err);
    }
};

QTEST_GUILESS_MAIN(TestPackage)
#include "test_package.moc"
