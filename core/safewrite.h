#pragma once
// Replacing a file on disk without ever leaving it half written, and forcing written data to
// the disk.

#include <QByteArray>
#include <QString>

class QFileDevice;

// Writes `bytes` as the whole content of `path`, creating or replacing it. The bytes go to a
// temporary file beside it that is forced to the disk and renamed over the old one only when
// complete, so a failed write (a full disk included) leaves an existing file byte for byte as
// it was and no temporary file behind. Returns 0, or a run-time error number: 52 bad file
// name, 76 path not found, 70 permission denied, 61 disk full (no space, quota or file-size
// limit), 75 any other path or file access error (the target is a folder, the write failed).
int WriteFileReplacing(const QString& path, const QByteArray& bytes);

// The error numbers above in a few words for a message ("permission denied"); any other
// number reads as a file access error.
QString FileErrorDescription(int errorNumber);

// The error numbers above as a sentence for the line under a message's number ("The disk is
// full."); any other number reads as a file access error.
QString FileErrorReason(int errorNumber);

// The error number of a file that could not be opened for reading: 53 file not found, 76 path
// not found, 70 when this account may not read it, 75 when it exists but cannot be read.
int OpenForReadingErrorNumber(const QString& path);

// Forces what was written to an open file onto the disk (its data and size, not necessarily
// its times). False when the system reports that the data could not be stored; on Unix errno
// tells why.
bool FlushToDisk(QFileDevice& file);

// Makes the creation, renaming or removal of files in `folder` survive a power cut. Best
// effort: file systems that cannot do it are ignored. Does nothing on Windows, where the
// system keeps folder entries itself.
void SyncFolderEntries(const QString& folder);
