#include "framereader.h"

#include "seams.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QList>
#include <QStringView>
#include <QTimer>

#include <algorithm>
#include <limits>
#include <utility>

namespace
{

// The measurement's deadline lies half a second after its first clock reading.
constexpr qint64 kMeasureMilliseconds = 500;
// One waiting yield sleeps at most this long.
constexpr std::chrono::milliseconds kWaitSlice{1};
// Passes the measurement may count before 4 x count would no longer fit a Long.
constexpr qint64 kMaxMeasuredPasses = std::numeric_limits<qint32>::max() / 4;

// `elapsedMs`, or a monotonic clock started now when the caller gave none.
ElapsedMs monotonicOr(const ElapsedMs& elapsedMs)
{
    if (elapsedMs)
        return elapsedMs;
    QElapsedTimer timer;
    timer.start();
    return [timer] { return timer.elapsed(); };
}

// The field without the blanks around it.
QStringView withoutBlanks(QStringView field)
{
    while (!field.isEmpty() && field.front() == u' ')
        field = field.mid(1);
    while (!field.isEmpty() && field.back() == u' ')
        field.chop(1);
    return field;
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// sign? digits (. digits)?  Anything else (exponents, a lone point, letters, "OVR") is not a
// number the instrument sends.
bool isPlainDecimal(QStringView field)
{
    qsizetype i = 0;
    const qsizetype n = field.size();
    if (i < n && (field[i] == u'-' || field[i] == u'+'))
        ++i;
    const qsizetype intStart = i;
    while (i < n && isDigit(field[i]))
        ++i;
    if (i == intStart)
        return false;
    if (i < n && field[i] == u'.') {
        ++i;
        const qsizetype fracStart = i;
        while (i < n && isDigit(field[i]))
            ++i;
        if (i == fracStart)
            return false;
    }
    return i == n;
}

} // namespace

QString DecodePortText(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes);
}

void FrameAssembler::reset()
{
    m_frames.clear();
    m_partial.clear();
    m_lineStart = false;
    m_fieldCount = 0;
    m_fieldCountConfirmed = false;
    m_newFieldCount = 0;
    m_newFieldFrames = 0;
    m_dropped = 0;
    m_cut = 0;
}

void FrameAssembler::append(const QByteArray& bytes)
{
    // CR and LF each end a line: a CR LF pair then ends a line and an empty one, also when it
    // is split across two reads, and an empty line is no frame.
    const char* p = bytes.constData();
    const char* const end = p + bytes.size();
    while (p != end) {
        const char* const stop =
            std::find_if(p, end, [](char c) { return c == '\r' || c == '\n'; });
        addToLine(p, stop - p);
        if (stop == end)
            break;
        endLine();
        p = stop + 1;
    }
}

void FrameAssembler::addToLine(const char* text, qsizetype length)
{
    // The tail of a lost line is not kept: it ends at the next line end all the same.
    if (!m_lineStart || length == 0)
        return;
    if (m_partial.size() + length > kMaxLineLength) {
        m_partial.clear();
        m_lineStart = false;
        ++m_cut;
        return;
    }
    m_partial += DecodePortText(QByteArray::fromRawData(text, length));
}

void FrameAssembler::endLine()
{
    if (m_lineStart && !m_partial.isEmpty())
        keepFrame(std::move(m_partial));
    m_partial.clear();
    m_lineStart = true;
}

void FrameAssembler::keepFrame(QString frame)
{
    m_frames.push_back(std::move(frame));
    while (m_frames.size() > static_cast<std::size_t>(kMaxWaitingFrames)) {
        m_frames.pop_front();
        ++m_dropped;
    }
}

bool FrameAssembler::takeFrame(QString& frame)
{
    if (m_frames.empty())
        return false;
    frame = std::move(m_frames.front());
    m_frames.pop_front();
    return true;
}

bool FrameAssembler::acceptFrame(const QString& frame, int channelCount)
{
    if (!IsInstrumentFrame(frame, channelCount))
        return false;
    const int fields = static_cast<int>(frame.count(QLatin1Char(','))) + 1;
    if (fields == m_fieldCount) {
        m_fieldCountConfirmed = true;
        m_newFieldFrames = 0;
        return true;
    }
    // Lines run together have more fields than the instrument's line, so until a second frame
    // agrees with the first, the frame with fewer fields is the better guess.
    if (m_fieldCount == 0 || (!m_fieldCountConfirmed && fields < m_fieldCount)) {
        m_fieldCount = fields;
        m_newFieldFrames = 0;
        return true;
    }
    if (fields != m_newFieldCount) {
        m_newFieldCount = fields;
        m_newFieldFrames = 0;
    }
    if (++m_newFieldFrames < kFramesToChangeFieldCount)
        return false;
    m_fieldCount = fields;
    m_fieldCountConfirmed = true;
    m_newFieldFrames = 0;
    return true;
}

