#include "stripchart.h"

#include "numconv.h"

#include <algorithm>

namespace
{

constexpr quint32 kGridColor = 0x808080;
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
    return std::clamp<int>(derived.channelCount, 0, kTraceSlots);
}

int readChannels(const DerivedSettings& derived)
{
    return std::clamp<int>(derived.channelCount, 0, kMaxChannels);
}

// The trace arrays are plain vectors that other code recreates; never index past one that
// came back short.
void ensureTraceSlots(ChartState& chart)
{
    for (std::vector<float>* v : {&chart.traceLastX, &chart.traceLastY, &chart.traceNewY}) {
        if (v->size() < static_cast<size_t>(kTraceSlots))
            v->resize(kTraceSlots, 0.0f);
    }
}

void freshTraceArrays(ChartState& chart)
{
    chart.traceLastX.assign(kTraceSlots, 0.0f);
    chart.traceLastY.assign(kTraceSlots, 0.0f);
    chart.traceNewY.assign(kTraceSlots, 0.0f);
    std::fill(chart.sectionStartTimes.begin(), chart.sectionStartTimes.begin() + kChartSections,
              0.0f);
    chart.started = 0;
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
void StartSection(ChartState& chart, int sectionSeconds, ChartSurface& surface)
{
    const int c = chart.currentSection;
    surface.showChart();
    for (int k = 0; k < kChartSections; ++k) {
        if (k == c)
            drawGrid(sectionSeconds, surface, k);
        surface.showScaleLabels(k, surface.sectionAtLeft(k));
    }
    chart.sectionFirstLinePending = 1;
}

// Lays the three sections out afresh and starts the run clock.
void SetUpChart(ChartState& chart, StoredSettings& settings, const DerivedSettings& derived,
                ChartSurface& surface)
{
    chart.wrapped = 0;
    surface.showChart();
    surface.placeSections(kBoxLefts, kSectionWidthFraction);
    surface.showStartButtons();
    for (int k = 0; k < kChartSections; ++k) {
        if (settings.chartSectionSeconds < kMinStripChartTime ||
            settings.chartSectionSeconds > kLongestChartSection)
            settings.chartSectionSeconds = kDefaultChartSection;
        surface.clearSection(k);
        surface.setSectionScale(k, settings.chartSectionSeconds);
        surface.setScaleLabels(k, num::CStr(derived.graphMax), num::CStr(derived.graphMin));
        chart.currentSection = static_cast<qint16>(k);
        StartSection(chart, settings.chartSectionSeconds, surface);
    }
    surface.setLegend(QStringLiteral("Temperature Deg ") + derived.unitLetter);
    for (int i = 0; i < kTraceSlots; ++i)
        surface.markOffRange(0, i, 0, 0);
    chart.currentSection = 0;
    StartSection(chart, settings.chartSectionSeconds, surface);
    chart.sectionStartClock = surface.clock();
    chart.runStartClock = chart.sectionStartClock;
}

// Moves on to the next section; from the first wrap on the boxes are shuffled so that the new
// section sits at the right with the older two in time order before it.
void ChangeSection(ChartState& chart, int sectionSeconds, ChartSurface& surface,
                   qint16 useRecordedTime)
{
    chart.currentSection = static_cast<qint16>(chart.currentSection + 1);
    if (chart.currentSection >= kChartSections) {
        chart.currentSection = 0;
        chart.wrapped = 1;
    }
    const int c = chart.currentSection;
    surface.clearSection(c);
    if (chart.wrapped == 1) {
        std::array<double, kChartSections> lefts{};
        lefts[c] = kBoxLefts[2];
        lefts[(c + 1) % kChartSections] = kBoxLefts[0];
        lefts[(c + 2) % kChartSections] = kBoxLefts[1];
        surface.placeSections(lefts, kSectionWidthFraction);
    }
    surface.letEventsRun();
    StartSection(chart, sectionSeconds, surface);
    chart.sectionStartClock = surface.clock();
    if (useRecordedTime != 1) {
        chart.sectionStartTimes[c] = chart.sectionStartClock - chart.runStartClock;
    } else {
        chart.replaySectionStart += sectionSeconds;
        chart.sectionStartTimes[c] = chart.replaySectionStart;
    }
    // The next segment starts at the left edge at the previous height, so traces run on; every
    // slot, so that a seventh channel does not draw back from the old section's right edge.
    std::fill(chart.traceLastX.begin(), chart.traceLastX.end(), 0.0f);
}

} // namespace

void PlotSample(ChartState& chart, StoredSettings& settings, const DerivedSettings& derived,
                ChartSurface& surface, const std::array<QString, kMaxChannels>& channelTexts,
                qint16& startOver, qint16& chartPlotMode, double sampleTime,
                const QString& sampleLine, qint16 useRecordedTime)
{
    ensureTraceSlots(chart);
    const bool setUpNow = chart.started == 0;
    if (setUpNow) {
        SetUpChart(chart, settings, derived, surface);
        chart.started = 1;
    }
    if (chart.sectionFirstLinePending == 1) {
        chart.sectionFirstLines[chart.currentSection] = sampleLine;
        chart.sectionFirstLinePending = 0;
    }
    for (int i = 0; i < readChannels(derived); ++i)
        chart.readings[i] = static_cast<float>(num::Val(channelTexts[i]));
    surface.drawGaugeNeedle();
    const int traces = tracedChannels(derived);
    for (int i = 0; i < traces; ++i)
        chart.traceNewY[i] = normalised(derived, num::Val(channelTexts[i]));
    if (chartPlotMode == 2) {
        chartPlotMode = 1;
        startOver = 1;
        return;
    }

    if (useRecordedTime == 1) {
        chart.sampleX = static_cast<float>(sampleTime - chart.replaySectionStart);
    } else if (chart.timeBaseMode == 1) {
        chart.sampleX = surface.clock() - chart.sectionStartClock;
    } else if (chart.timeBaseMode == 2) {
        chart.sectionStartClock = surface.clock() - chart.traceLastX[0];
        chart.timeBaseMode = 1;
    }
    surface.letEventsRun();

    const int width = traceWidth(settings.lineThickness);
    const int c = chart.currentSection;
    for (int i = 0; i < traces; ++i) {
        const quint32 rgb = derived.channelColors[i];
        if (setUpNow) // no previous point yet
            surface.drawLine(c, chart.sampleX, chart.traceNewY[i], chart.sampleX,
                             chart.traceNewY[i], rgb, width, false);
        else
            surface.drawLine(c, chart.traceLastX[i], chart.traceLastY[i], chart.sampleX,
                             chart.traceNewY[i], rgb, width, false);
        chart.traceLastY[i] = chart.traceNewY[i];
        chart.traceLastX[i] = chart.sampleX;
        const double value = num::Val(channelTexts[i]);
        surface.markOffRange(c, i,
                             value > derived.graphMax   ? 1
                             : value < derived.graphMin ? -1
                                                        : 0,
                             chart.sampleX);
    }

    // A point just past the right edge is drawn into the old section, cut off by its edge;
    // the new section takes the trace up from its left edge at the next sample.
    if (chart.sampleX <= static_cast<float>(settings.chartSectionSeconds))
        return;
    ChangeSection(chart, settings.chartSectionSeconds, surface, useRecordedTime);
}

void ResetChartForRecording(ChartState& chart)
{
    freshTraceArrays(chart);
    chart.sampleX = 0;
    chart.timeBaseMode = 2;
}

void ResetChartForReplay(ChartState& chart)
{
    freshTraceArrays(chart);
    chart.replaySectionStart = 0;
}
