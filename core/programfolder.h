#pragma once
#include <QString>

// The folder that holds AFConfig.zrb, Export.txt, TCFiles, "TC Text" and ports/: the
// executable's folder when the program may write there and was not installed, otherwise the
// per-user data folder (created when missing).
QString ResolveProgramFolder();

// The same decision for a given executable folder and per-user data folder. An installed
// program (its help text in <prefix>/share/thermocouple-recorder beside <prefix>/bin) always
// takes the per-user folder, also when it runs as root and could write to /usr/bin, and its
// help text is copied to that folder's "TC Text" when missing there or changed by an update;
// a copy that cannot be made is left to the Help command to report.
QString ResolveProgramFolder(const QString& executableFolder, const QString& userDataFolder);
