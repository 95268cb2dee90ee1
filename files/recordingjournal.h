#pragma once
// The journal of the run being recorded: the run's data file, cut after the sample lines,
// grown by one line per reading as it is taken. A run lost to a crash, a kill or a power cut
// is taken back from it at the next start; a saved or discarded run removes it.
//
// Writing it never throws and never stops the recording: a failed write is reported by the
// result and lastError(), and the next append tries again.

#include "datafile.h"

#include <QDateTime>
#include <QFile>
#include <QString>
#include <QtGlobal>
#include <chrono>
#include <functional>
#include <optional>

// Hidden, so that it does not show among the user's runs in the data folder.
inline const QString kJournalFileName = QStringLiteral(".unsaved-run.journal");

// What the start-up question about a journal needs to show.
struct JournalInfo {
    QString path;
    QDateTime lastModified; // when the last reading was written
    int lines = 0;          // whole readings; torn or damaged lines do not count
    double firstTime = 0;   // run time of the first and of the last complete line
    double lastTime = 0;
};

class RecordingJournal
{
public:
    // A steady clock in milliseconds; tests step it by hand.
    using Clock = std::function<qint64()>;
    // At most this long between a line reaching the system and reaching the disk.
    static constexpr std::chrono::milliseconds kSyncInterval{1000};

    RecordingJournal();
    explicit RecordingJournal(Clock clock);
    ~RecordingJournal();
    RecordingJournal(const RecordingJournal&) = delete;
    RecordingJournal& operator=(const RecordingJournal&) = delete;

    // Starts the journal of a new run in `dataFolder` (created when missing), replacing any
    // journal there, with the data file's lines up to and including the comments terminator,
    // and forces them to the disk. False, with the reason in lastError() and *error, when it
    // cannot be written; appends then keep trying to start it.
    bool begin(const QString& dataFolder, qint16 degreesCelsius, qint16 channelCount,
               qint16 fuelType, const QString& comments, QString* error = nullptr);
    // Hands `sampleLine` (or an event line) and CR LF to the system in one write, so a killed
    // program loses no
    // line it appended; forces the journal to the disk when kSyncInterval has passed since it
    // last was. False when the line could not be stored (full disk, folder gone, journal file
    // removed): a partly written line is cut off again, and the next append tries anew, with a
    // journal started afresh when its file is gone. False too before begin() and after close().
    bool append(const QString& sampleLine);
    // Forces every appended line to the disk now (at Stop). False when that fails.
    bool sync();
    // Forces the journal to the disk and closes it; the file stays until discard().
    void close();

    bool isActive() const { return active_; } // between begin() and close()
    QString path() const { return path_; }
    // Why the last failed begin, append or sync failed; empty when none has failed yet.
    QString lastError() const { return lastError_; }
    // Times the journal was forced to the disk since begin().
    int syncCount() const { return syncCount_; }

    static QString pathIn(const QString& dataFolder);
    // Removes the journal in `dataFolder`. True when none is left there.
    static bool discard(const QString& dataFolder);
    // The journal in `dataFolder`, when it holds at least one complete reading of this
    // program's runs; nothing when there is none or nothing in it can be taken back.
    static std::optional<JournalInfo> find(const QString& dataFolder);
    // The journal read as a data file, with exactly the lines find() counts, each ended by
    // CR LF, as the run held them when the last one was recorded. A line cut short at the end
    // or damaged anywhere (not a run time and one number per channel) is left out, the lines
    // after it are kept. Event lines appended among the readings come back after the
    // comments, where a data file holds them. Nothing when find() gives nothing.
    static std::optional<DataFileRead> load(const QString& dataFolder);

private:
    bool start();
    bool fail(const QString& what, const QString& why);
    bool cutBackTornLine();
    bool fileWasRemoved() const;

    Clock clock_;
    QFile file_;
    QString folder_;
    QString path_;
    QByteArray header_;
    qint64 size_ = 0;       // bytes of complete lines in the file
    bool tornLine_ = false; // a failed write may have left part of a line after size_
    qint64 lastSync_ = 0;
    int syncCount_ = 0;
    bool active_ = false;
    QString lastError_;
};
