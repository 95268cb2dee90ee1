#include "silencebudget.h"

#include "seams.h"

#include <algorithm>

namespace
{

constexpr qint64 kMeasureMilliseconds = 500;
constexpr std::chrono::milliseconds kCheckInterval{10};
constexpr int kBudgetPerMeasuredTime = 4;

} // namespace

SilenceBudgetMeasurement::SilenceBudgetMeasurement(Clock& clock, std::function<qint64()> elapsedMs,
                                                   QObject* parent)
    : QObject(parent), clock_(clock), elapsedMs_(std::move(elapsedMs))
{
    if (!elapsedMs_) {
        auto timer = std::make_shared<QElapsedTimer>();
        timer->start();
        elapsedMs_ = [timer] { return timer->elapsed(); };
    }
    timer_.setInterval(kCheckInterval);
    connect(&timer_, &QTimer::timeout, this, &SilenceBudgetMeasurement::check);
}

void SilenceBudgetMeasurement::start()
{
    last_ = clock_.now();
    deadline_ = last_.addMSecs(kMeasureMilliseconds);
    started_ = elapsedMs_();
    timer_.start();
}

void SilenceBudgetMeasurement::check()
{
    const QDateTime now = clock_.now();
    // A clock set back moves the deadline with it instead of stretching the measurement by the
    // size of the jump.
    if (now < last_)
        deadline_ = now.addMSecs(kMeasureMilliseconds);
    last_ = now;
    if (now <= deadline_)
        return;
    timer_.stop();
    const std::chrono::milliseconds took{std::max<qint64>(0, elapsedMs_() - started_)};
    emit measured(std::clamp(took * kBudgetPerMeasuredTime, kMinSilenceBudget, kMaxSilenceBudget));
}
