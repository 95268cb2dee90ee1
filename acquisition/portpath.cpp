#include "portpath.h"

#include <QDir>
#include <QFile>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

QString ComPortDevicePath(const QString& programFolder, int n)
{
    if (n < kFirstComPort || n > kLastComPort)
        return {};
#ifdef Q_OS_WIN
    Q_UNUSED(programFolder);
    return QStringLiteral("\\\\.\\COM%1").arg(n);
#else
    if (!programFolder.isEmpty()) {
        const QString link = QDir(programFolder).filePath(QStringLiteral("ports/COM%1").arg(n));
        // lstat, not exists(): a dangling link must still win over the fixed table, so that a
        // folder prepared for tests never reaches the machine's own serial devices.
        struct stat st {
        };
        if (::lstat(QFile::encodeName(link).constData(), &st) == 0)
            return link;
    }
    if (n <= 4)
        return QStringLiteral("/dev/ttyS%1").arg(n - 1);
    if (n <= 12)
        return QStringLiteral("/dev/ttyUSB%1").arg(n - 5);
    return QStringLiteral("/dev/ttyACM%1").arg(n - 13);
#endif
}

bool CanOpenComPort(const QString& programFolder, int n)
{
    const QString path = ComPortDevicePath(programFolder, n);
    if (path.isEmpty())
        return false;
#ifdef Q_OS_WIN
    const HANDLE h = ::CreateFileW(reinterpret_cast<const wchar_t*>(path.utf16()), 0,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    ::CloseHandle(h);
    return true;
#else
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
#endif
}
