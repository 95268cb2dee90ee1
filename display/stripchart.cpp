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

int tracedChannels(const Module1& m)
{
    return std::clamp<int>(m.NumChannels, 0, kTraceSlots);
}

int readChannels(const Module1& m)
{
    return std::clamp<int>(m.NumChannels, 0, kMaxChannels);
}

// The trace arrays are plain vectors that other code recreates; never index past one that
// came back short.
void ensureTraceSlots(Module1& m)
{
    for (std::vector<float>* v : {&m.TraceLastX, &m.TraceLastY, &m.TraceNewY}) {
        if (v->size() < static_cast<size_t>(kTraceSlots))
            v->resize(kTraceSlots, 0.0f);
    }
}

void freshTraceArrays(Module1& m)
{
    m.TraceLastX.assign(kTraceSlots, 0.0f);
    m.TraceLastY.assign(kTraceSlots, 0.0f);
    m.TraceNewY.assign(kTraceSlots, 0.0f);
    std::fill(m.SectionStartTime.begin(), m.SectionStartTime.begin() + kChartSections, 0.0f);
    m.ChartStarted = 0;
}

float normalised(const Module1& m, double value)
{
    if (value <= m.GraphMin)
        return 0.0f;
    if (value > m.GraphMax)
        return 1.0f;
    return static_cast<float>((value - m.GraphMin) * m.GraphFactor);
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

void drawGrid(const Module1& m, ChartSurface& surface, int c)
{
    const double right = m.StripChartTime;
    for (double y : {0.0, 1.0})
        surface.drawLine(c, 0, y, right, y, kGridColor, 1, true);
    const int lastTenths = m.StripChartTime * 10 - kGridEndMarginTenths;
    for (int tenths = kGridFirstTenths; tenths <= lastTenths; tenths += kGridStepTenths) {
        const double x = tenths / 10.0;
        surface.drawLine(c, x, 0, x, 1, kGridColor, 1, true);
    }
}

// Begins section m.CurrentSection: its grid, and the scale labels on the leftmost box. A wrap
// only reuses the oldest box: the run itself keeps every sample, whatever the chart shows.
void StartSection(Module1& m, ChartSurface& surface)
{
    const int c = m.CurrentSection;
    surface.showChart();
    for (int k = 0; k < kChartSections; ++k) {
        if (k == c)
            drawGrid(m, surface, k);
        surface.showScaleLabels(k, surface.sectionAtLeft(k));
    }
    m.SectionFirstLinePending = 1;
}

// Lays the three sections out afresh and starts the run clock.
void SetUpChart(Module1& m, ChartSurface& surface)
{
    m.ChartWrapped = 0;
    surface.showChart();
    surface.placeSections(kBoxLefts, kSectionWidthFraction);
    surface.showStartButtons();
    for (int k = 0; k < kChartSections; ++k) {
        if (m.StripChartTime < kMinStripChartTime || m.StripChartTime > kLongestChartSection)
            m.StripChartTime = kDefaultChartSection;
        surface.clearSection(k);
        surface.setSectionScale(k, m.StripChartTime);
        surface.setScaleLabels(k, num::CStr(m.GraphMax), num::CStr(m.GraphMin));
        m.CurrentSection = static_cast<qint16>(k);
        StartSection(m, surface);
    }
    surface.setLegend(QStringLiteral("Temperature Deg ") + m.TempUnitLetter);
    for (int i = 0; i < kTraceSlots; ++i)
        surface.markOffRange(0, i, 0, 0);
    m.CurrentSection = 0;
    StartSection(m, surface);
    m.SectionStartTimer = surface.clock();
    m.RecordStartTimer = m.SectionStartTimer;
}

// Moves on to the next section; from the first wrap on the boxes are shuffled so that the new
// section sits at the right with the older two in time order before it.
void ChangeSection(Module1& m, ChartSurface& surface, qint16 UseRecordedTime)
{
    m.CurrentSection = static_cast<qint16>(m.CurrentSection + 1);
    if (m.CurrentSection >= kChartSections) {
        m.CurrentSection = 0;
        m.ChartWrapped = 1;
    }
    const int c = m.CurrentSection;
    surface.clearSection(c);
    if (m.ChartWrapped == 1) {
        std::array<double, kChartSections> lefts{};
        lefts[c] = kBoxLefts[2];
        lefts[(c + 1) % kChartSections] = kBoxLefts[0];
        lefts[(c + 2) % kChartSections] = kBoxLefts[1];
        surface.placeSections(lefts, kSectionWidthFraction);
    }
    surface.letEventsRun();
    StartSection(m, surface);
    m.SectionStartTimer = surface.clock();
    if (UseRecordedTime != 1) {
        m.SectionStartTime[c] = m.SectionStartTimer - m.RecordStartTimer;
    } else {
        m.RecordedTimeOffset += m.StripChartTime;
        m.SectionStartTime[c] = m.RecordedTimeOffset;
    }
    // The next segment starts at the left edge at the previous height, so traces run on; every
    // slot, so that a seventh channel does not draw back from the old section's right edge.
    std::fill(m.TraceLastX.begin(), m.TraceLastX.end(), 0.0f);
}

} // namespace

