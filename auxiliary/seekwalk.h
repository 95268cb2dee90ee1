#pragma once
// The file seek's walk over one volume, without widgets: the window drives it and shows what it
// finds; tests run it on a scratch tree.

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

namespace seek
{

// Entries the occurrence list holds at most (an Integer-indexed list box).
constexpr int kListLimit = 32767;

enum class WalkEnd {
    Finished,   // every folder visited
    Halted,     // the folder callback asked to stop
    TooMany,    // the list was full before every find could be added
    Unreadable, // the root itself cannot be listed (volume not ready, no such folder)
};

struct WalkOptions {
    QString pattern;             // file name or wildcards, ';' between several; case ignored
    bool anyFolder = false;      // count finds everywhere, not only beside a "*.zrb" file
    int maxEntries = kListLimit; // finds the list can take
};

// True for the names that are looked for in every folder (browser, document reader): the
// name upper-cased is "IEXPLORE.EXE" or "ACRORD32.EXE".
bool IsAnyFolderName(const QString& seekFileName);

// The path of `name` inside `folder`, with exactly one separator between them even when the
// folder is a root ("/", "C:/").
QString JoinPath(const QString& folder, const QString& name);

// A depth-first walk of `root` taken one step at a time, so that its caller can let the event
// loop run between steps. `onFolder` runs once per folder entered, before anything in it is
// looked at; returning false halts the walk at once. Subfolders are entered from the last
// listed (by name, case ignored) to the first, and a folder's own finds are appended to
// `found` after those of its subfolders, so a halt leaves the finds made so far.
// Symbolic links to folders are not entered (they can loop), nor are folders of another
// volume mounted inside this one; folders that cannot be read are passed over.
class FolderWalk
{
public:
    FolderWalk(const QString& root, const WalkOptions& options,
               std::function<bool(const QString& folder)> onFolder, QStringList* found);

    // Enters one folder or collects the finds of one whose subfolders are done. Empty while
    // there is more to walk; then how the walk ended, and every later call says the same.
    std::optional<WalkEnd> step();

private:
    struct Level {
        QString folder;
        QStringList subfolders; // in the order they are entered
        int next = 0;
    };

    std::optional<WalkEnd> enter(const QString& folder);
    std::optional<WalkEnd> collectFinds(const QString& folder);
    bool onRootVolume(const QString& folder) const;

    QString root_;
    WalkOptions options_;
    std::function<bool(const QString&)> onFolder_;
    QStringList* found_;
    QStringList filters_;
    std::optional<quint64> rootVolume_;
    std::vector<Level> levels_; // the folders entered and not yet done, the root first
    bool started_ = false;
    std::optional<WalkEnd> end_;
};

} // namespace seek
