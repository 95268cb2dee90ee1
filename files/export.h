#pragma once
// The reading list as a plain text file for the text editor.

#include <QString>

// Writes the reading list, each row already followed by CR LF, as Latin-1 to `path`, replacing
// the file; an empty list gives an empty file. The old file stays intact when the write fails.
// Returns 0 or a run-time error number (52 bad file name, 76 path not found, 70 permission denied,
// 61 disk full, 75 path/file access).
int WriteExportFile(const QString& path, const QString& rowsText);