void UpdateScreen(Module1& m, ChartSurface& surface,
                  const std::array<QString, kMaxChannels>& ChannelText, qint16& StartOverFlag,
                  qint16& DoingStripChart, double RecordTime, const QString& LastText1,
                  qint16 UseRecordedTime)
{
    ensureTraceSlots(m);
    const bool setUpNow = m.ChartStarted == 0;
    if (setUpNow) {
        SetUpChart(m, surface);
        m.ChartStarted = 1;
    }
    if (m.SectionFirstLinePending == 1) {
        m.SectionFirstLine[m.CurrentSection] = LastText1;
        m.SectionFirstLinePending = 0;
    }
    for (int i = 0; i < readChannels(m); ++i)
        m.TCReading[i] = static_cast<float>(num::Val(ChannelText[i]));
    surface.drawGaugeNeedle();
    const int traces = tracedChannels(m);
    for (int i = 0; i < traces; ++i)
        m.TraceNewY[i] = normalised(m, num::Val(ChannelText[i]));
    if (DoingStripChart == 2) {
        DoingStripChart = 1;
        StartOverFlag = 1;
        return;
    }

    if (UseRecordedTime == 1) {
        m.ChartX = static_cast<float>(RecordTime - m.RecordedTimeOffset);
    } else if (m.ChartTimeMode == 1) {
        m.ChartX = surface.clock() - m.SectionStartTimer;
    } else if (m.ChartTimeMode == 2) {
        m.SectionStartTimer = surface.clock() - m.TraceLastX[0];
        m.ChartTimeMode = 1;
    }
    surface.letEventsRun();

    const int width = traceWidth(m.LineThickness);
    const int c = m.CurrentSection;
    for (int i = 0; i < traces; ++i) {
        const quint32 rgb = m.ChannelColor[i];
        if (setUpNow) // no previous point yet
            surface.drawLine(c, m.ChartX, m.TraceNewY[i], m.ChartX, m.TraceNewY[i], rgb, width,
                             false);
        else
            surface.drawLine(c, m.TraceLastX[i], m.TraceLastY[i], m.ChartX, m.TraceNewY[i], rgb,
                             width, false);
        m.TraceLastY[i] = m.TraceNewY[i];
        m.TraceLastX[i] = m.ChartX;
        const double value = num::Val(ChannelText[i]);
        surface.markOffRange(c, i, value > m.GraphMax ? 1 : value < m.GraphMin ? -1 : 0, m.ChartX);
    }

    // A point just past the right edge is drawn into the old section, cut off by its edge;
    // the new section takes the trace up from its left edge at the next sample.
    if (m.ChartX <= static_cast<float>(m.StripChartTime))
        return;
    ChangeSection(m, surface, UseRecordedTime);
}

void ResetChartForRecording(Module1& m)
{
    freshTraceArrays(m);
    m.ChartX = 0;
    m.ChartTimeMode = 2;
}

void ResetChartForReplay(Module1& m)
{
    freshTraceArrays(m);
    m.RecordedTimeOffset = 0;
}
