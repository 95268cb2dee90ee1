#include "runchartmath.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace
{

// Enough levels for any run a qint32 row number can hold: 16^6 rows in the coarsest block.
constexpr int kLevels = 6;

qsizetype blockSize(int level)
{
    qsizetype size = RunSummary::kBlockFanOut;
    for (int k = 0; k < level; ++k)
        size *= RunSummary::kBlockFanOut;
    return size;
}

void takeIn(RunSummary::Values& lowest, RunSummary::Values& highest, const RunSummary::Values& low,
            const RunSummary::Values& high)
{
    // fmin and fmax pass over a NaN: a channel without a reading leaves the other side as it is.
    for (int ch = 0; ch < kRecorderChannels; ++ch) {
        lowest[ch] = std::fmin(lowest[ch], low[ch]);
        highest[ch] = std::fmax(highest[ch], high[ch]);
    }
}

RunSummary::Values noReadings()
{
    RunSummary::Values v;
    v.fill(kNoReading);
    return v;
}

} // namespace

void RunSummary::rebuild(const SampleSource& run)
{
    run_ = &run;
    count_ = 0;
    stale_ = false;
    order_.clear();
    levels_.assign(kLevels, {});
    const qsizetype n = run.size();
    bool ordered = true;
    for (qsizetype r = 1; r < n && ordered; ++r)
        ordered = run.sample(r).time >= run.sample(r - 1).time;
    if (!ordered) {
        order_.resize(size_t(n));
        std::iota(order_.begin(), order_.end(), 0);
        std::stable_sort(order_.begin(), order_.end(), [&run](qint32 a, qint32 b) {
            return run.sample(a).time < run.sample(b).time;
        });
    }
    // Level 0 from the samples, each coarser level from the one below it.
    count_ = n;
    std::vector<Block>& finest = levels_[0];
    finest.resize(size_t((n + kBlockFanOut - 1) / kBlockFanOut), {noReadings(), noReadings()});
    for (qsizetype pos = 0; pos < n; ++pos) {
        const Values& v = at(pos).values;
        Block& block = finest[size_t(pos / kBlockFanOut)];
        takeIn(block.lowest, block.highest, v, v);
    }
    for (size_t level = 1; level < levels_.size(); ++level) {
        const std::vector<Block>& below = levels_[level - 1];
        std::vector<Block>& blocks = levels_[level];
        blocks.resize((below.size() + kBlockFanOut - 1) / kBlockFanOut,
                      {noReadings(), noReadings()});
        for (size_t b = 0; b < below.size(); ++b) {
            Block& block = blocks[b / kBlockFanOut];
            takeIn(block.lowest, block.highest, below[b].lowest, below[b].highest);
        }
    }
}

void RunSummary::append(const SampleSource& run)
{
    if (run_ != &run || run.size() < count_) {
        rebuild(run);
        return;
    }
    for (qsizetype r = count_; r < run.size() && !stale_; ++r) {
        if (count_ > 0 && run.sample(r).time < at(count_ - 1).time) {
            stale_ = true; // a clock set back: the new row belongs among the old ones
            return;
        }
        if (!order_.empty())
            order_.push_back(qint32(r));
        addPosition(r);
    }
}

void RunSummary::addPosition(qsizetype pos)
{
    count_ = pos + 1;
    const Values& values = at(pos).values;
    for (int level = 0; level < kLevels; ++level) {
        std::vector<Block>& blocks = levels_[size_t(level)];
        const size_t index = size_t(pos / blockSize(level));
        if (index == blocks.size())
            blocks.push_back({noReadings(), noReadings()});
        takeIn(blocks[index].lowest, blocks[index].highest, values, values);
    }
}

