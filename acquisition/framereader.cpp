#include "framereader.h"

#include "seams.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <limits>

namespace
{

// The measurement's deadline lies half a second after its first clock reading.
constexpr qint64 kMeasureMilliseconds = 500;
// One waiting yield sleeps at most this long.
constexpr std::chrono::milliseconds kWaitSlice{1};
// Passes the measurement may count before 4 x count would no longer fit a Long.
constexpr qint64 kMaxMeasuredPasses = std::numeric_limits<qint32>::max() / 4;

} // namespace

QString DecodePortText(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes);
}

bool ExtractFrame(const QString& buffer, QString& frame)
{
    const qsizetype first = buffer.indexOf(kLineBreak);
    if (first < 0)
        return false;
    const qsizetype second = buffer.indexOf(kLineBreak, first + 1);
    if (second < 0)
        return false;
    frame = buffer.mid(first + 2, second - first - 2);
    return true;
}

ReadCommResult ReadComm(SerialLink& port, qint32 PollLimit, qint16& StopFlag, QString& CommText,
                        QString& CommBuffer, const std::function<void()>& yieldWaiting,
                        const std::function<void()>& yieldNow, const bool* abort)
{
    CommBuffer.clear();
    CommText.clear();
    StopFlag = 0;
    bool stoppedFromOutside = false;

    // After every yield: has a handler that ran inside it stopped sampling or is the program
    // ending?
    const auto interrupted = [&]() {
        if (StopFlag != 0)
            stoppedFromOutside = true;
        return abort != nullptr && *abort;
    };

    yieldNow();
    if (interrupted()) {
        StopFlag = 1;
        return ReadCommResult::Stopped;
    }

    qint64 counter = 0; // wider than PollLimit, so a budget of the largest Long still ends
    for (;;) {
        if (counter > PollLimit) {
            StopFlag = 1;
            return stoppedFromOutside ? ReadCommResult::Stopped : ReadCommResult::GaveUp;
        }
        yieldWaiting();
        if (interrupted()) {
            StopFlag = 1;
            return ReadCommResult::Stopped;
        }
        CommBuffer += DecodePortText(port.readAll());
        if (ExtractFrame(CommBuffer, CommText))
            return ReadCommResult::Frame;
        yieldNow();
        if (interrupted()) {
            StopFlag = 1;
            return ReadCommResult::Stopped;
        }
        ++counter;
    }
}

qint32 MeasurePollBudget(Clock& clock, SerialLink& port, QString& CommBuffer, QString& CommText,
                         const QString& LineBreak, const std::function<void()>& yieldWaiting)
{
    CommBuffer = QStringLiteral("fdj,afdas,adfs,asdfsa,dsfa,sdfa");
    QDateTime last = clock.now();
    QDateTime deadline = last.addMSecs(kMeasureMilliseconds);

    qint64 count = 0;
    for (;;) {
        const QDateTime now = clock.now();
        if (now < last)
            deadline = now.addMSecs(kMeasureMilliseconds);
        last = now;
        if (now > deadline || count >= kMaxMeasuredPasses)
            break;

        // The same string work as one pass of the frame reader.
        CommBuffer += DecodePortText(port.readAll());
        const qsizetype comma = CommBuffer.indexOf(QLatin1Char(','));
        if (comma >= 0 && CommBuffer.indexOf(LineBreak, comma + 1) >= 0)
            CommText = CommBuffer.mid(2, 3);
        yieldWaiting();
        ++count;
    }
    return static_cast<qint32>(std::max<qint64>(count * 4, kMinPollLimit));
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
