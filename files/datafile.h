#pragma once
// The run's data file: a type line, unit, channel count, fuel index, four placeholder lines,
// the comments and the sample lines, each section closed by "-9999", every line ended by CR LF.
// Text is Latin-1, the code page the files have always been written in.

#include "seams.h"

#include <QByteArray>
#include <QLatin1StringView>
#include <functional>
#include <QString>
#include <QtGlobal>

// First line of a thermocouple data file.
inline const QString kDataFileTypeLine = QStringLiteral("ZRB-TC-QLMR*1.10");
// Line that closes the comments and the sample lines.
inline const QString kSectionTerminator = QStringLiteral("-9999");

// The file's bytes for a run. comments and runText are written as held (a character outside
// Latin-1 becomes '?'), each followed by CR LF and the terminator line.
// The file's lines before its sample lines: up to and including the comments' terminator.
QByteArray DataFileHeader(const QString& comments, qint16 degreesCelsius, qint16 channelCount,
                          qint16 fuelType);
QByteArray WriteDataFileText(const QString& comments, const QString& runText, qint16 degreesCelsius,
                             qint16 channelCount, qint16 fuelType);

// Writes the bytes to `path`, replacing an existing file only once the new one is complete: a
// failed save leaves the previous file intact. Returns 0 or a run-time error number (52 bad
// file name, 76 path not found, 70 permission denied, 61 disk full, 75 path/file access).
int WriteDataFile(const QString& path, const QByteArray& bytes);

// What reading a data file produced, and how far it got. A failed read keeps what was read
// before the failure, because the window takes such partial results into the run.
struct DataFileRead {
    enum class Outcome {
        Ok,        // the whole layout was read
        WrongType, // the type line differs; nothing else was read
        Error      // a run-time error stopped the reading (errorNumber)
    };
    Outcome outcome = Outcome::Error;
    int errorNumber = 0; // 0 unless Error

    qint16 unit = 0;     // the file's degreesCelsius; meaningful when Ok
    qint16 channels = 0; // meaningful when channelsRead
    bool channelsRead = false;
    qint16 fuel = 0; // read and rounded, never applied

    // Comment text read so far: each line followed by CR LF, the terminator left out. A file
    // that ends without the terminator ends the section; its last line has a CR LF only when
    // the file has a line end after it. Set once the comment section began.
    QString comments;
    bool commentsStarted = false;
    // Sample lines read so far, by the same rule. Set once the sample section began.
    QString samples;
    bool samplesStarted = false;
};

// Reads the data file at `path`. The first field must equal `expectedTypeLine` exactly
// (case-sensitive), otherwise WrongType with nothing read. Fields of the fixed lines follow the
// list-input rules (blanks before a field skipped, a field ends at a comma or the line end, a
// field starting with a double quote runs to the closing quote); the unit and channel fields
// take the number with or without blanks around it. A section line that is "-9999" ends the
// section. A line ends at CR LF, CR or LF.
// Errors: 53 file not found, 76 path not found, 75 cannot be opened, 62 input past end of file
// (inside the fixed lines or before a section could be read), 13 unit or channel field not a
// number, 6 a number outside the 16-bit range.
// A sample line as the file holds it, whether it had its line end (a last line without one may
// have been cut short in the middle of its write), and the file's channel count.
using SampleLineSink = std::function<void(QLatin1StringView line, bool ended, qint16 channels)>;
// With `takeSample` given, the sample lines go to it one by one as they are read and
// DataFileRead::samples stays empty: a day-long run is never held as text a second time.
DataFileRead ReadDataFile(const QString& path, const QString& expectedTypeLine,
                          const SampleLineSink& takeSample = {});

// Message for a failed read or write: "SaveAFFileEr: " + Str(error) + "  " + Str(line), and on
// the next line the reason in words. There are no line numbers in this code, so callers pass 0.
QString DataFileErrorText(int errorNumber, int lineNumber = 0);

// Display name of the data file at filePath: the path below `dataFolder` (full path, letters
// compared without regard to case) without the separator, so it may name sub-folders;
// otherwise the text after the last separator.
QString DataFileName(const QString& filePath, const QString& dataFolder);

// The message shown before the program switches to the unit a loaded file was saved in.
// fileUnit 1 means degrees C, any other value degrees F.
QString UnitSwitchMessage(qint16 fileUnit);

// Refusal of a file whose type line is not this program's: caption "Bad File", OK only.
MessageRequest BadFileMessage(const QString& programTitle);
