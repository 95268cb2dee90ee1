#include "runmodel.h"

#include <QElapsedTimer>
#include <QVarLengthArray>
#include <algorithm>

namespace
{

const QString kLineEnd = QStringLiteral("\r\n");

QElapsedTimer startedTimer()
{
    QElapsedTimer timer;
    timer.start();
    return timer;
}

// Blank-separated fields of a run line, counted without copying any.
int fieldCount(QStringView line)
{
    int fields = 0;
    bool inField = false;
    for (const QChar c : line) {
        const bool blank = c.isSpace();
        fields += !blank && !inField ? 1 : 0;
        inField = !blank;
    }
    return fields;
}

} // namespace

RunModel::RunModel(QString dataFolder, RecordingJournal::Clock journalClock, QObject* parent)
    : QObject(parent), dataFolder_(std::move(dataFolder)),
      journal_(journalClock ? std::move(journalClock)
                            : [timer = startedTimer()] { return timer.elapsed(); })
{
}

RunModel::~RunModel()
{
    // A run still open when the program ends stays in its journal for the next start.
    journal_.close();
}

int RunModel::channelCount() const
{
    return std::clamp<int>(header_.channelCount, 0, kRecorderChannels);
}

QString RunModel::line(qsizetype row) const
{
    return FormatSampleLine(sample(row), channelCount());
}

qsizetype RunModel::nearestRow(float target, float maxDistance) const
{
    if (samples_.empty())
        return -1;
    const auto distance = [&](qsizetype r) { return std::fabs(sample(r).time - target); };
    qsizetype best = 0;
    float bestDistance = maxDistance;
    if (!timesOrdered_) {
        for (qsizetype r = 0; r < size(); ++r) {
            if (distance(r) < bestDistance) {
                bestDistance = distance(r);
                best = r;
            }
        }
        return best;
    }
    // The nearest row lies at the first time not below the target or just before it: the
    // distance falls towards the target from either side.
    const auto byTime = [](const RunSample& s, float t) { return s.time < t; };
    const qsizetype above =
        std::lower_bound(samples_.begin(), samples_.end(), target, byTime) - samples_.begin();
    qsizetype candidate = above < size() ? above : -1;
    if (above > 0) {
        // Rows whose distances round to the same float stand directly before it; the earliest
        // of them wins, as in a scan.
        const float belowTime = sample(above - 1).time;
        qsizetype below =
            std::lower_bound(samples_.begin(), samples_.begin() + above, belowTime, byTime) -
            samples_.begin();
        while (below > 0 && distance(below - 1) == distance(below))
            --below;
        if (candidate < 0 || distance(below) <= distance(candidate))
            candidate = below;
    }
    if (distance(candidate) < bestDistance)
        best = candidate;
    return best;
}

void RunModel::setComments(const QString& comments)
{
    if (comments == header_.comments)
        return;
    header_.comments = comments;
    setUnsaved(true);
}

void RunModel::setUnsaved(bool unsaved)
{
    if (unsaved == unsaved_)
        return;
    unsaved_ = unsaved;
    emit stateChanged();
}

void RunModel::noteJournal(bool ok)
{
    // Never a message box: one would hold up the recording until it is answered.
    const QString problem =
        ok ? QString() : QStringLiteral("The run is not being journaled: ") + journal_.lastError();
    if (problem == journalProblem_)
        return;
    journalProblem_ = problem;
    emit stateChanged();
}

void RunModel::startRecording(const RunHeader& header, float startClock)
{
    header_ = header;
    startClock_ = startClock;
    clearSamples();
    recording_ = true;
    unsaved_ = true;
    noteJournal(journal_.begin(dataFolder_, header_.degreesCelsius, header_.channelCount,
                               header_.fuelType, header_.comments));
    emit runReplaced();
    emit stateChanged();
}

const RunSample& RunModel::addReading(float clock,
                                      const std::array<float, kRecorderChannels>& values)
{
    RunSample sample;
    sample.time = static_cast<float>(RunTimeOfSample(clock, startClock_));
    sample.values = values;
    addSample(sample);
    return samples_.back();
}

