#include "filecommands.h"

#include "numconv.h"
#include "recordingjournal.h"

#include <QDir>
#include <QFileInfo>

namespace
{

const QString kAllFilesFilter = QStringLiteral("All Files (*.*)");

} // namespace

FileDialogRequest OpenDialogRequest(const QString& dataFolderPath)
{
    FileDialogRequest request;
    request.title = QStringLiteral("Open a File");
    request.filter = kAllFilesFilter;
    request.initialDir = dataFolderPath;
    request.mustExist = true;
    return request;
}

QString DataFileToOpenProblem(const QString& path)
{
    const QFileInfo info(path);
    const QString name =
        QStringLiteral("The data file \"") + QDir::toNativeSeparators(path) + QStringLiteral("\"");
    if (!info.exists())
        return name + QStringLiteral(" was not found.");
    if (!info.isFile())
        return name + QStringLiteral(" is not a file.");
    if (!info.isReadable())
        return name + QStringLiteral(" cannot be read.");
    return {};
}

FileDialogRequest SaveAsDialogRequest(const QString& dataFolderPath, const QString& filePath)
{
    FileDialogRequest request;
    request.title = QStringLiteral("Save a File");
    request.filter = kAllFilesFilter;
    request.initialDir = dataFolderPath;
    request.initialName = filePath.mid(filePath.lastIndexOf(QLatin1Char('/')) + 1);
    request.confirmOverwrite = true;
    return request;
}

QString ShortenToFortyCharacters(Prompts& prompts, const QString& chosenPath)
{
    const qsizetype slash = chosenPath.lastIndexOf(QLatin1Char('/'));
    const QString folder = chosenPath.left(slash + 1); // with its separator, empty when none
    QString name = chosenPath.mid(slash + 1);
    if (name.size() > kMaxDataFileNameLength) {
        name.truncate(kMaxDataFileNameLength);
        prompts.say(QStringLiteral("File Name shortened to first 40 characters:") +
                    QStringLiteral("\r\r    ") + name);
    }
    return folder + name;
}

QString UnsavedRunQuestion(const JournalInfo& info, const QString& keptName)
{
    return QStringLiteral("The program ended before a recorded run was saved.\n\n"
                          "%1 reading%2 from %3 s to %4 s of run time, the last one taken "
                          "%5.\n\n"
                          "Yes: show the run again, unsaved, as if it had been opened.\n"
                          "No: keep it in the data folder as the file \"%6\".")
        .arg(info.lines)
        .arg(info.lines == 1 ? QString() : QStringLiteral("s"))
        .arg(num::Format(info.firstTime, QStringLiteral("#########0.0")))
        .arg(num::Format(info.lastTime, QStringLiteral("#########0.0")))
        .arg(info.lastModified.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
        .arg(keptName);
}
