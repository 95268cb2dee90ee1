#pragma once
// The file seek's walk over one volume, without widgets: the window drives it and shows what it
// finds; tests run it on a scratch tree.

#include <QString>
#include <QStringList>
#include <functional>

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

// Walks `root` depth first. `onFolder` runs once per folder entered, before anything in it is
// looked at; returning false halts the walk at once. Subfolders are entered from the last
// listed (by name, case ignored) to the first, and a folder's own finds are appended to
// `found` after those of its subfolders, so a halt leaves the finds made so far.
// Symbolic links to folders are not entered (they can loop), nor are folders of another
// volume mounted inside this one; folders that cannot be read are passed over.
WalkEnd SearchDirs(const QString& root, const WalkOptions& options,
                   const std::function<bool(const QString& folder)>& onFolder, QStringList* found);

} // namespace seek
