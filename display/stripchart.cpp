#include "stripchart.h"

#include "numconv.h"

#include <algorithm>

namespace
{

constexpr quint32 kGridColor = 0x808080;
// Solid and dark, so that an event is told from the dotted grey grid.
constexpr quint32 kEventMarkColor = 0x000000;
constexpr double kSectionWidthFraction = 0.333; // not a third: the same factors serve every wrap
constexpr std::array<double, kChartSections> kBoxLefts{0.0, 0.333, 0.666}; // left to right
// A damaged settings file may hold any section time; below one second nothing could be drawn.
constexpr int kMinStripChartTime = 1;
// The vertical grid, in tenths of a second: from 0.1 in steps of 4.9 up to 0.5 s short of the
// right edge. Counting in tenths keeps a line that lands exactly on the limit (29.5 for 30 s).
constexpr int kGridFirstTenths = 1;
constexpr int kGridStepTenths = 49;
constexpr int kGridEndMarginTenths = 5;

int tracedChannels(const DerivedSettings& derived)
{
    return std::clamp<int>(derived.channelCount, 0, kRecorderChannels);
}

void breakTraces(ChartState& chart)
{
    chart.traceLastX.fill(kNoReading);
    chart.traceLastY.fill(kNoReading);
}

float normalised(const DerivedSettings& derived, double value)
{
    if (value <= derived.graphMin)
        return 0.0f;
    if (value > derived.graphMax)
        return 1.0f;
    return static_cast<float>((value - derived.graphMin) * derived.graphFactor);
}

int traceWidth(qint16 lineThickness)
{
    switch (lineThickness) {
    case 1:
        return 2;
    case 2:
        return 4;
    default:
        return 1;
    }
}

void drawGrid(int sectionSeconds, ChartSurface& surface, int c)
{
    const double right = sectionSeconds;
    for (double y : {0.0, 1.0})
        surface.drawLine(c, 0, y, right, y, kGridColor, 1, true);
    const int lastTenths = sectionSeconds * 10 - kGridEndMarginTenths;
    for (int tenths = kGridFirstTenths; tenths <= lastTenths; tenths += kGridStepTenths) {
        const double x = tenths / 10.0;
        surface.drawLine(c, x, 0, x, 1, kGridColor, 1, true);
    }
}

// Begins section chart.currentSection: its grid, and the scale labels on the leftmost box. A wrap
// only reuses the oldest box: the run itself keeps every sample, whatever the chart shows.
void StartSection(const ChartState& chart, int sectionSeconds, ChartSurface& surface)
{
    const int c = chart.currentSection;
    surface.showChart();
    for (int k = 0; k < kChartSections; ++k) {
        if (k == c)
            drawGrid(sectionSeconds, surface, k);
        surface.showScaleLabels(k, surface.sectionAtLeft(k));
    }
}

// Moves on to the next section; from the first wrap on the boxes are shuffled so that the new
// section sits at the right with the older two in time order before it.
void ChangeSection(ChartState& chart, int sectionSeconds, ChartSurface& surface)
{
    chart.currentSection = static_cast<qint16>(chart.currentSection + 1);
    if (chart.currentSection >= kChartSections) {
        chart.currentSection = 0;
        chart.wrapped = true;
    }
    const int c = chart.currentSection;
    surface.clearSection(c);
    if (chart.wrapped) {
        std::array<double, kChartSections> lefts{};
        lefts[c] = kBoxLefts[2];
        lefts[(c + 1) % kChartSections] = kBoxLefts[0];
        lefts[(c + 2) % kChartSections] = kBoxLefts[1];
        surface.placeSections(lefts, kSectionWidthFraction);
    }
    StartSection(chart, sectionSeconds, surface);
    chart.currentSectionStart += sectionSeconds;
    chart.sectionStartTimes[c] = chart.currentSectionStart;
    // The next segment starts at the left edge at the previous height, so traces run on.
    chart.traceLastX.fill(0.0f);
}

// Marks the events that lie in the current section; one whose time the chart has passed
// without a section for it (a long gap) is marked at the left edge. Later ones wait.
void drawPendingMarks(ChartState& chart, int sectionSeconds, ChartSurface& surface)
{
    auto& marks = chart.pendingMarks;
    const auto due = std::stable_partition(marks.begin(), marks.end(), [&](float t) {
        return t - chart.currentSectionStart > float(sectionSeconds);
    });
    for (auto m = due; m != marks.end(); ++m) {
        const double x = std::max(0.0, double(*m - chart.currentSectionStart));
        surface.drawLine(chart.currentSection, x, -0.05, x, 1.05, kEventMarkColor, 1, false);
    }
    marks.erase(due, marks.end());
}

} // namespace