qsizetype RunSummary::lowerBound(double t) const
{
    qsizetype lo = 0;
    qsizetype hi = count_;
    while (lo < hi) {
        const qsizetype mid = lo + (hi - lo) / 2;
        if (double(at(mid).time) < t)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

void RunSummary::extremes(qsizetype from, qsizetype to, Values& lowest, Values& highest) const
{
    lowest = noReadings();
    highest = noReadings();
    qsizetype pos = std::max<qsizetype>(from, 0);
    to = std::min(to, count_);
    while (pos < to) {
        // The largest block that starts here and ends by `to`; a single sample when none does.
        int level = kLevels - 1;
        qsizetype size = blockSize(level);
        while (level >= 0 && (pos % size != 0 || std::min(pos + size, count_) > to)) {
            --level;
            size /= kBlockFanOut;
        }
        if (level < 0) {
            const Values& v = at(pos).values;
            takeIn(lowest, highest, v, v);
            ++pos;
            continue;
        }
        const Block& block = levels_[size_t(level)][size_t(pos / size)];
        takeIn(lowest, highest, block.lowest, block.highest);
        pos = std::min(pos + size, count_);
    }
}

std::vector<ChartColumn> DecimateRun(const RunSummary& summary, double start, double end,
                                     int columns)
{
    std::vector<ChartColumn> result;
    if (columns <= 0 || !(end > start))
        return result;
    result.resize(size_t(columns));
    const double width = (end - start) / columns;
    qsizetype from = summary.lowerBound(start);
    for (int c = 0; c < columns; ++c) {
        // The last column also takes a sample exactly at the right edge.
        qsizetype to = c + 1 < columns ? summary.lowerBound(start + (c + 1) * width)
                                       : summary.lowerBound(std::nextafter(end, HUGE_VAL));
        to = std::max(to, from);
        ChartColumn& column = result[size_t(c)];
        column.from = from;
        column.to = to;
        summary.extremes(from, to, column.lowest, column.highest);
        from = to;
    }
    return result;
}

bool JoinedReadings(const RunSample& a, const RunSample& b, int channel)
{
    return HasReading(a.values[channel]) && HasReading(b.values[channel]) &&
           double(b.time) - double(a.time) <= kLongestJoinedGap;
}

// ---------------------------------------------------------------- the visible range

double ChartRange::longestSpan() const
{
    return std::max(runLast_ - runFirst_, kLongestButtonSpan);
}

void ChartRange::place(double start, double span, bool follow)
{
    span_ = std::clamp(span, kShortestSpan, longestSpan());
    const double latestStart = std::max(runLast_, runFirst_ + span_) - span_;
    start_ = std::clamp(start, runFirst_, latestStart);
    following_ = follow;
}

void ChartRange::setRun(double first, double last)
{
    runFirst_ = first;
    runLast_ = std::max(first, last);
    if (!following_) {
        place(start_, span_, false);
        return;
    }
    if (wholeRun_) {
        place(runFirst_, runLast_ - runFirst_, true);
        return;
    }
    const double span = std::clamp(span_, kShortestSpan, longestSpan());
    place(std::max(runLast_, runFirst_ + span) - span, span, true);
}

void ChartRange::showLast(double seconds)
{
    wholeRun_ = false;
    following_ = true;
    span_ = seconds;
    setRun(runFirst_, runLast_);
}

void ChartRange::showWholeRun()
{
    wholeRun_ = true;
    following_ = true;
    setRun(runFirst_, runLast_);
}

void ChartRange::live()
{
    following_ = true;
    setRun(runFirst_, runLast_);
}

void ChartRange::zoom(double factor, double anchor)
{
    if (!(factor > 0))
        return;
    const double span = std::clamp(span_ * factor, kShortestSpan, longestSpan());
    if (following_) {
        wholeRun_ = false;
        span_ = span;
        setRun(runFirst_, runLast_);
        return;
    }
    const double start = anchor - (anchor - start_) * span / span_;
    setRange(start, start + span);
}

void ChartRange::pan(double seconds)
{
    setRange(start_ + seconds, end() + seconds);
}

void ChartRange::setRange(double from, double to)
{
    if (to < from)
        std::swap(from, to);
    wholeRun_ = false;
    place(from, to - from, false);
    // Back at the newest reading: following again, as at the end of a scroll bar.
    if (end() >= runLast_)
        live();
}

int ChartRange::scrollMaximum() const
{
    return int(std::lround((std::max(runLast_, runFirst_ + span_) - span_ - runFirst_) * 10));
}

int ChartRange::scrollValue() const
{
    return int(std::lround((start_ - runFirst_) * 10));
}

int ChartRange::scrollPage() const
{
    return std::max(1, int(std::lround(span_ * 10)));
}

void ChartRange::scrollTo(int value)
{
    if (value == scrollValue())
        return;
    const double start = runFirst_ + value / 10.0;
    setRange(start, start + span_);
}

// ---------------------------------------------------------------- axes

std::vector<AxisTick> TemperatureTicks(double lowest, double highest, int wanted)
{
    std::vector<AxisTick> ticks;
    if (!(highest > lowest) || wanted < 1 || !std::isfinite(highest - lowest))
        return ticks;
    const double raw = (highest - lowest) / wanted;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    double step = power * 10;
    for (const double m : {1.0, 2.0, 5.0}) {
        if (m * power >= raw) {
            step = m * power;
            break;
        }
    }
    const int decimals = std::max(0, int(-std::floor(std::log10(step) + 1e-9)));
    for (double v = std::ceil(lowest / step) * step; v <= highest + step * 1e-9; v += step) {
        const double shown = std::fabs(v) < step * 1e-6 ? 0.0 : v;
        ticks.push_back({shown, QString::number(shown, 'f', decimals)});
    }
    return ticks;
}

QString ClockText(double seconds, bool tenths)
{
    const bool negative = seconds < 0;
    long long t = std::llround(std::fabs(seconds) * 10);
    if (!tenths)
        t = (t + 5) / 10 * 10;
    const long long h = t / 36000;
    const long long m = t / 600 % 60;
    const long long s = t / 10 % 60;
    QString text = negative ? QStringLiteral("-") : QString();
    if (h > 0)
        text += QStringLiteral("%1:%2:%3")
                    .arg(h)
                    .arg(m, 2, 10, QLatin1Char('0'))
                    .arg(s, 2, 10, QLatin1Char('0'));
    else
        text += QStringLiteral("%1:%2").arg(m).arg(s, 2, 10, QLatin1Char('0'));
    if (tenths)
        text += QLatin1Char('.') + QString::number(t % 10);
    return text;
}

std::vector<AxisTick> TimeTicks(double start, double end, int wanted)
{
    static constexpr double kSteps[] = {0.1,  0.2,  0.5,  1,     2,     5,     10,
                                        15,   30,   60,   120,   300,   600,   900,
                                        1800, 3600, 7200, 10800, 21600, 43200, 86400};
    std::vector<AxisTick> ticks;
    if (!(end > start) || wanted < 1)
        return ticks;
    const double raw = (end - start) / wanted;
    double step = kSteps[std::size(kSteps) - 1];
    for (const double s : kSteps) {
        if (s >= raw) {
            step = s;
            break;
        }
    }
    while (step < raw)
        step *= 2; // runs of many days
    const double first = std::ceil(start / step - 1e-9) * step;
    for (int i = 0;; ++i) {
        const double v = first + i * step;
        if (v > end + step * 1e-9)
            break;
        ticks.push_back({v, ClockText(v, step < 1)});
    }
    return ticks;
}

std::pair<double, double> FitTemperatureRange(double lowest, double highest)
{
    if (!HasReading(float(lowest)) || !HasReading(float(highest)))
        return {kNoReading, kNoReading};
    const double margin = std::max((highest - lowest) * 0.05, 1.0);
    return {lowest - margin, highest + margin};
}

double ToCelsius(double fahrenheit)
{
    return (fahrenheit - 32) * 5 / 9;
}

double ToFahrenheit(double celsius)
{
    return celsius * 9 / 5 + 32;
}

// ---------------------------------------------------------------- the two cursors

CursorDifferences CursorDifference(const RunSample& first, const RunSample& second)
{
    CursorDifferences d;
    d.dt = double(second.time) - double(first.time);
    for (int ch = 0; ch < kRecorderChannels; ++ch) {
        const bool both = HasReading(first.values[ch]) && HasReading(second.values[ch]);
        d.dT[ch] = both ? double(second.values[ch]) - double(first.values[ch]) : kNoReading;
        d.perSecond[ch] = both && d.dt != 0 ? d.dT[ch] / d.dt : kNoReading;
    }
    return d;
}

QStringList CursorReadout(const RunSample* first, const RunSample* second, int channels,
                          const QString& unit)
{
    channels = std::clamp(channels, 0, kRecorderChannels);
    QStringList lines;
    const QString units = QStringLiteral("   (Deg %1)").arg(unit);
    const RunSample* cursors[2] = {first, second};
    for (int k = 0; k < 2; ++k) {
        if (!cursors[k])
            continue;
        QString line =
            QStringLiteral("Cursor %1  %2").arg(k + 1).arg(ClockText(cursors[k]->time, true));
        for (int ch = 0; ch < channels; ++ch) {
            const float v = cursors[k]->values[ch];
            line += QStringLiteral("   Ch %1 %2")
                        .arg(ch + 1)
                        .arg(HasReading(v) ? FormatReading(v) : QStringLiteral("no reading"));
        }
        lines << line + units;
    }
    if (first && second) {
        const CursorDifferences d = CursorDifference(*first, *second);
        QString line = QStringLiteral("\u0394t %1 s").arg(d.dt, 0, 'f', 1);
        for (int ch = 0; ch < channels; ++ch) {
            line += QStringLiteral("   Ch %1 \u0394T ").arg(ch + 1);
            if (!HasReading(float(d.dT[ch]))) {
                line += QStringLiteral("no reading");
                continue;
            }
            line += QStringLiteral("%1%2")
                        .arg(d.dT[ch] >= 0 ? QStringLiteral("+") : QString())
                        .arg(d.dT[ch], 0, 'f', 1);
            if (HasReading(float(d.perSecond[ch])))
                line += QStringLiteral(", %1%2/s")
                            .arg(d.perSecond[ch] >= 0 ? QStringLiteral("+") : QString())
                            .arg(d.perSecond[ch], 0, 'f', 2);
        }
        lines << line + units;
    }
    return lines;
}
