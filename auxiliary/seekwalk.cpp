#include "seekwalk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

class Walk
{
public:
    Walk(const WalkOptions& options, const std::function<bool(const QString&)>& onFolder,
         QStringList* found)
        : options_(options), onFolder_(onFolder), found_(found),
          filters_(options.pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts))
    {
    }

    WalkEnd run(const QString& root)
    {
        rootVolume_ = volumeOf(root);
        return visit(root);
    }

private:
    bool onRootVolume(const QString& folder) const
    {
        return !rootVolume_ || volumeOf(folder) == rootVolume_;
    }

    WalkEnd visit(const QString& folder)
    {
        if (!onFolder_(folder))
            return WalkEnd::Halted;

        const QDir dir(folder);
        // Links are left out: a link to a parent folder would make the walk endless.
        const QStringList subfolders = dir.entryList(
            QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Name | QDir::IgnoreCase);
        for (auto it = subfolders.crbegin(); it != subfolders.crend(); ++it) {
            const QString sub = JoinPath(folder, *it);
            if (!onRootVolume(sub))
                continue;
            const WalkEnd end = visit(sub);
            if (end != WalkEnd::Finished)
                return end;
        }

        if (filters_.isEmpty())
            return WalkEnd::Finished;
        // Without CaseSensitive the name filters ignore case: users type the name as they
        // remember it, and data files come from machines that ignore case.
        const QStringList matches =
            dir.entryList(filters_, QDir::Files, QDir::Name | QDir::IgnoreCase);
        if (matches.isEmpty())
            return WalkEnd::Finished;
        // A data file beside it tells that this copy belongs to one of the maker's programs.
        if (!options_.anyFolder && dir.entryList({QStringLiteral("*.zrb")}, QDir::Files).isEmpty())
            return WalkEnd::Finished;
        for (const QString& name : matches) {
            if (found_->size() >= options_.maxEntries)
                return WalkEnd::TooMany;
            found_->append(JoinPath(folder, name));
        }
        return WalkEnd::Finished;
    }

    const WalkOptions& options_;
    const std::function<bool(const QString&)>& onFolder_;
    QStringList* found_;
    const QStringList filters_;
    std::optional<quint64> rootVolume_;
};

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

WalkEnd SearchDirs(const QString& root, const WalkOptions& options,
                   const std::function<bool(const QString& folder)>& onFolder, QStringList* found)
{
    const QString start = QDir::fromNativeSeparators(root);
    const QFileInfo info(start);
    if (!info.isDir() || !info.isReadable())
        return WalkEnd::Unreadable;
    return Walk(options, onFolder, found).run(start);
}

} // namespace seek