void LayOutChart(ChartState& chart, StoredSettings& settings, const DerivedSettings& derived,
                 ChartSurface& surface)
{
    chart = ChartState{};
    breakTraces(chart);
    if (settings.chartSectionSeconds < kMinStripChartTime ||
        settings.chartSectionSeconds > kLongestChartSection)
        settings.chartSectionSeconds = kDefaultChartSection;
    surface.showChart();
    surface.placeSections(kBoxLefts, kSectionWidthFraction);
    surface.showStartButtons();
    for (int k = 0; k < kChartSections; ++k) {
        surface.clearSection(k);
        surface.setSectionScale(k, settings.chartSectionSeconds);
        surface.setScaleLabels(k, num::CStr(derived.graphMax), num::CStr(derived.graphMin));
        chart.currentSection = static_cast<qint16>(k);
        StartSection(chart, settings.chartSectionSeconds, surface);
    }
    surface.setLegend(QStringLiteral("Temperature Deg ") + derived.unitLetter);
    for (int i = 0; i < kRecorderChannels; ++i)
        surface.markOffRange(0, i, 0, 0);
    chart.currentSection = 0;
    StartSection(chart, settings.chartSectionSeconds, surface);
    chart.laidOut = true;
}

void PlotSample(ChartState& chart, StoredSettings& settings, const DerivedSettings& derived,
                ChartSurface& surface, const RunSample& sample)
{
    if (!chart.laidOut)
        LayOutChart(chart, settings, derived, surface);
    chart.sampleX = sample.time - chart.currentSectionStart;

    const int width = traceWidth(settings.lineThickness);
    const int c = chart.currentSection;
    for (int i = 0; i < tracedChannels(derived); ++i) {
        const float value = i < kRecorderChannels ? sample.values[i] : kNoReading;
        if (!HasReading(value)) {
            chart.traceLastX[i] = chart.traceLastY[i] = kNoReading;
            surface.markOffRange(c, i, 0, chart.sampleX);
            continue;
        }
        const float y = normalised(derived, value);
        const quint32 rgb = derived.channelColors[i];
        if (!HasReading(chart.traceLastY[i])) // no previous point: a dot
            surface.drawLine(c, chart.sampleX, y, chart.sampleX, y, rgb, width, false);
        else
            surface.drawLine(c, chart.traceLastX[i], chart.traceLastY[i], chart.sampleX, y, rgb,
                             width, false);
        chart.traceLastY[i] = y;
        chart.traceLastX[i] = chart.sampleX;
        surface.markOffRange(c, i,
                             value > derived.graphMax   ? 1
                             : value < derived.graphMin ? -1
                                                        : 0,
                             chart.sampleX);
    }

    // A point just past the right edge is drawn into the old section, cut off by its edge;
    // the new section takes the trace up from its left edge at the next sample.
    if (chart.sampleX > static_cast<float>(settings.chartSectionSeconds)) {
        ChangeSection(chart, settings.chartSectionSeconds, surface);
        drawPendingMarks(chart, settings.chartSectionSeconds, surface);
    }
}

void PlotEvent(ChartState& chart, const StoredSettings& settings, ChartSurface& surface,
               float time)
{
    // Laying the chart out here would wipe what it shows; a chart not laid out has no run yet.
    if (!chart.laidOut)
        return;
    chart.pendingMarks.push_back(time);
    drawPendingMarks(chart, settings.chartSectionSeconds, surface);
}

void ResetChart(ChartState& chart)
{
    chart = ChartState{};
}
