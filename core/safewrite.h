#pragma once
// Replacing a file on disk without ever leaving it half written.

#include <QByteArray>
#include <QString>

// Writes `bytes` as the whole content of `path`, creating or replacing it. The bytes go to a
// temporary file beside it that is renamed over the old one only when complete, so a failed
// write leaves an existing file exactly as it was. Returns 0, or a run-time error number:
// 52 bad file name, 76 path not found, 70 permission denied, 61 disk full, 75 any other path or
// file access error (the target is a folder, the write failed).
int WriteFileReplacing(const QString& path, const QByteArray& bytes);

// The error number of a file that could not be opened for reading: 53 file not found, 76 path
// not found, 75 when it exists but cannot be read.
int OpenForReadingErrorNumber(const QString& path);