bool IsInstrumentFrame(const QString& frame, int channelCount)
{
    if (channelCount < 1)
        return false;
    const QList<QStringView> fields = QStringView(frame).split(u',');
    if (fields.size() < 1 + channelCount)
        return false;
    for (qsizetype i = 1; i <= channelCount; ++i) {
        const QStringView field = withoutBlanks(fields[i]);
        if (!isPlainDecimal(field))
            return false;
        bool ok = false;
        const double value = field.toDouble(&ok);
        if (!ok || value < kLowestFrameTemperature || value > kHighestFrameTemperature)
            return false;
    }
    return true;
}

ReadFrameResult ReadFrame(SerialLink& port, FrameAssembler& assembler,
                          std::chrono::milliseconds budget, qint16& notSampling, QString& frameText,
                          int channelCount, qint64& rejectedFrames, const bool* abort,
                          const ElapsedMs& elapsedMs)
{
    frameText.clear();
    notSampling = 0;
    const ElapsedMs now = monotonicOr(elapsedMs);
    const qint64 start = now();
    bool stoppedFromOutside = false;

    for (;;) {
        if (abort != nullptr && *abort) {
            notSampling = 1;
            return ReadFrameResult::Stopped;
        }
        assembler.append(port.readAll());
        QString frame;
        while (assembler.takeFrame(frame)) {
            if (assembler.acceptFrame(frame, channelCount)) {
                frameText = frame;
                return ReadFrameResult::Frame;
            }
            ++rejectedFrames;
        }

        const qint64 left = budget.count() - (now() - start);
        if (left <= 0) {
            notSampling = 1;
            return stoppedFromOutside ? ReadFrameResult::Stopped : ReadFrameResult::GaveUp;
        }
        port.waitForBytes(std::chrono::milliseconds(left));
        // A handler that ran during the wait may have stopped sampling.
        if (notSampling != 0)
            stoppedFromOutside = true;
    }
}

PollBudget MeasurePollBudget(Clock& clock, SerialLink& port, QString& measureBuffer,
                             QString& frameText, const QString& lineBreak,
                             const std::function<void()>& yieldWaiting, const ElapsedMs& elapsedMs)
{
    const ElapsedMs elapsed = monotonicOr(elapsedMs);
    measureBuffer = QStringLiteral("fdj,afdas,adfs,asdfsa,dsfa,sdfa");
    QDateTime last = clock.now();
    QDateTime deadline = last.addMSecs(kMeasureMilliseconds);

    const qint64 started = elapsed();
    qint64 count = 0;
    for (;;) {
        const QDateTime now = clock.now();
        if (now < last)
            deadline = now.addMSecs(kMeasureMilliseconds);
        last = now;
        if (now > deadline || count >= kMaxMeasuredPasses)
            break;

        // The same string work as one pass of the frame reader.
        measureBuffer += DecodePortText(port.readAll());
        const qsizetype comma = measureBuffer.indexOf(QLatin1Char(','));
        if (comma >= 0 && measureBuffer.indexOf(lineBreak, comma + 1) >= 0)
            frameText = measureBuffer.mid(2, 3);
        yieldWaiting();
        ++count;
    }
    const qint64 took = std::max<qint64>(0, elapsed() - started);

    PollBudget budget;
    budget.pollPasses = static_cast<qint32>(std::max<qint64>(count * 4, kMinPollPasses));
    // With no pass counted there is no time per pass; the floor stands in for it.
    const qint64 ms = count > 0 ? budget.pollPasses * took / count : 0;
    budget.timeBudget = std::clamp(std::chrono::milliseconds(ms), kMinReadBudget, kMaxReadBudget);
    return budget;
}

void YieldNow()
{
    QCoreApplication::processEvents();
}

void YieldWaiting()
{
    // The timer only guarantees a wake-up: with no event pending, WaitForMoreEvents would
    // otherwise sleep until the user moves the mouse.
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    wake.start(kWaitSlice);
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}
