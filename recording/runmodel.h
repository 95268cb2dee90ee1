#pragma once
// The run being recorded or shown: its samples as numbers, where it is saved and
// whether it is, and the journal that keeps it safe until it is. The window and every other
// view only give it commands and draw what its signals announce; nothing here needs a widget,
// so a headless recorder and the tests use it as the window does.
//
// A new sample is stored and journaled before any view hears of it: a slow view can delay
// the screen, never the record.

#include "datafile.h"
#include "recordingjournal.h"
#include "runevent.h"
#include "runsample.h"

#include <QObject>
#include <QString>
#include <deque>
#include <optional>
#include <vector>

// What a run is recorded in and with, fixed for the run's whole life.
struct RunHeader {
    qint16 degreesCelsius = 0; // 1: readings in degrees C, otherwise F
    qint16 channelCount = kRecorderChannels;
    qint16 fuelType = 0;
    QString comments; // lines joined by CR LF
};

class RunModel : public QObject, public SampleSource, public RunRows
{
    Q_OBJECT
public:
    // `dataFolder` holds the journal; `journalClock` is the journal's steady clock (tests step
    // it), a real one when empty.
    explicit RunModel(QString dataFolder, RecordingJournal::Clock journalClock = {},
                      QObject* parent = nullptr);
    ~RunModel() override;

    // ---- what the run holds
    qsizetype size() const override { return static_cast<qsizetype>(samples_.size()); }
    bool isEmpty() const { return samples_.empty(); }
    const RunSample& sample(qsizetype row) const override
    {
        return samples_[static_cast<size_t>(row)];
    }
    // Row `row` as the list, the file and the journal show it.
    QString line(qsizetype row) const override;
    qsizetype longestLine() const override { return longestLine_; }
    // The row whose time is nearest to `target`; of rows at the same distance the first wins.
    // Rows farther than `maxDistance` are never preferred to row 0. -1 for an empty run.
    qsizetype nearestRow(float target, float maxDistance) const;
    const RunHeader& header() const { return header_; }
    // What happened to the run, in time order as far as the clock went forward.
    const std::vector<RunEvent>& events() const { return events_; }
    // Samples before event `index`: the event stands between that many readings and the rest.
    qsizetype eventPlace(qsizetype index) const { return eventPlaces_[size_t(index)]; }
    int channelCount() const;
    void setComments(const QString& comments);

    bool isRecording() const { return recording_; }
    // Readings or comments that no saved file holds yet.
    bool isUnsaved() const { return unsaved_; }
    // The file the run was last saved to or opened from; empty for a new run.
    QString filePath() const { return filePath_; }
    QString dataFolder() const { return dataFolder_; }
    // Why the journal is not being written, in words; empty while it is.
    QString journalProblem() const { return journalProblem_; }

    // ---- recording
    // Discards the run on screen and starts a new one, with its journal. `startClock` is the
    // clock (seconds since midnight) at run time 0.
    void startRecording(const RunHeader& header, float startClock);
    float startClock() const { return startClock_; }
    // A reading whose line arrived at `clock`, stamped with its run time rounded to the tenth.
    const RunSample& addReading(float clock, const std::array<float, kRecorderChannels>& values);
    void addSample(const RunSample& sample);
    // Something that happened at `clock`, after the readings the run has so far; journaled like
    // a reading and saved with the run.
    const RunEvent& addEvent(float clock, const QString& text);
    // The run stays on screen, unsaved, its journal on the disk until it is saved or dropped.
    void stopRecording();

    // ---- files
    // Writes the run to `path`, replacing a file there only once the new one is complete.
    // Returns 0 or the error number of the failure; the run is unchanged by a failure.
    int save(const QString& path);
    // Every row, each followed by CR LF: the reading list as a text.
    QString rowsText() const;
    // The file's bytes for the run as it stands.
    QByteArray fileBytes() const;

    struct OpenResult {
        DataFileRead::Outcome outcome = DataFileRead::Outcome::Error;
        int errorNumber = 0;
        qint16 unit = 0;
        int damagedLines = 0; // sample lines that were not a reading and were left out
    };
    // Replaces the run by the file at `path`. A file of another type, or one that fails before
    // its readings, leaves the run alone; a read that fails among the readings shows what was
    // read before the failure as a new, unsaved run.
    OpenResult open(const QString& path);

    // ---- a run left unsaved by a crash
    // The journal a killed program left behind, if it holds at least one reading.
    std::optional<JournalInfo> leftJournal() const;
    // Takes the journal's run back, unsaved, with the journal kept until it is saved.
    bool recoverJournal();
    // Writes the journal's run to `path` as a data file and removes the journal. 0 or the
    // error number; the journal stays when the write fails.
    int keepJournalAs(const QString& path);
    // Forgets the run's journal: the user chose not to keep the run.
    void discardJournal();

signals:
    void sampleAdded(qsizetype row);
    void eventAdded(qsizetype index);
    // The whole run changed (started, opened, recovered): views redraw from the samples.
    void runReplaced();
    // Recording, unsaved state, file or journal problem changed.
    void stateChanged();

private:
    void clearSamples();
    // Adds the reading of one run line of a run of `channels` channels; false for a damaged
    // line.
    bool takeLine(QStringView text, int channels);
    void takeHeader(const DataFileRead& read);
    // Events of a file's comments, placed among the samples by their times.
    void placeEvents(std::vector<RunEvent> events);
    void noteJournal(bool ok);
    void setUnsaved(bool unsaved);

    QString dataFolder_;
    RecordingJournal journal_;
    RunHeader header_;
    // A deque, so a day-long run grows without ever copying what it holds.
    std::deque<RunSample> samples_;
    std::vector<RunEvent> events_;
    std::vector<qsizetype> eventPlaces_;
    bool timesOrdered_ = true;
    qsizetype longestLine_ = 0;
    bool recording_ = false;
    float startClock_ = 0;
    bool unsaved_ = false;
    QString filePath_;
    QString journalProblem_;
};