void RunModel::addSample(const RunSample& sample)
{
    if (!samples_.empty() && sample.time < samples_.back().time)
        timesOrdered_ = false; // the clock was set back during the run
    samples_.push_back(sample);
    const QString line = FormatSampleLine(sample, channelCount());
    longestLine_ = std::max(longestLine_, line.size());
    noteJournal(journal_.append(line));
    // Also after a save during the run: what came since is not in the file.
    setUnsaved(true);
    emit sampleAdded(size() - 1);
}

const RunEvent& RunModel::addEvent(float clock, const QString& text)
{
    events_.push_back(RunEvent{float(RunTimeOfSample(clock, startClock_)), text});
    eventPlaces_.push_back(size());
    if (recording_)
        noteJournal(journal_.append(FormatEventLine(events_.back())));
    setUnsaved(true);
    emit eventAdded(qsizetype(events_.size()) - 1);
    return events_.back();
}

void RunModel::placeEvents(std::vector<RunEvent> events)
{
    std::stable_sort(events.begin(), events.end(),
                     [](const RunEvent& a, const RunEvent& b) { return a.time < b.time; });
    events_ = std::move(events);
    eventPlaces_.clear();
    // After the readings of its time or before, as it was added while recording: an event is
    // noted once the reading that showed it was taken.
    const auto beforeSample = [](float t, const RunSample& s) { return t < s.time; };
    for (const RunEvent& event : events_) {
        const auto at =
            timesOrdered_
                ? std::upper_bound(samples_.begin(), samples_.end(), event.time, beforeSample)
                : std::find_if(samples_.begin(), samples_.end(),
                               [&](const RunSample& s) { return s.time > event.time; });
        eventPlaces_.push_back(at - samples_.begin());
    }
    // Out of order times place events anywhere; the list needs them in order of place.
    std::sort(eventPlaces_.begin(), eventPlaces_.end());
}

void RunModel::stopRecording()
{
    if (!recording_)
        return;
    recording_ = false;
    if (journal_.isActive())
        noteJournal(journal_.sync());
    emit stateChanged();
}

QString RunModel::rowsText() const
{
    QString text;
    text.reserve(size() * (longestLine_ + kLineEnd.size()));
    for (qsizetype r = 0; r < size(); ++r) {
        text += line(r);
        text += kLineEnd;
    }
    return text;
}

QByteArray RunModel::fileBytes() const
{
    // Written as bytes row by row: a day-long run is never held as text on its way out.
    QByteArray bytes = DataFileHeader(JoinEventLines(header_.comments, events_),
                                      header_.degreesCelsius,
                                      header_.channelCount, header_.fuelType);
    bytes.reserve(bytes.size() + size() * (longestLine_ + 2) + 16);
    for (qsizetype r = 0; r < size(); ++r) {
        bytes += line(r).toLatin1();
        bytes += "\r\n";
    }
    // One more CR LF comes before the terminator: an empty line closes the readings, as the
    // files have always held them.
    bytes += "\r\n";
    bytes += kSectionTerminator.toLatin1();
    bytes += "\r\n";
    return bytes;
}

int RunModel::save(const QString& path)
{
    if (const int error = WriteDataFile(path, fileBytes()))
        return error;
    filePath_ = path;
    // The run is safe in the file; while it still grows, the journal goes on with it.
    if (!recording_)
        discardJournal();
    unsaved_ = false;
    emit stateChanged();
    return 0;
}

void RunModel::clearSamples()
{
    samples_.clear();
    events_.clear();
    eventPlaces_.clear();
    timesOrdered_ = true;
    longestLine_ = 0;
}

bool RunModel::takeLine(QStringView text, int channels)
{
    if (text.trimmed().isEmpty())
        return true; // an empty line is no reading, and no damage either
    // A line with fewer readings than the run has channels was cut short: its last figure may
    // be the start of another number, so none of it is taken for a reading.
    const std::optional<RunSample> s =
        fieldCount(text) > channels ? ParseSampleLine(text) : std::nullopt;
    if (!s)
        return false;
    if (!samples_.empty() && s->time < samples_.back().time)
        timesOrdered_ = false;
    samples_.push_back(*s);
    // A file this program wrote holds each row as the list shows it, so its line's length is
    // the row's; formatting every row of a day-long run again only to measure it would double
    // the time an Open takes.
    longestLine_ = std::max(longestLine_, text.trimmed().size());
    return true;
}

