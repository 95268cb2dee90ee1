#pragma once
// Opening documents and web pages in the user's own programs: the text editor for the help
// text and the export, the web browser for the maker's site.

#include "seams.h"

#include <QString>
#include <functional>

// The maker's site: the web command's address and site name, and the address the user is
// told to visit when no browser can be found.
inline const QString kMakerWebAddress = QStringLiteral("www.veltrona.com");

// Shows the reminder naming `title`, then opens `path` with the desktop's opener. Only when
// that ends with an error (no application handles text files) are the text editors started
// directly, in turn; when none starts, the file goes to launcher.showInProgram, and without
// that the user is told where the file is. Returns before the opener ends: `prompts` and
// `launcher` must live as long as the program.
void ShowDocument(Prompts& prompts, Launcher& launcher, const QString& path, const QString& title);

// Shows the reminder naming `siteName`, then starts the browser with `address`. When the
// browser cannot be started, `seek` is asked for the browser's file ("Iexplore.exe"): it
// returns the absolute path the user chose, or anything else (empty) when nothing was chosen.
// Gives up with a message naming the maker's address when the user chooses nothing.
void OpenWebSite(Prompts& prompts, Launcher& launcher, const QString& address,
                 const QString& siteName,
                 const std::function<QString(const QString& seekName)>& seek);

// The address as the browser gets it: a bare host name ("www.veltrona.com") gets "http://",
// since the desktop's opener would take it for a file name.
QString BrowserArgument(const QString& address);

// Copies programFolder + textFolder + "AFHelp.txt" to "AFHelpBKP.txt" beside it, replacing an
// older copy, so that the user reads and edits only the copy. False, with a message naming
// the file in *error, when the help text is missing or cannot be copied.
bool CopyHelpText(const QString& programFolder, const QString& textFolder, QString* error);

// The path CopyHelpText writes, for the viewer.
QString HelpCopyPath(const QString& programFolder, const QString& textFolder);
