#pragma once
// The run chart's arithmetic, widget-free: a min/max summary of the whole run that a redraw asks
// in O(columns · log n) whatever the run's length, the visible range with its zoom, pan and
// follow state, the axes' ticks, and the two cursors' read-outs.

#include "runsample.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <array>
#include <vector>

// Readings further apart than this are not joined by a line: the trace breaks across a silent
// logger as it does at a failed probe, so no line stands for temperatures nobody measured.
constexpr double kLongestJoinedGap = 5.0;

// The run's samples in time order with the lowest and highest reading of every block of rows,
// block sizes growing by kBlockFanOut from level to level. The samples stay in the run; the
// summary holds row numbers only when the run's times are not in order (a clock set back, a
// file put together by hand).
class RunSummary
{
public:
    static constexpr qsizetype kBlockFanOut = 16;
    using Values = std::array<float, kRecorderChannels>;

    // Forgets everything and summarises `run` afresh, which must outlive the summary's use.
    void rebuild(const SampleSource& run);
    // Takes the rows `run` gained since the last rebuild or append: O(1) amortised per row while
    // times keep their order. A row earlier than the newest (the clock set back while recording)
    // leaves the summary stale, without that row and the rows after it, until a rebuild: that
    // costs O(n log n), which the caller spends when it can afford it, not at every reading.
    void append(const SampleSource& run);
    bool stale() const { return stale_; }

    qsizetype size() const { return count_; }
    bool timesOrdered() const { return order_.empty(); }
    // Position `pos` in time order as a row of the run.
    qsizetype row(qsizetype pos) const
    {
        return order_.empty() ? pos : qsizetype(order_[size_t(pos)]);
    }
    const RunSample& at(qsizetype pos) const { return run_->sample(row(pos)); }
    double firstTime() const { return count_ > 0 ? at(0).time : 0.0; }
    double lastTime() const { return count_ > 0 ? at(count_ - 1).time : 0.0; }
    // The first position whose time is not below `t`; size() when there is none.
    qsizetype lowerBound(double t) const;
    // Lowest and highest reading of each channel over positions [from, to); NaN for a channel
    // without a reading there.
    void extremes(qsizetype from, qsizetype to, Values& lowest, Values& highest) const;

private:
    struct Block {
        Values lowest;
        Values highest;
    };
    void addPosition(qsizetype pos);

    const SampleSource* run_ = nullptr;
    qsizetype count_ = 0;
    bool stale_ = false;
    std::vector<qint32> order_;              // empty while the rows are in time order
    std::vector<std::vector<Block>> levels_; // level k: blocks of kBlockFanOut^(k+1) positions
};

// One pixel column of a trace: what a redraw needs to keep every extreme and every break.
struct ChartColumn {
    qsizetype from = 0; // positions [from, to) in time order; empty when no reading lies here
    qsizetype to = 0;
    RunSummary::Values lowest{};
    RunSummary::Values highest{};
};

// The columns of `columns` equal slices of [start, end): column c holds the samples at times
// t with start + c·w <= t < start + (c + 1)·w, the last one also t == end.
std::vector<ChartColumn> DecimateRun(const RunSummary& summary, double start, double end,
                                     int columns);

// Whether the readings `a` and `b` of one channel, in that time order and with no sample
// between them, are joined by a line.
bool JoinedReadings(const RunSample& a, const RunSample& b, int channel);

// ---- the visible range: zoom, pan and follow

// While following, the newest reading stays at the right edge (a run shorter than the span
// grows from the left edge); any move that leaves it off the right edge browses instead, and
// Live, a range button or a move back to the end follows again.
class ChartRange
{
public:
    static constexpr double kShortestSpan = 1.0;  // seconds across at the deepest zoom
    static constexpr double kDefaultSpan = 600.0; // "10 min"
    // A run shorter than the longest range button can still be seen at that span.
    static constexpr double kLongestButtonSpan = 3600.0;

    double start() const { return start_; }
    double span() const { return span_; }
    double end() const { return start_ + span_; }
    bool following() const { return following_; }
    bool wholeRun() const { return wholeRun_; }

    // The run now spans [first, last]; a following view moves with its newest reading.
    void setRun(double first, double last);
    // The buttons "1 min", "10 min", "1 h": that span, following.
    void showLast(double seconds);
    // "Whole run": the whole run, growing with it while it records.
    void showWholeRun();
    // "Live": follows again at the present span.
    void live();
    // Zooms by `factor` (below 1 in, above 1 out) about run time `anchor`; a following view
    // zooms about its right edge and goes on following.
    void zoom(double factor, double anchor);
    // Moves by `seconds` (negative: back in time).
    void pan(double seconds);
    // Shows [from, to] (a dragged range, a scroll bar position).
    void setRange(double from, double to);
    // The scroll bar's range and place in tenths of a second.
    int scrollMaximum() const;
    int scrollValue() const;
    int scrollPage() const;
    void scrollTo(int value);

private:
    void place(double start, double span, bool follow);
    double longestSpan() const;

    double runFirst_ = 0;
    double runLast_ = 0;
    double start_ = 0;
    double span_ = kDefaultSpan;
    bool following_ = true;
    bool wholeRun_ = false;
};

// ---- axes

struct AxisTick {
    double value = 0;
    QString label;
};

// Round steps (1, 2, 5 · 10^k) over [lowest, highest], about `wanted` of them.
std::vector<AxisTick> TemperatureTicks(double lowest, double highest, int wanted);
// Run-time ticks at whole seconds, minutes or hours, labelled "h:mm:ss" (tenths shown when the
// step is below a second).
std::vector<AxisTick> TimeTicks(double start, double end, int wanted);
// A run time as the time axis and the cursors show it: "1:02:03.4"; "2:03.4" under an hour.
QString ClockText(double seconds, bool tenths);

// The temperature axis fitted to the readings in [lowest, highest] with a margin; a flat or
// empty range is widened so that the traces never lie on the frame.
std::pair<double, double> FitTemperatureRange(double lowest, double highest);

// Degrees F as degrees C, and back: the graph range is kept in the unit of the settings, a
// run in the unit it was recorded in.
double ToCelsius(double fahrenheit);
double ToFahrenheit(double celsius);

// ---- the two cursors

struct CursorDifferences {
    double dt = 0;                                     // seconds, second cursor minus first
    std::array<double, kRecorderChannels> dT{};        // NaN where either has no reading
    std::array<double, kRecorderChannels> perSecond{}; // dT / dt; NaN also when dt is 0
};
CursorDifferences CursorDifference(const RunSample& first, const RunSample& second);

// The read-out lines of the cursors: one per cursor placed ("Cursor 1  0:12:03.4   Ch 1 30 ..."),
// and with both placed one of differences ("Δt 300.0 s   Ch 1 ΔT +60, +0.20/s ...").
// `unit` is "F" or "C".
QStringList CursorReadout(const RunSample* first, const RunSample* second, int channels,
                          const QString& unit);