void RunModel::takeHeader(const DataFileRead& read)
{
    if (read.channelsRead)
        header_.channelCount = read.channels;
    // The events come back with the readings (placeEvents), once those are read.
    if (read.commentsStarted)
        header_.comments = SplitEventLines(read.comments).comments;
    if (read.outcome == DataFileRead::Outcome::Ok)
        header_.degreesCelsius = read.unit;
    header_.fuelType = read.fuel;
}

RunModel::OpenResult RunModel::open(const QString& path)
{
    // The samples are read into a run of their own: a file of another type leaves the run on
    // screen as it was.
    std::deque<RunSample> previous;
    std::swap(previous, samples_);
    const bool previousOrdered = timesOrdered_;
    const qsizetype previousLongest = longestLine_;
    std::vector<RunEvent> previousEvents = std::move(events_);
    std::vector<qsizetype> previousPlaces = std::move(eventPlaces_);
    clearSamples();
    OpenResult result;
    const DataFileRead read = ReadDataFile(
        path, kDataFileTypeLine, [&](QLatin1StringView line, bool ended, qint16 channels) {
            // A last line without its line end may have been cut short: its numbers could be
            // parts of readings, so it is left out like a damaged one.
            QVarLengthArray<char16_t, 128> wide(line.size());
            for (qsizetype i = 0; i < line.size(); ++i)
                wide[i] = static_cast<uchar>(line.data()[i]);
            const int expected = std::clamp<int>(channels, 0, kRecorderChannels);
            if (!ended || !takeLine(QStringView(wide.constData(), wide.size()), expected))
                ++result.damagedLines;
        });
    result.outcome = read.outcome;
    result.errorNumber = read.errorNumber;
    result.unit = read.unit;
    if (read.outcome == DataFileRead::Outcome::WrongType || !read.samplesStarted) {
        samples_ = std::move(previous);
        timesOrdered_ = previousOrdered;
        longestLine_ = previousLongest;
        events_ = std::move(previousEvents);
        eventPlaces_ = std::move(previousPlaces);
        if (read.outcome == DataFileRead::Outcome::WrongType)
            return result;
    }
    // A file that failed before its readings began leaves the run on screen whole, its
    // comments and unit included.
    if (!read.samplesStarted)
        return result;
    recording_ = false;
    takeHeader(read);
    placeEvents(SplitEventLines(read.comments).events);
    // The run the journal kept is replaced now; the user chose not to save it.
    discardJournal();
    // A file that failed part-way shows what could be read, which no file holds as it is: a
    // Save must ask for a name rather than write this over the file it came from, or over the
    // one the previous run was saved to.
    const bool whole = read.outcome == DataFileRead::Outcome::Ok;
    filePath_ = whole ? path : QString();
    unsaved_ = !whole;
    emit runReplaced();
    emit stateChanged();
    return result;
}

std::optional<JournalInfo> RunModel::leftJournal() const
{
    return RecordingJournal::find(dataFolder_);
}

bool RunModel::recoverJournal()
{
    const std::optional<DataFileRead> read = RecordingJournal::load(dataFolder_);
    if (!read)
        return false;
    recording_ = false;
    takeHeader(*read);
    clearSamples();
    const QStringView all(read->samples);
    for (qsizetype start = 0; start < all.size();) {
        qsizetype end = all.indexOf(kLineEnd, start);
        if (end < 0)
            end = all.size();
        // The journal's reader left out damaged lines already.
        takeLine(all.mid(start, end - start), channelCount());
        start = end + kLineEnd.size();
    }
    placeEvents(SplitEventLines(read->comments).events);
    header_.degreesCelsius = read->unit;
    filePath_.clear();
    // Still unsaved: the journal stays until the run is saved.
    unsaved_ = true;
    emit runReplaced();
    emit stateChanged();
    return true;
}

int RunModel::keepJournalAs(const QString& path)
{
    const std::optional<DataFileRead> read = RecordingJournal::load(dataFolder_);
    if (!read)
        return 0;
    const int error =
        WriteDataFile(path, WriteDataFileText(read->comments, read->samples, read->unit,
                                              read->channels, read->fuel));
    if (error == 0)
        RecordingJournal::discard(dataFolder_);
    return error;
}

void RunModel::discardJournal()
{
    journal_.close();
    RecordingJournal::discard(dataFolder_);
    noteJournal(true);
}
