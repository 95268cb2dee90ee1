// The Debian package built by CPack from this build, unpacked into a scratch folder (never
// installed on the machine): its contents, its declarations and the program it installs.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMimeDatabase>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace
{

const QString kAppId = QStringLiteral("com.veltrona.ThermocoupleRecorder");
constexpr int kToolMs = 600000; // building a package may take minutes on a busy machine

struct Run {
    int status = -1;
    QByteArray out, err;
};

Run run(const QString& program, const QStringList& arguments, const QString& folder = {})
{
    QProcess process;
    process.setWorkingDirectory(folder); // none: this process's
    process.start(program, arguments);
    const bool ended =
        process.waitForFinished(kToolMs) && process.exitStatus() == QProcess::NormalExit;
    return {ended ? process.exitCode() : -1, process.readAllStandardOutput(),
            process.readAllStandardError() + (ended ? "" : process.errorString().toLocal8Bit())};
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

    // Nothing of the build tree (a test, a bench, a library) is shipped, and the programs find
    // Qt in the system's library folders: a search path of the build's own would only let a
    // stray library beside them be loaded.
    void holdsOnlyTheProgramsAndTheirFiles()
    {
        for (QDirIterator it(root_, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
            const QString file = it.next().mid(root_.size());
            QVERIFY2(file.startsWith("/usr/share/") || file.startsWith("/usr/bin/") ||
                         file == "/usr/lib/systemd/system/thermocouple-recorder@.service",
                     qPrintable(file));
        }
        QCOMPARE(QDir(installed("/usr/bin")).entryList(QDir::Files),
                 (QStringList{"tc4-sim", "thermocouple-recorder"}));
        for (const QString program : {"tc4-sim", "thermocouple-recorder"}) {
            const Run dynamic = run("readelf", {"-d", installed("/usr/bin/" + program)});
            QVERIFY2(dynamic.status == 0 && !dynamic.out.contains("RPATH") &&
                         !dynamic.out.contains("RUNPATH"),
                     dynamic.out + dynamic.err);
        }
    }

    // What the package declares, and that the freedesktop validators pass its desktop files.
    void toolsSayOfIt_data()
    {
        QTest::addColumn<QString>("tool"); // scripts/setup-deps.sh installs them
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("pattern"); // the whole output must match
        const auto field = [this](const char* name, const char* field, const QString& pattern) {
            QTest::newRow(name) << "dpkg-deb" << QStringList{"-f", deb_, field} << pattern;
        };
        field("Architecture: the machine's", "Architecture",
              run("dpkg", {"--print-architecture"}).out.trimmed());
        field("Depends: the Qt libraries linked", "Depends", ".*\\blibqt6serialport6\\b.*");
        field("Depends: window system", "Depends", ".*\\bqt6-qpa-plugins\\b.*");
        const QString desktop = installed("/usr/share/applications/" + kAppId + ".desktop");
        const QString metainfo = installed("/usr/share/metainfo/" + kAppId + ".metainfo.xml");
        QTest::newRow("desktop entry valid")
            << "desktop-file-validate" << QStringList{desktop} << ".*";
        QTest::newRow("metainfo valid")
            << "appstreamcli" << QStringList{"validate", "--no-net", metainfo} << ".*";
    }
    void toolsSayOfIt()
    {
        QFETCH(QString, tool);
        QFETCH(QStringList, arguments);
        QFETCH(QString, pattern);
        const Run r = run(tool, arguments);
        const QString text = QString::fromUtf8(r.out).trimmed();
        const QRegularExpression whole(QRegularExpression::anchoredPattern(pattern),
                                       QRegularExpression::DotMatchesEverythingOption);
        QVERIFY2(r.status == 0 && whole.match(text).hasMatch(), qPrintable(text + r.err));
    }

    // A file manager knows a run by its first line (the user names the file) and offers the
    // program whose desktop entry takes that type; a run is text all the same.
    void dataFilesKnownByTheirFirstLine()
    {
        // Read before any type is looked up in this process, so the package's types count.
        qputenv("XDG_DATA_DIRS", QFile::encodeName(installed("/usr/share")) + ":/usr/share");
        QMimeDatabase types;
        const QString runType =
            types.mimeTypeForData(QByteArray("ZRB-TC-QLMR*1.10\r\nF\r\n4\r\n")).name();
        QVERIFY2(runType != "text/plain" && types.mimeTypeForName(runType).inherits("text/plain"),
                 qPrintable(runType));
        QCOMPARE(types.mimeTypeForData(QByteArray("ZRB-XX\r\n")).name(), "text/plain");
        QFile desktop(installed("/usr/share/applications/" + kAppId + ".desktop"));
        const QString entry = desktop.open(QIODevice::ReadOnly) ? desktop.readAll() : QString();
        const QString takes = "\nMimeType=([^\n]*;)?" + QRegularExpression::escape(runType) + ";";
        QVERIFY2(QRegularExpression(takes).match(entry).hasMatch(), qPrintable(entry));
    }

    // Installed under the prefix, the program writes nothing beside itself, even as root, and
    // a SIGTERM ends it as the end of a session does: status 0, settings stored.
    void installedProgramStartsAndEndsCleanly()
    {
        QTemporaryDir home;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("HOME", home.path());
        for (const QString kind : {"DATA", "CONFIG", "CACHE"})
            env.insert("XDG_" + kind + "_HOME", home.filePath(kind));
        const QString folder = home.filePath("DATA/Veltrona/thermocouple-recorder");
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
        QCOMPARE(QDir(installed("/usr/bin")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 (QStringList{"tc4-sim", "thermocouple-recorder"}));
    }
};

QTEST_GUILESS_MAIN(TestPackage)
#include "test_package.moc"
