// Where the program keeps its files: beside a built program, in the per-user folder for an
// installed one (also when it runs as root), with the installed help text copied there.

#include "programfolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace
{

bool put(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
}

} // namespace

class TestProgramFolder : public QObject
{
    Q_OBJECT
private slots:
    void choosesTheFolder_data()
    {
        QTest::addColumn<bool>("installed");     // prefix/share/thermocouple-recorder/AFHelp.txt
        QTest::addColumn<bool>("writable");      // the executable's folder
        QTest::addColumn<QByteArray>("oldCopy"); // the per-user help copy before; "" none
        QTest::addColumn<bool>("perUser");
        QTest::addColumn<QByteArray>("helpCopy"); // in the chosen folder's "TC Text"
        QTest::newRow("built") << false << true << QByteArray() << false << QByteArray("<none>");
        QTest::newRow("built, folder read-only")
            << false << false << QByteArray() << true << QByteArray("<none>");
        QTest::newRow("installed, writable as root")
            << true << true << QByteArray() << true << QByteArray("help 2\r\n");
        QTest::newRow("installed, read-only")
            << true << false << QByteArray() << true << QByteArray("help 2\r\n");
        QTest::newRow("installed, old help replaced")
            << true << true << QByteArray("help 1\r\n") << true << QByteArray("help 2\r\n");
    }
    void choosesTheFolder()
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
        const bool modesIgnored = !writable && QFileInfo(bin).isWritable();

        const QString folder = ResolveProgramFolder(bin, user);
        QFile::setPermissions(bin, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                       QFileDevice::ExeOwner);
        if (modesIgnored && !installed)
            QSKIP("running as root, for whom no folder is read-only");
        QCOMPARE(folder, perUser ? user : bin);
        QVERIFY(QFileInfo(folder).isDir());
        QTEST(read(folder + "/TC Text/AFHelp.txt"), "helpCopy");
        QCOMPARE(QDir(bin).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestProgramFolder)
#include "test_programfolder.moc"
