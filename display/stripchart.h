#pragma once
// The strip chart: three sections of chartSectionSeconds seconds each, drawn one segment per
// channel per sample and never redrawn from data. The arithmetic and the order of the drawing
// calls live here, widget-free; the main window implements ChartSurface over its section
// boxes, labels, run text and reading list.

#include "programstate.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <array>

constexpr int kChartSections = 3;

// What the chart draws on and asks of its window.
class ChartSurface
{
public:
    virtual ~ChartSurface() = default;
    // Section box k all white again.
    virtual void clearSection(int k) = 0;
    // Seconds across section box k; its height always runs from 1.05 at the top to -0.05.
    virtual void setSectionScale(int k, double scaleWidth) = 0;
    // A line in section k's user units; equal ends draw a dot of the line width.
    virtual void drawLine(int k, double x1, double y1, double x2, double y2, quint32 rgb, int width,
                          bool dotted) = 0;
    // Lefts of the three boxes and their common width, as fractions of the chart frame's width.
    virtual void placeSections(const std::array<double, 3>& leftFraction, double widthFraction) = 0;
    // Section box k stands at the chart's left edge, after the latest placeSections.
    virtual bool sectionAtLeft(int k) const = 0;
    // The graph range's top and bottom written on section box k.
    virtual void setScaleLabels(int k, const QString& top, const QString& bottom) = 0;
    virtual void showScaleLabels(int k, bool visible) = 0;
    // The chart's legend ("Temperature Deg F").
    virtual void setLegend(const QString& text) = 0;
    virtual void showChart() = 0;
    // Start, Stop and the third record button become visible.
    virtual void showStartButtons() = 0;
    virtual void letEventsRun() = 0;
    // Seconds since midnight.
    virtual float clock() = 0;
    // The temperature panel shows the chart's newest readings.
    virtual void drawGaugeNeedle() = 0;
    // Channel `channel`'s newest reading at x in section k lies above (1), below (-1) or
    // within (0) the graph range.
    virtual void markOffRange(int k, int channel, int direction, double x) = 0;
};

// Plots one sample (chartPlotMode 1) or lays out the empty chart at start-up (chartPlotMode 2:
// returns with chartPlotMode 1 and startOver 1, drawing no trace). Sets the chart up first
// whenever chart.started is 0, putting a section time outside 1..kLongestChartSection back to
// the default. useRecordedTime 1 takes x from sampleTime (replay), anything else from the
// clock, which may pass midnight during a run. At most kTraceSlots channels are drawn.
void PlotSample(ChartState& chart, StoredSettings& settings, const DerivedSettings& derived,
                ChartSurface& surface, const std::array<QString, kMaxChannels>& channelTexts,
                qint16& startOver, qint16& chartPlotMode, double sampleTime,
                const QString& sampleLine, qint16 useRecordedTime);

// Start's reset of the chart's run state: fresh trace arrays, section start times 0, the chart
// laid out afresh, sampleX 0 and the time base re-based at the next plot.
void ResetChartForRecording(ChartState& chart);
// The replay's reset: fresh trace arrays, section start times 0, the chart laid out afresh and
// the recorded-time offset 0.
void ResetChartForReplay(ChartState& chart);
