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
    m_dropped = 0;
    m_cut = 0;
}

void FrameAssembler::append(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return;
    // The held text has no CR LF, but may end in the CR of one.
    const qsizetype from = std::max<qsizetype>(0, m_partial.size() - 1);
    m_partial += DecodePortText(bytes);

    qsizetype start = 0;
    for (qsizetype end = m_partial.indexOf(kLineBreak, from); end >= 0;
         end = m_partial.indexOf(kLineBreak, start)) {
        if (m_lineStart)
            keepFrame(m_partial.mid(start, end - start));
        m_lineStart = true;
        start = end + kLineBreak.size();
    }
    m_partial.remove(0, start);

    if (m_partial.size() > kMaxLineLength) {
        // Only a final CR can still matter: it may be the start of the CR LF that ends the line.
        const bool endsInCr = m_partial.endsWith(QLatin1Char('\r'));
        m_partial = endsInCr ? QStringLiteral("\r") : QString();
        m_lineStart = false;
        ++m_cut;
    }
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

bool IsInstrumentFrame(const QString& frame, int channelCount)
{
    if (channelCount < 1)
        return false;
    const QList<QStringView> fields = QStringView(frame).split(u',');
    if (fields.size() != 1 + channelCount)
        return false;
    for (qsizetype i = 1; i < fields.size(); ++i) {
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
            if (IsInstrumentFrame(frame, channelCount)) {
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
