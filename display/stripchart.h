#pragma once
// The strip chart: three sections of chartSectionSeconds seconds each, drawn one segment per
// channel per sample at the sample's run time, so a run being recorded and the same run opened
// from its file draw alike. The arithmetic and the order of the drawing calls live here,
// widget-free; the main window implements ChartSurface over its section boxes and labels.

#include "programstate.h"
#include "runsample.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <array>

constexpr int kChartSections = 3;

// What the chart draws on.
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
    // Channel `channel`'s newest reading at x in section k lies above (1), below (-1) or
    // within (0) the graph range, or has no reading (0).
    virtual void markOffRange(int k, int channel, int direction, double x) = 0;
};

// Lays the three sections out afresh for a run drawn from run time 0: cleared boxes in time
// order, grids, scale labels and legend. A section time outside 1..kLongestChartSection (a
// damaged settings file) gives way to the default first.
void LayOutChart(ChartState& chart, StoredSettings& settings, const DerivedSettings& derived,
                 ChartSurface& surface);

// Plots one sample at its run time: a segment per channel from the channel's previous point in
// the current section (a dot for the first), none for a channel without a reading, so its
// trace breaks there. A sample past the current section's right edge is drawn into it, cut
// off by its edge, and the next sample begins the next section; after the third the oldest box
// is reused at the right. Lays the chart out first when it has not been. At most kRecorderChannels
// channels are drawn.
void PlotSample(ChartState& chart, StoredSettings& settings, const DerivedSettings& derived,
                ChartSurface& surface, const RunSample& sample);

// Marks an event of the run at its run time: a line across the section that holds the time,
// drawn once the chart has come that far. Nothing on a chart not laid out.
void PlotEvent(ChartState& chart, const StoredSettings& settings, ChartSurface& surface,
               float time);
// Forgets what the chart drew: the next PlotSample lays it out afresh for a new run.
void ResetChart(ChartState& chart);
