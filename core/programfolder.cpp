#include "programfolder.h"

#include "safewrite.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace
{

const QString kHelpFileName = QStringLiteral("AFHelp.txt");
const QString kTextFolderName = QStringLiteral("TC Text");

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void provideHelpText(const QString& shareFolder, const QString& programFolder)
{
    const QByteArray installed = contentOf(QDir(shareFolder).filePath(kHelpFileName));
    if (installed.isEmpty())
        return;
    const QDir textFolder(QDir(programFolder).filePath(kTextFolderName));
    const QString copy = textFolder.filePath(kHelpFileName);
    if (QFileInfo::exists(copy) && contentOf(copy) == installed)
        return;
    QDir().mkpath(textFolder.path());
    WriteFileReplacing(copy, installed);
}

// <prefix>/share/thermocouple-recorder when `executableFolder` is <prefix>/bin of an installed
// program, otherwise empty.
QString installedShareFolder(const QString& executableFolder)
{
    const QString share =
        QDir::cleanPath(executableFolder + QStringLiteral("/../share/thermocouple-recorder"));
    return QFileInfo(QDir(share).filePath(kHelpFileName)).isFile() ? share : QString();
}

} // namespace

QString ResolveProgramFolder(const QString& executableFolder, const QString& userDataFolder)
{
    const QString share = installedShareFolder(executableFolder);
    if (share.isEmpty() && QFileInfo(executableFolder).isWritable())
        return executableFolder;
    QDir().mkpath(userDataFolder);
    if (!share.isEmpty())
        provideHelpText(share, userDataFolder);
    return userDataFolder;
}

QString ResolveProgramFolder()
{
    return ResolveProgramFolder(
        QCoreApplication::applicationDirPath(),
        QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation));
}
