#include "recordingjournal.h"

#include "numconv.h"
#include "runevent.h"
#include "safewrite.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#endif

namespace
{

const QString kLineEnd = QStringLiteral("\r\n");
const QByteArray kLineEndBytes = QByteArrayLiteral("\r\n");

QElapsedTimer startedTimer()
{
    QElapsedTimer timer;
    timer.start();
    return timer;
}

// The reason the system gave for the last failed call.
QString systemError()
{
#ifdef Q_OS_UNIX
    return QString::fromLocal8Bit(std::strerror(errno));
#else
    return QStringLiteral("the system could not store the data");
#endif
}

// Hands all of `bytes` to the system. The reason of a failure is only known once a write
// stores nothing, so a short write is followed by another one for the rest.
bool writeAll(QFile& file, const QByteArray& bytes, QString* why)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0) {
            *why = file.errorString();
            return false;
        }
        done += written;
    }
    return true;
}

// The run time of a sample line: the number before the gap that parts it from the readings.
double lineTime(const QString& line)
{
    const qsizetype gap = line.indexOf(QStringLiteral("  "));
    return num::Val(gap < 0 ? line : line.left(gap));
}

bool fileEndsWithLineEnd(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < kLineEndBytes.size())
        return false;
    return file.seek(file.size() - kLineEndBytes.size()) &&
           file.read(kLineEndBytes.size()) == kLineEndBytes;
}

// Whether `line` has the whole shape of a reading as the window journals it: a run time, the
// gap, then one number per channel. A crash can leave a line cut short and, on some file
// systems, a stretch of zeros or garbage where lines were still on their way to the disk;
// taken back, such a line would show temperatures that were never measured.
bool isWholeReading(QStringView line, int channels)
{
    const qsizetype gap = line.indexOf(QStringLiteral("  "));
    if (gap <= 0 || !num::IsWholeNumberText(line.left(gap).toString()))
        return false;
    const QList<QStringView> readings = line.mid(gap).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (readings.size() != channels)
        return false;
    for (const QStringView reading : readings)
        if (!num::IsWholeNumberText(reading.toString()))
            return false;
    return true;
}

// The whole readings of `samples`, each with its CR LF; the run's events among them go to
// `events` in the same form.
QString wholeReadings(const QString& samples, int channels, QString* events)
{
    QString kept;
    qsizetype start = 0;
    for (qsizetype end = samples.indexOf(kLineEnd); end >= 0;
         start = end + kLineEnd.size(), end = samples.indexOf(kLineEnd, start)) {
        const QStringView line = QStringView(samples).mid(start, end - start + kLineEnd.size());
        if (isWholeReading(line.chopped(kLineEnd.size()), channels))
            kept += line;
        else if (ParseEventLine(line.chopped(kLineEnd.size())))
            *events += line;
    }
    return kept;
}

} // namespace

RecordingJournal::RecordingJournal()
    : RecordingJournal([timer = startedTimer()] { return timer.elapsed(); })
{
}

RecordingJournal::RecordingJournal(Clock clock) : clock_(std::move(clock)) {}

RecordingJournal::~RecordingJournal()
{
    close();
}

QString RecordingJournal::pathIn(const QString& dataFolder)
{
    return dataFolder + QLatin1Char('/') + kJournalFileName;
}

bool RecordingJournal::begin(const QString& dataFolder, qint16 degreesCelsius, qint16 channelCount,
                             qint16 fuelType, const QString& comments, QString* error)
{
    close();
    folder_ = dataFolder;
    path_ = pathIn(dataFolder);
    // The data file of a run without samples ends in an empty sample section: an empty line
    // and the terminator. Cut off, it is the journal's header.
    header_ = DataFileHeader(comments, degreesCelsius, channelCount, fuelType);
    active_ = true;
    lastError_.clear();
    syncCount_ = 0;
    const bool started = start();
    if (!started && error)
        *error = lastError_;
    return started;
}

// Creates the journal with its header, replacing whatever file was there. A journal that
// cannot be completed is removed again: a torn header would only be refused at the next start.
bool RecordingJournal::start()
{
    file_.close();
    tornLine_ = false;
    if (!QDir().mkpath(folder_))
        return fail(QStringLiteral("Cannot create the folder of the run journal ") + folder_,
                    QStringLiteral("not a writable folder"));
    QFile::remove(path_);
    file_.setFileName(path_);
    // Unbuffered: every line goes to the system at once, where a killed program cannot lose
    // it. Append: a line cut short by a full disk and cut back again leaves no gap.
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::NewOnly |
                    QIODevice::Unbuffered))
        return fail(QStringLiteral("Cannot create the run journal ") + path_, file_.errorString());
    QString why;
    if (!writeAll(file_, header_, &why) || !FlushToDisk(file_)) {
        if (why.isEmpty())
            why = systemError();
        file_.close();
        QFile::remove(path_);
        return fail(QStringLiteral("Cannot write the run journal ") + path_, why);
    }
    SyncFolderEntries(folder_);
    size_ = header_.size();
    lastSync_ = clock_();
    ++syncCount_;
    return true;
}

