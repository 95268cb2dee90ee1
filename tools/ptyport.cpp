#include "ptyport.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace tc4sim
{

namespace
{

std::string systemError(const std::string& what, int err)
{
    return what + ": " + std::strerror(err);
}

// Sets the slave to raw 19200 8N1 so CR LF pass unchanged. The settings stay with the pty
// after the descriptor is closed, so a reader that opens it without configuring it still
// sees the bytes as sent.
bool configureSlave(const std::string& path, std::string& error)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = systemError("cannot open " + path, errno);
        return false;
    }
    termios tio{};
    bool ok = ::tcgetattr(fd, &tio) == 0;
    if (ok) {
        ::cfmakeraw(&tio);
        tio.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | CRTSCTS);
        tio.c_cflag |= CLOCAL | CREAD | CS8;
        ok = ::cfsetspeed(&tio, B19200) == 0 && ::tcsetattr(fd, TCSANOW, &tio) == 0;
    }
    if (!ok)
        error = systemError("cannot set line settings of " + path, errno);
    ::close(fd);
    return ok;
}

bool ensureDirectory(const std::string& path, std::string& error)
{
    if (::mkdir(path.c_str(), 0777) == 0)
        return true;
    const int err = errno;
    struct stat st = {};
    if (err == EEXIST && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return true;
    error = err == EEXIST ? path + " exists and is not a folder"
                          : systemError("cannot create " + path, err);
    return false;
}

} // namespace

PtyPort::~PtyPort()
{
    close();
}

bool PtyPort::open(const std::string& folder, int port, std::string& error)
{
    close();
    char resolved[PATH_MAX];
    if (::realpath(folder.c_str(), resolved) == nullptr) {
        error = systemError("program folder " + folder, errno);
        return false;
    }
    struct stat st = {};
    if (::stat(resolved, &st) != 0 || !S_ISDIR(st.st_mode)) {
        error = "program folder " + folder + " is not a folder";
        return false;
    }
    const std::string portsDir = std::string(resolved) + "/ports";
    if (!ensureDirectory(portsDir, error))
        return false;
    const std::string link = portsDir + "/COM" + std::to_string(port);
    if (::lstat(link.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        error = "refusing to replace " + link + ": it is not a symbolic link";
        return false;
    }

    // Non-blocking: a reader that stops reading must never stall the simulator.
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0) {
        error = systemError("cannot create a pseudo-terminal", errno);
        return false;
    }
    const char* name = nullptr;
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0 ||
        (name = ::ptsname(master)) == nullptr) {
        error = systemError("cannot prepare the pseudo-terminal", errno);
        ::close(master);
        return false;
    }
    const std::string slave = name;
    // Opening and closing the slave once also arms the hang-up indication on the master, by
    // which service() tells whether a reader is present.
    if (!configureSlave(slave, error)) {
        ::close(master);
        return false;
    }

    // Link under a temporary name and rename it into place, so a reader never finds the
    // link missing or half made while an old one is replaced.
    const std::string temp =
        portsDir + "/.COM" + std::to_string(port) + ".tc4sim-" + std::to_string(::getpid());
    ::unlink(temp.c_str());
    if (::symlink(slave.c_str(), temp.c_str()) != 0) {
        error = systemError("cannot create link " + link, errno);
        ::close(master);
        return false;
    }
    if (::rename(temp.c_str(), link.c_str()) != 0) {
        error = systemError("cannot create link " + link, errno);
        ::unlink(temp.c_str());
        ::close(master);
        return false;
    }

    master_ = master;
    slavePath_ = slave;
    linkPath_ = link;
    pending_.clear();
    readerPresent_ = false;
    return true;
}

void PtyPort::close()
{
    if (master_ < 0)
        return;
    // Remove the link first, so a reader reopening after the hang-up finds the port gone
    // rather than a dead or reused pty. Leave it alone if someone relinked it meanwhile.
    char target[PATH_MAX];
    const ssize_t n = ::readlink(linkPath_.c_str(), target, sizeof target - 1);
    if (n >= 0 && std::string(target, static_cast<std::size_t>(n)) == slavePath_)
        ::unlink(linkPath_.c_str());
    ::close(master_);
    master_ = -1;
    readerPresent_ = false;
    pending_.clear();
}

void PtyPort::service()
{
    if (master_ < 0)
        return;
    // The instrument ignores what it is sent; discard it so it cannot pile up.
    char sink[256];
    while (::read(master_, sink, sizeof sink) > 0) {
    }
    pollfd pfd{master_, 0, 0};
    const bool present = ::poll(&pfd, 1, 0) >= 0 && (pfd.revents & POLLHUP) == 0;
    if (readerPresent_ && !present) {
        // Bytes the reader left unread would otherwise reach the next reader as if new.
        flushSlaveInput();
        pending_.clear();
    }
    readerPresent_ = present;
}

void PtyPort::flushSlaveInput()
{
    const int fd = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    ::tcflush(fd, TCIFLUSH);
    ::close(fd);
}

bool PtyPort::writePending()
{
    while (!pending_.empty()) {
        const ssize_t n = ::write(master_, pending_.data(), pending_.size());
        if (n > 0) {
            pending_.erase(0, static_cast<std::size_t>(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            return false; // EAGAIN: the reader's buffer is full; EIO: the reader just left
        }
    }
    return true;
}

PtyPort::Delivery PtyPort::send(const std::string& bytes)
{
    service();
    if (!readerPresent_)
        return Delivery::NoReader;
    if (!writePending())
        return Delivery::Busy;
    pending_ = bytes;
    writePending();
    return Delivery::Written;
}

} // namespace tc4sim
