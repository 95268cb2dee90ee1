#pragma once
// AFConfig.zrb: the settings that persist from one run of the program to the next, one field a
// line with CR LF line ends, always in the same order (see WriteConfigText for the layout).

#include "module1.h"

#include <QByteArray>
#include <QString>

inline const QString kConfigFileName = QStringLiteral("AFConfig.zrb");

// The file's bytes for the current settings.
QByteArray WriteConfigText(const Module1& m);

// Takes the settings from a file's bytes; lines may end CR LF, LF or LF CR. A file that ends
// early leaves the later settings as they were. A number field that is not a number, or does not
// fit a 16-bit Integer, leaves its setting as it was: a damaged file must never stop the program
// from starting.
void ReadConfigText(const QByteArray& data, Module1& m);

// Reads (SaveFlag other than 1) or writes (SaveFlag 1) <programFolder>/AFConfig.zrb.
// Returns 0 on success, else a run-time error number (errornumbers.h). A missing file on reading
// leaves every setting as it was. Writing goes through a temporary file renamed over the old one,
// so a failed write never leaves a damaged or empty settings file behind.
int ConfigFile(qint16 SaveFlag, Module1& m, const QString& programFolder);
