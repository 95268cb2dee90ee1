#include "seekwalk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <optional>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace seek
{

namespace
{

// The device a folder lives on, where the platform tells it. Drives on Windows are separate
// trees already; on Unix every other volume is mounted somewhere below "/", and walking into
// /proc or a network share would search far more than the chosen volume.
std::optional<quint64> volumeOf(const QString& path)
{
#ifdef Q_OS_UNIX
    struct stat st {
    };
    if (::lstat(QFile::encodeName(path).constData(), &st) == 0)
        return static_cast<quint64>(st.st_dev);
#else
    Q_UNUSED(path);
#endif
    return std::nullopt;
}

} // namespace

bool IsAnyFolderName(const QString& seekFileName)
{
    const QString upper = seekFileName.toUpper();
    return upper == QLatin1String("IEXPLORE.EXE") || upper == QLatin1String("ACRORD32.EXE");
}

QString JoinPath(const QString& folder, const QString& name)
{
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

FolderWalk::FolderWalk(const QString& root, const WalkOptions& options,
                       std::function<bool(const QString&)> onFolder, QStringList* found)
    : root_(QDir::fromNativeSeparators(root)), options_(options), onFolder_(std::move(onFolder)),
      found_(found), filters_(options.pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts))
{
}

std::optional<WalkEnd> FolderWalk::step()
{
    if (end_)
        return end_;
    if (!started_) {
        started_ = true;
        const QFileInfo info(root_);
        if (!info.isDir() || !info.isReadable())
            return end_ = WalkEnd::Unreadable;
        rootVolume_ = volumeOf(root_);
        return end_ = enter(root_);
    }
    Level& level = levels_.back();
    while (level.next < level.subfolders.size()) {
        const QString sub = JoinPath(level.folder, level.subfolders.at(level.next++));
        if (onRootVolume(sub))
            return end_ = enter(sub);
    }
    const QString folder = level.folder;
    levels_.pop_back();
    end_ = collectFinds(folder);
    if (!end_ && levels_.empty())
        end_ = WalkEnd::Finished;
    return end_;
}

std::optional<WalkEnd> FolderWalk::enter(const QString& folder)
{
    if (!onFolder_(folder))
        return WalkEnd::Halted;
    // Links are left out: a link to a parent folder would make the walk endless.
    QStringList subfolders = QDir(folder).entryList(
        QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Name | QDir::IgnoreCase);
    std::reverse(subfolders.begin(), subfolders.end());
    levels_.push_back({folder, subfolders, 0});
    return std::nullopt;
}

std::optional<WalkEnd> FolderWalk::collectFinds(const QString& folder)
{
    if (filters_.isEmpty())
        return std::nullopt;
    const QDir dir(folder);
    // Without CaseSensitive the name filters ignore case: users type the name as they
    // remember it, and data files come from machines that ignore case.
    const QStringList matches = dir.entryList(filters_, QDir::Files, QDir::Name | QDir::IgnoreCase);
    if (matches.isEmpty())
        return std::nullopt;
    // A data file beside it tells that this copy belongs to one of the maker's programs.
    if (!options_.anyFolder && dir.entryList({QStringLiteral("*.zrb")}, QDir::Files).isEmpty())
        return std::nullopt;
    for (const QString& name : matches) {
        if (found_->size() >= options_.maxEntries)
            return WalkEnd::TooMany;
        found_->append(JoinPath(folder, name));
    }
    return std::nullopt;
}

bool FolderWalk::onRootVolume(const QString& folder) const
{
    return !rootVolume_ || volumeOf(folder) == rootVolume_;
}

} // namespace seek
