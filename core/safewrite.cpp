#include "safewrite.h"

#include "errornumbers.h"
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace
{

bool isBadFileName(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    if (name.isEmpty() || path.contains(QChar(0)))
        return true;
#ifdef Q_OS_WIN
    for (const QChar c : name)
        if (QStringLiteral("<>:\"|?*").contains(c) || c.unicode() < 32)
            return true;
#endif
    return false;
}

int errorNumber(QFileDevice::FileError error, const QFileInfo& target)
{
    switch (error) {
    case QFileDevice::NoError:
        return 0;
    case QFileDevice::ResourceError:
        return err::kDiskFull;
    case QFileDevice::PermissionsError:
        return err::kPermissionDenied;
    case QFileDevice::OpenError:
        // The temporary file could not be created beside the target.
        return QFileInfo(target.absolutePath()).isWritable() ? err::kPathFileAccess
                                                             : err::kPermissionDenied;
    default:
        return err::kPathFileAccess;
    }
}

} // namespace

int WriteFileReplacing(const QString& path, const QByteArray& bytes)
{
    if (isBadFileName(path))
        return err::kBadFileName;
    const QFileInfo target(path);
    if (!target.absoluteDir().exists())
        return err::kPathNotFound;
    if (target.isDir())
        return err::kPathFileAccess;
    if (target.exists() && !target.isWritable())
        return err::kPermissionDenied;

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return errorNumber(file.error(), target);
    // A short write (disk full, file size limit) is not an error to QSaveFile: commit() would
    // rename a truncated file over the good one, so it is checked here.
    if (file.write(bytes) != bytes.size()) {
        const QFileDevice::FileError error = file.error();
        file.cancelWriting();
        return error == QFileDevice::NoError ? err::kDiskFull : errorNumber(error, target);
    }
    if (!file.commit()) {
        const QFileDevice::FileError error = file.error();
        return errorNumber(error == QFileDevice::NoError ? QFileDevice::WriteError : error, target);
    }
    return 0;
}

int OpenForReadingErrorNumber(const QString& path)
{
    const QFileInfo info(path);
    if (info.exists())
        return err::kPathFileAccess;
    return info.absoluteDir().exists() ? err::kFileNotFound : err::kPathNotFound;
}
