#pragma once
// AFConfig.zrb: the settings that persist from one run of the program to the next, one field a
// line with CR LF line ends, always in the same order (see SettingsFileText for the layout).

#include "programstate.h"

#include <QByteArray>
#include <QString>

inline const QString kConfigFileName = QStringLiteral("AFConfig.zrb");

// The file's bytes for the current settings.
QByteArray SettingsFileText(const StoredSettings& settings);

// Takes the settings from a file's bytes; lines may end CR LF, LF or LF CR. A file that ends
// early leaves the later settings as they were. A number field that is not a number, or does not
// fit a 16-bit Integer, leaves its setting as it was: a damaged file must never stop the program
// from starting.
void ReadSettingsText(const QByteArray& data, StoredSettings& settings);

// Reading and writing <programFolder>/AFConfig.zrb. Both return 0 on success, else a run-time
// error number (errornumbers.h). A missing file on loading leaves every setting as it was.
// Saving goes through a temporary file renamed over the old one, so a failed write never leaves
// a damaged or empty settings file behind.
int LoadSettingsFile(StoredSettings& settings, const QString& programFolder);
int SaveSettingsFile(const StoredSettings& settings, const QString& programFolder);
