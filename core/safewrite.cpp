#include "safewrite.h"

#include "errornumbers.h"
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#elif defined(Q_OS_WIN)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <io.h>
#include <windows.h>
#endif

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

#ifdef Q_OS_UNIX

int errnoNumber(int error)
{
    switch (error) {
    case ENOSPC:
    case EFBIG:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return err::kDiskFull;
    default:
        return err::kPathFileAccess;
    }
}

// Writes all of `bytes` to the temporary file and forces them to the disk. Going to the
// descriptor directly tells a full disk (ENOSPC, EFBIG) from other failures, which the
// file device's error codes do not.
int writeToDisk(QSaveFile& file, const QByteArray& bytes)
{
    const int fd = file.handle();
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return errnoNumber(errno);
        if (written == 0)
            return err::kDiskFull;
        data += written;
        left -= written;
    }
    // commit() syncs as well but ignores a failure, and a file system that finds out only now
    // that it has no room (network shares, delayed allocation) must still keep the old file.
    if (!FlushToDisk(file) && errno != EINVAL)
        return errnoNumber(errno);
    return 0;
}

#else

int writeToDisk(QSaveFile& file, const QByteArray& bytes)
{
    // The file is unbuffered, so a failure shows here and not at commit().
    const qint64 written = file.write(bytes);
    if (written == bytes.size())
        return FlushToDisk(file) ? 0 : err::kPathFileAccess;
    const QFileDevice::FileError error = file.error();
    if (written >= 0 || error == QFileDevice::NoError || error == QFileDevice::WriteError)
        return err::kDiskFull; // a short write, or one that stored nothing
    return errorNumber(error, QFileInfo(file.fileName()));
}

#endif

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

    // Unbuffered: QSaveFile's own buffer holds a small file until commit(), which then renames
    // the file over the old one even when that last flush failed.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return errorNumber(file.error(), target);
    if (const int error = writeToDisk(file, bytes)) {
        file.cancelWriting(); // the temporary file is removed, the old one never touched
        return error;
    }
    if (!file.commit()) {
        const QFileDevice::FileError error = file.error();
        return errorNumber(error == QFileDevice::NoError ? QFileDevice::WriteError : error, target);
    }
    SyncFolderEntries(target.absolutePath());
    return 0;
}

QString FileErrorDescription(int errorNumber)
{
    switch (errorNumber) {
    case err::kBadFileName:
        return QStringLiteral("bad file name");
    case err::kFileNotFound:
        return QStringLiteral("file not found");
    case err::kDiskFull:
        return QStringLiteral("disk full");
    case err::kPermissionDenied:
        return QStringLiteral("permission denied");
    case err::kPathNotFound:
        return QStringLiteral("path not found");
    default:
        return QStringLiteral("path/file access error");
    }
}

QString FileErrorReason(int errorNumber)
{
    switch (errorNumber) {
    case err::kBadFileName:
        return QStringLiteral("The file name is not valid.");
    case err::kFileNotFound:
        return QStringLiteral("The file does not exist.");
    case err::kDiskFull:
        // A failed write never replaces the file, so what was there is still there.
        return QStringLiteral("The disk is full; a file of that name was left as it was.");
    case err::kPermissionDenied:
        return QStringLiteral("Permission denied: this account may not use the file or its "
                              "folder.");
    case err::kPathNotFound:
        return QStringLiteral("The folder does not exist.");
    default:
        return QStringLiteral("The file cannot be read or written (a path or file access "
                              "error).");
    }
}

int OpenForReadingErrorNumber(const QString& path)
{
    const QFileInfo info(path);
    if (info.isFile() && !info.isReadable())
        return err::kPermissionDenied;
    if (info.exists())
        return err::kPathFileAccess;
    return info.absoluteDir().exists() ? err::kFileNotFound : err::kPathNotFound;
}

bool FlushToDisk(QFileDevice& file)
{
    if (!file.flush())
        return false;
#if defined(Q_OS_LINUX)
    return ::fdatasync(file.handle()) == 0;
#elif defined(Q_OS_UNIX)
    return ::fsync(file.handle()) == 0;
#elif defined(Q_OS_WIN)
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(file.handle()));
    return handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle);
#else
    return true;
#endif
}

void SyncFolderEntries(const QString& folder)
{
#ifdef Q_OS_UNIX
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
#else
    Q_UNUSED(folder);
#endif
}