bool RecordingJournal::append(const QString& sampleLine)
{
    if (!active_)
        return fail(QStringLiteral("No run journal to write to"),
                    QStringLiteral("no recording was started"));
    if (file_.isOpen() && fileWasRemoved()) {
        // Started afresh at the next append: the readings from then on are still kept.
        file_.close();
        return fail(QStringLiteral("The run journal ") + path_,
                    QStringLiteral("was removed while the run was recorded"));
    }
    if (!file_.isOpen() && !start())
        return false;
    if (tornLine_ && !cutBackTornLine())
        return false;

    const QByteArray line = sampleLine.toLatin1() + kLineEndBytes;
    QString why;
    if (!writeAll(file_, line, &why)) {
        tornLine_ = true;
        cutBackTornLine();
        return fail(QStringLiteral("Cannot write the run journal ") + path_, why);
    }
    size_ += line.size();
    if (clock_() - lastSync_ >= kSyncInterval.count())
        return sync();
    return true;
}

bool RecordingJournal::sync()
{
    if (!file_.isOpen())
        return false;
    lastSync_ = clock_();
    ++syncCount_;
    if (!FlushToDisk(file_))
        return fail(QStringLiteral("Cannot store the run journal ") + path_ +
                        QStringLiteral(" on the disk"),
                    systemError());
    return true;
}

void RecordingJournal::close()
{
    if (file_.isOpen()) {
        if (tornLine_)
            cutBackTornLine();
        sync();
        file_.close();
    }
    active_ = false;
}

bool RecordingJournal::fail(const QString& what, const QString& why)
{
    lastError_ = what + QStringLiteral(": ") + why;
    return false;
}

// Removes what a failed write left of its line, so that the next line does not continue it.
bool RecordingJournal::cutBackTornLine()
{
    if (!file_.resize(size_))
        return fail(QStringLiteral("Cannot repair the run journal ") + path_, file_.errorString());
    tornLine_ = false;
    return true;
}

bool RecordingJournal::fileWasRemoved() const
{
#ifdef Q_OS_UNIX
    // The open file outlives its name, so writes to it still succeed but reach nobody.
    struct stat status = {};
    return ::fstat(file_.handle(), &status) == 0 && status.st_nlink == 0;
#else
    return !QFileInfo::exists(path_);
#endif
}

bool RecordingJournal::discard(const QString& dataFolder)
{
    const QString path = pathIn(dataFolder);
    if (QFile::remove(path))
        SyncFolderEntries(dataFolder); // a power cut must not bring back a saved run's journal
    return !QFileInfo::exists(path);
}

std::optional<DataFileRead> RecordingJournal::load(const QString& dataFolder)
{
    const QString path = pathIn(dataFolder);
    DataFileRead r = ReadDataFile(path, kDataFileTypeLine);
    if (r.outcome != DataFileRead::Outcome::Ok)
        return std::nullopt; // no journal, a torn header, or no sample section begun
    // Each line goes out with its CR LF in one write, so a journal that does not end in one was
    // cut off in the middle of its last line, even where that line looks whole.
    if (!fileEndsWithLineEnd(path)) {
        const qsizetype lastEnd = QStringView(r.samples)
                                      .chopped(r.samples.endsWith(kLineEnd) ? 2 : 0)
                                      .lastIndexOf(kLineEnd);
        r.samples.truncate(lastEnd < 0 ? 0 : lastEnd + kLineEnd.size());
    }
    // Damaged lines are skipped one by one: the readings after one are as good as before it.
    QString events;
    r.samples = wholeReadings(r.samples, r.channels, &events);
    if (r.samples.isEmpty())
        return std::nullopt;
    // A data file keeps the run's events as its last comment lines, where every reader takes
    // them; the journal, written as they happen, has them among the readings.
    if (!events.isEmpty()) {
        if (!r.comments.isEmpty() && !r.comments.endsWith(kLineEnd))
            r.comments += kLineEnd;
        r.comments += events;
    }
    return r;
}

std::optional<JournalInfo> RecordingJournal::find(const QString& dataFolder)
{
    const std::optional<DataFileRead> run = load(dataFolder);
    if (!run)
        return std::nullopt;
    const QStringList lines = run->samples.chopped(kLineEnd.size()).split(kLineEnd);
    JournalInfo info;
    info.path = pathIn(dataFolder);
    info.lastModified = QFileInfo(info.path).lastModified();
    info.lines = int(lines.size());
    info.firstTime = lineTime(lines.first());
    info.lastTime = lineTime(lines.last());
    return info;
}
