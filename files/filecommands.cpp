#include "filecommands.h"

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

FileDialogRequest SaveAsDialogRequest(const QString& dataFolderPath, const QString& FilePath)
{
    FileDialogRequest request;
    request.title = QStringLiteral("Save a File");
    request.filter = kAllFilesFilter;
    request.initialDir = dataFolderPath;
    request.initialName = FilePath.mid(FilePath.lastIndexOf(QLatin1Char('/')) + 1);
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
